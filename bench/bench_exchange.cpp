// bench_exchange [COUNT...] (default 10000 100000): for each COUNT writes a
// database of that many records from the benchmark corpus, then times its
// export to BibTeX, RIS and CSV (read the database, write the file) next to a
// plain copy of the database, and the import of the BibTeX and RIS files
// (open, convert, save as a database) next to a plain copy of the same file.
// A plain copy (read the bytes, write them elsewhere, synced like every save)
// is the least either must spend. Each pair runs once to warm the page
// cache, then five times with the two sides interleaved; the medians count.
#include "Corpus.h"
#include "core/convert/ConversionSession.h"
#include "core/exchange/RecordExporter.h"
#include "core/index/DatabaseStream.h"
#include "core/record/TextFile.h"

#include "Timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Timing::interleaved;
using Timing::median;
using Timing::millisecondsOf;
using Timing::Pair;

constexpr int Runs = 5;

void plainCopy(const QString& from, const QString& to)
{
    TextFile::writeBytes(to, TextFile::readBytes(from));
}

void exportDatabase(const QString& database, const QString& target, ExportFormat format)
{
    ExportFile file(target, format);
    DatabaseStream stream(database);
    QStringView line;
    while (stream.next(&line))
        file.add(line);
    file.commit();
}

void importFile(const QString& source, SourceKind kind, const QString& target)
{
    ConversionSession session;
    session.setKind(kind);
    session.setVolume(0);
    session.openSource(source);
    ConversionResult result(target);
    session.convert([&result](const QString& line) { result.append(line); });
    result.commit();
}

void report(int records, const char* what, const char* label, const QString& file, const Pair& pair)
{
    std::printf("%8d  %-6s %-7s %8.1f MB   plain copy %9.1f ms   norla %9.1f ms   %6.2f x\n", records, what,
                label, QFileInfo(file).size() / 1e6, pair.baseline, pair.work, pair.work / pair.baseline);
    std::fflush(stdout);
}

const struct
{
    const char* label;
    ExportFormat format;
    const char* file;
    bool importable;
    SourceKind importKind;
} kKinds[] = {{"bibtex", ExportFormat::BibTeX, "export.bib", true, SourceKind::BibTeX},
              {"ris", ExportFormat::Ris, "export.ris", true, SourceKind::Ris},
              {"csv", ExportFormat::Csv, "export.csv", false, SourceKind::None}};

void benchSize(int records)
{
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const QString database = path("adatok.rtf");
    std::fprintf(stderr, "generating %d records...\n", records);
    Corpus::writeDatabase(database, records);
    for (const auto& kind : kKinds) {
        const QString target = path(kind.file);
        const Pair pair = interleaved([&] { plainCopy(database, path("copy.rtf")); },
                                      [&] { exportDatabase(database, target, kind.format); });
        report(records, "export", kind.label, database, pair);
    }
    for (const auto& kind : kKinds) {
        if (!kind.importable)
            continue;
        const QString source = path(kind.file);
        const Pair pair = interleaved([&] { plainCopy(source, path("copy.txt")); },
                                      [&] { importFile(source, kind.importKind, path("back.rtf")); });
        report(records, "import", kind.label, source, pair);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QString::fromLocal8Bit(argv[i]).toInt());
    if (sizes.empty())
        sizes = {10000, 100000};
    std::printf(
        "records   what   format       file size   baseline (median of %d)   Norla (median)   ratio\n", Runs);
    for (const int records : sizes)
        benchSize(records);
    return 0;
}
