// bench_search [--sizes 10000,100000,1000000] [--dir DIR] [--cli PATH] [--runs N]
//
// Times `norla-cli search` on generated index file sets (built by
// `norla-cli index` with its default 1000 records per chunk) for a rare term, a
// common term and a restriction-only query, next to `rg -c` over the same
// chunk files in the same run, and reports the peak memory (VmHWM) of each.
// Folded queries (--fold) run next to `rg -c -i`; `norla-cli duplicates` runs
// next to the common-term search over the same set.
#include "Corpus.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/search/SearchEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

struct RunResult
{
    double seconds = 0;
    long peakKiB = 0;
    int exitCode = -1;
};

// Runs a program in `dir` with stdout into `outputPath`; wall time and the
// child's peak resident memory (the VmHWM it reached).
RunResult runProgram(const QStringList& command, const QString& dir, const QString& outputPath)
{
    RunResult result;
    QList<QByteArray> storage;
    for (const QString& arg : command)
        storage.append(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray output = outputPath.toLocal8Bit();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const QByteArray cwd = QDir::currentPath().toLocal8Bit();
    QDir::setCurrent(dir);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    QDir::setCurrent(QString::fromLocal8Bit(cwd));
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    result.peakKiB = usage.ru_maxrss;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunResult best(const QStringList& command, const QString& dir, const QString& outputPath, int runs)
{
    runProgram(command, dir, outputPath); // warm the page cache
    RunResult fastest;
    fastest.seconds = 1e30;
    for (int i = 0; i < runs; ++i) {
        const RunResult r = runProgram(command, dir, outputPath);
        if (r.seconds < fastest.seconds)
            fastest = r;
    }
    return fastest;
}

qint64 lineCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!file.atEnd())
        lines += file.read(1 << 20).count('\n');
    return lines;
}

// Builds the index file set of `count` generated records once, the way a
// user does: a database from the corpus generator, then `norla-cli index`
// with the default 1000 records per chunk file. A marker file tells a later
// run that the set is complete.
QStringList ensureIndex(const QString& dir, int count, const QString& cli)
{
    QDir().mkpath(dir);
    const QString marker = QDir(dir).filePath(QStringLiteral("complete"));
    if (!QFile::exists(marker)) {
        QTextStream(stderr) << "generating and indexing " << count << " records in " << dir << Qt::endl;
        Corpus::writeDatabase(QDir(dir).filePath(QStringLiteral("korpusz.rtf")), count, 1, 0);
        TextFile::write8Bit(QDir(dir).filePath(QStringLiteral("szerep.zda")),
                            {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"),
                             QStringLiteral("Fordító"), QStringLiteral("Bevezetést írta")});
        const RunResult indexed = runProgram({cli, QStringLiteral("index"), QStringLiteral("--all")}, dir,
                                             QStringLiteral("/dev/null"));
        if (indexed.exitCode != 0)
            throw NorlaError(QStringLiteral("norla-cli index failed in %1").arg(dir));
        QFile(marker).open(QIODevice::WriteOnly);
    }
    QStringList files;
    for (const QString& path : SearchEngine::chunkFiles(dir))
        files.append(QFileInfo(path).fileName());
    return files;
}

struct Query
{
    QString label;
    QStringList norlaArgs;
    QString rgPattern;
    bool rgIgnoreCase = false;
};

