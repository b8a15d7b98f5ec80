// Index building next to a plain copy of the same database files, on
// generated corpora of 10k, 100k and 1M records (ten database files each).
// Each round copies the databases into a new folder and builds the index
// (1000 records per file, then "Végtelen"), one right after the other, with
// the page cache warm; the figures are the medians of five rounds, wall and
// processor time, with the peak memory of each phase.
//
//   bench_index [--synced] [COUNT...]   (default: 10000 100000 1000000)
//   --synced                   also: the same rounds with the page cache synced
//                              before each phase, so none pays for another's
//                              write-back
//   NORLA_BENCH_DIR=/some/dir  where the corpora go (default: a temporary folder)
#include "Corpus.h"

#include "core/index/IndexBuilder.h"
#include "core/record/NorlaError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFilesPerCorpus = 10;
constexpr int kRounds = 5;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Processor time of this process (user and system, every thread), in
// seconds: on a machine shared with other work it varies less than the
// wall clock.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Peak resident memory since the last reset, in MiB (Linux).
double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
    double peak = 0;
};

template <typename Work> Timing measure(bool synced, Work&& work)
{
    if (synced)
        ::sync();
    resetPeak();
    QElapsedTimer timer;
    const double cpuStart = cpuSeconds();
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e9, cpuSeconds() - cpuStart, peakMiB()};
}

// The median of each figure over the rounds.
Timing median(std::vector<Timing> rounds)
{
    const auto mid = [&rounds](double Timing::*figure) {
        std::vector<double> values;
        for (const Timing& t : rounds)
            values.push_back(t.*figure);
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    return {mid(&Timing::wall), mid(&Timing::cpu), mid(&Timing::peak)};
}

// The baseline: every byte read and written once, in 1 MiB blocks, into a
// folder of its own (what cp does).
void plainCopy(const QStringList& sources, const QString& targetDir)
{
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (const QString& source : sources) {
        QFile in(source);
        QFile copy(targetDir + u'/' + QFileInfo(source).fileName());
        if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !copy.open(QIODevice::WriteOnly))
            throw NorlaError(QStringLiteral("copy failed: %1").arg(source));
        for (qint64 n; (n = in.read(block.data(), block.size())) > 0;) {
            if (copy.write(block.constData(), n) != n)
                throw NorlaError(QStringLiteral("copy failed: %1").arg(source));
        }
    }
}

qint64 folderBytes(const QString& dir, const QString& pattern)
{
    qint64 total = 0;
    for (const QFileInfo& info : QDir(dir).entryInfoList({pattern}, QDir::Files))
        total += info.size();
    return total;
}

struct Phases
{
    Timing copy, index, infinite, firstRun;
};

// Takes the index set out of the folder, so that the next run writes into a
// folder without one, as the copy does, and pays nothing for removing it.
void removeIndexSet(const QString& work)
{
    QDir dir(work);
    const QStringList files =
        dir.entryList({QStringLiteral("adatb*.ztf"), QStringLiteral("*.zda")}, QDir::Files);
    for (const QString& name : files)
        dir.remove(name);
}

// Five rounds of copy, index and "Végtelen", interleaved, so that a change
// in the load of the machine touches both sides alike.
Phases runRounds(const QString& work, const QStringList& names, const QStringList& paths, bool synced)
{
    std::vector<Timing> copies, indexes, infinites, firstRuns;
    const auto build = [&](int limit) {
        IndexBuilder builder(work);
        builder.setRecordsPerFile(limit);
        return measure(synced, [&] { builder.build(names); });
    };
    for (int round = 0; round < kRounds; ++round) {
        const QString target = work + QStringLiteral("/copy%1").arg(round);
        QDir().mkpath(target);
        copies.push_back(measure(synced, [&] { plainCopy(paths, target); }));
        QDir(target).removeRecursively();
        indexes.push_back(build(IndexBuilder::AutomaticRecordsPerFile));
        infinites.push_back(build(IndexBuilder::InfiniteRecordsPerFile));
        removeIndexSet(work);
        firstRuns.push_back(build(IndexBuilder::AutomaticRecordsPerFile));
    }
    return {median(copies), median(indexes), median(infinites), median(firstRuns)};
}

