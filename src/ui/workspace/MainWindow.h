#pragma once

#include "core/record/DatabaseDocument.h"
#include "core/session/EditingSession.h"
#include "core/settings/AppSettings.h"
#include "core/source/SubjectTree.h"
#include "ui/workspace/WorkspaceStates.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class DataEntryPage;
class QAction;
class QActionGroup;
class QComboBox;
class QFont;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QStackedWidget;
class QTabBar;
class QTableWidget;
class QTextEdit;
class QToolBar;
class QToolButton;
class RecordNameModel;
class StaleIndexNotice;
class WorkspaceCommands;
class LoadingWindow;
class SettingsDialog;
class SourceLoader;
class QTextDocument;
class AboutBox;
class SearchDialog;
class DuplicatesDialog;
class IndexDialog;
class ConversionPage;
class HitsPage;
class BrowsePage;

// The windows created after the main window, handed to it once they exist.
struct Companions
{
    LoadingWindow* loading = nullptr;
    SettingsDialog* settings = nullptr;
    AboutBox* about = nullptr;
    SearchDialog* search = nullptr;
    IndexDialog* index = nullptr;
};

// The main window: the data-entry page and the pages of the other tasks, its
// menus and tool bar. Its constructor takes the working folder from the
// current directory, reads and rewrites config.kzs and builds the workspace.
// The editing rules live in its EditingSession; the window maps controls to
// the session and back.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Page indices of the page control `soklap`.
    enum Page
    {
        ConvertPage = 0,
        EntryPage = 1,
        GridPage = 2,
        HitsPageIndex = 3,
        RawPage = 4,
        BrowsePageIndex = 7,
        PageCount = 8
    };

    using Mode = EditingSession::Mode;

    // What the last mouse press was on, as the drop boxes need to know: the
    // source window, drop box 100 + field, a field label (its field number),
    // or 0 for any other control of the record.
    static constexpr int SourceWindowTag = 1000;
    static constexpr int DropBoxTagBase = 100;

    enum class NavigationStep
    {
        First,
        Previous,
        Next,
        Last
    };
    // The "Beszúrás" and "Hozzáfűzés" menus: replace a field's text or add to it.
    enum class Extraction
    {
        Insert = 1,
        Append = 2
    };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

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
    QTextEdit* sourceWindow() const;
    bool sourceEditable() const;
    void setSourceEditable(bool editable);

    // Opens a database as the document (loading window, lists, record names,
    // mode). The file is read on another thread while the loading window is
    // up; this returns once it is open. A file that cannot be read is
    // reported, and a load cancelled with Esc is not; both leave the open
    // document as it was and return false.
    bool loadDatabase(const QString& path);
    const DatabaseDocument& document() const { return m_session.document(); }
    Mode mode() const { return m_session.mode(); }
    int currentRecordIndex() const { return m_session.currentIndex(); }
    int lastPressedTag() const { return m_lastPressedTag; }
    QString statusText(int panel) const;
    DataEntryPage* entryPage() const { return m_entry; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building (MainWindow.cpp)
    void connectCommands();
    void connectHistory();
    QComboBox* createRecordNameList();
    void createStatusBar();
    void updateStaleIndexNotice();
    void buildPages();
    void registerStateGroups();
    void wireRecordControls();
    void initialiseWorkspace();
    void firstActivation();
    void writeSettingsOnLeave();
    enum class LeaveTo
    {
        Quit,
        OtherDatabase
    };
    bool settleUnsavedChanges(LeaveTo leaveTo);
    void offerRecovery(const QString& path);
    // Shared folder (DatabaseCommands.cpp): the questions about a database
    // another process holds or has written.
    bool settleDatabaseLock(DatabaseLock& lock, bool& readOnly);
    enum class DiskAnswer
    {
        Save,    // the file is as this window left it, or the user writes over it
        SavedAs, // saved under another name instead
        Cancel
    };
    DiskAnswer confirmSaveOverChangedFile();
    void offerReloadOfChangedFile();

    // Other windows reached from the menu (MainWindow.cpp)
    void openConversion();
    void openSearch();
    void openDuplicates();
    void runIndexing();
    void openSettings(int page);
    void applyFieldFont(const std::function<void(QFont&)>& change);
    void openAbout();
    void openManual();

    // Database document (DatabaseCommands.cpp)
    void newDatabase();
    void openDatabase();
    void saveDatabase();
    void saveDatabaseAs();
    void exportDatabase();
    bool runDocumentSave(const QString& path);
    void updateDocumentState();
    void updateCaption();
    void rebuildRecordNameList();
    void reloadLookupLists();
    void refreshRawViewIfShown();
    void connectDocumentViews();
    std::optional<DatabaseDocument::Contents> readInBackground(const QString& path);
    void followLineChange(int index, EditingSession::LineChange change);
    void updateRawViewLine(int index, EditingSession::LineChange change);

    // Modes and navigation (WorkspaceModes.cpp)
    void applyStateColumn(WorkspaceStates::Column column);
    void setGroupEnabled(WorkspaceStates::Group group, bool enabled);
    void enterMode(Mode mode);
    void enterBrowse();
    void enterNewRecords();
    void move(NavigationStep step);
    void selectInList(int index);
    void setNavigationByPosition();
    void setStatus(int panel, const QString& text);
    void updateRecordCountLabel();

    // Record display, saving and field editing (RecordEditing.cpp)
    void showRecord(int index);
    void fillFieldGrid(const QString& line);
    void showKeptValues();
    FormState formState() const;
    void saveRecord();
    void prepareNextRecord(const FormState& saved);
    void recordControlChanged();
    void extractableFieldChanged();
    void applySavableRule();
    bool recordIsSavable() const;
    void setSaveCommandEnabled(bool enabled);
    void setRecordTypeLabels();
    void setRecordTypeMenuCaptions();
    void setRoleMenuCaptions();
    void toggleFieldSelection(int field);
    void paintField(int field, bool selected);
    void updateExchangeCommand();
    void exchangeFields();
    void clearFields();
    void deleteRecord();
    void undoChange();
    void redoChange();
    void showHistoryStep(Mode shownBefore);

    // Source window, extraction and drop boxes (SourceWindow.cpp)
    void loadSourceDocument();
    SourceLoader* sourceLoader();
    void showSourceLoading(bool loading);
    void showSourceDocument(const QString& path, std::unique_ptr<QTextDocument> document);
    void extractInto(int field, Extraction kind);
    void rememberPress(int tag);
    bool isFieldLabelClick(QObject* watched, QEvent* event);
    void dropBoxChanged(int field);
    void startCharacterMap();

    // Subject tree menu (SubjectMenu.cpp)
    void loadSubjectTree();
    void buildSubjectMenu(const QString& path);
    void fillSubjectMenu(QMenu* menu, int parentEntry);
    void chooseSubject(int line);

    QString m_startDir;
    DuplicatesDialog* m_duplicates = nullptr;
    AppSettings m_settings;
    Companions m_companions;
    bool m_firstActivationDone = false;

    EditingSession m_session;
    bool m_recoveryFailureShown = false;
    int m_lastPressedTag = 0;
    bool m_labelDoubleClicked = false;
    bool m_emptyingDropBoxes = false;
    bool m_rawViewStale = true;
    bool m_loadRunning = false;
    bool m_askingAboutDisk = false;         // the reload question is up
    DiskStamp m_reloadDeclinedFor;          // the file's state the user chose to keep editing over
    QString m_lastOpenPath;                 // the open dialog starts at the file chosen last
    SourceLoader* m_sourceLoader = nullptr; // made with the first source load
    QAction* m_sourceCancel = nullptr;      // "Mégsem" beside the loading button
    SubjectTree::Tree m_subjectTree;        // the subject tree built last
    QMetaObject::Connection m_subjectTopFill;

    QStackedWidget* m_pageStack = nullptr;
    QTabBar* m_tabs = nullptr;
    ConversionPage* m_conversionPage = nullptr;
    HitsPage* m_hitsPage = nullptr;
    BrowsePage* m_browsePage = nullptr;
    DataEntryPage* m_entry = nullptr;
    QTableWidget* m_fieldGrid = nullptr; // racs0

    QList<QLineEdit*> m_dataFields; // Edit2 … Edit14
    QPlainTextEdit* m_rawView = nullptr;
    QComboBox* m_recordNames = nullptr; // cb_rekordok0
    RecordNameModel* m_recordNameModel = nullptr;
    std::array<QLabel*, 3> m_statusPanels{};
    StaleIndexNotice* m_staleIndex = nullptr;

    std::array<QList<QObject*>, size_t(WorkspaceStates::Group::Count)> m_stateGroups;

    WorkspaceCommands* m_commands = nullptr;
};
