// bench_convert [RECORDS [KIND...]]: generates a dBase table, a zdb file and a Director
// export of RECORDS records each (default 100000) from the benchmark corpus,
// then times the conversion of each (open, convert, save) next to a plain
// read of the same file's bytes, the least any conversion must spend on it.
// The dBase table is timed twice: with its language driver byte set (1250)
// and with the byte 0, when the code page is told from the data.
#include "Corpus.h"
#include "core/convert/ConversionSession.h"
#include "core/convert/DbfTable.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <shapefil.h>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr quint32 kSeed = 11;

// A creator slot "01Kovács János" is kept in a dBase column as "1Kovács János".
QByteArray dbaseCreator(const QString& slot)
{
    return slot.size() <= 2 ? QByteArray() : Win1250::fromUnicode(QStringView(slot).sliced(1));
}

void writeTable(const QString& path, int records)
{
    DBFHandle dbf = DBFCreateEx(QFile::encodeName(path).constData(), "LDID/200");
    if (!dbf)
        qFatal("cannot create %s", qPrintable(path));
    const QStringList& columns = DbfTable::columnNames();
    for (const QString& column : columns) {
        const QByteArray name = column.toLatin1();
        const int size = column == u"KOTET"        ? 2
                         : column == u"REKORD"     ? 10
                         : column == u"FORD"       ? 2
                         : column == u"LINK"       ? 8
                         : column == u"REKTIPUS"   ? 30
                         : column == u"NYELV"      ? 25
                         : column == u"ADATHORDOZ" ? 20
                                                   : 250;
        if (column == u"N1")
            DBFAddField(dbf, name.constData(), FTDouble, 10, 0);
        else
            DBFAddField(dbf, name.constData(), FTString, size, 0);
    }
    // Column -> field of the record line (0-based), -1 for what the corpus lacks.
    const int fieldOf[DbfTable::ColumnCount] = {-1, -1, 0, 16, 15, 1,  17, 18, 2,  3, 4,
                                                5,  6,  7, 8,  9,  10, 11, 12, 13, 14};
    // Row 0 is the table's first row, which the conversion leaves out.
    for (int row = 0; row <= records; ++row) {
        const QStringList fields = RecordLine::split(Corpus::record(row, kSeed));
        DBFWriteDoubleAttribute(dbf, row, DbfTable::N1, row);
        DBFWriteStringAttribute(dbf, row, DbfTable::KOTET,
                                Win1250::fromUnicode(fields[0].left(2)).constData());
        for (int column = DbfTable::REKORD; column < DbfTable::ColumnCount; ++column) {
            const QString& value = fields[fieldOf[column]];
            const QByteArray bytes = column >= DbfTable::SZERZO && column <= DbfTable::BEVEZETO
                                         ? dbaseCreator(value)
                                         : Win1250::fromUnicode(value.left(250));
            DBFWriteStringAttribute(dbf, row, column, bytes.constData());
        }
    }
    DBFClose(dbf);
}

void copyWithoutLanguageDriver(const QString& from, const QString& to)
{
    QByteArray bytes = TextFile::readBytes(from);
    bytes[29] = 0;
    TextFile::writeBytes(to, bytes);
}

QByteArray zdbLine(const QString& key, int field, const QString& value)
{
    return Win1250::fromUnicode(key + QStringLiteral("%1").arg(field, 3, 10, QLatin1Char('0')) + value) +
           "\r\n";
}

void writeZdb(const QString& path, int records)
{
    QByteArray out;
    for (int i = 0; i < records; ++i) {
        const QStringList f = RecordLine::split(Corpus::record(i, kSeed));
        const QString key = f[0].left(2) + QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0'));
        const std::pair<int, QString> values[] = {
            {1, f[1]},   {2, f[3].mid(2)}, {3, f[4].mid(2)}, {4, f[5].mid(2)}, {5, f[7]},
            {6, f[8]},   {7, f[10]},       {8, f[11]},       {9, f[12]},       {10, f[13]},
            {11, f[14]}, {20, f[2]},       {30, f[17]},      {31, f[18]},
        };
        for (const auto& [field, value] : values)
            if (!value.isEmpty())
                out += zdbLine(key, field, value);
    }
    TextFile::writeBytes(path, out);
}

// The words a Director export uses for the record types.
QString directorWord(const QString& type)
{
    if (type == u"könyv")
        return QStringLiteral("konyv");
    if (type == u"folyóiratcikk")
        return QStringLiteral("folyocikk");
    if (type == u"cikk gyűjt. kötetben")
        return QStringLiteral("cikkgyujtkotetben");
    return type.isEmpty() ? QStringLiteral("rec.") : type;
}

