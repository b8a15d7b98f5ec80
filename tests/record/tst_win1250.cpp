#include "core/record/Win1250.h"

#include <QProcess>
#include <QtTest>

// The codec is checked against the system's iconv for every code point of the
// Basic Multilingual Plane, in both directions.
class TestWin1250 : public QObject
{
    Q_OBJECT

private:
    static QByteArray iconv(const QByteArray& input, const char* from, const char* to)
    {
        QProcess process;
        process.start(QStringLiteral("iconv"),
                      {QStringLiteral("-c"), QStringLiteral("-f"), QString::fromLatin1(from),
                       QStringLiteral("-t"), QString::fromLatin1(to)});
        if (!process.waitForStarted())
            return {};
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return process.readAllStandardOutput();
    }

private Q_SLOTS:
    void unicodeToCodePageMatchesIconv()
    {
        // One code point per line; iconv -c drops what it cannot convert, so
        // such a line comes back empty and must be "?" for us.
        QByteArray input;
        QList<char16_t> points;
        for (int c = 1; c < 0x10000; ++c) {
            if (c == '\n' || (c >= 0xD800 && c <= 0xDFFF))
                continue;
            points.append(char16_t(c));
            input.append(char(c & 0xFF)).append(char(c >> 8)).append('\n').append('\0');
        }
        const QByteArray output = iconv(input, "UTF-16LE", "CP1250");
        QVERIFY2(!output.isEmpty(), "iconv is needed for this test");
        const QList<QByteArray> lines = output.split('\n');
        QCOMPARE(lines.size(), points.size() + 1);
        int mismatches = 0;
        for (int i = 0; i < points.size(); ++i) {
            const QByteArray expected = lines[i].isEmpty() ? QByteArray("?") : lines[i];
            const QByteArray ours = Win1250::fromUnicode(QStringView(&points[i], 1));
            if (ours != expected && ++mismatches < 10)
                qWarning("U+%04X: ours %s, iconv %s", unsigned(points[i]), ours.toHex().constData(),
                         expected.toHex().constData());
        }
        QCOMPARE(mismatches, 0);
    }

    void codePageToUnicodeMatchesIconv()
    {
        for (int b = 1; b < 256; ++b) {
            const QByteArray byte(1, char(b));
            const QByteArray utf16 = iconv(byte, "CP1250", "UTF-16LE");
            const QString ours = Win1250::toUnicode(byte);
            QCOMPARE(ours.size(), 1);
            if (utf16.isEmpty()) // unassigned in the code page: the byte keeps its value
                QCOMPARE(int(ours[0].unicode()), b);
            else
                QCOMPARE(int(ours[0].unicode()), int(uchar(utf16[0]) | (uchar(utf16[1]) << 8)));
        }
    }

    void surrogatesAndNulAreHandled()
    {
        QCOMPARE(Win1250::fromUnicode(u"a\U0001F600b"), QByteArray("a??b"));
        QCOMPARE(Win1250::fromUnicode(QString(QChar(0))), QByteArray(1, '\0'));
        QCOMPARE(Win1250::roundTrip(u"Őrség αβ"), QStringLiteral("Őrség ??"));
    }
};

QTEST_GUILESS_MAIN(TestWin1250)
#include "tst_win1250.moc"
