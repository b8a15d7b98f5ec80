#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "core/index/IndexBuilder.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const kIndexUsage = R"(Usage: norla-cli index [--per-file auto|infinite|N] (--all | NAME...)
       norla-cli index --list

Builds the index file set of the current folder from its databases, exactly
as "Műveletek" > "Indexelés" does: the chunk files adatb1.ztf, adatb2.ztf, ...
and the lists alkoto.zda, kiado.zda, megjhely.zda, fsz0.zda and fsz1.zda
replace the earlier set, every earlier adatb*.ztf included, once all of them
are written.

  --all            index every database the dialog offers: the *.rtf files of
                   the folder except adatbazis.rtf
  NAME...          index these databases (".rtf" may be left off); they are
                   taken in the dialog's order, sorted with letter case ignored,
                   whatever order they are given in
  --per-file M     records per chunk file, the dialog's choices:
                   auto (1000, the default), infinite (every record in
                   adatb1.ztf), or 100, 500, 1000, 1500, 2000, 3000, 4000,
                   5000, 6000, 8000, 9000, 10000
  --list           print the databases the dialog offers, one per line

Progress goes to standard error; a failure ("Cannot open file ...",
"Cannot create file ...") stops the run with exit status 1, as the dialog
stops, leaving the earlier index file set as it was.

One index run works on a folder at a time, from the editor or from here. When
another is running, this one waits three seconds for it, then stops with exit
status 1 and a message naming who is indexing and since when.
)";

class ConsoleProgress final : public IndexProgress
{
public:
    void runStarted(int databaseCount) override { m_total = databaseCount; }
    void databaseStarted(int done, const QString& path) override
    {
        finishDatabase();
        m_done = done;
        m_name = QFileInfo(path).fileName();
        m_lines = 0;
    }
    void databaseSized(qint64 lineCount) override { m_lines = lineCount; }
    void finishDatabase()
    {
        if (m_done > 0)
            cliErr() << "[" << m_done << "/" << m_total << "] " << m_name << ": " << m_lines << " records"
                     << Qt::endl;
        m_done = 0;
    }

private:
    int m_total = 0;
    int m_done = 0;
    QString m_name;
    qint64 m_lines = 0;
};

int usageError(const QString& message)
{
    cliErr() << "norla-cli index: " << message << "\nRun \"norla-cli index --help\" for the options."
             << Qt::endl;
    return 2;
}

// "auto", "infinite" or one of the dialog's numbers; 0 for anything else.
int recordsPerFile(const QString& value)
{
    if (value == u"auto")
        return IndexBuilder::AutomaticRecordsPerFile;
    if (value == u"infinite")
        return IndexBuilder::InfiniteRecordsPerFile;
    const QList<RecordsPerFileChoice>& choices = IndexBuilder::recordsPerFileChoices();
    for (qsizetype i = 1; i + 1 < choices.size(); ++i) {
        if (choices[i].caption == value)
            return choices[i].limit;
    }
    return 0;
}

} // namespace

int runIndexCommand(const QStringList& args)
{
    const QString startDir = QDir::currentPath();
    bool all = false;
    bool list = false;
    int limit = IndexBuilder::AutomaticRecordsPerFile;
    QStringList requested;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            cliOut() << kIndexUsage << Qt::flush;
            return 0;
        }
        if (arg == u"--all") {
            all = true;
        } else if (arg == u"--list") {
            list = true;
        } else if (arg == u"--per-file" || arg.startsWith(u"--per-file=")) {
            QString value;
            if (arg == u"--per-file") {
                if (++i == args.size())
                    return usageError(QStringLiteral("--per-file needs a value"));
                value = args[i];
            } else {
                value = arg.mid(11);
            }
            limit = recordsPerFile(value);
            if (limit == 0)
                return usageError(
                    QStringLiteral("--per-file takes auto, infinite or one of 100, 500, 1000, 1500, "
                                   "2000, 3000, 4000, 5000, 6000, 8000, 9000, 10000, not \"%1\"")
                        .arg(value));
        } else if (arg.startsWith(u"--") && arg != u"--") {
            return usageError(QStringLiteral("unknown option \"%1\"").arg(arg));
        } else if (arg != u"--") {
            requested.append(arg);
        }
    }

    const QStringList offered = IndexBuilder::offeredDatabases(startDir);
    if (list) {
        for (const QString& name : offered)
            cliOut() << name << '\n';
        cliOut().flush();
        return 0;
    }
    if (all == !requested.isEmpty())
        return usageError(all ? QStringLiteral("give either --all or database names, not both")
                              : QStringLiteral("name the databases to index, or give --all"));

    QStringList names;
    if (all) {
        names = offered;
    } else {
        for (const QString& name : requested) {
            const bool known = offered.contains(name) || offered.contains(name + QStringLiteral(".rtf"));
            if (!known)
                return usageError(
                    QStringLiteral("\"%1\" is not a database of this folder that can be indexed "
                                   "(see norla-cli index --list)")
                        .arg(name));
        }
        // Checked entries are indexed in list order, whatever order they were ticked in.
        for (const QString& name : offered) {
            if (requested.contains(name) || requested.contains(name.chopped(4)))
                names.append(name);
        }
    }
    if (names.isEmpty())
        return usageError(QStringLiteral("there is no database to index in %1").arg(startDir));

    IndexBuilder builder(startDir);
    builder.setRecordsPerFile(limit);
    ConsoleProgress progress;
    builder.setProgress(&progress);
    builder.build(names);
    progress.finishDatabase();
    cliOut() << "Indexed " << builder.recordCount() << " records of " << names.size() << " databases into "
             << builder.chunkCount() << " chunk files." << Qt::endl;
    return 0;
}
