// bench_search [--sizes 10000,100000,1000000] [--dir DIR] [--cli PATH] [--runs N]
//
// Times `norla-cli search` on generated index file sets (ten databases, built
// by `norla-cli index --all` with its default 1000 records per chunk) for a
// rare term, common terms and a restriction-only query, next to `rg -c` over
// the same chunk files in the same run: after a warm-up of each, the two run
// one after the other, N times (default 5), and the medians are compared. The
// peak memory (VmHWM) of each is reported.
// Folded queries (--fold) run next to `rg -c -i`; `norla-cli duplicates` runs
// next to the common-term search over the same set.
#include "Corpus.h"
#include "SetOptions.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/search/SearchEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kDatabases = 10;

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
    // The hit counts on standard error would only clutter the table.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
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

// Runs two commands one after the other `runs` times, after a warm-up of
// each (the page cache then holds the chunk files), so that a change in the
// load of the machine touches both alike; the median run of each. `second`
// may be empty.
struct Pair
{
    RunResult first;
    RunResult second;
};

RunResult medianOf(std::vector<RunResult> results)
{
    std::sort(results.begin(), results.end(),
              [](const RunResult& a, const RunResult& b) { return a.seconds < b.seconds; });
    return results[results.size() / 2];
}

Pair interleaved(const QStringList& first, const QStringList& second, const QString& dir,
                 const QString& output, const QString& secondOutput, int runs)
{
    runProgram(first, dir, output);
    if (!second.isEmpty())
        runProgram(second, dir, secondOutput);
    std::vector<RunResult> ours, theirs;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(runProgram(first, dir, output));
        if (!second.isEmpty())
            theirs.push_back(runProgram(second, dir, secondOutput));
    }
    return {medianOf(ours), second.isEmpty() ? RunResult() : medianOf(theirs)};
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
// user does: ten databases from the corpus generator, then `norla-cli index
// --all` with the default 1000 records per chunk file. A marker file tells a
// later run that the set is complete.
QStringList ensureIndex(const QString& dir, int count, const QString& cli)
{
    QDir().mkpath(dir);
    const QString marker = QDir(dir).filePath(QStringLiteral("complete-10"));
    if (!QFile::exists(marker)) {
        QTextStream(stderr) << "generating and indexing " << count << " records in " << dir << Qt::endl;
        int first = 0;
        for (int f = 0; f < kDatabases; ++f) {
            const int n = count / kDatabases + (f < count % kDatabases ? 1 : 0);
            Corpus::writeDatabase(
                QDir(dir).filePath(QStringLiteral("korpusz%1.rtf").arg(f + 1, 2, 10, QLatin1Char('0'))), n, 1,
                first);
            first += n;
        }
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
    const Pair pair =
        interleaved({cli, QStringLiteral("duplicates")},
                    {cli, QStringLiteral("search"), QStringLiteral("--term"), QStringLiteral("magyar")}, dir,
                    output, QStringLiteral("/dev/null"), runs);
    const RunResult& duplicates = pair.first;
    const RunResult& search = pair.second;
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
    const SetOptions options = SetOptions::parse(
        QCoreApplication::arguments().mid(1), {10000, 100000, 1000000}, QStringLiteral("norla-bench-search"));
    QString cli = options.others.value(
        QStringLiteral("--cli"),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../norla-cli")));
    const QList<int>& sizes = options.sizes;
    const QString& root = options.root;
    const int runs = options.runs;
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
        // A hit in three records of four: the cost of each hit.
        {QStringLiteral("term in most lines"),
         {QStringLiteral("--term"), QStringLiteral("és")},
         QStringLiteral("és")},
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

    out() << QStringLiteral("medians of %1 interleaved runs each, warm page cache\n").arg(runs);
    out() << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                 .arg(QStringLiteral("records"), 8)
                 .arg(QStringLiteral("query"), -20)
                 .arg(QStringLiteral("norla s"), 8)
                 .arg(QStringLiteral("hits"), 8)
                 .arg(QStringLiteral("VmHWM MiB"), 9)
                 .arg(QStringLiteral("rg -c s"), 8)
                 .arg(QStringLiteral("rg MiB"), 7)
                 .arg(QStringLiteral("ratio"), 6);
    try {
        for (const int size : sizes) {
            const QString dir = QDir(root).filePath(QString::number(size));
            const QStringList files = ensureIndex(dir, size, cli);
            const QString output = QDir(root).filePath(QStringLiteral("output.txt"));
            for (const Query& query : queries) {
                const QStringList ourCommand = QStringList{cli, QStringLiteral("search")} + query.norlaArgs;
                QStringList theirCommand;
                if (!rg.isEmpty())
                    theirCommand = QStringList{rg, QStringLiteral("-c")} +
                                   (query.rgIgnoreCase ? QStringList{QStringLiteral("-i")} : QStringList()) +
                                   QStringList{query.rgPattern} + files;
                const Pair pair =
                    interleaved(ourCommand, theirCommand, dir, output, QStringLiteral("/dev/null"), runs);
                const RunResult& ours = pair.first;
                const RunResult& theirs = pair.second;
                const qint64 hits = lineCount(output);
                out() << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
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
                             .arg(rg.isEmpty() || theirs.seconds <= 0
                                      ? QStringLiteral("-")
                                      : QString::number(ours.seconds / theirs.seconds, 'f', 2),
                                  6)
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
