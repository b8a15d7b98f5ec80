// The database document commands of the record editor: new, open, save,
// save as, export, the save question on leaving, the recovery copy, and the
// two views that follow the document (the record-name list and the raw view).

#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/WorkFolder.h"
#include "core/session/DatabaseReadJob.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/BusyCursor.h"
#include "ui/common/ExportChoice.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/RecordEditor.h"
#include "ui/workspace/RecordNameModel.h"
#include "ui/workspace/WorkspaceCommands.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString DatabaseFilter = QStringLiteral("RTF|*.rtf");
const QString OpenFilter = QStringLiteral("RTF|*.rtf|TXT|*.txt|Egyéb|*.*");

void fillList(QComboBox* combo, const QStringList& entries)
{
    combo->clear();
    combo->addItems(entries);
    // A freshly filled list has no selection until a record or a mode picks one.
    combo->setCurrentIndex(-1);
}

// The file the document read or last saved as its own is gone: deleted or
// moved away, not written by someone else.
bool fileDeletedSinceRead(const DatabaseDocument& document)
{
    const DiskStamp& stamp = document.diskStamp();
    return stamp.isValid() && stamp.exists && !QFileInfo::exists(stamp.path);
}

} // namespace

void RecordEditor::newDatabase()
{
    if (!settleUnsavedChanges(LeaveTo::OtherDatabase))
        return;
    const QString chosen = UserDialogs::instance().chooseSaveFile(
        m_window, QStringLiteral("Új adatbázis létrehozása"), DatabaseFilter, QString());
    if (chosen.isEmpty())
        return;
    const QString name = DatabaseDocument::withRtfExtension(chosen);
    // An empty database written over an existing one would lose all its
    // records, so that one case asks first.
    if (QFileInfo::exists(name) &&
        !UserDialogs::instance().askYesNo(
            m_window, QStringLiteral("A(z) %1 fájl már létezik. Lecseréljem egy üres adatbázisra? "
                                     "A benne lévő rekordok elvesznek.")
                          .arg(name)))
        return;
    if (runGuarded(m_window, [&] {
            // Held while the empty file is written: it never replaces a
            // database that another process has open.
            const std::shared_ptr<DatabaseLock> lock = m_session.lockFor(name);
            if (lock->state() == DatabaseLock::State::Held)
                throw NorlaError(DatabaseLock::heldMessage(name, lock->owner().value_or(LockOwner{})));
            DatabaseDocument::createEmptyFile(name);
        }))
        loadDatabase(name);
}

void RecordEditor::openDatabase()
{
    if (!settleUnsavedChanges(LeaveTo::OtherDatabase))
        return;
    const QString chosen = UserDialogs::instance().chooseOpenFile(
        m_window, QStringLiteral("Adatbázis megnyitása"), OpenFilter, m_lastOpenPath);
    if (chosen.isEmpty())
        return;
    m_lastOpenPath = chosen;
    loadDatabase(chosen);
}

void RecordEditor::saveDatabase()
{
    if (confirmSaveOverChangedFile() == DiskAnswer::Save)
        runDocumentSave(QString());
}

void RecordEditor::saveDatabaseAs()
{
    const QString chosen = UserDialogs::instance().chooseSaveFile(
        m_window, QStringLiteral("Adatbázis mentése"), DatabaseFilter, m_session.document().path());
    if (chosen.isEmpty())
        return;
    // The dialog cannot know the ".rtf" the name gets afterwards, so the
    // question about another database of that name is asked here.
    const QString target = DatabaseDocument::withRtfExtension(chosen);
    if (QFileInfo(target).isFile() && QFileInfo(target) != QFileInfo(m_session.document().path()) &&
        !UserDialogs::instance().askYesNo(
            m_window,
            QStringLiteral("A(z) %1 fájl már létezik. Lecseréljem a megnyitott adatbázisra? A benne "
                           "lévő rekordok elvesznek.")
                .arg(target)))
        return;
    runDocumentSave(chosen);
}

