#include "cli/CliArgs.h"
#include "cli/Commands.h"

#include "core/convert/ConversionSession.h"
#include "core/record/CodeTables.h"
#include "core/record/NorlaError.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

const char* const kConvertUsage =
    R"(Usage: norla-cli convert dbf|zdb|director|ris|bibtex [--volume 1..8] [--force] SOURCE TARGET

Converts records kept in an older form into a database file, exactly as the
conversion page of the editor does (open, convert, save):

  dbf       a dBase table; its first row is not converted
  zdb       a zdb field file
  director  a Director export (16 lines a record)
  ris       a RIS file (UTF-8, or Windows-1250 when not valid UTF-8)
  bibtex    a BibTeX or biblatex file (same encodings)

Options:
  --volume N  the volume of the records, 1..8 in the order of the editor's
              volume list (1 Kardel ... 8 Ma); required for director, ris and
              bibtex, ignored for the other kinds
  --force     replace a database file that is already there
  -h, --help  this text

TARGET is the database file to write; ".rtf" is appended when the name does
not contain ".rtf". An existing file of that name is left as it is and the
conversion is refused, unless --force is given. A database that the editor
or another program has open is never replaced, --force or not: the message
names who holds it. When TARGET is an existing folder, the database is
written into it under the source's name with ".rtf".

When SOURCE is a folder, every file of the kind in it (*.dbf, *.zdb or *.txt,
any letter case, not in subfolders) is converted into the folder TARGET
(created when missing), each under its own name with ".rtf". A file that
fails, or whose database is already there while --force is not given, is
reported and the others are still converted.

The written files are listed on standard output, the records converted on
standard error, together with what of the source was passed over (the first
row of a dBase table, the lines after the last whole Director record, the
RIS and BibTeX entries that are broken, each with the line it starts on).
Exit status: 0 when everything was written, 1 when a conversion failed or a
file was not replaced, 2 for wrong arguments.
)";

struct Options
{
    const SourceFormat* format = nullptr;
    int volume = -1; // 0..7
    bool force = false;
    QString source;
    QString target;
};

int usageError(const QString& problem)
{
    cliErr() << "norla-cli convert: " << problem << "\n\n" << kConvertUsage << Qt::flush;
    return 2;
}

// Returns an exit status when the arguments end the command, else -1.
int parse(QStringList args, Options& options)
{
    QStringList positional;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == u"-h" || arg == u"--help") {
            cliOut() << kConvertUsage << Qt::flush;
            return 0;
        }
        if (arg == u"--volume" || arg.startsWith(u"--volume=")) {
            QString value = arg.section(u'=', 1);
            if (arg == u"--volume") {
                if (args.isEmpty())
                    return usageError(QStringLiteral("--volume needs a number 1..8"));
                value = args.takeFirst();
            }
            bool ok = false;
            const int volume = value.toInt(&ok);
            if (!ok || volume < 1 || volume > CodeTables::VolumeCount)
                return usageError(QStringLiteral("--volume must be 1..8, not \"%1\"").arg(value));
            options.volume = volume - 1;
            continue;
        }
        if (arg == u"--force") {
            options.force = true;
            continue;
        }
        if (arg.startsWith(u"-") && arg.size() > 1)
            return usageError(QStringLiteral("unknown option \"%1\"").arg(arg));
        positional.append(arg);
    }
    if (positional.size() != 3)
        return usageError(QStringLiteral("expected a kind, SOURCE and TARGET"));
    options.format = SourceFormat::forShortName(positional[0]);
    if (!options.format)
        return usageError(
            QStringLiteral("unknown kind \"%1\" (dbf, zdb, director, ris or bibtex)").arg(positional[0]));
    if (options.format->needsVolume() && options.volume < 0)
        return usageError(QStringLiteral("%1 needs --volume 1..8").arg(options.format->shortName()));
    options.source = positional[1];
    options.target = positional[2];
    return -1;
}

QString targetInFolder(const QString& folder, const QString& source)
{
    return QDir(folder).filePath(QFileInfo(source).completeBaseName() + QStringLiteral(".rtf"));
}

// A script run twice, or a TARGET mistyped as the name of a database, must
// not lose that database: replacing is asked for explicitly.
void refuseToReplace(const Options& options, const QString& fileName)
{
    if (!options.force && ConversionSession::replacesExistingFile(fileName))
        throw NorlaError(QStringLiteral("%1 already exists and was left as it is; give --force to replace it")
                             .arg(QFileInfo(fileName).absoluteFilePath()));
}

// The page's three steps on one file; returns the name written.
QString convertFile(const Options& options, const QString& source, const QString& target)
{
    refuseToReplace(options, ConversionSession::resultFileName(target));
    ConversionSession session;
    session.setKind(options.format->kind());
    session.setVolume(options.volume);
    session.openSource(source);
    ConversionResult result(target);
    session.convert([&](const QString& line) { result.append(line); });
    const QString written = result.commit();
    cliErr() << result.lineCount() << " records: " << source << " -> " << written << Qt::endl;
    for (const QString& note : session.leftOutNotes())
        cliErr() << source << ": " << note << Qt::endl;
    cliOut() << written << Qt::endl;
    return written;
}

int convertFolder(const Options& options)
{
    const QDir sourceDir(options.source);
    const QFileInfo targetInfo(options.target);
    if (targetInfo.exists() && !targetInfo.isDir())
        throw NorlaError(QStringLiteral("%1 is not a folder").arg(targetInfo.absoluteFilePath()));
    if (!QDir().mkpath(options.target))
        throw NorlaError::cannotCreate(targetInfo.absoluteFilePath());

    const QString suffix = options.format->fileSuffix();
    const QFileInfoList files = sourceDir.entryInfoList(QDir::Files, QDir::Name);
    QSet<QString> written;
    int failures = 0;
    int converted = 0;
    for (const QFileInfo& file : files) {
        if (file.suffix().compare(suffix, Qt::CaseInsensitive) != 0)
            continue;
        const QString target = targetInFolder(options.target, file.filePath());
        try {
            // "a.dbf" and "a.DBF" would both become "a.rtf": the second must not replace the first.
            if (written.contains(target))
                throw NorlaError(
                    QStringLiteral("%1 would replace %2, written from another file of the folder")
                        .arg(file.filePath(), target));
            convertFile(options, file.filePath(), target);
            written.insert(target);
            ++converted;
        } catch (const NorlaError& error) {
            cliErr() << "norla-cli: " << error.message() << Qt::endl;
            ++failures;
        }
    }
    if (converted + failures == 0)
        cliErr() << "norla-cli: no *." << suffix << " file in " << sourceDir.absolutePath() << Qt::endl;
    return failures ? 1 : 0;
}

} // namespace

int runConvertCommand(const QStringList& args)
{
    Options options;
    if (const int status = parse(args, options); status >= 0)
        return status;
    if (QFileInfo(options.source).isDir())
        return convertFolder(options);
    const QString target =
        QFileInfo(options.target).isDir() ? targetInFolder(options.target, options.source) : options.target;
    convertFile(options, options.source, target);
    return 0;
}
