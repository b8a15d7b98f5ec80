#pragma once

#include "core/record/DatabaseDocument.h"
#include "core/record/RecordSchema.h"
#include "core/session/EditingSession.h"
#include "core/source/SubjectTree.h"
#include "ui/workspace/PressedControl.h"
#include "ui/workspace/WorkspaceCommands.h"
#include "ui/workspace/WorkspaceStates.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>

struct AppSettings;
class BackgroundJob;
class DataEntryPage;
class QComboBox;
class QFont;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QShortcut;
class QTableWidget;
class QTextDocument;
class QTextEdit;
class RecordNameModel;
class SourceLoader;

// The behaviour of the data-entry page on top of the editing session: the
// database document commands, the modes and moving between records, showing
// a record in the form and saving it back, the field editing commands, the
// source window with its extraction menus and drop boxes, and the subject
// menu. It also keeps the two views of the document that the main window
// hosts as pages (the field grid and the raw database view).
//
// The editing rules live in the session; the editor maps controls to it and
// back. It knows no other window: what it needs from them (the loading
// window, the settings dialog, the page shown) it asks for with a signal.
class RecordEditor final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordEditor)

public:
    using Mode = EditingSession::Mode;
    using Extraction = WorkspaceCommands::Extraction;

    // The panels of the status bar the editor writes to.
    enum class StatusPanel
    {
        Mode = 0, // the workspace's mode
        File = 1  // the source or subject file loaded last
    };
    enum class NavigationStep
    {
        First,
        Previous,
        Next,
        Last
    };
    enum class LeaveTo
    {
        Quit,
        OtherDatabase
    };

    // `window` is the main window: the parent of every question the editor
    // asks and of the controls it makes. The settings live as long as it does.
    RecordEditor(WorkspaceCommands& commands, AppSettings& settings, const QString& startDir,
                 QWidget* window);
    ~RecordEditor() override;

    // Puts the workspace in its state before any database is open. Called
    // once the main window listens to the editor's signals.
    void start();

    DataEntryPage* page() const { return m_page; }
    QWidget* fieldGridPage() const { return m_fieldGridPage; }
    QWidget* rawDatabasePage() const { return m_rawPage; }

    // The edit of a form field (RecordName … Note); null for the fields
    // shown by a list or a choice instead.
    QLineEdit* fieldEdit(Field field) const;
    // The controls the settings' font reaches: Edit2 … Edit14 (never Edit1).
    const QList<QLineEdit*>& dataFieldEditors() const { return m_dataFields; }
    QPlainTextEdit* rawDatabaseView() const { return m_rawView; }
    QTextEdit* sourceWindow() const;
    bool sourceEditable() const;
    void setSourceEditable(bool editable);
    // Changes the font of the data fields and the raw database view alike.
    void applyFieldFont(const std::function<void(QFont&)>& change);

    const EditingSession& session() const { return m_session; }
    // For the windows that change the document beside the form (the
    // proofreading report): they go through the same session and history.
    EditingSession& session() { return m_session; }
    // Shows record `index` in Browse, as picking it in the record-name list
    // does (after the mode command when the page is taking new records).
    void goToRecord(int index);
    // Lines changed beside the form: the shown record is shown again when
    // it is among them, so a save cannot write its old text back.
    void followReplacedRecords(const QList<int>& indexes);
    const DatabaseDocument& document() const { return m_session.document(); }
    Mode mode() const { return m_session.mode(); }
    int currentRecordIndex() const { return m_session.currentIndex(); }
    PressedControl lastPress() const { return m_lastPress; }

    // Opens a database as the document (loading window, lists, record names,
    // mode). The file is read on another thread while the loading window is
    // up; this returns once it is open. A file that cannot be read is
    // reported, and a load cancelled with Esc is not; both leave the open
    // document as it was and return false.
    bool loadDatabase(const QString& path);
    // Stops the database read that runs (the loading window's Esc).
    void cancelDatabaseRead();
    // Asks what becomes of unsaved edits before the document is left: Yes
    // saves them, No throws them away, Mégse (also Esc and the close box)
    // keeps everything as it is and cancels the command. True when the
    // command may go on.
    bool settleUnsavedChanges(LeaveTo leaveTo);
    // Coming back to the window: a document without edits whose file someone
    // else wrote meanwhile is offered for reloading.
    void offerReloadOfChangedFile();

    // The main window shows or leaves the raw database page.
    void setRawViewShown(bool shown);