// Writes the records as they are open, unsaved changes included; the
// database file itself is not touched.
void RecordEditor::exportDatabase()
{
    ExportFormat format;
    const QString path =
        chooseExportFile(m_window, QFileInfo(m_session.document().path()).completeBaseName(), &format);
    if (path.isEmpty())
        return;
    runGuarded(m_window, [&] {
        const BusyCursor busy;
        const DatabaseDocument::Snapshot records = m_session.document().snapshot();
        ExportFile file(path, format);
        for (int i = 0; i < records.lineCount(); ++i)
            file.add(records.line(i));
        file.commit();
    });
}

// An empty path saves to the document's own path. A failed write is reported
// and keeps the document modified, with its save actions enabled.
bool RecordEditor::runDocumentSave(const QString& path)
{
    const bool saved = runGuarded(m_window, [&] { m_session.saveDocument(path); });
    updateDocumentState();
    return saved;
}

bool RecordEditor::settleUnsavedChanges(LeaveTo leaveTo)
{
    if (!m_session.document().isModified())
        return true;
    switch (UserDialogs::instance().askYesNoCancel(
        m_window, QStringLiteral("Mentsem az adatbázisban történt módosításokat ?"))) {
    case UserDialogs::Answer::Cancel:
        return false;
    case UserDialogs::Answer::No:
        // Leaving another way, the copy goes once the other database is open.
        if (leaveTo == LeaveTo::Quit)
            m_session.discardEdits();
        return true;
    case UserDialogs::Answer::Yes:
        break;
    }
    switch (confirmSaveOverChangedFile()) {
    case DiskAnswer::Cancel:
        return false;
    case DiskAnswer::SavedAs:
        return true;
    case DiskAnswer::Save:
        break;
    }
    if (runDocumentSave(QString()))
        return true;
    // Going on now would throw the unsaved records away.
    UserDialogs::instance().inform(
        m_window,
        leaveTo == LeaveTo::Quit
            ? QStringLiteral("Az adatbázist nem sikerült menteni, ezért a program nem lép ki. Mentse el "
                             "másik helyre (Adatbázis mentése másként...), vagy lépjen ki újra, és a "
                             "kérdésre válaszoljon nemmel.")
            : QStringLiteral("Az adatbázist nem sikerült menteni, ezért a megnyitott adatbázis marad. "
                             "Mentse el másik helyre (Adatbázis mentése másként...), vagy válaszoljon "
                             "a kérdésre nemmel."));
    return false;
}

// A recovery copy newer than the database means edits that never reached it;
// the user decides whether the document takes them. Declined, the copy
// stays, so the question comes again next time.
void RecordEditor::offerRecovery(const QString& path)
{
    if (!m_session.hasNewerRecoveryCopy())
        return;
    const QString copy = RecoveryCopy::pathFor(path);
    const QString question =
        QStringLiteral("A(z) %1 adatbázishoz tartozik egy helyreállítási másolat (%2), amely újabb az "
                       "adatbázisnál: olyan módosításokat őriz, amelyek mentése elmaradt, például mert a "
                       "program váratlanul leállt.\n\nVisszaállítsam a módosításokat a másolatból? Igen: "
                       "a másolat tartalma töltődik be, még mentetlenül. Nem: az adatbázis töltődik be a "
                       "fájlból, a másolat megmarad.")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(copy));
    if (!UserDialogs::instance().askYesNo(m_window, question))
        return;
    // Read like the database itself; a cancel or a failure keeps the
    // database as the file holds it, and the copy stays for next time.
    std::optional<DatabaseDocument::Contents> contents = readInBackground(copy);
    if (contents)
        m_session.restoreRecoveryCopy(std::move(*contents));
}

