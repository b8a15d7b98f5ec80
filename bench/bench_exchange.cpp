// bench_exchange [RECORDS]: writes a database of RECORDS records (default
// 100000) from the benchmark corpus, then times its export to BibTeX, RIS and
// CSV (read the database, write the file) and the import of the BibTeX and
// RIS files (open, convert, save), each next to a plain copy of the same
// file (read its bytes, write them elsewhere), the least either must spend.
#include "Corpus.h"
#include "core/convert/ConversionSession.h"
#include "core/exchange/RecordExporter.h"
#include "core/index/DatabaseStream.h"
#include "core/record/TextFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

double bestOf3(const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = qMin(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

double plainCopy(const QString& from, const QString& to)
{
    return bestOf3([&] { TextFile::writeBytes(to, TextFile::readBytes(from)); });
}

void report(const char* label, const QString& file, double copy, double work)
{
    std::printf("%-16s %8.1f MB   plain copy %8.1f ms   %8.1f ms   %5.2f x\n", label,
                QFileInfo(file).size() / 1e6, copy, work, work / copy);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("adatok.rtf"));
    std::fprintf(stderr, "generating %d records...\n", records);
    Corpus::writeDatabase(database, records);
    const double databaseCopy = plainCopy(database, dir.filePath(QStringLiteral("copy.rtf")));

    const struct
    {
        const char* label;
        ExportFormat format;
        const char* file;
        SourceKind importKind;
    } kinds[] = {{"bibtex", ExportFormat::BibTeX, "export.bib", SourceKind::BibTeX},
                 {"ris", ExportFormat::Ris, "export.ris", SourceKind::Ris},
                 {"csv", ExportFormat::Csv, "export.csv", SourceKind::None}};
    std::printf("export (against a plain copy of the database)\n");
    for (const auto& kind : kinds) {
        const QString target = dir.filePath(QString::fromLatin1(kind.file));
        const double work = bestOf3([&] {
            ExportFile file(target, kind.format);
            DatabaseStream stream(database);
            QStringView line;
            while (stream.next(&line))
                file.add(line);
            file.commit();
        });
        report(kind.label, database, databaseCopy, work);
    }
    std::printf("import (against a plain copy of the exported file)\n");
    for (const auto& kind : kinds) {
        if (kind.importKind == SourceKind::None)
            continue;
        const QString source = dir.filePath(QString::fromLatin1(kind.file));
        const double copy = plainCopy(source, dir.filePath(QStringLiteral("copy.txt")));
        const double work = bestOf3([&] {
            ConversionSession session;
            session.setKind(kind.importKind);
            session.setVolume(0);
            session.openSource(source);
            QStringList lines;
            session.convert([&lines](const QString& line) { lines.append(line); });
            ConversionSession::saveResult(dir.filePath(QStringLiteral("back.rtf")), lines);
        });
        report(kind.label, source, copy, work);
    }
    return 0;
}
