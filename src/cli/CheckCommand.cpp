#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/check/DatabaseCheck.h"
#include "core/check/NameTally.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/LookupList.h"
#include "core/record/WorkFolder.h"
#include "core/search/SearchEngine.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

namespace {

const char* const kCheckHelp = R"HELP(Usage: norla-cli check [--csv] [--no-index] DATABASE

Checks every record of DATABASE as "Műveletek" > "Ellenőrzés..." does, and
prints each finding on its own line: the record name (as the record-name
list shows it, "Ma00002100"), the field, the check and what was found,
separated by tabs, sorted by record. The checks:
  - a likely duplicate (the same record name, or the same work as the
    duplicate finder tells it) in the database or in the index set of the
    current folder;
  - a year that is plainly wrong: before 1450 or after next year, a letter
    among its digits ("19O7"), a number of other than four digits, a range
    that runs backwards, or no year at all. The forms of bibliographic
    practice pass: "[1907]", "1907?", "[1907 k.]", "é. n.", "s. a.",
    "1998/99", "1907-1910", "1907–10", "19. sz.", "cop. 1998" and the
    others the user guide lists;
  - pages that are plainly wrong in the same ways ("12–3", "3OO p.",
    "VIx"), or hold no number; "300 l.", "[4], 300 p.", "XII, 300 p.",
    "12–34. p.", "[8] t.", "300 p., 12 t." and the like pass;
  - an empty title or record type;
  - a record type, language or role code that tipus.zda, nyelv.zda or
    szerep.zda of the current folder does not hold;
  - a "?" between letters (a letter lost by an old conversion), doubled
    blanks, or blanks at the start or end of a field.

  --csv         print the findings as CSV (a header row, then one row each)
  --no-index    do not compare with the index set
  --no-bom      CSV without the byte-order mark spreadsheets need to read
                it as UTF-8
  -h, --help    show this help

"N hiba" goes to standard error. Exit status: 0 when nothing was found, 1
when something was (or a file cannot be read), 2 for wrong usage.
)HELP";

} // namespace

int runCheckCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("csv")));
    parser.addOption(QCommandLineOption(QStringLiteral("no-index")));
    parser.addOption(QCommandLineOption(QStringLiteral("no-bom")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!parser.parse(QStringList{QStringLiteral("norla-cli check")} + args)) {
        cliErr() << "norla-cli check: " << parser.errorText() << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kCheckHelp) << Qt::flush;
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        cliErr() << "norla-cli check: give one database\nRun \"norla-cli check --help\" for the options."
                 << Qt::endl;
        return 2;
    }
    const QDir folder(QDir::currentPath());
    DatabaseDocument document;
    document.load(parser.positionalArguments().first());

    RecordChecker checker;
    checker.setLists(LookupList::readOrEmpty(folder.filePath(WorkFolder::RecordTypesFile)),
                     LookupList::readOrEmpty(folder.filePath(WorkFolder::RolesFile)),
                     LookupList::readOrEmpty(folder.filePath(WorkFolder::LanguagesFile)));
    JobControl control;
    IndexedWorks indexed;
    if (!parser.isSet(QStringLiteral("no-index")) && !SearchEngine::chunkFiles(folder.path()).isEmpty())
        NameTally::fromIndexSet(folder.path(), control, &indexed);
    const std::vector<RecordFinding> findings =
        DatabaseCheck::run(document.snapshot(), checker, indexed.isEmpty() ? nullptr : &indexed, control);
    if (parser.isSet(QStringLiteral("csv"))) {
        const QByteArray csv = DatabaseCheck::toCsv(findings, parser.isSet(QStringLiteral("no-bom"))
                                                                  ? CsvText::Mark::None
                                                                  : CsvText::Mark::ByteOrderMark);
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        std::fflush(stdout);
    } else {
        cliOut() << DatabaseCheck::toText(findings) << Qt::flush;
    }
    cliErr() << findings.size() << " hiba" << Qt::endl;
    return findings.empty() ? 0 : 1;
}