void writeDirector(const QString& path, int records)
{
    QByteArray out;
    for (int i = 0; i < records; ++i) {
        const QStringList f = RecordLine::split(Corpus::record(i, kSeed));
        const QString lines[16] = {directorWord(f[1]),
                                   f[3].mid(2),
                                   f[7],
                                   f[8],
                                   QString(),
                                   f[9],
                                   f[10],
                                   QString(),
                                   f[11],
                                   f[12],
                                   f[13],
                                   f[14],
                                   f[0].mid(2, 6),
                                   f[5].mid(2),
                                   f[17],
                                   QString()};
        for (const QString& line : lines)
            out += Win1250::fromUnicode(line) + "\r\n";
    }
    TextFile::writeBytes(path, out);
}

double bestOf3(const std::function<void()>& work)
{
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// What shapelib alone spends handing every value of every row over as text,
// the part of a dBase conversion no code of ours can save.
double shapelibStringsOnly(const QString& table)
{
    return bestOf3([&] {
        DBFHandle dbf = DBFOpen(QFile::encodeName(table).constData(), "rb");
        std::size_t total = 0;
        for (int row = 0; row < DBFGetRecordCount(dbf); ++row)
            for (int column = 0; column < DBFGetFieldCount(dbf); ++column)
                total += std::strlen(DBFReadStringAttribute(dbf, row, column));
        DBFClose(dbf);
        if (total == 0)
            std::fprintf(stderr, "empty table?\n");
    });
}

void measure(const char* label, SourceKind kind, const QString& source, const QString& target)
{
    const qint64 bytes = QFile(source).size();
    const double read = bestOf3([&] { (void)TextFile::readBytes(source); });
    if (kind == SourceKind::DBase)
        std::printf("%-22s %8.1f MB   shapelib's string reads of every cell alone %8.1f ms\n", label,
                    bytes / 1e6, shapelibStringsOnly(source));
    int lines = 0;
    double open = 0;
    double convert = 0;
    double save = 0;
    const double total = bestOf3([&] {
        ConversionSession session;
        session.setKind(kind);
        session.setVolume(0);
        QElapsedTimer step;
        step.start();
        session.openSource(source);
        open = step.nsecsElapsed() / 1e6;
        step.restart();
        QStringList result;
        session.convert([&](const QString& line) { result.append(line); });
        convert = step.nsecsElapsed() / 1e6;
        step.restart();
        ConversionSession::saveResult(target, result);
        save = step.nsecsElapsed() / 1e6;
        lines = int(result.size());
    });
    std::printf("%-22s %8.1f MB %9d lines   plain read %8.1f ms   conversion %8.1f ms "
                "(open %.1f, convert %.1f, save %.1f)\n",
                label, bytes / 1e6, lines, read, total, open, convert, save);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    if (!dir.isValid() || records <= 0)
        return 2;
    const QString table = dir.filePath(QStringLiteral("tabla.dbf"));
    const QString tableNoDriver = dir.filePath(QStringLiteral("tabla0.dbf"));
    const QString zdb = dir.filePath(QStringLiteral("forras.zdb"));
    const QString director = dir.filePath(QStringLiteral("forras.txt"));

    // Further arguments pick the kinds to time: dbf, zdb, director.
    QStringList kinds = QCoreApplication::arguments().mid(2);
    if (kinds.isEmpty())
        kinds = {QStringLiteral("dbf"), QStringLiteral("zdb"), QStringLiteral("director")};
    std::fprintf(stderr, "generating %d records of each kind...\n", records);
    if (kinds.contains(u"dbf")) {
        writeTable(table, records);
        copyWithoutLanguageDriver(table, tableNoDriver);
    }
    if (kinds.contains(u"zdb"))
        writeZdb(zdb, records);
    if (kinds.contains(u"director"))
        writeDirector(director, records);

    const QString target = dir.filePath(QStringLiteral("eredmeny"));
    if (kinds.contains(u"dbf")) {
        measure("dBase (driver 0xC8)", SourceKind::DBase, table, target);
        measure("dBase (driver 0)", SourceKind::DBase, tableNoDriver, target);
    }
    if (kinds.contains(u"zdb"))
        measure("zdb", SourceKind::Zdb, zdb, target);
    if (kinds.contains(u"director"))
        measure("Director", SourceKind::Director, director, target);
    return 0;
}
