#pragma once

#include "shell/AppSettings.h"

#include <QMainWindow>

class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;
class QTextEdit;
class QTabBar;
class Tbetoltform;
class Tconfigform;
class Tnevjform;
class Tkeresform;
class Tindexform;
class ConversionPage;
class HitsPage;
class BrowsePage;

// The windows created after the main window, handed to it once they exist.
struct Companions
{
    Tbetoltform* loading = nullptr;
    Tconfigform* settings = nullptr;
    Tnevjform* about = nullptr;
    Tkeresform* search = nullptr;
    Tindexform* index = nullptr;
};

// The main window. Its constructor is the create handler: it captures the
// start directory, reads and rewrites config.kzs and builds the workspace.
class TForm1 final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    // Page indices of the page control `soklap`.
    enum Page
    {
        ConvertPage = 0,
        EntryPage = 1,
        HitsPageIndex = 3,
        RawPage = 4,
        BrowsePageIndex = 7,
        PageCount = 8
    };

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    void setCompanions(const Companions& companions);

    const QString& startDir() const { return m_startDir; }
    AppSettings& settings() { return m_settings; }
    const AppSettings& settings() const { return m_settings; }

    void showPage(int index);
    int currentPage() const;

    ConversionPage* conversionPage() const { return m_conversionPage; }
    HitsPage* hitsPage() const { return m_hitsPage; }
    BrowsePage* browsePage() const { return m_browsePage; }

    // The controls the settings dialog changes: the data fields Edit2 … Edit14
    // (never Edit1), the raw database view re_forras and the source window re1.
    const QList<QLineEdit*>& dataFieldEditors() const { return m_dataFields; }
    QPlainTextEdit* rawDatabaseView() const { return m_rawView; }
    QTextEdit* sourceWindow() const { return m_sourceWindow; }
    bool sourceEditable() const;
    void setSourceEditable(bool editable);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPages();
    void firstActivation();
    void writeSettingsOnLeave();

    QString m_startDir;
    AppSettings m_settings;
    Companions m_companions;
    bool m_firstActivationDone = false;

    QStackedWidget* m_soklap = nullptr;
    QTabBar* m_tabs = nullptr;
    ConversionPage* m_conversionPage = nullptr;
    HitsPage* m_hitsPage = nullptr;
    BrowsePage* m_browsePage = nullptr;

    QList<QLineEdit*> m_dataFields; // Edit2 … Edit14
    QPlainTextEdit* m_rawView = nullptr;
    QTextEdit* m_sourceWindow = nullptr;
};