// A database another process holds opens for reading only, or not at all;
// one whose holder left it on another host more than a day ago may be taken
// over. False when the user cancels; `readOnly` tells how it opens.
bool RecordEditor::settleDatabaseLock(DatabaseLock& lock, bool& readOnly)
{
    readOnly = false;
    const QString path = QDir::toNativeSeparators(lock.databasePath());
    const std::optional<LockOwner> owner = lock.owner();
    const QString holder = owner ? owner->describe() : QStringLiteral("ismeretlen");
    switch (lock.state()) {
    case DatabaseLock::State::Locked:
    case DatabaseLock::State::Unlockable:
        return true;
    case DatabaseLock::State::Held: {
        const QString question =
            QStringLiteral(
                "A(z) %1 adatbázist már megnyitotta: %2.\n\nHa itt is módosítaná, az egyik mentés "
                "felülírná a másikat. Csak olvasásra megnyitva a rekordokat megnézheti és más néven "
                "elmentheti, de nem módosíthatja.")
                .arg(path, holder);
        if (UserDialogs::instance().askChoice(
                m_window, question, {QStringLiteral("Megnyitás csak olvasásra"), QStringLiteral("Mégse")}) !=
            0)
            return false;
        readOnly = true;
        return true;
    }
    case DatabaseLock::State::Abandoned:
    case DatabaseLock::State::Nameless: {
        const QString question =
            lock.state() == DatabaseLock::State::Nameless
                ? QStringLiteral(
                      "A(z) %1 adatbázis mellett zárolófájl áll (%2), de nem nevezi meg, ki tartja "
                      "megnyitva: üres vagy olvashatatlan. Ilyet többnyire egy program hagy hátra, "
                      "amely az adatbázis megnyitása közben leállt.\n\nHa biztos benne, hogy most "
                      "senki más nem dolgozik az adatbázisban, átveheti. Különben nyissa meg csak "
                      "olvasásra.")
                      .arg(path, QDir::toNativeSeparators(DatabaseLock::lockPathFor(lock.databasePath())))
                : QStringLiteral("A(z) %1 adatbázist egy másik gépen nyitották meg, és több mint egy napja "
                                 "nem zárták be: %2.\n\nHa biztos benne, hogy azon a gépen már senki nem "
                                 "dolgozik vele (például a gép leállt), átveheti. Különben nyissa meg csak "
                                 "olvasásra.")
                      .arg(path, holder);
        switch (UserDialogs::instance().askChoice(m_window, question,
                                                  {QStringLiteral("Átvétel"),
                                                   QStringLiteral("Megnyitás csak olvasásra"),
                                                   QStringLiteral("Mégse")})) {
        case 0:
            if (!lock.takeOver()) {
                UserDialogs::instance().inform(
                    m_window, QStringLiteral("A(z) %1 adatbázis zárolását nem sikerült átvenni, ezért csak "
                                             "olvasásra nyílik meg.")
                                  .arg(path));
                readOnly = true;
            }
            return true;
        case 1:
            readOnly = true;
            return true;
        default:
            return false;
        }
    }
    }
    return false;
}

// Before the document is written over its own file: when someone else wrote
// that file since this window read or saved it, the user decides.
RecordEditor::DiskAnswer RecordEditor::confirmSaveOverChangedFile()
{
    const DatabaseDocument& document = m_session.document();
    if (!document.fileChangedOnDisk())
        return DiskAnswer::Save;
    const bool deleted = fileDeletedSinceRead(document);
    const QString target = QDir::toNativeSeparators(document.saveTarget());
    const QString question =
        deleted
            ? QStringLiteral("A(z) %1 adatbázis fájlját törölték vagy áthelyezték, amióta ez az ablak "
                             "betöltötte vagy mentette. A rekordok ebben az ablakban megvannak.\n\nMentés: "
                             "a megnyitott adatbázis újra létrejön ezen a néven. Mentés másként...: más "
                             "néven menti. Mégse: nem ment.")
                  .arg(target)
            : QStringLiteral("A(z) %1 adatbázis fájlját azóta, hogy ez az ablak betöltötte vagy mentette, "
                             "más is módosította (egy másik program vagy egy munkatárs). Ha most felülírja, "
                             "az ő változtatásai elvesznek.\n\nFelülírás: a megnyitott adatbázis kerül a "
                             "fájlba. Mentés másként...: más néven menti, a fájl megmarad. Mégse: nem "
                             "ment.")
                  .arg(target);
    switch (
        UserDialogs::instance().askChoice(m_window, question,
                                          {deleted ? QStringLiteral("Mentés") : QStringLiteral("Felülírás"),
                                           QStringLiteral("Mentés másként..."), QStringLiteral("Mégse")})) {
    case 0:
        return DiskAnswer::Save;
    case 1:
        saveDatabaseAs();
        return document.isModified() ? DiskAnswer::Cancel : DiskAnswer::SavedAs;
    default:
        return DiskAnswer::Cancel;
    }
}

