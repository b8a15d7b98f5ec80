#pragma once

#include "core/record/DatabaseDocument.h"
#include "core/record/DatabaseLock.h"
#include "core/record/FileFailure.h"
#include "core/record/RecordForm.h"
#include "core/session/RecoveryCopy.h"
#include "core/session/UndoStack.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

// What the data-entry form holds: texts, and the choices of its lists as
// positions (-1 for no choice).
struct FormState
{
    QString typedName; // the number typed for a new record
    int recordType = -1;
    QString subject;
    std::array<int, RecordForm::CreatorSlots> roles{-1, -1, -1, -1};
    std::array<QString, RecordForm::CreatorSlots> creatorNames;
    std::array<QString, RecordForm::TextFields> texts;
    QString link;
    bool translation = false;
    int language = -1;
    int medium = -1; // position in CodeTables::media()
    int volume = -1; // position 0..7 of the volume
    QString suffix;  // of a new record's name
};

// The editing of one database, without any widget: the open document, the
// mode and the current record, the rules that decide whether and how the
// form is saved (append, replace, delete, the next name), the field
// selection of the exchange, the undo history of the document's changes, and
// the recovery copy that follows every change.
//
// A value that the lists of the form cannot show (a type, language, role code
// or medium of the shown record) is kept here and written back unchanged,
// unless the user chose a list entry in its place.
class EditingSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditingSession)

public:
    enum class Mode
    {
        AwaitingDatabase,
        Browse,
        NewRecords
    };

    // How one line of the document changed, for the views that follow it.
    enum class LineChange
    {
        Inserted,
        Removed,
        Replaced
    };

    // Fields whose label selects them for the exchange, at most two at a time.
    static constexpr int SelectableFieldCount = 2;

    explicit EditingSession(QObject* parent = nullptr);

    DatabaseDocument& document() { return m_document; }
    const DatabaseDocument& document() const { return m_document; }
    Mode mode() const { return m_mode; }
    void setMode(Mode mode) { m_mode = mode; }
    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index) { m_currentIndex = index; }
    bool hasCurrentRecord() const { return m_currentIndex >= 0 && m_currentIndex < m_document.lineCount(); }

    // The entries of tipus.zda, szerep.zda and nyelv.zda, as the form lists them.
    void setLists(const QStringList& recordTypes, const QStringList& roles, const QStringList& languages);
    const QStringList& recordTypes() const { return m_recordTypes; }
    const QStringList& roles() const { return m_roles; }
    const QStringList& languages() const { return m_languages; }

    // Opens a database; throws NorlaError and keeps the open one on failure.
    // The edits of the document before are settled by then, so its recovery
    // copy goes. The database's lock is taken; when another process holds
    // it, the database opens for reading only.
    void open(const QString& path);
    // The same with the file already read (on another thread, say).
    void open(const QString& path, DatabaseDocument::Contents&& contents);
    // The same with the lock already settled by the caller (who asked the
    // user): `lock` is the one lockFor() gave, kept while the document is
    // open; `readOnly` opens it for reading only.
    void open(const QString& path, DatabaseDocument::Contents&& contents, std::shared_ptr<DatabaseLock> lock,
              bool readOnly);
    // The lock of the database at `path`, tried: the one this session holds
    // when it is that database, otherwise a new one.
    std::shared_ptr<DatabaseLock> lockFor(const QString& path) const;
    // Opened for reading only: records cannot be saved or deleted, the
    // database cannot be saved to its own file, and no recovery copy is
    // written (the copy belongs to the process that holds the lock).
    bool isReadOnly() const { return m_readOnly; }
    // Why a writing command is refused while read only, naming who holds the database.
    QString readOnlyMessage() const;
    // Who held the database when it opened read only, when the lock file names anyone.
    const std::optional<LockOwner>& readOnlyHolder() const { return m_readOnlyHolder; }
    // Why the database cannot be saved to its own file, found when it
    // opened (a write-protected folder or file), so that it is said once
    // then and not at every change: no recovery copy is tried there either.
    const std::optional<FileFailure::Cause>& unwritable() const { return m_unwritable; }
    // The database is left (a New database, leaving the program): its lock goes.
    void releaseLock();
    // A copy newer than the database just opened exists.
    bool hasNewerRecoveryCopy() const;
    // Takes the copy's lines as the unsaved state of the open database.
    void restoreRecoveryCopy();
    // The same with the copy already read (on another thread, say).
    void restoreRecoveryCopy(DatabaseDocument::Contents&& copy);
    // Saves the document (to its own path when `path` is empty); throws NorlaError.
    QString saveDocument(const QString& path = {});
    // The edits are thrown away: the recovery copy goes.
    void discardEdits();

    // Decodes record `index` for the form and keeps what the lists cannot show.
    FormState showRecord(int index);
    // The values kept for the shown record; empty when its list shows it.
    const QString& keptType() const { return m_keptType; }
    const QString& keptLanguage() const { return m_keptLanguage; }
    const QString& keptRole(int slot) const { return m_keptRoles[size_t(slot)]; }
    const QString& keptMedium() const { return m_keptMedium; }
    // The form was cleared or starts a new record: nothing is kept.
    void forgetKeptValues();
    // The shown record's name as users read it ("Ka.000123.00").
    QString shownDottedName() const { return m_shownDottedName; }

    // The savable rule: a database is open, a record to replace exists in
    // Browse, and the form names a record type and a volume.
    bool isSavable(const FormState& form) const;
    // Appends the form (NewRecords) or replaces the current record with it
    // (Browse). Refused, with the reason, when a field would shift the ones
    // after it; nothing changes then. Returns the refusal, empty on success.
    QString save(FormState& form);
    // Deletes the current record; the record after it (or the new last one) becomes current.
    void deleteCurrent();
    // Replaces several lines at once (a word corrected throughout the
    // database) as one step of the history; the mode and the current record
    // stay. Pairs of line index and new line. Nothing changes while the
    // database is open read only.
    void replaceLines(const QList<std::pair<int, QString>>& lines);

    // Every append, replace and delete is a step of the history. Undoing or
    // redoing a step puts back the exact line at its index and returns the
    // session to the step's mode and current record, so the form shows what
    // changed. The document is modified exactly when the history stands
    // elsewhere than at the last save; opening a database starts a new history.
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    void undo();
    void redo();
    const UndoStack& history() const { return m_history; }

    // Field selection for the exchange, by field number.
    bool isSelected(int field) const;
    // Selects or deselects; a third field is not selected. True when it changed.
    bool toggleSelection(int field);
    bool canExchange() const;
    // The selected fields in field order (0 when missing); the selection is cleared.
    std::pair<int, int> takeSelection();
    void clearSelection() { m_selection.fill(false); }

