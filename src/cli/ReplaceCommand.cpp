#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/check/BatchReplace.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/DatabaseLock.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/session/RecoveryCopy.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <memory>
#include <optional>

namespace {

const char* const kReplaceHelp =
    R"HELP(Usage: norla-cli replace [--field F] (--find TEXT | --regex RE) --with TEXT
                         [--apply] DATABASE

Replaces a text, or a regular expression, in one field or in every field of
every record of DATABASE, as "Szerkesztés" > "Csere a rekordokban..." does.
Without --apply it only prints the preview: one line per changed field, with
the record name, the field, the text before and the text after, separated by
tabs. A row that would put "**" or a line break into a field (or end a field
with "*") is refused: its line ends with a fifth column giving the reason,
and it is never applied.

  --field F     the field: its number in the record line (1-19) or its
                name (Cím, Kiadó, Év, "Megjelenés helye", ...); default:
                every field but the record name. A creator's name is
                replaced without its two-character role code.
  --find TEXT   the text to replace (letter case counts)
  --regex RE    a regular expression (Perl syntax) instead; \1 ... \9 in
                --with stand for its groups
  --with TEXT   the replacement
  --apply       write the changed records into DATABASE (atomically: a
                failed write leaves the file as it was) and report
                "N rekord módosult" on standard error
  --take-over-stale-lock
                with --apply: take over a lock that names no holder (an
                empty or unreadable DATABASE.norla-zarolas, as a crash
                while opening leaves it) or that another machine left more
                than a day ago. Only when nobody works in the database.
  -h, --help    show this help

The file is never changed while an editor, here or on another machine,
has it open (its lock file DATABASE.norla-zarolas names who), nor while the
editor holds unsaved changes of it. A lock whose holder is gone for all
anyone can tell is released with --take-over-stale-lock, or by deleting
the lock file.
Exit status: 0 on success, 1 when the file cannot be read or written or is
held by an editor, 2 for wrong usage.
)HELP";

std::optional<Field> fieldNamed(const QString& text)
{
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return number >= 1 && number <= RecordSchema::FieldCount
                   ? std::optional(RecordSchema::fieldAt(number - 1))
                   : std::nullopt;
    for (int p = 0; p < RecordSchema::FieldCount; ++p)
        if (RecordLine::fieldCaption(p).compare(text, Qt::CaseInsensitive) == 0)
            return RecordSchema::fieldAt(p);
    return std::nullopt;
}

// The editor keeps a recovery copy beside a database while it has unsaved
// changes of it: writing under it would be lost at the editor's next save.
bool heldByEditor(const QString& path)
{
    return QFileInfo::exists(RecoveryCopy::pathFor(path));
}

// With --apply the database's lock is held from the read to the write, so
// no editor opens the file for writing in between. A database that another
// process has open is left alone: its holder's next save would put the old
// records back. A lock of another host left for more than a day is refused
// too, and so is a lock file that names no holder, for only a user can tell
// whether its holder is gone: --take-over-stale-lock says so.
std::unique_ptr<DatabaseLock> lockForApplying(const QString& path, bool takeOverStale)
{
    auto lock = std::make_unique<DatabaseLock>(path);
    const DatabaseLock::State state = lock->acquire();
    if (state != DatabaseLock::State::Held && !DatabaseLock::mayBeTakenOver(state))
        return lock;
    const QString lockFile =
        QDir::toNativeSeparators(QFileInfo(DatabaseLock::lockPathFor(path)).absoluteFilePath());
    if (DatabaseLock::mayBeTakenOver(state) && takeOverStale) {
        if (lock->takeOver())
            return lock;
        throw NorlaError(QStringLiteral("A(z) %1 zárolófájlt nem sikerült átvenni. Törölje kézzel, ha biztos "
                                        "benne, hogy senki nem dolgozik az adatbázisban.")
                             .arg(lockFile));
    }
    if (state == DatabaseLock::State::Nameless)
        throw NorlaError(
            QStringLiteral("A(z) %1 adatbázis zárolófájlja (%2) nem nevezi meg, ki tartja "
                           "megnyitva: üres vagy olvashatatlan, ahogy egy megnyitás közben leállt "
                           "program hagyja. Ha biztos benne, hogy most senki nem dolgozik az "
                           "adatbázisban, adja meg a --take-over-stale-lock kapcsolót is, vagy "
                           "törölje a zárolófájlt.")
                .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), lockFile));
    const std::optional<LockOwner> holder = lock->owner();
    if (state == DatabaseLock::State::Abandoned)
        throw NorlaError(
            QStringLiteral("A(z) %1 adatbázist egy másik gépen nyitották meg, és több mint egy "
                           "napja nem zárták be: %2. Ha biztos benne, hogy azon a gépen már "
                           "senki nem dolgozik vele, adja meg a --take-over-stale-lock kapcsolót "
                           "is, vagy törölje a(z) %3 zárolófájlt.")
                .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                     holder.value_or(LockOwner{}).describe(), lockFile));
    throw NorlaError(QStringLiteral("A(z) %1 adatbázist most más tartja megnyitva: %2. Amíg nyitva van, a "
                                    "csere nem írhat bele; kérje meg, hogy zárja be, vagy cseréljen a "
                                    "megnyitott adatbázisban.")
                         .arg(QFileInfo(path).absoluteFilePath(), holder.value_or(LockOwner{}).describe()));
}

} // namespace

int runReplaceCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char16_t* option : {u"field", u"find", u"regex", u"with"})
        parser.addOption(QCommandLineOption(QString::fromUtf16(option), QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringLiteral("apply")));
    parser.addOption(QCommandLineOption(QStringLiteral("take-over-stale-lock")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!parser.parse(QStringList{QStringLiteral("norla-cli replace")} + args)) {
        cliErr() << "norla-cli replace: " << parser.errorText() << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kReplaceHelp) << Qt::flush;
        return 0;
    }
    const bool plain = parser.isSet(QStringLiteral("find"));
    const bool regex = parser.isSet(QStringLiteral("regex"));
    if (parser.positionalArguments().size() != 1 || plain == regex || !parser.isSet(QStringLiteral("with"))) {
        cliErr() << "norla-cli replace: give one of --find and --regex, --with, and one database\n"
                    "Run \"norla-cli replace --help\" for the options."
                 << Qt::endl;
        return 2;
    }
    BatchReplace::Request request;
    if (parser.isSet(QStringLiteral("field"))) {
        request.field = fieldNamed(parser.value(QStringLiteral("field")));
        if (!request.field) {
            cliErr() << "norla-cli replace: no field \"" << parser.value(QStringLiteral("field")) << '"'
                     << Qt::endl;
            return 2;
        }
    }
    request.regex = regex;
    request.find = parser.value(regex ? QStringLiteral("regex") : QStringLiteral("find"));
    request.with = parser.value(QStringLiteral("with"));
    if (const QString problem = BatchReplace::problem(request); !problem.isEmpty()) {
        cliErr() << "norla-cli replace: " << problem << Qt::endl;
        return 2;
    }

    const QString path = parser.positionalArguments().first();
    const bool apply = parser.isSet(QStringLiteral("apply"));
    const std::unique_ptr<DatabaseLock> lock =
        apply ? lockForApplying(path, parser.isSet(QStringLiteral("take-over-stale-lock"))) : nullptr;
    DatabaseDocument document;
    document.load(path);
    JobControl control;
    const std::vector<BatchReplace::Row> rows = BatchReplace::preview(document.snapshot(), request, control);
    QTextStream& out = cliOut();
    for (const BatchReplace::Row& row : rows) {
        out << row.recordName << '\t' << RecordLine::fieldCaption(RecordSchema::position(row.field)) << '\t'
            << row.before << '\t' << row.after;
        if (!row.canApply())
            out << '\t' << row.refusal;
        out << '\n';
    }
    out << Qt::flush;
    const QList<std::pair<int, QString>> changes = BatchReplace::changes(document, rows);
    if (!apply) {
        cliErr() << changes.size() << " rekord módosulna" << Qt::endl;
        return 0;
    }
    if (heldByEditor(path)) {
        cliErr() << "norla-cli replace: "
                 << QStringLiteral("Az adatbázist a szerkesztő nyitva tartja, mentetlen módosításokkal: %1")
                        .arg(QFileInfo(path).absoluteFilePath())
                 << Qt::endl;
        return 1;
    }
    for (const auto& [index, line] : changes)
        document.replaceLine(index, line);
    if (!changes.empty())
        TextFile::writeBytes(path, document.encode());
    cliErr() << changes.size() << " rekord módosult" << Qt::endl;
    return 0;
}
