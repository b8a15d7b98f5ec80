#include "core/record/CodePages.h"
#include "core/record/Win1250.h"

#include <QProcess>
#include <QtTest>

#include <iconv.h>

// The codec is checked against the system's iconv for every code point of the
// Basic Multilingual Plane, in both directions; the other tables of the
// code-page module byte by byte.
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

    void codePageTablesMatchIconv_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("name");
        using CodePages::CodePage;
        QTest::newRow("1250") << int(CodePage::Windows1250) << QByteArray("CP1250");
        QTest::newRow("1252") << int(CodePage::Windows1252) << QByteArray("CP1252");
        QTest::newRow("1253") << int(CodePage::Windows1253) << QByteArray("CP1253");
        QTest::newRow("852") << int(CodePage::Dos852) << QByteArray("CP852");
    }
    void codePageTablesMatchIconv()
    {
        QFETCH(int, codePage);
        QFETCH(QByteArray, name);
        const auto page = static_cast<CodePages::CodePage>(codePage);
        QCOMPARE(CodePages::byName(name), page);
        QCOMPARE(CodePages::byNumber(name.mid(2).toInt()), page);
        iconv_t cd = iconv_open("UTF-16LE", name.constData());
        QVERIFY(cd != iconv_t(-1));
        for (int b = 0; b < 256; ++b) {
            char in = char(b);
            char out[8] = {};
            char* inPtr = &in;
            char* outPtr = out;
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const bool assigned =
                ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && sizeof out - outLeft == 2;
            const char16_t expected = assigned ? char16_t(uchar(out[0]) | uchar(out[1]) << 8)
                                               : char16_t(b); // unassigned: its own value
            const char16_t ours = CodePages::toUnicode(page, uchar(b));
            QCOMPARE(int(ours), int(expected));
            QCOMPARE(int(CodePages::toUnicodeTable(page)[b]), int(expected));
            if (assigned)
                QCOMPARE(CodePages::fromUnicode(page, ours), std::optional<unsigned char>(uchar(b)));
            else
                QCOMPARE(CodePages::fromUnicode(page, ours), std::optional<unsigned char>());
        }
        iconv_close(cd);
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
