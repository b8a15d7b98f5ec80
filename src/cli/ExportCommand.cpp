#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/SearchOptions.h"

#include "core/exchange/RecordExporter.h"
#include "core/index/DatabaseStream.h"
#include "core/record/NorlaError.h"
#include "core/search/SearchEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>

namespace {

const char* const kExportHelp = R"(Usage: norla-cli export --format bibtex|ris|csv [--output FILE] WHAT

Writes records for the reference managers and spreadsheets:

  bibtex  BibTeX, UTF-8, with biblatex fields where BibTeX has none
  ris     RIS, UTF-8
  csv     CSV, UTF-8, a header row of the 19 fields, RFC 4180 quoting

WHAT is one of:
  DATABASE          a database file: all its records, in file order
  --index           the index file set (adatb*.ztf) of the current folder
  search options    the hits of a search of the index file set, in hit order
                    (all of them); the options are those of "norla-cli search"
                    (--term, --terms, --fields, --type, --volume, ...)

Options:
  --format F        bibtex, ris or csv (required)
  --output FILE     write to FILE instead of standard output; the file is
                    replaced only once every record is written, so a failure
                    leaves the previous file as it was
  -h, --help        this text

The number of records written goes to standard error.
Exit status: 0 when everything was written, 1 when a file cannot be read or
written, 2 for wrong usage.
)";

using LineVisitor = std::function<void(QStringView line)>;

void visitDatabase(const QString& path, const LineVisitor& visit)
{
    DatabaseStream stream(path);
    QStringView line;
    while (stream.next(&line))
        visit(line);
}

void visitIndex(const QString& folder, const LineVisitor& visit)
{
    for (const QString& chunk : SearchEngine::chunkFiles(folder))
        visitDatabase(chunk, visit);
}

class ExportSink final : public SearchSink
{
public:
    explicit ExportSink(LineVisitor visit) : m_visit(std::move(visit)) {}
    void hit(QByteArrayView, const FieldGrid*) override {}
    void hitLine(QStringView line) override { m_visit(line); }

private:
    LineVisitor m_visit;
};

void visitSearch(const QCommandLineParser& parser, const QString& folder, const LineVisitor& visit)
{
    const SearchCriteria criteria = criteriaFrom(parser);
    SearchEngine engine(criteria, rolesFor(criteria, false, folder));
    engine.setThreadCount(threadCount(parser));
    engine.setKeepLines(true);
    ExportSink sink(visit);
    engine.run(folder, sink);
}

qint64 exportTo(const QString& output, ExportFormat format,
                const std::function<void(const LineVisitor&)>& source)
{
    if (!output.isEmpty()) {
        ExportFile file(output, format);
        source([&file](QStringView line) { file.add(line); });
        file.commit();
        return file.recordCount();
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(QStringLiteral("<stdout>"));
    RecordExporter exporter(format, out, QStringLiteral("<stdout>"));
    source([&exporter](QStringView line) { exporter.add(line); });
    exporter.finish();
    if (!out.flush())
        throw NorlaError::cannotCreate(QStringLiteral("<stdout>"));
    return exporter.recordCount();
}

} // namespace

int runExportCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(searchOptions());
    parser.addOption(QCommandLineOption(QStringLiteral("format"), QString(), QStringLiteral("format")));
    parser.addOption(QCommandLineOption(QStringLiteral("output"), QString(), QStringLiteral("file")));
    parser.addOption(QCommandLineOption(QStringLiteral("index")));
    const auto usage = [](const QString& problem) {
        cliErr() << "norla-cli export: " << problem << "\n"
                 << "Run \"norla-cli export --help\" for the options." << Qt::endl;
        return 2;
    };
    if (!parser.parse(QStringList{QStringLiteral("norla-cli export")} + args))
        return usage(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        cliOut() << QString::fromUtf8(kExportHelp) << Qt::flush;
        return 0;
    }
    ExportFormat format;
    if (!RecordExporter::formatFromName(parser.value(QStringLiteral("format")), &format))
        return usage(QStringLiteral("--format takes bibtex, ris or csv"));
    if (parser.isSet(QStringLiteral("text")))
        return usage(QStringLiteral("--text belongs to search, not to export"));
    const QStringList positional = parser.positionalArguments();
    const bool index = parser.isSet(QStringLiteral("index"));
    const QString output = parser.value(QStringLiteral("output"));
    const QString folder = QDir::currentPath();
    // Only one of the three sources may be named.
    bool searchGiven = false;
    for (const QCommandLineOption& option : searchOptions())
        for (const QString& name : option.names())
            searchGiven =
                searchGiven || (name != u"threads" && name != u"h" && name != u"help" && parser.isSet(name));
    if (int(!positional.isEmpty()) + int(index) + int(searchGiven) != 1 || positional.size() > 1)
        return usage(QStringLiteral("give one database file, or --index, or search options"));

    try {
        std::function<void(const LineVisitor&)> source;
        if (!positional.isEmpty()) {
            const QString database = positional.first();
            if (!output.isEmpty() &&
                QFileInfo(output).absoluteFilePath() == QFileInfo(database).absoluteFilePath())
                return usage(QStringLiteral("--output would replace the database being exported"));
            source = [database](const LineVisitor& visit) { visitDatabase(database, visit); };
        } else if (index) {
            source = [folder](const LineVisitor& visit) { visitIndex(folder, visit); };
        } else {
            criteriaFrom(parser); // wrong search options are a usage error before anything is written
            source = [&parser, folder](const LineVisitor& visit) { visitSearch(parser, folder, visit); };
        }
        const qint64 count = exportTo(output, format, source);
        cliErr() << count << " records exported"
                 << (output.isEmpty() ? QString() : QStringLiteral(" to ") + output) << Qt::endl;
        return 0;
    } catch (const UsageError& error) {
        return usage(error.message);
    }
}
