// Which files are read as databases: the two readers of a database (the
// whole-file read of the editor and of check, spell and replace, and the
// streamed read of export, publish, stats and the indexer) refuse the same
// files with the same message, and take every form a database comes in.
#include "NonDatabaseFiles.h"
#include "TestSupport.h"

#include "core/index/DatabaseStream.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/DatabaseFormat.h"
#include "core/record/NorlaError.h"

#include <QtTest>

namespace {

QStringList streamedLines(const QString& path)
{
    DatabaseStream stream(path);
    QStringList lines;
    QStringView line;
    while (stream.next(&line))
        lines.append(line.toString());
    return lines;
}

} // namespace

class TestDatabaseFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nonDatabasesAreRefused_data() { NonDatabaseFiles::addRows(); }
    void nonDatabasesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, looksLike);
        TempWorkDir dir;
        dir.writeBytes(QStringLiteral("kotetek1.rtf"), bytes);
        const QString path = dir.file(QStringLiteral("kotetek1.rtf"));

        const QString whole = errorOf([&] { DatabaseDocument::read(path); });
        QVERIFY2(whole.startsWith(QStringLiteral("A(z) %1 fájl ").arg(path)), qPrintable(whole));
        QVERIFY2(whole.contains(looksLike), qPrintable(whole));
        QVERIFY2(whole.contains(QStringLiteral("Nem olvasom be rekordokként, és nem is írok bele.")),
                 qPrintable(whole));
        // Both readers say the same.
        QCOMPARE(errorOf([&] { streamedLines(path); }), whole);
        DatabaseDocument document;
        QCOMPARE(errorOf([&] { document.load(path); }), whole);
        QVERIFY(!document.hasFile());
        QCOMPARE(dir.readBytes(QStringLiteral("kotetek1.rtf")), bytes);
    }

    // Every form a database is read in still opens, with the lines both readers agree on.
    void databasesAreRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("lineCount");
        const QByteArray db = NonDatabaseFiles::database();
        QTest::newRow("UTF-16LE") << db << 40;
        QTest::newRow("empty file") << QByteArray() << 0;
        QTest::newRow("mark alone") << QByteArray("\xFF\xFE") << 0;
        QTest::newRow("UTF-16BE") << QByteArray("\xFE\xFF\0K\0a\0*\0*\0\r\0\n\0L\0u", 18) << 2;
        QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBFKa00000100**k\xC3\xB6nyv\r\nLu00000200**") << 2;
        QTest::newRow("8-bit") << QByteArray("Ka00000100**k\xF6nyv\r\nLu00000200**\x1A") << 2;
        // A stray control or a NUL unit typed into a record spoils nothing.
        QTest::newRow("a few stray units")
            << TextFile::encodeUnicode(
                   {QStringLiteral("Ka00000100**a\v\u0001") + QChar(0) + QStringLiteral("b"),
                    QStringLiteral("Lu00000200**") + QChar(0xDC00)})
            << 2;
        // A record cut at the reader's limit may end in half a surrogate pair.
        QTest::newRow("lone surrogate inside")
            << TextFile::encodeUnicode({QStringLiteral("Ka00000100**") + QChar(0xD835), QStringLiteral("Lu")})
            << 2;
        QTest::newRow("text starting like a signature")
            << TextFile::encode8Bit({QStringLiteral("BM00000100**könyv"), QStringLiteral("PK00000200")}) << 2;
    }
    void databasesAreRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, lineCount);
        TempWorkDir dir;
        dir.writeBytes(QStringLiteral("db.rtf"), bytes);
        const QString path = dir.file(QStringLiteral("db.rtf"));
        DatabaseDocument document;
        QCOMPARE(errorOf([&] { document.load(path); }), QString());
        QCOMPARE(document.lineCount(), lineCount);
        QCOMPARE(streamedLines(path), document.lines());
    }

    // A NUL byte far behind the sample of an 8-bit file is found all the same.
    void nulByteAfterTheSampleIsFound()
    {
        TempWorkDir dir;
        QByteArray bytes = TextFile::encode8Bit(QStringList(2000, QStringLiteral("Ka00000100**könyv**cím")));
        QVERIFY(bytes.size() > 2 * DatabaseFormat::SampleBytes);
        bytes.append(QByteArray(64, '\0'));
        dir.writeBytes(QStringLiteral("db.rtf"), bytes);
        const QString path = dir.file(QStringLiteral("db.rtf"));
        const QString whole = errorOf([&] { DatabaseDocument::read(path); });
        QVERIFY2(whole.contains(QStringLiteral("bináris fájl, nem adatbázis")), qPrintable(whole));
        QCOMPARE(errorOf([&] { streamedLines(path); }), whole);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseFormat)
#include "tst_databaseformat.moc"