// Coming back to the window: a document without edits whose file someone
// else wrote meanwhile is offered for reloading, once for each state of the file.
void RecordEditor::offerReloadOfChangedFile()
{
    const DatabaseDocument& document = m_session.document();
    if (m_askingAboutDisk || m_loadRunning || !document.hasFile() || document.isModified() ||
        !document.fileChangedOnDisk({}, false))
        return;
    const DiskStamp now = DiskStamp::taken(document.diskStamp().path, 0);
    if (now.looksAlike(m_reloadDeclinedFor))
        return;
    m_askingAboutDisk = true;
    if (fileDeletedSinceRead(document)) {
        // Nothing to reload: the records live on only in this window.
        UserDialogs::instance().inform(
            m_window,
            QStringLiteral("A(z) %1 adatbázis fájlját törölték vagy áthelyezték, amióta ez az ablak "
                           "betöltötte. A rekordok ebben az ablakban megvannak: ha meg akarja őrizni "
                           "őket, az „Adatbázis mentése” újra létrehozza a fájlt, az „Adatbázis "
                           "mentése másként...” más néven menti.")
                .arg(QDir::toNativeSeparators(document.path())));
        m_askingAboutDisk = false;
        m_reloadDeclinedFor = now;
        return;
    }
    const bool reload = UserDialogs::instance().askYesNo(
        m_window,
        QStringLiteral("A(z) %1 adatbázis fájlját azóta, hogy ez az ablak betöltötte, más is módosította. "
                       "Betöltsem újra?\n\nIgen: a fájl mostani tartalma töltődik be. Nem: az ablak "
                       "a korábbi állapotot mutatja tovább.")
            .arg(QDir::toNativeSeparators(document.path())));
    m_askingAboutDisk = false;
    if (reload)
        loadDatabase(document.path());
    else
        m_reloadDeclinedFor = now;
}

bool RecordEditor::loadDatabase(const QString& path)
{
    // One load at a time: the loading window keeps the user from starting a
    // second one meanwhile, and this keeps anything else from doing so.
    if (m_loadRunning)
        return false;
    m_loadRunning = true;
    const auto loadEnded = qScopeGuard([this] { m_loadRunning = false; });
    // Asked before the file is read: a large database is not read to be left.
    std::shared_ptr<DatabaseLock> lock = m_session.lockFor(path);
    bool readOnly = false;
    if (!settleDatabaseLock(*lock, readOnly))
        return false;
    std::optional<DatabaseDocument::Contents> contents = readInBackground(path);
    if (!contents)
        return false;
    return runGuarded(m_window, [&] {
        m_session.open(path, std::move(*contents), std::move(lock), readOnly);
        m_reloadDeclinedFor = {};
        offerRecovery(path);
        reloadLookupLists();
        updateDocumentState();
        rebuildRecordNameList();
        applyStateColumn(WorkspaceStates::DatabaseOpen);
        m_session.setCurrentIndex(m_session.document().lineCount() > 0 ? 0 : -1);
        if (m_session.document().lineCount() < 2)
            enterNewRecords();
        else
            enterBrowse();
        setSaveCommandEnabled(false);
        applyAccessState();
        // A restored document is modified from the start.
        updateDocumentState();
        refreshRawViewIfShown();
    });
}