void printPhases(const Phases& p)
{
    const auto row = [&p](const QString& what, const Timing& t) {
        out() << QStringLiteral("  %1 wall %2 s (x%3)   cpu %4 s (x%5)   peak %6 MiB\n")
                     .arg(what, -22)
                     .arg(t.wall, 7, 'f', 3)
                     .arg(t.wall / p.copy.wall, 5, 'f', 2)
                     .arg(t.cpu, 7, 'f', 3)
                     .arg(t.cpu / p.copy.cpu, 5, 'f', 2)
                     .arg(t.peak, 6, 'f', 1);
    };
    row(QStringLiteral("plain copy"), p.copy);
    row(QStringLiteral("index, 1000 per file"), p.index);
    row(QStringLiteral("index, Végtelen"), p.infinite);
    row(QStringLiteral("index, no earlier set"), p.firstRun);
}

void benchCorpus(const QString& root, int count, bool synced)
{
    const QString work = root + QStringLiteral("/corpus%1").arg(count);
    QDir(work).removeRecursively();
    QDir().mkpath(work);

    int first = 0;
    for (int f = 0; f < kFilesPerCorpus; ++f) {
        const int n = count / kFilesPerCorpus + (f < count % kFilesPerCorpus ? 1 : 0);
        Corpus::writeDatabase(work + QStringLiteral("/korpusz%1.rtf").arg(f + 1, 2, 10, QLatin1Char('0')), n,
                              1, first);
        first += n;
    }
    // What "norla-cli index --all" indexes.
    const QStringList names = IndexBuilder::offeredDatabases(work);
    QStringList paths;
    for (const QString& name : names)
        paths.append(work + u'/' + name);
    const double megabytes = folderBytes(work, QStringLiteral("*.rtf")) / 1048576.0;

    // A first run of each, untimed, so that every timed one meets the same
    // state: the databases in the page cache and an index set to replace.
    IndexBuilder(work).build(names);
    {
        const QString target = work + QStringLiteral("/warmup");
        QDir().mkpath(target);
        plainCopy(paths, target);
        QDir(target).removeRecursively();
    }

    out() << QStringLiteral(
                 "%1 records in %2 files, %3 MiB; medians of %4 interleaved rounds, ratios against the "
                 "plain copy\n")
                 .arg(count)
                 .arg(kFilesPerCorpus)
                 .arg(megabytes, 0, 'f', 1)
                 .arg(kRounds);
    out() << QStringLiteral(" warm page cache\n");
    printPhases(runRounds(work, names, paths, false));
    if (synced) {
        out() << QStringLiteral(" page cache synced before each phase\n");
        printPhases(runRounds(work, names, paths, true));
    }
    // A full chunk is followed by a new one, empty when nothing is left.
    out() << QStringLiteral(
                 "  (each index run replaces the set of the run before; 1000 per file writes %1 chunk "
                 "files, Végtelen one)\n")
                 .arg(count / IndexBuilder::AutomaticRecordsPerFile + 1);
    out().flush();
    QDir(work).removeRecursively();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> counts;
    bool synced = false;
    for (const QString& arg : QCoreApplication::arguments().mid(1)) {
        if (arg == u"--synced")
            synced = true;
        else
            counts.append(arg.toInt());
    }
    if (counts.isEmpty())
        counts = {10000, 100000, 1000000};

    QTemporaryDir temporary;
    const QString root = qEnvironmentVariableIsSet("NORLA_BENCH_DIR")
                             ? qEnvironmentVariable("NORLA_BENCH_DIR")
                             : temporary.path();
    try {
        for (const int count : counts)
            benchCorpus(root, count, synced);
    } catch (const NorlaError& error) {
        QTextStream(stderr) << "bench_index: " << error.message() << Qt::endl;
        return 1;
    }
    return 0;
}