Q_SIGNALS:
    void statusChanged(RecordEditor::StatusPanel panel, const QString& text);
    // The document's file or its modified state changed (the caption follows).
    void documentStateChanged();
    // A mode command or an undo wants the data-entry page in front.
    void entryPageWanted();
    // A record was saved from the form (F2): replaced in place, or appended
    // in NewRecords; `index` is its line in the document.
    void recordSaved(int index);
    // A database file is being read (the loading window is up meanwhile)…
    void databaseReadStarted(const QString& path);
    // …and the read ended, in any way; sent before a failure is reported.
    void databaseReadEnded();
    // The subject menu's own entry for the settings of the subject tree.
    void subjectTreeSettingsWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building (RecordEditor.cpp)
    QComboBox* createRecordNameList(QWidget* window);
    void connectCommands();
    void connectHistory();
    void wireRecordControls();
    void watchPresses(QObject* control, PressedControl pressed);

    // Database document (DatabaseCommands.cpp)
    void newDatabase();
    void openDatabase();
    void saveDatabase();
    void saveDatabaseAs();
    void exportDatabase();
    bool runDocumentSave(const QString& path);
    void offerRecovery(const QString& path);
    // The questions about a database another process holds or has written.
    bool settleDatabaseLock(DatabaseLock& lock, bool& readOnly);
    enum class DiskAnswer
    {
        Save,    // the file is as this window left it, or the user writes over it
        SavedAs, // saved under another name instead
        Cancel
    };
    DiskAnswer confirmSaveOverChangedFile();
    // The bar, the fields and F2 as the open database allows: read only, in
    // a write-protected folder, or free.
    void applyAccessState();
    void explainReadOnlySave();
    void updateDocumentState();
    void rebuildRecordNameList();
    void reloadLookupLists();
    void refreshRawViewIfShown();
    void connectDocumentViews();
    std::optional<DatabaseDocument::Contents> readInBackground(const QString& path);
    void followLineChange(int index, EditingSession::LineChange change);
    void updateRawViewLine(int index, EditingSession::LineChange change);

    // Modes and navigation (WorkspaceModes.cpp)
    void registerStateGroups();
    void applyStateColumn(WorkspaceStates::Column column);
    void setGroupEnabled(WorkspaceStates::Group group, bool enabled);
    void enterMode(Mode mode);
    void enterBrowse();
    void enterNewRecords();
    void move(NavigationStep step);
    void selectInList(int index);
    void setNavigationByPosition();
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
    void setSaveCommandEnabled(bool enabled);
    void setRecordTypeLabels();
    void setRecordTypeMenuCaptions();
    void setRoleMenuCaptions();
    void toggleFieldSelection(Field field);
    void paintField(Field field, bool selected);
    void exchangeFields();
    void clearFields();
    void deleteRecord();
    void undoChange();
    void redoChange();
    void showHistoryStep(Mode shownBefore);

    // Source window, extraction and drop boxes (SourceWindow.cpp)
    void loadSourceDocument();
    SourceLoader* sourceLoader();
    void showSourceDocument(const QString& path, std::unique_ptr<QTextDocument> document);
    void extractInto(Field field, Extraction kind);
    void rememberPress(PressedControl pressed);
    bool isFieldLabelClick(QObject* watched, QEvent* event);
    void dropBoxChanged(Field field);
    void startCharacterMap();

    // Subject tree menu (SubjectMenu.cpp)
    void loadSubjectTree();
    void buildSubjectMenu(const QString& path);
    void fillSubjectMenu(QMenu* menu, int parentEntry);
    void chooseSubject(int line);

    void setStatus(StatusPanel panel, const QString& text);

    QWidget* m_window;
    WorkspaceCommands& m_commands;
    AppSettings& m_settings;
    const QString m_startDir;

    EditingSession m_session;
    bool m_recoveryFailureShown = false;
    PressedControl m_lastPress;
    QHash<const QObject*, PressedControl> m_pressTargets; // the controls whose press is remembered
    bool m_labelDoubleClicked = false;
    bool m_emptyingDropBoxes = false;
    bool m_rawViewShown = false;
    bool m_rawViewStale = true;
    bool m_loadRunning = false;
    bool m_askingAboutDisk = false;         // the reload question is up
    DiskStamp m_reloadDeclinedFor;          // the file's state the user chose to keep editing over
    BackgroundJob* m_runningRead = nullptr; // while readInBackground() waits for it
    QShortcut* m_readOnlySaveKey = nullptr; // F2 while read only: says why nothing is saved
    QString m_lastOpenPath;                 // the open dialog starts at the file chosen last
    SourceLoader* m_sourceLoader = nullptr; // made with the first source load
    QAction* m_sourceCancel = nullptr;      // "Mégsem" beside the loading button
    SubjectTree::Tree m_subjectTree;        // the subject tree built last
    QMetaObject::Connection m_subjectTopFill;

    QComboBox* m_recordNames = nullptr; // cb_rekordok0
    RecordNameModel* m_recordNameModel = nullptr;
    DataEntryPage* m_page = nullptr;
    QWidget* m_fieldGridPage = nullptr;
    QTableWidget* m_fieldGrid = nullptr; // racs0
    QWidget* m_rawPage = nullptr;
    QPlainTextEdit* m_rawView = nullptr;
    QList<QLineEdit*> m_dataFields; // Edit2 … Edit14

    std::array<QList<QObject*>, size_t(WorkspaceStates::Group::Count)> m_stateGroups;
};