void RecordEditor::applyAccessState()
{
    const bool readOnly = m_session.isReadOnly();
    // Only one F2 is bound at a time, so the key is never ambiguous.
    m_commands.saveRecord->setShortcut(readOnly ? QKeySequence() : QKeySequence(Qt::Key_F2));
    m_readOnlySaveKey->setEnabled(readOnly);
    // The field groups whose columns leave them as they were take the state here.
    setGroupEnabled(WorkspaceStates::Group::FreeControls, true);

    QLabel* bar = m_page->accessBar;
    const QString folder = QDir::toNativeSeparators(QFileInfo(m_session.document().path()).absolutePath());
    if (readOnly) {
        const std::optional<LockOwner>& holder = m_session.readOnlyHolder();
        bar->setText(holder
                         ? QStringLiteral("Csak olvasásra megnyitva: más tartja megnyitva (%1). A rekordok "
                                          "itt nem módosíthatók; az „Adatbázis mentése másként...” más "
                                          "néven mentheti.")
                               .arg(holder->describe())
                         : QStringLiteral("Csak olvasásra megnyitva: a zárolófájl nem nevezi meg, ki tartja "
                                          "megnyitva. A rekordok itt nem módosíthatók; az „Adatbázis "
                                          "mentése másként...” más néven mentheti."));
    } else if (m_session.unwritable() == FileFailure::Cause::ReadOnlyFolder) {
        bar->setText(QStringLiteral("Írásvédett mappa: a(z) %1 mappába nem lehet írni, ezért az adatbázis "
                                    "nem menthető a helyére, és helyreállítási másolat sem készül. A "
                                    "módosításokat az „Adatbázis mentése másként...” paranccsal mentheti egy "
                                    "írható mappába.")
                         .arg(folder));
    } else if (m_session.unwritable() == FileFailure::Cause::ReadOnlyFile) {
        bar->setText(QStringLiteral("Írásvédett fájl: az adatbázis fájlja nem írható felül. A módosításokat "
                                    "az „Adatbázis mentése másként...” paranccsal mentheti más néven, vagy "
                                    "vegye le a fájlról az írásvédelmet."));
    } else {
        bar->clear();
    }
    bar->setVisible(!bar->text().isEmpty());
}

void RecordEditor::explainReadOnlySave()
{
    if (m_session.isReadOnly())
        UserDialogs::instance().inform(m_window, QStringLiteral("Az F2 nem menti a rekordot. ") +
                                                     m_session.readOnlyMessage());
}

void RecordEditor::cancelDatabaseRead()
{
    if (m_runningRead)
        m_runningRead->requestStop();
}

// Reads the file on another thread with the loading window up (asked for by
// signal), the window going on painting meanwhile. Nothing of the open document changes here:
// a failure (reported) or a cancel (Esc in the loading window, not
// reported) returns nothing and leaves it as it was.
std::optional<DatabaseDocument::Contents> RecordEditor::readInBackground(const QString& path)
{
    DatabaseReadJob read(path);
    BackgroundJob job;
    QEventLoop waiting;
    std::exception_ptr failure;
    m_runningRead = &job;
    Q_EMIT databaseReadStarted(path);
    job.start([&read](JobControl& control) { read.run(control); },
              [&](std::exception_ptr thrown) {
                  failure = std::move(thrown);
                  waiting.quit();
              });
    waiting.exec();
    m_runningRead = nullptr;
    // The loading window closes before any message about a failure is shown.
    Q_EMIT databaseReadEnded();
    // A stop the user saw take effect leaves the document as it was, even
    // when the read happened to end first.
    if (job.control().wasStopRequested())
        return std::nullopt;
    if (failure) {
        runGuarded(m_window, [&] { std::rethrow_exception(failure); });
        return std::nullopt;
    }
    if (!read.errorMessage().isEmpty()) {
        UserDialogs::instance().inform(m_window, read.errorMessage());
        return std::nullopt;
    }
    return read.takeContents();
}

