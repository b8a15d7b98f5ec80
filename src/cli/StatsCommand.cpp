#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/job/JobControl.h"
#include "core/overview/Overview.h"
#include "core/settings/AppSettings.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

const char* const kStatsHelp =
    R"(Usage: norla-cli stats [DATABASE | --index] [--format text|csv|json] [--no-bom]

Counts the records of the index file set of the current folder (the default,
or --index) or of one database file, as the editor's "Áttekintés" page does:
by volume, decade of the year, record type, language, medium, the top two
levels of the subject tree (the file set in config.kzs, menu0.zda by
default), database file, and for each field how many records leave it empty.
Years that are not a year are counted as "ismeretlen".

  --index         the index file set (adatb*.ztf), the default
  --format F      text (the default), csv (";" between the fields, UTF-8
                  with a byte-order mark, a cell that would read as a
                  formula starts with "'") or json
  --no-bom        CSV without the byte-order mark
  -h, --help      show this help

Exit status: 0 when the counts were printed, 1 when a file cannot be read
or the output cannot be written, 2 for wrong usage.
)";

int usageError(const QString& message)
{
    cliErr() << "norla-cli stats: " << message << "\nRun \"norla-cli stats --help\" for the options."
             << Qt::endl;
    return 2;
}

} // namespace

int runStatsCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("index")));
    parser.addOption(QCommandLineOption(QStringLiteral("format"), QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringLiteral("no-bom")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!parser.parse(QStringList{QStringLiteral("norla-cli stats")} + args))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kStatsHelp) << Qt::flush;
        return 0;
    }
    const QStringList databases = parser.positionalArguments();
    if (databases.size() > 1)
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(databases.at(1)));
    if (!databases.isEmpty() && parser.isSet(QStringLiteral("index")))
        return usageError(QStringLiteral("give either a database or --index"));
    const QString format = parser.value(QStringLiteral("format"));
    if (!format.isEmpty() && format != u"text" && format != u"csv" && format != u"json")
        return usageError(QStringLiteral("--format takes text, csv or json"));

    const QString folder = QDir::currentPath();
    const QString subjects = AppSettings::read(folder).subjectTreePath;
    JobControl job;
    const Overview::Summary summary =
        databases.isEmpty() ? Overview::summariseIndexSet(folder, subjects, job)
                            : Overview::summariseDatabaseFile(
                                  QDir(folder).absoluteFilePath(databases.first()), subjects, job);
    // A full disk or a closed pipe must not pass for printed counts.
    bool written = false;
    if (format == u"csv" || format == u"json") {
        QFile out;
        cliOut().flush();
        const CsvText::Mark mark =
            parser.isSet(QStringLiteral("no-bom")) ? CsvText::Mark::None : CsvText::Mark::ByteOrderMark;
        const QByteArray bytes =
            format == u"csv" ? Overview::toCsv(summary, mark) : Overview::toJson(summary);
        written = out.open(stdout, QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush();
    } else {
        cliOut() << Overview::toText(summary) << Qt::flush;
        written = cliOut().status() == QTextStream::Ok && std::fflush(stdout) == 0;
    }
    if (!written) {
        cliErr() << "norla-cli stats: cannot write the counts to standard output" << Qt::endl;
        return 1;
    }
    return 0;
}
