#pragma once

#include "core/settings/AppSettings.h"
#include "ui/workspace/RecordEditor.h"

#include <QList>
#include <QMainWindow>

#include <array>

class BrowsePage;
class ConversionPage;
class HitsPage;
class QLabel;
class QStackedWidget;
class QTabBar;
class StaleIndexNotice;

// The main window: its menus and tool bar (WorkspaceCommands), the pages of
// its tasks with their tabs, and the status bar. It routes: a command of a
// page goes to that page, the data-entry page's to the record editor, and a
// command that opens another window goes out through the commands, which the
// program connects to that window. Its constructor takes the working folder
// from the current directory and reads and rewrites config.kzs.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Page indices of the page control `soklap`; the indices between are
    // empty pages, for a page still to come.
    enum Page
    {
        ConvertPage = 0,
        EntryPage = 1,
        GridPage = 2,
        HitsPageIndex = 3,
        RawPage = 4,
        BrowsePageIndex = 7,
        PageCount = 8,
        // Pages of other window families, added after the Parts' ones.
        OverviewPageIndex = PageCount,
    };

    using Mode = EditingSession::Mode;

    // What the last press was on, as lastPressedTag() tells it.
    static constexpr int SourceWindowTag = PressedControl::SourceWindowTag;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    const QString& startDir() const { return m_startDir; }
    AppSettings& settings() { return m_settings; }
    const AppSettings& settings() const { return m_settings; }
    const WorkspaceCommands& commands() const { return *m_commands; }
    RecordEditor& editor() const { return *m_editor; }

    void showPage(int index);
    int currentPage() const;
    // Puts a page of another window family at `index` (an empty page's, or
    // after the last), with a tab of that caption unless it is empty.
    void addPage(int index, QWidget* page, const QString& tabCaption);

    ConversionPage* conversionPage() const { return m_conversionPage; }
    HitsPage* hitsPage() const { return m_hitsPage; }
    BrowsePage* browsePage() const { return m_browsePage; }
    QString statusText(int panel) const;

    // The data-entry page and its state, as the record editor keeps them.
    DataEntryPage* entryPage() const { return m_editor->page(); }
    const QList<QLineEdit*>& dataFieldEditors() const { return m_editor->dataFieldEditors(); }
    QPlainTextEdit* rawDatabaseView() const { return m_editor->rawDatabaseView(); }
    QTextEdit* sourceWindow() const { return m_editor->sourceWindow(); }
    bool sourceEditable() const { return m_editor->sourceEditable(); }
    void setSourceEditable(bool editable) { m_editor->setSourceEditable(editable); }
    bool loadDatabase(const QString& path) { return m_editor->loadDatabase(path); }
    const DatabaseDocument& document() const { return m_editor->document(); }
    Mode mode() const { return m_editor->mode(); }
    int currentRecordIndex() const { return m_editor->currentRecordIndex(); }
    int lastPressedTag() const { return m_editor->lastPress().tag(); }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectCommands();
    void createStatusBar();
    void updateStaleIndexNotice();
    void buildPages();
    void placePage(int index, QWidget* page);
    void addTab(int page, const QString& caption);
    void updateCaption();
    void firstActivation();
    void openConversion();
    void openManual();
    void writeSettingsOnLeave();

    QString m_startDir;
    AppSettings m_settings;
    bool m_firstActivationDone = false;
    bool m_settingsUnwritable = false; // config.kzs could not be rewritten at start-up

    WorkspaceCommands* m_commands = nullptr;
    RecordEditor* m_editor = nullptr;
    QStackedWidget* m_pageStack = nullptr;
    QTabBar* m_tabs = nullptr;
    ConversionPage* m_conversionPage = nullptr;
    HitsPage* m_hitsPage = nullptr;
    BrowsePage* m_browsePage = nullptr;
    std::array<QLabel*, 3> m_statusPanels{};
    StaleIndexNotice* m_staleIndex = nullptr;
};