// The record-name list and the raw view follow the document one line at a
// time, so an edit of a million-record database costs what an edit of a
// small one does.
void RecordEditor::connectDocumentViews()
{
    connect(&m_session, &EditingSession::lineChanged, this, &RecordEditor::followLineChange);
    connect(&m_session, &EditingSession::documentReplaced, this, [this] {
        m_recordNameModel->resetFromDocument();
        m_rawViewStale = true;
    });
}

void RecordEditor::followLineChange(int index, EditingSession::LineChange change)
{
    m_recordNameModel->followLineChange(index, change);
    // A raw view not built yet is built whole when its page is shown.
    if (!m_rawViewStale)
        updateRawViewLine(index, change);
}

// One block per line. An empty document still has one (empty) block, which
// the first line takes and the last line leaves.
void RecordEditor::updateRawViewLine(int index, EditingSession::LineChange change)
{
    QTextDocument* text = m_rawView->document();
    const int lines = m_session.document().lineCount();
    const QString line = change == EditingSession::LineChange::Removed
                             ? QString()
                             : m_session.document().line(index).toString();
    const QTextBlock block = text->findBlockByNumber(index);
    QTextCursor cursor(text);
    cursor.beginEditBlock();
    const auto selectBlockText = [&cursor](const QTextBlock& b) {
        cursor.setPosition(b.position());
        cursor.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
    };
    switch (change) {
    case EditingSession::LineChange::Replaced:
        selectBlockText(block);
        cursor.insertText(line);
        break;
    case EditingSession::LineChange::Inserted:
        if (lines == 1) {
            selectBlockText(text->firstBlock());
            cursor.insertText(line);
        } else if (index == lines - 1) {
            cursor.movePosition(QTextCursor::End);
            cursor.insertBlock();
            cursor.insertText(line);
        } else {
            cursor.setPosition(block.position());
            cursor.insertText(line);
            cursor.insertBlock();
        }
        break;
    case EditingSession::LineChange::Removed:
        if (lines == 0) {
            selectBlockText(text->firstBlock());
        } else if (index < lines) {
            cursor.setPosition(block.position());
            cursor.setPosition(block.next().position(), QTextCursor::KeepAnchor);
        } else {
            const QTextBlock previous = block.previous();
            cursor.setPosition(previous.position() + previous.length() - 1);
            cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        }
        cursor.removeSelectedText();
        break;
    }
    cursor.endEditBlock();
}

void RecordEditor::reloadLookupLists()
{
    DataEntryPage& p = *m_page;
    auto listFile = [this](const QString& name) { return LookupList::readOrEmpty(m_startDir + u'/' + name); };
    m_session.setLists(listFile(WorkFolder::RecordTypesFile), listFile(WorkFolder::RolesFile),
                       listFile(WorkFolder::LanguagesFile));
    fillList(p.language, m_session.languages());
    for (QComboBox* combo : p.roleLists)
        fillList(combo, m_session.roles());
    fillList(p.recordType, m_session.recordTypes());
}

void RecordEditor::updateDocumentState()
{
    setGroupEnabled(WorkspaceStates::Group::DatabaseSave, m_session.document().isModified());
    Q_EMIT documentStateChanged();
}

void RecordEditor::rebuildRecordNameList()
{
    m_recordNameModel->refreshReplacedNames();
    if (m_session.document().recordNameCount() > 0) {
        m_recordNames->setCurrentIndex(0);
        if (m_session.mode() != Mode::NewRecords)
            m_recordNames->setEnabled(true);
    }
}

// The raw view of a large database is a big text; it is built only when its
// page is on the screen.
void RecordEditor::refreshRawViewIfShown()
{
    if (!m_rawViewStale || !m_rawViewShown)
        return;
    // Edits change it line by line afterwards; Qt's own undo history of
    // those changes would only cost memory.
    m_rawView->document()->setUndoRedoEnabled(false);
    m_rawView->setPlainText(m_session.document().plainText());
    m_rawViewStale = false;
}
