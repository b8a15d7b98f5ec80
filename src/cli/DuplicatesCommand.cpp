#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/record/FieldGrid.h"
#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/search/DuplicateFinder.h"
#include "core/search/HitEntry.h"
#include "core/search/SearchEngine.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

const char* const kDuplicatesHelp = R"(Usage: norla-cli duplicates [--text] [--threads N]

Lists the records of the index file set (adatb*.ztf) of the current folder
that are probably the same work, group by group, as "Műveletek" >
"Duplikátumok keresése" does. A group forms for records that share a record
name ("same name"), and for records with the same record type family, title
(letter case, accents, punctuation and blanks ignored), year and family name
of the first creator ("same work").

Each group is a line "same name: KEY" or "same work: KEY", then one line per
record: its name and the number N of its chunk file adatbN.ztf, separated by a
tab; an empty line ends the group.

  --text        after each record's line, its results text as the search
                prints it
  --threads N   chunk files read at the same time (default: one per processor)
  -h, --help    show this help

Exit status: 0 when the run finished (also without groups), 1 when a file
cannot be read, 2 for wrong usage.
)";

QString readable(QByteArrayView key)
{
    QString text = Win1250::toUnicode(key);
    text.replace(QChar(0x1f), QStringLiteral(" | "));
    return text;
}

} // namespace

int runDuplicatesCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("text")));
    parser.addOption(QCommandLineOption(QStringLiteral("threads"), QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!parser.parse(QStringList{QStringLiteral("norla-cli duplicates")} + args) ||
        !parser.positionalArguments().isEmpty()) {
        cliErr()
            << "norla-cli duplicates: "
            << (parser.positionalArguments().isEmpty()
                    ? parser.errorText()
                    : QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()))
            << "\nRun \"norla-cli duplicates --help\" for the options." << Qt::endl;
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kDuplicatesHelp) << Qt::flush;
        return 0;
    }
    DuplicateFinder finder;
    if (parser.isSet(QStringLiteral("threads"))) {
        bool ok = false;
        const int threads = parser.value(QStringLiteral("threads")).toInt(&ok);
        if (!ok || threads < 1 || threads > 256) {
            cliErr() << "norla-cli duplicates: --threads takes a number from 1 to 256" << Qt::endl;
            return 2;
        }
        finder.setThreadCount(threads);
    }
    const QString folder = QDir::currentPath();
    const bool withText = parser.isSet(QStringLiteral("text"));
    QStringList roleNames;
    if (withText) {
        try {
            for (const QByteArray& role : LookupList::read8Bit(QDir(folder).filePath(WorkFolder::RolesFile)))
                roleNames.append(Win1250::toUnicode(role));
        } catch (const NorlaError& error) {
            cliErr() << "norla-cli: " << error.message() << Qt::endl;
        }
    }
    const std::optional<std::vector<DuplicateFinder::Group>> groups = finder.run(folder);
    QTextStream& out = cliOut();
    for (const DuplicateFinder::Group& group : *groups) {
        out << (group.reason == DuplicateFinder::Reason::SameName ? "same name: " : "same work: ")
            << readable(group.key) << '\n';
        for (const DuplicateFinder::Member& member : group.members) {
            out << Win1250::toUnicode(member.name) << '\t' << member.chunkNumber << '\n';
            if (withText)
                out << HitEntry::plainText(HitEntry::build(FieldGrid::decode(member.line), roleNames));
        }
        out << '\n';
    }
    out << Qt::flush;
    return 0;
}
