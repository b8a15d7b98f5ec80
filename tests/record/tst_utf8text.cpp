#include "core/record/NorlaError.h"
#include "core/record/Utf8Text.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// What the library's decoder makes of the whole text at once: the text, or
// nothing when it finds the bytes malformed. A byte-order mark is kept, as
// the import keeps one inside a file.
std::optional<QString> libraryDecoding(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

// Random text built from pieces that meet at every kind of boundary.
QByteArray randomText(QRandomGenerator& random, int pieces)
{
    static const QByteArray kinds[] = {
        "a",
        "Zs",
        "\n",
        "\r\n",
        "\xC3\xA1",
        "\xC5\x91",
        "\xCE\xB1",
        "\xE2\x80\x93",
        "\xE2\x80\xA8",
        "\xEF\xBB\xBF",
        "\xF0\x9F\x98\x80",
        "\xEF\xBF\xBF",
        "\xC3",
        "\x80",
        "\xC0\xAF",
        "\xED\xA0\x80",
        "\xF4\x90\x80\x80",
        "\xE2\x80",
        "\xFF",
        "\xDF\xBF",
        "0123456789abcdef",
        "\xC2\x80",
    };
    QByteArray bytes;
    for (int i = 0; i < pieces; ++i)
        bytes += kinds[random.bounded(int(std::size(kinds)))];
    return bytes;
}

} // namespace

class TestUtf8Text : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesAsTheLibraryDoes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("ascii longer than a block") << QByteArray("Magyar irodalomtorteneti bibliografia\n");
        QTest::newRow("accents") << QByteArray("Kolozsv\xC3\xA1r, \xC5\x91\xC5\xB1 \xCE\xB1\xCE\xB2");
        QTest::newRow("three and four bytes")
            << QByteArray("19. sz\xC3\xA1zad \xE2\x80\x93 \xF0\x9F\x98\x80 end");
        QTest::newRow("mark inside is kept") << QByteArray("a\n\xEF\xBB\xBF"
                                                           "b");
        QTest::newRow("truncated at the end") << QByteArray("abcdefghijklmnopqrstuvwxyz\xC3");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF");
        QTest::newRow("encoded surrogate") << QByteArray("x\xED\xA0\x80y");
        QTest::newRow("lone continuation") << QByteArray("0123456789abcdef\x80");
        QTest::newRow("lead before ascii") << QByteArray("\xC5"
                                                         "abcdefghijklmnopq");
    }

    void decodesAsTheLibraryDoes()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(Utf8Text::decodeValidText(bytes), libraryDecoding(bytes));
    }

    // Texts of every mix, valid and not, short and long enough to be decoded
    // in two halves.
    void randomTextsDecodeAsTheLibraryDoes()
    {
        QRandomGenerator random(20261210);
        for (int round = 0; round < 3000; ++round) {
            const QByteArray bytes = randomText(random, 1 + random.bounded(60));
            QCOMPARE(Utf8Text::decodeValidText(bytes), libraryDecoding(bytes));
        }
        // Every line starts with a byte-order mark, so the second half
        // starts with one too.
        QByteArray large;
        while (large.size() < (3 << 20) / 2)
            large += QByteArray("\xEF\xBB\xBFTI  - Kolozsv\xC3\xA1r \xE2\x80\x93 \xC5\x91 line\n");
        QCOMPARE(Utf8Text::decodeValidText(large), libraryDecoding(large));
        large.append("\xC3");
        QCOMPARE(Utf8Text::decodeValidText(large), std::nullopt);
    }

    // A file read in small pieces, so that the decoding thread takes many
    // stretches while the file comes in and the two threads share the
    // rest: the text is the same as from the whole bytes at once, whatever
    // the bytes.
    void fileDecodedWhileReadAsAtOnce_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray lines;
        for (int i = 0; i < 4000; ++i)
            lines += QByteArray("\xEF\xBB\xBFTI  - Kolozsv\xC3\xA1r \xE2\x80\x93 ") + QByteArray::number(i) +
                     "\r\n";
        QTest::newRow("lines") << lines;
        QTest::newRow("one long line") << QByteArray(300000, 'a') + "\xC5\x91\n" + QByteArray(50000, 'b');
        QByteArray early = lines;
        early[1000] = '\xC3';
        QTest::newRow("malformed early") << early;
        QByteArray late = lines;
        late[late.size() - 1000] = '\xFF';
        QTest::newRow("malformed late") << late;
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF") + lines;
        QTest::newRow("empty") << QByteArray();
    }

    void fileDecodedWhileReadAsAtOnce()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("f.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        for (const qint64 piece : {qint64(4096), qint64(65536), qint64(4) << 20}) {
            const Utf8Text::FileText read = Utf8Text::readValidText(file.fileName(), piece);
            QCOMPARE(read.bytes, bytes);
            const bool marked = bytes.startsWith("\xEF\xBB\xBF");
            QCOMPARE(read.text, marked ? std::nullopt : Utf8Text::decodeValidText(bytes));
        }
    }

    void unreadableFileIsAnError()
    {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(NorlaError,
                                 Utf8Text::readValidText(dir.filePath(QStringLiteral("nincs.txt"))));
        QVERIFY_THROWS_EXCEPTION(NorlaError, Utf8Text::readValidText(dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestUtf8Text)
#include "tst_utf8text.moc"
