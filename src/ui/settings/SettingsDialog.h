#pragma once

#include "core/settings/AppSettings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

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
    // Where the dialog reads, at every showing, the settings in force and
    // whether the source window is editable.
    struct Current
    {
        AppSettings settings;
        bool sourceEditable = false;
    };
    void setSettingsSource(std::function<Current()> source) { m_source = std::move(source); }

Q_SIGNALS:
    // "Alkalmaz" and "OK", in this order; a missing size stops after the
    // family, as the user sees it happen.
    void fontFamilyApplied(const QString& family);
    void fontSizeApplied(int pointSize);
    void settingsApplied(const AppSettings& settings, bool sourceEditable);

public:
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
    void applyAndClose();

    std::function<Current()> m_source;
    AppSettings m_settings;
    bool m_sourceEditable = false;

    QTabWidget* m_pages = nullptr;
    QComboBox* m_fontFamilies = nullptr;
    QComboBox* m_fontSizes = nullptr;
    QLineEdit* m_subjectTreePath = nullptr;
    QPushButton* m_browseButton = nullptr;
    QCheckBox* m_sourceEditableBox = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_applyButton = nullptr;
};
