// bench_publish [COUNT...] (default 10000 100000): for each COUNT writes a
// database of that many corpus records and a subject tree that holds the
// corpus's subjects, then times the bibliography as a PDF (read the database,
// group, sort and number the records, lay the pages out and write the file)
// next to the CSV export of the same database (read, write every record),
// the least any writer of every record spends. The ODF and HTML books follow
// with their times. Each phase prints its peak resident memory (VmHWM, reset
// before the phase). The pairs run once to warm the page cache, then three
// times with the two sides interleaved; the medians count.
#include "Corpus.h"
#include "core/exchange/RecordExporter.h"
#include "core/index/DatabaseStream.h"
#include "core/job/JobControl.h"
#include "core/publish/Bibliography.h"
#include "core/publish/BookWriter.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 3;

double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Wall time, processor time (the machine is shared, so both count) and peak memory.
struct Timing
{
    double seconds = 0;
    double cpu = 0;
    double peak = 0;
};

Timing measure(const std::function<void()>& work)
{
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    work();
    return {timer.nsecsElapsed() / 1e9, cpuSeconds() - cpuStart, peakMiB()};
}

Timing median(std::vector<Timing> values)
{
    std::sort(values.begin(), values.end(),
              [](const Timing& a, const Timing& b) { return a.seconds < b.seconds; });
    return values[values.size() / 2];
}

// The page objects of a PDF; its writer keeps them out of compressed object streams.
int pageCount(const QString& pdf)
{
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    return int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") + bytes.count("/Type /Page/") +
               bytes.count("/Type /Page>"));
}

void exportCsv(const QString& database, const QString& target)
{
    ExportFile file(target, ExportFormat::Csv);
    DatabaseStream stream(database);
    QStringView line;
    while (stream.next(&line))
        file.add(line);
    file.commit();
}

// The subjects the corpus uses, each under one of a few top-level headings.
SubjectTree::Tree corpusTree(const QString& database)
{
    QStringList subjects;
    DatabaseStream stream(database);
    QStringView line;
    for (int i = 0; i < 2000 && stream.next(&line); ++i) {
        const QString subject = line.split(QStringLiteral("**")).value(2).toString();
        if (!subjects.contains(subject))
            subjects.append(subject);
    }
    std::sort(subjects.begin(), subjects.end());
    QByteArray tree;
    for (int i = 0; i < subjects.size(); ++i) {
        if (i % 7 == 0)
            tree += "*" + Win1250::fromUnicode(QStringLiteral("Főcsoport %1").arg(i / 7 + 1)) + "\r\n";
        tree += "**" + Win1250::fromUnicode(subjects[i]) + "\r\n";
    }
    return SubjectTree::Tree(tree);
}

void publish(const QString& database, const SubjectTree::Tree& tree, PublishFormat format,
             const QString& target)
{
    PublishOptions options;
    options.title = QStringLiteral("Benchmark");
    BibliographyBuilder builder(options, {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"),
                                          QStringLiteral("Fordító"), QStringLiteral("Bevezetést írta")});
    builder.setSubjectTree(tree);
    DatabaseStream stream(database);
    QStringView line;
    while (stream.next(&line))
        builder.add(line);
    JobControl control;
    const Bibliography book = builder.build(control);
    BookWriter::write(book, format, PaperSize::A4, target, control);
}

void benchSize(int records)
{
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const QString database = path("adatok.rtf");
    std::fprintf(stderr, "generating %d records...\n", records);
    Corpus::writeDatabase(database, records);
    const SubjectTree::Tree tree = corpusTree(database);

    const auto csv = [&] { exportCsv(database, path("export.csv")); };
    const auto pdf = [&] { publish(database, tree, PublishFormat::Pdf, path("konyv.pdf")); };
    csv();
    std::vector<Timing> csvTimes;
    std::vector<Timing> pdfTimes;
    for (int i = 0; i < Runs; ++i) {
        csvTimes.push_back(measure(csv));
        pdfTimes.push_back(measure(pdf));
    }
    const Timing base = median(csvTimes);
    const Timing book = median(pdfTimes);
    std::printf(
        "%8d  csv export %6.2f s (cpu %6.2f s) %6.1f MiB   pdf %6.2f s (cpu %6.2f s) %6.1f MiB  %5.1f x"
        "  (%.1f MB, %d pages)\n",
        records, base.seconds, base.cpu, base.peak, book.seconds, book.cpu, book.peak,
        book.seconds / base.seconds, QFileInfo(path("konyv.pdf")).size() / 1e6, pageCount(path("konyv.pdf")));
    std::fflush(stdout);
    const Timing odt = measure([&] { publish(database, tree, PublishFormat::Odt, path("konyv.odt")); });
    const Timing html = measure([&] { publish(database, tree, PublishFormat::Html, path("konyv.html")); });
    std::printf(
        "%8d  odt %6.2f s (cpu %6.2f s) %6.1f MiB  %5.1f x   html %6.2f s (cpu %6.2f s) %6.1f MiB  %5.1f x\n",
        records, odt.seconds, odt.cpu, odt.peak, odt.seconds / base.seconds, html.seconds, html.cpu,
        html.peak, html.seconds / base.seconds);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QString::fromLocal8Bit(argv[i]).toInt());
    if (sizes.empty())
        sizes = {10000, 100000};
    std::printf("records   baseline (median of %d)           bibliography (median)        ratio\n", Runs);
    for (const int records : sizes)
        benchSize(records);
    return 0;
}
