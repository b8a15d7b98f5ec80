#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class MainWindow;

// "Beállítások": the data-field font and size, the subject tree file and the
// source-deletion flag. It changes the settings the main window holds and
// applies them to its controls at once; the main window writes config.kzs.
class SettingsDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsDialog)

public:
    enum Page
    {
        DataFieldsPage = 0,
        SubjectTreePage = 1,
        GeneralPage = 2
    };

    explicit SettingsDialog(QWidget* parent = nullptr);

    // The window whose settings and controls the dialog reads and changes.
    void setMainWindow(MainWindow* mainWindow);
    // Shows the dialog modally on the given page.
    void openOnPage(Page page);

    static const QStringList& fontSizes();
    static QString noSizeMessage();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildDataFieldsPage();
    QWidget* buildSubjectTreePage();
    QWidget* buildGeneralPage();
    void buildButtons();

    void fillFromSettings();
    void enableApply();
    void browseSubjectTree();
    // Returns false when it stopped with a message (no size selected).
    bool apply();
    void applyFontName(const QString& family);
    void applyFontSize(int pointSize);
    void okClicked();

    MainWindow* m_main = nullptr;

    QTabWidget* m_soklap2 = nullptr;
    QComboBox* m_fontc1 = nullptr;
    QComboBox* m_cb_betumeret = nullptr;
    QLineEdit* m_edit_targykor = nullptr;
    QPushButton* m_gomb_targykor = nullptr;
    QCheckBox* m_cb91 = nullptr;
    QPushButton* m_g_ok = nullptr;
    QPushButton* m_g_megsem = nullptr;
    QPushButton* m_g_alkalmaz = nullptr;
};
