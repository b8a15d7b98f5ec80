// bench_limits CASE: one of the extreme inputs a user may hand the program,
// timed next to a baseline measured in the same run (reading the same bytes,
// or the plain library call underneath). One case per process, so the peak
// memory printed belongs to that case. scripts in this folder run them all.
//
// Cases:
//   zdb-100k-keys       a zdb file of 100,000 keys with 12 fields each, converted
//   zdb-100k-renames    100,000 rows renamed to one shared key and away again (and 400k, to
//                       show the growth is linear)
//   dbf-claims-more     a dBase table whose header claims 2^31-1 records, holding 3
//   line-1mb            a database with a 1 MB line among 10,000 records: read,
//                       decoded, indexed and searched
#include "Corpus.h"
#include "LimitCase.h"

#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/index/IndexBuilder.h"
#include "core/record/FieldGrid.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/search/SearchEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QStringList zdbWithKeys(int keys)
{
    // Field by field across all keys, so every line looks its key up again.
    QStringList lines;
    lines.reserve(qsizetype(keys) * 12);
    for (int field : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 30, 31})
        for (int k = 0; k < keys; ++k)
            lines.append(QStringLiteral("%1%2érték %3")
                             .arg(k, 8, 10, QLatin1Char('0'))
                             .arg(field, 3, 10, QLatin1Char('0'))
                             .arg(k));
    return lines;
}

QStringList zdbRenames(int count)
{
    // Every row is first given the shared key, then renamed away from it: each
    // rename looks up the last row of a key that many rows once had.
    const QString shared = QStringLiteral("közös   ");
    QStringList lines;
    for (int k = 0; k < count; ++k) {
        lines.append(QStringLiteral("%1").arg(k, 8, 10, QLatin1Char('0')) + QStringLiteral("000") + shared);
        lines.append(shared + QStringLiteral("001cím ") + QString::number(k));
    }
    for (int k = 0; k < count; ++k)
        lines.append(shared + QStringLiteral("000új") + QString::number(k));
    return lines;
}

int convertZdb(const QStringList& lines)
{
    const DbfTable closed;
    int produced = 0;
    SourceFormat::forKind(SourceKind::Zdb)->convert({closed, lines, -1}, [&](const QString&) { ++produced; });
    return produced;
}

void zdbCase(const QStringList& lines)
{
    const QByteArray bytes = TextFile::encodeUnicode(lines);
    LimitCase::report("input",
                      QStringLiteral("%1 lines, %2 MB").arg(lines.size()).arg(bytes.size() / 1e6, 0, 'f', 1));
    const double baseline = LimitCase::seconds([&] { TextFile::decodeUnicode(bytes); });
    int produced = 0;
    const double figure = LimitCase::seconds([&] { produced = convertZdb(TextFile::decodeUnicode(bytes)); });
    LimitCase::result(QStringLiteral("read and convert (%1 records)").arg(produced), figure,
                      QStringLiteral("reading the lines"), baseline);
}

void dbfClaimsMore()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("csonka.dbf"));
    QFile source(QStringLiteral(NORLA_FUZZ_SEEDS "/fuzz_dbf/cp1250.dbf"));
    if (!source.open(QIODevice::ReadOnly))
        LimitCase::fail("missing seed table");
    QByteArray bytes = source.readAll();
    const quint32 claimed = 0x7FFFFFFF;
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = char((claimed >> (8 * i)) & 0xFF);
    TextFile::writeBytes(path, bytes);
    QString message;
    const double baseline = LimitCase::seconds([&] { TextFile::readBytes(path); });
    const double figure = LimitCase::seconds([&] {
        DbfTable table;
        try {
            table.open(path);
            message = QStringLiteral("(opened!)");
        } catch (const NorlaError& error) {
            message = error.message();
        }
    });
    LimitCase::report("message", message);
    LimitCase::result(QStringLiteral("open"), figure, QStringLiteral("reading the file"), baseline);
}

void line1mb()
{
    QTemporaryDir dir;
    QStringList lines = Corpus::records(10000, 3);
    // A title of a million characters, and a line without any separator.
    QStringList fields = RecordLine::split(lines[5000]);
    while (fields[7].size() < 1'000'000)
        fields[7] += QStringLiteral(" hosszú cím");
    lines[5000] = RecordLine::join(fields);
    lines.append(QString(1'000'000, u'x')); // no separator at all
    const QString db = dir.filePath(QStringLiteral("hosszu.rtf"));
    TextFile::writeUnicode(db, lines);

    const double baseline = LimitCase::seconds([&] { TextFile::readBytes(db); });
    QStringList read;
    double figure = LimitCase::seconds([&] { read = TextFile::readUnicode(db); });
    LimitCase::result(QStringLiteral("read database"), figure, QStringLiteral("reading the bytes"), baseline);
    figure = LimitCase::seconds([&] {
        for (const QString& line : read) {
            RecordLine::split(line);
            FieldGrid::decodeUnicode(line);
        }
    });
    LimitCase::result(QStringLiteral("split and decode every line"), figure,
                      QStringLiteral("reading the bytes"), baseline);

    IndexBuilder builder(dir.path());
    builder.setRecordsPerFile(IndexBuilder::InfiniteRecordsPerFile);
    figure = LimitCase::seconds([&] { builder.build({QStringLiteral("hosszu.rtf")}); });
    LimitCase::result(QStringLiteral("index"), figure, QStringLiteral("reading the bytes"), baseline);

    SearchCriteria criteria;
    criteria.term = QStringLiteral("hosszú");
    class Count final : public SearchSink
    {
    public:
        void hit(QByteArrayView, const FieldGrid*) override { ++hits; }
        qint64 hits = 0;
    } sink;
    SearchEngine engine(criteria, {});
    figure = LimitCase::seconds([&] { engine.run(dir.path(), sink); });
    LimitCase::result(QStringLiteral("search (%1 hits)").arg(sink.hits), figure,
                      QStringLiteral("reading the bytes"), baseline);
}

} // namespace

int main(int argc, char** argv)
{
    return LimitCase::run(argc, argv,
                          {
                              {"zdb-100k-keys", [] { zdbCase(zdbWithKeys(100'000)); }},
                              {"zdb-100k-renames", [] { zdbCase(zdbRenames(100'000)); }},
                              {"zdb-400k-renames", [] { zdbCase(zdbRenames(400'000)); }},
                              {"dbf-claims-more", dbfClaimsMore},
                              {"line-1mb", line1mb},
                          });
}
