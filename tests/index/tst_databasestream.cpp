#include "TestSupport.h"

#include "core/index/DatabaseStream.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

constexpr int kBlock = 1 << 20;

QStringList streamLines(const QString& path)
{
    DatabaseStream stream(path);
    QStringList lines;
    QStringView line;
    while (stream.next(&line))
        lines.append(line.toString());
    return lines;
}

// Text of many short lines with every kind of line break, accented and
// non-Latin letters, so that block ends fall inside lines, characters and
// CR LF pairs.
QString mixedText(int length, quint32 seed)
{
    static const QString pieces[] = {QStringLiteral("Kovács Ödön**"),
                                     QStringLiteral("\r\n"),
                                     QStringLiteral("\r"),
                                     QStringLiteral("\n"),
                                     QString(QChar(0x2028)),
                                     QStringLiteral("őű"),
                                     QStringLiteral("λόγος"),
                                     QStringLiteral("\r\r\n\n"),
                                     QStringLiteral("x")};
    QRandomGenerator rng(seed);
    QString text;
    while (text.size() < length)
        text += pieces[rng.bounded(int(std::size(pieces)))];
    return text;
}

QByteArray encoded(const QString& text, const QByteArray& encoding)
{
    if (encoding == "utf-16le") {
        QByteArray out("\xFF\xFE");
        for (const QChar c : text)
            out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        return out;
    }
    if (encoding == "utf-16be") {
        QByteArray out("\xFE\xFF");
        for (const QChar c : text)
            out.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
        return out;
    }
    if (encoding == "utf-8")
        return "\xEF\xBB\xBF" + text.toUtf8();
    return text.toLatin1(); // read as Windows-1250: any bytes will do
}

} // namespace

// The streamed reading must give exactly the lines of reading the whole file.
class TestDatabaseStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameLinesAsWholeFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");

        for (const char* encoding : {"utf-16le", "utf-16be", "utf-8", "8-bit"}) {
            for (quint32 seed : {1u, 2u}) {
                QTest::addRow("%s random %u", encoding, seed)
                    << encoded(mixedText(kBlock + kBlock / 2, seed), encoding);
            }
        }
        // Block ends placed exactly between CR and LF, and inside an UTF-8 sequence.
        QTest::newRow("utf-16le CR LF at block end")
            << encoded(QString(kBlock / 2 - 2, u'a') + QStringLiteral("\r\nb\r\n"), "utf-16le");
        QTest::newRow("utf-16le CR at block end, no LF")
            << encoded(QString(kBlock / 2 - 2, u'a') + QStringLiteral("\rb"), "utf-16le");
        QTest::newRow("8-bit CR LF at block end") << QByteArray(kBlock - 1, 'a') + "\r\nb";
        QTest::newRow("utf-8 letter across block end")
            << encoded(QString(kBlock - 4, u'a') + QStringLiteral("őűő\nx"), "utf-8");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("mark only") << QByteArray("\xFF\xFE");
        QTest::newRow("one byte") << QByteArray("\xFF");
        QTest::newRow("empty lines") << encoded(QStringLiteral("\r\n\r\n"), "utf-16le");
        QTest::newRow("truncated utf-8") << QByteArray("\xEF\xBB\xBF"
                                                       "ab\xC5");
        QTest::newRow("long line over blocks") << encoded(QString(3 * kBlock, u'é') + u'\n', "utf-16le");
    }

    void sameLinesAsWholeFile()
    {
        QFETCH(QByteArray, bytes);
        TempWorkDir dir;
        dir.writeBytes(QStringLiteral("db.rtf"), bytes);
        QCOMPARE(streamLines(dir.file(QStringLiteral("db.rtf"))), TextFile::decodeUnicode(bytes));
    }

    void countAndRestart()
    {
        TempWorkDir dir;
        const QStringList lines = {QStringLiteral("egy"), QStringLiteral("kettő"), QString(),
                                   QStringLiteral("négy")};
        TextFile::writeUnicode(dir.file(QStringLiteral("db.rtf")), lines);
        DatabaseStream stream(dir.file(QStringLiteral("db.rtf")));
        QCOMPARE(stream.countRemaining(), 4);
        stream.restart();
        QStringView line;
        QVERIFY(stream.next(&line));
        QCOMPARE(line, u"egy");
    }

    // The bytes a chunk can take over as they are: a UTF-16LE line with its
    // CR LF; any other line end or encoding gives none.
    void storedLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<bool>>("stored");

        const QString text = QStringLiteral("ab\r\ncő\ndé\re\u2028\r\nf");
        QTest::newRow("utf-16le") << encoded(text, "utf-16le")
                                  << QList<bool>{true, false, false, false, true, false};
        QTest::newRow("utf-8") << encoded(text, "utf-8") << QList<bool>(6, false);
        QTest::newRow("utf-16be") << encoded(text, "utf-16be") << QList<bool>(6, false);
    }

    void storedLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<bool>, stored);
        TempWorkDir dir;
        dir.writeBytes(QStringLiteral("db.rtf"), bytes);
        DatabaseStream stream(dir.file(QStringLiteral("db.rtf")));
        QStringView line;
        QList<bool> seen;
        while (stream.next(&line)) {
            const QByteArrayView held = stream.storedLine();
            seen.append(!held.isEmpty());
            if (!held.isEmpty())
                QCOMPARE(held.toByteArray(),
                         QByteArray(reinterpret_cast<const char*>(line.utf16()), line.size() * 2) +
                             QByteArray("\r\0\n\0", 4));
        }
        QCOMPARE(seen, stored);
    }

    void missingFile()
    {
        TempWorkDir dir;
        try {
            DatabaseStream stream(dir.file(QStringLiteral("nincs.rtf")));
            QFAIL("no error");
        } catch (const NorlaError& error) {
            QCOMPARE(error.message(), cannotOpenFile(dir.path() + QStringLiteral("/nincs.rtf")));
        }
    }
};

QTEST_GUILESS_MAIN(TestDatabaseStream)
#include "tst_databasestream.moc"
