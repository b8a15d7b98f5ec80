#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/RecordSources.h"
#include "cli/SearchOptions.h"

#include "core/exchange/RecordExporter.h"
#include "core/record/NorlaError.h"

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
  csv     CSV, UTF-8 with a byte-order mark, a header row of the 19 fields,
          RFC 4180 quoting; a cell that would read as a formula (it starts
          with =, +, -, @, a tab or a carriage return, and is not a plain
          number) starts with "'"

WHAT is one of:
  DATABASE          a database file: all its records, in file order
  --index           the index file set (adatb*.ztf) of the current folder
  search options    the hits of a search of the index file set, in hit order
                    (all of them); the options are those of "norla-cli search"
                    (--term, --terms, --fields, --type, --volume, ...)

Options:
  --format F        bibtex, ris or csv (required)
  --no-bom          CSV without the byte-order mark
  --output FILE     write to FILE instead of standard output; the file is
                    replaced only once every record is written, so a failure
                    leaves the previous file as it was
  -h, --help        this text

The number of records written goes to standard error.
Exit status: 0 when everything was written, 1 when a file cannot be read or
written, 2 for wrong usage.
)";

qint64 exportTo(const QString& output, ExportFormat format, const ExportOptions& options,
                const RecordSource& source)
{
    if (!output.isEmpty()) {
        ExportFile file(output, format, options);
        source([&file](QStringView line) { file.add(line); });
        file.commit();
        return file.recordCount();
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(QStringLiteral("<stdout>"));
    RecordExporter exporter(format, out, QStringLiteral("<stdout>"), options);
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
    parser.addOption(QCommandLineOption(QStringLiteral("no-bom")));
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
    const QString output = parser.value(QStringLiteral("output"));
    const QString folder = QDir::currentPath();

    try {
        const RecordSource source = recordSourceFrom(parser, folder);
        if (!positional.isEmpty() && !output.isEmpty() &&
            QFileInfo(output).absoluteFilePath() == QFileInfo(positional.first()).absoluteFilePath())
            return usage(QStringLiteral("--output would replace the database being exported"));
        ExportOptions options;
        if (parser.isSet(QStringLiteral("no-bom")))
            options.csvMark = CsvText::Mark::None;
        const qint64 count = exportTo(output, format, options, source);
        cliErr() << count << " records exported"
                 << (output.isEmpty() ? QString() : QStringLiteral(" to ") + output) << Qt::endl;
        return 0;
    } catch (const UsageError& error) {
        return usage(error.message);
    }
}
