// bench_overview [--sizes 100000,1000000] [--dir DIR] [--runs N] [--width BITS]
//
// Times the summary of the overview page and `norla-cli stats --index` (one
// pass over the index set counting every record by volume, decade, type,
// language, medium, subject and database, and every empty field) next to a
// common-term search (`magyar`) of the same index set, both in this process
// through the core, the way the page and the hits page run them. The set is
// built once per size like a user's (ten corpus databases, 1000 records per
// chunk file). After a warm-up of each, the two take turns N times (default
// 5) and the medians are compared; the summary is to take no longer than the
// search. `--width 256` (or 128, 0) times the summary as a processor with
// narrower vectors would run it.
#include "Corpus.h"

#include "core/index/IndexBuilder.h"
#include "core/job/JobControl.h"
#include "core/overview/Overview.h"
#include "core/record/NorlaError.h"
#include "core/search/SearchEngine.h"

#include "SetOptions.h"
#include "Timing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

using Timing::median;
using Timing::secondsOf;

constexpr int kDatabases = 10;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Counts the hits and nothing else: the search's own cost, not a display's.
class CountingSink final : public SearchSink
{
public:
    void hit(QByteArrayView recordName, const FieldGrid* record) override
    {
        Q_UNUSED(recordName);
        Q_UNUSED(record);
        ++m_hits;
    }
    qint64 hits() const { return m_hits; }

private:
    qint64 m_hits = 0;
};

// Builds the index set of `count` generated records once; a marker file
// tells a later run that the set is complete.
void ensureIndex(const QString& dir, int count)
{
    QDir().mkpath(dir);
    const QString marker = QDir(dir).filePath(QStringLiteral("complete-10"));
    if (QFile::exists(marker))
        return;
    QTextStream(stderr) << "generating and indexing " << count << " records in " << dir << Qt::endl;
    int first = 0;
    for (int f = 0; f < kDatabases; ++f) {
        const int n = count / kDatabases + (f < count % kDatabases ? 1 : 0);
        Corpus::writeDatabase(
            QDir(dir).filePath(QStringLiteral("korpusz%1.rtf").arg(f + 1, 2, 10, QLatin1Char('0'))), n, 1,
            first);
        first += n;
    }
    IndexBuilder builder(dir);
    builder.build(IndexBuilder::offeredDatabases(dir));
    QFile(marker).open(QIODevice::WriteOnly);
}

void benchSize(const QString& dir, int size, int runs)
{
    ensureIndex(dir, size);
    SearchCriteria common;
    common.term = QStringLiteral("magyar");
    const SearchEngine engine(common, {});

    qint64 records = 0;
    qint64 hits = 0;
    const auto summarise = [&] {
        JobControl control;
        records = Overview::summariseIndexSet(dir, QString(), control).records;
    };
    const auto search = [&] {
        CountingSink sink;
        engine.run(dir, sink);
        hits = sink.hits();
    };
    summarise(); // warm-up: the page cache then holds the chunk files
    search();
    std::vector<double> summaries, searches;
    for (int i = 0; i < runs; ++i) {
        summaries.push_back(secondsOf(summarise));
        searches.push_back(secondsOf(search));
    }
    const double ours = median(summaries);
    const double baseline = median(searches);
    out() << QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                 .arg(size, 8)
                 .arg(ours, 10, 'f', 3)
                 .arg(records, 9)
                 .arg(baseline, 10, 'f', 3)
                 .arg(hits, 8)
                 .arg(baseline > 0 ? ours / baseline : 0.0, 6, 'f', 2)
          << Qt::flush;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const SetOptions options = SetOptions::parse(QCoreApplication::arguments().mid(1), {100000, 1000000},
                                                 QStringLiteral("norla-bench-overview"));
    if (options.others.contains(QStringLiteral("--width")))
        RecordTally::limitSweepWidth(options.others.value(QStringLiteral("--width")).toInt());
    const int runs = options.runs;

    out() << QStringLiteral("medians of %1 interleaved runs each, warm page cache\n").arg(runs);
    out() << QStringLiteral("%1  %2  %3  %4  %5  %6\n")
                 .arg(QStringLiteral("records"), 8)
                 .arg(QStringLiteral("summary s"), 10)
                 .arg(QStringLiteral("counted"), 9)
                 .arg(QStringLiteral("magyar s"), 10)
                 .arg(QStringLiteral("hits"), 8)
                 .arg(QStringLiteral("ratio"), 6);
    try {
        for (const int size : options.sizes)
            benchSize(QDir(options.root).filePath(QString::number(size)), size, runs);
    } catch (const NorlaError& error) {
        QTextStream(stderr) << "bench_overview: " << error.message() << Qt::endl;
        return 1;
    }
    return 0;
}