Q_SIGNALS:
    // The lines of the document changed, or its modified state did.
    void documentChanged();
    // One line changed (a record saved, deleted, or a step undone or redone);
    // sent after the document changed, before documentChanged().
    void lineChanged(int index, EditingSession::LineChange change);
    // The document holds other lines altogether (a file opened or a copy restored).
    void documentReplaced();
    // The recovery copy could not be written.
    void recoveryWriteFailed(const QString& message);
    void canUndoChanged(bool canUndo);
    void canRedoChanged(bool canRedo);

private:
    QStringList formFields(const FormState& form, const QString& nameField) const;
    void recordStep(int index, const std::optional<QString>& before, const std::optional<QString>& after,
                    int currentAfter);
    void followHistory();

    DatabaseDocument m_document;
    std::shared_ptr<DatabaseLock> m_lock;
    bool m_readOnly = false;
    std::optional<FileFailure::Cause> m_unwritable;
    std::optional<LockOwner> m_readOnlyHolder; // who held the database when it opened read only
    RecoveryCopy m_recovery;
    UndoStack m_history;
    Mode m_mode = Mode::AwaitingDatabase;
    int m_currentIndex = 0;
    QStringList m_recordTypes;
    QStringList m_roles;
    QStringList m_languages;
    QString m_shownNameField;
    QString m_shownDottedName;
    QString m_keptType;
    QString m_keptLanguage;
    std::array<QString, RecordForm::CreatorSlots> m_keptRoles;
    QString m_keptMedium;
    std::array<bool, 21> m_selection{}; // field numbers 1 … 20
};
