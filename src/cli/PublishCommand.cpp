#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/RecordSources.h"
#include "cli/SearchOptions.h"

#include "core/job/JobControl.h"
#include "core/publish/Bibliography.h"
#include "core/publish/BookWriter.h"
#include "core/record/LookupList.h"
#include "core/record/WorkFolder.h"
#include "core/settings/AppSettings.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const kPublishHelp =
    R"(Usage: norla-cli publish --format pdf|odt|html [OPTIONS] WHAT --output FILE

Writes the records as a bibliography to print: a title page, the entries
numbered in one run under their headings, sorted in Hungarian alphabetical
order within each heading (by the first creator, then the title), and a name
index ("Névmutató") that points to the entry numbers.

  pdf   a PDF, A4 or B5, page numbers in the footer
  odt   an OpenDocument text, to finish in a word processor
  html  one HTML page with its style sheet inside

WHAT is one of:
  DATABASE          a database file: all its records
  --index           the index file set (adatb*.ztf) of the current folder
  search options    the hits of a search of the index file set; the options
                    are those of "norla-cli search" (--term, --terms,
                    --fields, --type, --volume, ...)

Options:
  --format F        pdf, odt or html (required)
  --output FILE     the file to write (required); it is replaced only once
                    the whole book is written
  --group G         subject (the default): headings of the subject tree,
                    records outside the tree last under "Egyéb";
                    volume: one heading per volume; none: no headings
  --subjects FILE   the subject tree file for --group subject (default: the
                    one config.kzs names, else menu0.zda of the folder)
  --title T         the title page's title (default "Bibliográfia")
  --subtitle S      the title page's subtitle
  --compiler NAME   the title page's compiler ("Összeállította: NAME")
  --book-place P    the place of publication, at the foot of the title page
  --year Y          the year beside the place
  --paper P         a4 (the default) or b5, for the PDF
  --two-sided       a PDF to print on both sides of the paper: inner and
                    outer margins, and every part begins on a right-hand page
  --places          add a place index ("Földrajzi mutató") after the name index
  -h, --help        this text

The number of entries written goes to standard error.
Exit status: 0 when the book was written, 1 when a file cannot be read or
written, 2 for wrong usage.
)";

QString option(const char* name)
{
    return QString::fromLatin1(name);
}

QStringList roleNamesOf(const QString& folder)
{
    return LookupList::readOrEmpty(QDir(folder).filePath(WorkFolder::RolesFile));
}

QString subjectTreePath(const QCommandLineParser& parser, const QString& folder)
{
    if (parser.isSet(option("subjects")))
        return parser.value(option("subjects"));
    return AppSettings::read(folder).subjectTreePath;
}

} // namespace

int runPublishCommand(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(searchOptions());
    for (const char* valued : {"format", "output", "group", "subjects", "title", "subtitle", "compiler",
                               "book-place", "year", "paper"})
        parser.addOption(QCommandLineOption(option(valued), QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(option("index")));
    parser.addOption(QCommandLineOption(option("places")));
    parser.addOption(QCommandLineOption(option("two-sided")));
    const auto usage = [](const QString& problem) {
        cliErr() << "norla-cli publish: " << problem << "\n"
                 << "Run \"norla-cli publish --help\" for the options." << Qt::endl;
        return 2;
    };
    if (!parser.parse(QStringList{QStringLiteral("norla-cli publish")} + args))
        return usage(parser.errorText());
    if (parser.isSet(option("help"))) {
        cliOut() << QString::fromUtf8(kPublishHelp) << Qt::flush;
        return 0;
    }
    PublishFormat format;
    if (!PublishNames::formatFromName(parser.value(option("format")), &format))
        return usage(QStringLiteral("--format takes pdf, odt or html"));
    PublishOptions options;
    if (parser.isSet(option("group")) &&
        !PublishNames::groupingFromName(parser.value(option("group")), &options.grouping))
        return usage(QStringLiteral("--group takes subject, volume or none"));
    if (parser.isSet(option("paper")) &&
        !PublishNames::paperFromName(parser.value(option("paper")), &options.paper))
        return usage(QStringLiteral("--paper takes a4 or b5"));
    if (parser.isSet(option("text")))
        return usage(QStringLiteral("--text belongs to search, not to publish"));
    const QString output = parser.value(option("output"));
    if (output.isEmpty())
        return usage(QStringLiteral("--output FILE is required"));
    options.title = parser.value(option("title"));
    options.subtitle = parser.value(option("subtitle"));
    options.compiler = parser.value(option("compiler"));
    options.place = parser.value(option("book-place"));
    options.year = parser.value(option("year"));
    options.placeIndex = parser.isSet(option("places"));
    options.twoSided = parser.isSet(option("two-sided"));
    const QString folder = QDir::currentPath();

    try {
        const RecordSource source = recordSourceFrom(parser, folder);
        const QStringList positional = parser.positionalArguments();
        if (!positional.isEmpty() &&
            QFileInfo(output).absoluteFilePath() == QFileInfo(positional.first()).absoluteFilePath())
            return usage(QStringLiteral("--output would replace the database being published"));

        BibliographyBuilder builder(options, roleNamesOf(folder));
        if (options.grouping == Grouping::Subject)
            builder.setSubjectTree(SubjectTree::Tree::read(subjectTreePath(parser, folder)));
        source([&builder](QStringView line) { builder.add(line); });
        JobControl control;
        const Bibliography book = builder.build(control);
        BookWriter::write(book, format, options.paper, output, control, options.twoSided);
        cliErr() << book.entryCount() << " entries published to " << output << Qt::endl;
        return 0;
    } catch (const UsageError& error) {
        return usage(error.message);
    }
}