// The duplicate finder next to the common-term search over the same set:
// both stream every chunk; the finder keys every record.
void benchDuplicates(const QString& cli, const QString& dir, const QString& output, int size, int runs)
{
    const RunResult search =
        best({cli, QStringLiteral("search"), QStringLiteral("--term"), QStringLiteral("magyar")}, dir, output,
             runs);
    const RunResult duplicates = best({cli, QStringLiteral("duplicates")}, dir, output, runs);
    qint64 groups = 0;
    QFile listing(output);
    if (listing.open(QIODevice::ReadOnly))
        while (!listing.atEnd())
            groups += listing.readLine().startsWith("same ") ? 1 : 0;
    out() << QStringLiteral("%1  duplicates: %2 s, %3 groups, VmHWM %4 MiB; search magyar %5 s, %6 MiB; "
                            "ratio %7\n")
                 .arg(size, 8)
                 .arg(duplicates.seconds, 0, 'f', 3)
                 .arg(groups)
                 .arg(double(duplicates.peakKiB) / 1024.0, 0, 'f', 1)
                 .arg(search.seconds, 0, 'f', 3)
                 .arg(double(search.peakKiB) / 1024.0, 0, 'f', 1)
                 .arg(search.seconds > 0 ? duplicates.seconds / search.seconds : 0.0, 0, 'f', 2)
          << Qt::flush;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QList<int> sizes = {10000, 100000, 1000000};
    QString root = QDir::temp().filePath(QStringLiteral("norla-bench-search"));
    QString cli = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../norla-cli"));
    int runs = 3;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--sizes") {
            sizes.clear();
            for (const QString& s : args[i + 1].split(u','))
                sizes.append(s.toInt());
        } else if (args[i] == u"--dir") {
            root = args[i + 1];
        } else if (args[i] == u"--cli") {
            cli = args[i + 1];
        } else if (args[i] == u"--runs") {
            runs = qMax(1, args[i + 1].toInt());
        }
    }
    cli = QFileInfo(cli).absoluteFilePath();
    const QString rg = QStandardPaths::findExecutable(QStringLiteral("rg"));
    if (rg.isEmpty())
        QTextStream(stderr)
            << "ripgrep (rg) not found: the baseline column stays empty (apt install ripgrep)\n";

    const QList<Query> queries = {
        {QStringLiteral("rare term"),
         {QStringLiteral("--term"), QStringLiteral("Csűrös Győző")},
         QStringLiteral("Csűrös Győző")},
        {QStringLiteral("common term"),
         {QStringLiteral("--term"), QStringLiteral("magyar")},
         QStringLiteral("magyar")},
        {QStringLiteral("restriction only"),
         {QStringLiteral("--place"), QStringLiteral("Szeged"), QStringLiteral("--translated"),
          QStringLiteral("yes")},
         QStringLiteral("Szeged")},
        {QStringLiteral("volume (every line)"),
         {QStringLiteral("--volume"), QStringLiteral("Kardel")},
         QStringLiteral("^Ka")},
        // Folded: the term without accents and in capitals finds what the
        // accented term finds; rg -i folds the case only.
        {QStringLiteral("folded rare term"),
         {QStringLiteral("--term"), QStringLiteral("CSUROS GYOZO"), QStringLiteral("--fold")},
         QStringLiteral("Csűrös Győző"),
         true},
        {QStringLiteral("folded common term"),
         {QStringLiteral("--term"), QStringLiteral("MAGYAR"), QStringLiteral("--fold")},
         QStringLiteral("magyar"),
         true},
    };

    out() << QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                 .arg(QStringLiteral("records"), 8)
                 .arg(QStringLiteral("query"), -20)
                 .arg(QStringLiteral("norla s"), 8)
                 .arg(QStringLiteral("hits"), 8)
                 .arg(QStringLiteral("VmHWM MiB"), 9)
                 .arg(QStringLiteral("rg -c s"), 8)
                 .arg(QStringLiteral("rg MiB"), 7);
    try {
        for (const int size : sizes) {
            const QString dir = QDir(root).filePath(QString::number(size));
            const QStringList files = ensureIndex(dir, size, cli);
            const QString output = QDir(root).filePath(QStringLiteral("output.txt"));
            for (const Query& query : queries) {
                const RunResult ours =
                    best(QStringList{cli, QStringLiteral("search")} + query.norlaArgs, dir, output, runs);
                const qint64 hits = lineCount(output);
                RunResult theirs;
                if (!rg.isEmpty())
                    theirs =
                        best(QStringList{rg, QStringLiteral("-c")} +
                                 (query.rgIgnoreCase ? QStringList{QStringLiteral("-i")} : QStringList()) +
                                 QStringList{query.rgPattern} + files,
                             dir, output, runs);
                out() << QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                             .arg(size, 8)
                             .arg(query.label, -20)
                             .arg(ours.exitCode == 0 ? QString::number(ours.seconds, 'f', 3)
                                                     : QStringLiteral("failed"),
                                  8)
                             .arg(hits, 8)
                             .arg(double(ours.peakKiB) / 1024.0, 9, 'f', 1)
                             .arg(rg.isEmpty() ? QStringLiteral("-")
                                               : QString::number(theirs.seconds, 'f', 3),
                                  8)
                             .arg(double(theirs.peakKiB) / 1024.0, 7, 'f', 1)
                      << Qt::flush;
            }
            benchDuplicates(cli, dir, output, size, runs);
        }
    } catch (const NorlaError& error) {
        QTextStream(stderr) << "bench_search: " << error.message() << Qt::endl;
        return 1;
    }
    return 0;
}
