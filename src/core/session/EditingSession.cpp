#include "core/session/EditingSession.h"

#include "core/record/CodeTables.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"

#include <algorithm>

namespace {

// The record type is matched exactly over the whole list, the last match winning.
int typePosition(const QStringList& types, const QString& type)
{
    int match = -1;
    for (int i = 0; i < types.size(); ++i)
        if (types[i] == type)
            match = i;
    return match;
}

// Languages, like every list look-up, ignore letter case; the first match wins.
int languagePosition(const QStringList& languages, const QString& language)
{
    for (int i = 0; i < languages.size(); ++i)
        if (languages[i].compare(language, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString entryAt(const QStringList& list, int position)
{
    return position >= 0 && position < list.size() ? list[position] : QString();
}

// One change of one line, with the view before and after it. A line that is
// absent on one side makes the step an insertion or a removal.
class LineStep final : public UndoCommand
{
public:
    struct View
    {
        EditingSession::Mode mode;
        int currentIndex;
    };

    LineStep(EditingSession& session, int index, std::optional<QString> before, std::optional<QString> after,
             View viewBefore, View viewAfter)
        : m_session(session), m_index(index), m_before(std::move(before)), m_after(std::move(after)),
          m_viewBefore(viewBefore), m_viewAfter(viewAfter)
    {
    }

    void redo() override { apply(m_before, m_after, m_viewAfter); }
    void undo() override { apply(m_after, m_before, m_viewBefore); }

private:
    void apply(const std::optional<QString>& from, const std::optional<QString>& to, View view)
    {
        DatabaseDocument& document = m_session.document();
        if (from && to) {
            document.replaceLine(m_index, *to);
            Q_EMIT m_session.lineChanged(m_index, EditingSession::LineChange::Replaced);
        } else if (to) {
            document.insertLine(m_index, *to);
            Q_EMIT m_session.lineChanged(m_index, EditingSession::LineChange::Inserted);
        } else if (from) {
            document.removeLine(m_index);
            Q_EMIT m_session.lineChanged(m_index, EditingSession::LineChange::Removed);
        }
        m_session.setMode(view.mode);
        m_session.setCurrentIndex(view.currentIndex);
    }

    EditingSession& m_session;
    const int m_index;
    const std::optional<QString> m_before;
    const std::optional<QString> m_after;
    const View m_viewBefore;
    const View m_viewAfter;
};

// Several lines replaced together, undone and redone together.
class LinesStep final : public UndoCommand
{
public:
    struct Change
    {
        int index;
        QString before;
        QString after;
    };

    LinesStep(EditingSession& session, std::vector<Change> changes)
        : m_session(session), m_changes(std::move(changes))
    {
    }

    void redo() override
    {
        for (const Change& change : m_changes)
            replace(change.index, change.after);
    }
    void undo() override
    {
        for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it)
            replace(it->index, it->before);
    }

private:
    void replace(int index, const QString& line)
    {
        m_session.document().replaceLine(index, line);
        Q_EMIT m_session.lineChanged(index, EditingSession::LineChange::Replaced);
    }

    EditingSession& m_session;
    const std::vector<Change> m_changes;
};

} // namespace

EditingSession::EditingSession(QObject* parent) : QObject(parent)
{
    connect(&m_recovery, &RecoveryCopy::writeFailed, this, &EditingSession::recoveryWriteFailed);
    connect(&m_history, &UndoStack::canUndoChanged, this, &EditingSession::canUndoChanged);
    connect(&m_history, &UndoStack::canRedoChanged, this, &EditingSession::canRedoChanged);
}

void EditingSession::setLists(const QStringList& recordTypes, const QStringList& roles,
                              const QStringList& languages)
{
    m_recordTypes = recordTypes;
    m_roles = roles;
    m_languages = languages;
}

void EditingSession::open(const QString& path)
{
    open(path, DatabaseDocument::read(path));
}

void EditingSession::open(const QString& path, DatabaseDocument::Contents&& contents)
{
    std::shared_ptr<DatabaseLock> lock = lockFor(path);
    const bool held =
        lock->state() == DatabaseLock::State::Held || DatabaseLock::mayBeTakenOver(lock->state());
    open(path, std::move(contents), std::move(lock), held);
}

std::shared_ptr<DatabaseLock> EditingSession::lockFor(const QString& path) const
{
    if (m_lock && m_lock->isLocked() && DatabaseLock::sameDatabase(m_lock->databasePath(), path))
        return m_lock;
    auto lock = std::make_shared<DatabaseLock>(path);
    lock->acquire();
    return lock;
}

QString EditingSession::readOnlyMessage() const
{
    const QString holder = m_readOnlyHolder
                               ? QStringLiteral("más tartja megnyitva (%1)").arg(m_readOnlyHolder->describe())
                               : QStringLiteral("a zárolófájlja nem nevezi meg, ki tartja megnyitva");
    return QStringLiteral("Az adatbázis csak olvasásra van megnyitva: %1, ezért ebben az ablakban nem "
                          "módosítható. Más néven elmenthető.")
        .arg(holder);
}

void EditingSession::releaseLock()
{
    m_lock.reset();
}

void EditingSession::open(const QString& path, DatabaseDocument::Contents&& contents,
                          std::shared_ptr<DatabaseLock> lock, bool readOnly)
{
    m_readOnlyHolder = readOnly && lock ? lock->owner() : std::nullopt;
    m_lock = readOnly ? nullptr : std::move(lock);
    m_readOnly = readOnly;
    m_unwritable = readOnly ? std::nullopt : FileFailure::unwritable(path);
    m_document.adopt(path, std::move(contents));
    m_history.clear();
    m_recovery.discard();
    Q_EMIT documentReplaced();
    Q_EMIT documentChanged();
}

bool EditingSession::hasNewerRecoveryCopy() const
{
    // Read only, the copy may be the one the lock's holder is writing right now.
    return m_document.hasFile() && !m_readOnly && RecoveryCopy::newerCopyExists(m_document.path());
}

void EditingSession::restoreRecoveryCopy()
{
    restoreRecoveryCopy(DatabaseDocument::read(RecoveryCopy::pathFor(m_document.path())));
}

void EditingSession::restoreRecoveryCopy(DatabaseDocument::Contents&& copy)
{
    const QString path = m_document.path();
    m_document.adoptRecovered(path, std::move(copy));
    m_history.clear();
    // The file lacks the restored edits: no step of the history matches it.
    m_history.resetClean();
    m_recovery.adopt(path);
    Q_EMIT documentReplaced();
    Q_EMIT documentChanged();
}

QString EditingSession::saveDocument(const QString& path)
{
    const bool ownFile = DatabaseLock::sameDatabase(m_document.saveTarget(path), m_document.saveTarget());
    if (m_readOnly && ownFile)
        throw NorlaError(readOnlyMessage());
    // Written under another name, the target must not be a database another
    // process has open; its lock is held while it is written.
    const std::unique_ptr<DatabaseLock> targetLock =
        ownFile ? nullptr : DatabaseLock::forReplacing(m_document.saveTarget(path));
    const QString written = path.isEmpty() ? m_document.save() : m_document.saveAs(path);
    m_history.setClean();
    m_recovery.discard();
    Q_EMIT documentChanged();
    return written;
}

void EditingSession::discardEdits()
{
    m_recovery.discard();
}

FormState EditingSession::showRecord(int index)
{
    const RecordForm record = RecordForm::fromLine(m_document.line(index));
    m_shownNameField = record.nameField;
    m_shownDottedName = record.dottedName();

    FormState form;
    form.typedName = record.name;
    form.recordType = typePosition(m_recordTypes, record.recordType);
    m_keptType = form.recordType < 0 ? record.recordType : QString();
    form.subject = record.subject;
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        const QString& code = record.roleCodes[size_t(slot)];
        form.roles[size_t(slot)] = CodeTables::roleComboIndex(code, int(m_roles.size()));
        // Only a whole code is kept: a shorter one is no code at all.
        m_keptRoles[size_t(slot)] = form.roles[size_t(slot)] < 0 && code.size() == 2 ? code : QString();
        form.creatorNames[size_t(slot)] = record.creatorNames[size_t(slot)];
    }
    form.texts = record.texts;
    form.link = record.link;
    form.translation = record.translation;
    form.language = languagePosition(m_languages, record.language);
    m_keptLanguage = form.language < 0 ? record.languageAsStored : QString();
    form.medium = int(CodeTables::media().indexOf(record.medium));
    m_keptMedium = form.medium < 0 ? record.medium : QString();
    form.volume = CodeTables::volumePosition(record.volumeCode());
    form.suffix = record.suffix();
    return form;
}

void EditingSession::forgetKeptValues()
{
    m_keptType.clear();
    m_keptLanguage.clear();
    m_keptMedium.clear();
    for (QString& role : m_keptRoles)
        role.clear();
}

bool EditingSession::isSavable(const FormState& form) const
{
    if (m_mode == Mode::AwaitingDatabase)
        return false;
    if (m_mode == Mode::Browse && !hasCurrentRecord())
        return false;
    if (form.typedName.isEmpty())
        return false;
    const bool hasType = form.recordType >= 0 || !m_keptType.isEmpty();
    return hasType && form.volume >= 0;
}

QStringList EditingSession::formFields(const FormState& form, const QString& nameField) const
{
    RecordForm record;
    record.recordType = form.recordType >= 0 ? entryAt(m_recordTypes, form.recordType) : m_keptType;
    record.subject = form.subject;
    for (int slot = 0; slot < RecordForm::CreatorSlots; ++slot) {
        const int role = form.roles[size_t(slot)];
        const QString& kept = m_keptRoles[size_t(slot)];
        record.roleCodes[size_t(slot)] = role < 0 && !kept.isEmpty() ? kept : CodeTables::roleCode(role + 1);
        record.creatorNames[size_t(slot)] = form.creatorNames[size_t(slot)];
    }
    record.texts = form.texts;
    record.link = form.link;
    record.translation = form.translation;
    record.language = form.language >= 0 ? entryAt(m_languages, form.language) : m_keptLanguage;
    record.medium = form.medium >= 0 ? entryAt(CodeTables::media(), form.medium) : m_keptMedium;
    return record.toFields(nameField);
}

QString EditingSession::save(FormState& form)
{
    if (!isSavable(form))
        return {};
    if (m_readOnly)
        return readOnlyMessage();
    const bool appending = m_mode == Mode::NewRecords;
    if (appending && form.suffix.isEmpty())
        form.suffix = CodeTables::suffixes().first();
    // A replaced record keeps its name as stored, whatever the volume and
    // suffix controls hold.
    const QString name =
        appending ? RecordNaming::newRecordName(form.volume, form.typedName, form.suffix) : m_shownNameField;
    const QStringList fields = formFields(form, name);
    // Saved, such a record would come back with its fields moved.
    const QString fault = RecordForm::separatorFault(fields);
    if (!fault.isEmpty())
        return fault;
    const QString line = RecordLine::join(fields);
    if (appending) {
        recordStep(m_document.lineCount(), std::nullopt, line, m_currentIndex);
        form.typedName = RecordNaming::nextTypedNumber(form.typedName);
    } else {
        recordStep(m_currentIndex, m_document.line(m_currentIndex).toString(), line, m_currentIndex);
    }
    return {};
}

void EditingSession::deleteCurrent()
{
    if (!hasCurrentRecord() || m_readOnly)
        return;
    // The record after the deleted one, or the new last one (none when it was the only one).
    const int next = std::min(m_currentIndex, m_document.lineCount() - 2);
    recordStep(m_currentIndex, m_document.line(m_currentIndex).toString(), std::nullopt, next);
}

void EditingSession::replaceLines(const QList<std::pair<int, QString>>& lines)
{
    if (m_readOnly)
        return;
    std::vector<LinesStep::Change> changes;
    for (const auto& [index, line] : lines)
        if (index >= 0 && index < m_document.lineCount() && m_document.line(index) != line)
            changes.push_back({index, m_document.line(index).toString(), line});
    if (changes.empty())
        return;
    m_history.push(std::make_unique<LinesStep>(*this, std::move(changes)));
    followHistory();
}

void EditingSession::recordStep(int index, const std::optional<QString>& before,
                                const std::optional<QString>& after, int currentAfter)
{
    m_history.push(std::make_unique<LineStep>(*this, index, before, after,
                                              LineStep::View{m_mode, m_currentIndex},
                                              LineStep::View{m_mode, currentAfter}));
    followHistory();
}

void EditingSession::undo()
{
    if (!m_history.canUndo())
        return;
    m_history.undo();
    followHistory();
}

void EditingSession::redo()
{
    if (!m_history.canRedo())
        return;
    m_history.redo();
    followHistory();
}

// Back at the saved state the document is unmodified and its recovery copy
// is needless; anywhere else the copy is written again with the lines as
// they stand now.
void EditingSession::followHistory()
{
    const bool clean = m_history.isClean();
    m_document.setModified(!clean);
    if (clean)
        m_recovery.discard();
    else if (!m_readOnly && !m_unwritable)
        m_recovery.documentChanged(m_document);
    Q_EMIT documentChanged();
}

bool EditingSession::isSelected(int field) const
{
    return field > 0 && field < int(m_selection.size()) && m_selection[size_t(field)];
}

bool EditingSession::toggleSelection(int field)
{
    if (field <= 0 || field >= int(m_selection.size()))
        return false;
    bool& selected = m_selection[size_t(field)];
    if (!selected && std::count(m_selection.begin(), m_selection.end(), true) >= SelectableFieldCount)
        return false;
    selected = !selected;
    return true;
}

bool EditingSession::canExchange() const
{
    return std::count(m_selection.begin(), m_selection.end(), true) >= SelectableFieldCount;
}

std::pair<int, int> EditingSession::takeSelection()
{
    std::pair<int, int> fields{0, 0};
    for (int field = 1; field < int(m_selection.size()); ++field) {
        if (!m_selection[size_t(field)])
            continue;
        (fields.first == 0 ? fields.first : fields.second) = field;
    }
    clearSelection();
    return fields;
}
