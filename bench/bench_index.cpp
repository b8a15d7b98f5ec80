// Index building next to a plain copy of the same database files, on
// generated corpora of 10k, 100k and 1M records (eight database files each).
// Prints both times, their ratio and the peak memory of each phase.
//
//   bench_index [COUNT...]      (default: 10000 100000 1000000)
//   NORLA_BENCH_DIR=/some/dir   where the corpora go (default: a temporary folder)
#include "Corpus.h"

#include "core/index/IndexBuilder.h"
#include "core/record/NorlaError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>
#include <unistd.h>

namespace {

constexpr int kFilesPerCorpus = 8;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

double peakMiB();
void resetPeak();

// Processor time of this process (user and system), in seconds: on a
// machine shared with other work it varies less than the wall clock.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
    double peak = 0;
};

// Each phase starts with no unwritten data in the page cache, so none pays
// for the write-back of what an earlier phase left behind.
template <typename Work> Timing measure(Work&& work)
{
    ::sync();
    resetPeak();
    QElapsedTimer timer;
    const double cpuStart = cpuSeconds();
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e9, cpuSeconds() - cpuStart, peakMiB()};
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

// The baseline: every byte read and written once, in 1 MiB blocks.
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

void benchCorpus(const QString& root, int count)
{
    const QString work = root + QStringLiteral("/corpus%1").arg(count);
    const QString copies = work + QStringLiteral("/copy");
    QDir(work).removeRecursively();
    QDir().mkpath(copies);

    QStringList names;
    int first = 0;
    for (int f = 0; f < kFilesPerCorpus; ++f) {
        const int n = count / kFilesPerCorpus + (f < count % kFilesPerCorpus ? 1 : 0);
        names.append(QStringLiteral("korpusz%1.rtf").arg(f + 1, 2, 10, QLatin1Char('0')));
        Corpus::writeDatabase(work + u'/' + names.last(), n, 1, first);
        first += n;
    }
    QStringList paths;
    for (const QString& name : names)
        paths.append(work + u'/' + name);
    const double megabytes = folderBytes(work, QStringLiteral("*.rtf")) / 1048576.0;

    const Timing copy = measure([&] { plainCopy(paths, copies); });
    QDir(copies).removeRecursively();

    const auto build = [&](int limit) {
        IndexBuilder builder(work);
        builder.setRecordsPerFile(limit);
        return measure([&] { builder.build(names); });
    };
    const Timing index = build(IndexBuilder::AutomaticRecordsPerFile);
    const int chunks = int(QDir(work).entryList({QStringLiteral("adatb*.ztf")}, QDir::Files).size());
    const Timing infinite = build(IndexBuilder::InfiniteRecordsPerFile);

    const auto row = [&](const QString& what, const Timing& t) {
        out() << QStringLiteral("  %1 wall %2 s (x%3)   cpu %4 s (x%5)   peak %6 MiB\n")
                     .arg(what, -22)
                     .arg(t.wall, 7, 'f', 3)
                     .arg(t.wall / copy.wall, 5, 'f', 2)
                     .arg(t.cpu, 7, 'f', 3)
                     .arg(t.cpu / copy.cpu, 5, 'f', 2)
                     .arg(t.peak, 6, 'f', 1);
    };
    out() << QStringLiteral("%1 records in %2 files, %3 MiB; ratios against the plain copy\n")
                 .arg(count)
                 .arg(kFilesPerCorpus)
                 .arg(megabytes, 0, 'f', 1);
    row(QStringLiteral("plain copy"), copy);
    row(QStringLiteral("index, 1000 per file"), index);
    row(QStringLiteral("index, Végtelen"), infinite);
    out() << QStringLiteral("  (1000 per file: %1 chunk files into a clean folder; Végtelen: one chunk file, "
                            "after deleting those %1)\n")
                 .arg(chunks);
    out().flush();
    QDir(work).removeRecursively();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> counts;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        counts.append(arg.toInt());
    if (counts.isEmpty())
        counts = {10000, 100000, 1000000};

    QTemporaryDir temporary;
    const QString root = qEnvironmentVariableIsSet("NORLA_BENCH_DIR")
                             ? qEnvironmentVariable("NORLA_BENCH_DIR")
                             : temporary.path();
    try {
        for (const int count : counts)
            benchCorpus(root, count);
    } catch (const NorlaError& error) {
        QTextStream(stderr) << "bench_index: " << error.message() << Qt::endl;
        return 1;
    }
    return 0;
}
