#include "TestSupport.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestTextFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsUnicodeFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");

        const QByteArray utf16le =
            QByteArray::fromHex("fffe") + QByteArray("a\0\r\0\n\0\x51\x01\r\0\n\0", 12);
        QTest::newRow("utf16le, final CR LF") << utf16le << QStringList{"a", "ő"};
        QTest::newRow("utf16be") << QByteArray::fromHex("feff0061000d000a0151") << QStringList{"a", "ő"};
        QTest::newRow("utf8 with mark") << QByteArray("\xEF\xBB\xBF"
                                                      "a\nő\n")
                                        << QStringList{"a", "ő"};
        QTest::newRow("no mark is Windows-1250") << QByteArray("a\r\n\xF5\xFB") << QStringList{"a", "őű"};
        QTest::newRow("lone CR and LF") << QByteArray("a\rb\nc") << QStringList{"a", "b", "c"};
        QTest::newRow("U+2028 ends a line")
            << QByteArray::fromHex("fffe6100282062000d000a00") << QStringList{"a", "b"};
        QTest::newRow("two final breaks give one empty line")
            << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
        QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("mark alone") << QByteArray::fromHex("fffe") << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("odd byte count keeps a visible mark")
            << QByteArray::fromHex("fffe6100620063") << QStringList{QStringLiteral("ab\uFFFD")};
        QTest::newRow("lone surrogate is kept")
            << QByteArray::fromHex("fffe3dd861000d000a00") << QStringList{QString(QChar(0xD83D)) + u'a'};
    }
    void readsUnicodeFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(TextFile::decodeUnicode(bytes), lines);
    }

    void writesUnicodeFilesByteExact()
    {
        QCOMPARE(TextFile::encodeUnicode({}), QByteArray::fromHex("fffe"));
        QCOMPARE(TextFile::encodeUnicode({QStringLiteral("aő"), QString()}),
                 QByteArray::fromHex("fffe610051010d000a000d000a00"));
        // A lone surrogate read from a file is written back unchanged.
        const QByteArray broken = QByteArray::fromHex("fffe3dd861000d000a00");
        QCOMPARE(TextFile::encodeUnicode(TextFile::decodeUnicode(broken)), broken);
    }

    void reads8BitFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF, CR, LF") << QByteArray("a\r\nb\rc\nd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("final break adds nothing") << QByteArray("a\r\n") << QStringList{"a"};
        QTest::newRow("NUL ends the text") << QByteArray("a\r\nb\0c\r\nd", 9) << QStringList{"a", "b"};
        QTest::newRow("no mark handling")
            << QByteArray("\xEF\xBB\xBFx") << QStringList{QStringLiteral("ď»żx")};
        QTest::newRow("accents") << QByteArray("\xE1rv\xEDz t\xFBr\xF5") << QStringList{"árvíz tűrő"};
    }
    void reads8BitFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(TextFile::decode8Bit(bytes), lines);
    }

    void writes8BitFilesByteExact()
    {
        QCOMPARE(TextFile::encode8Bit({QStringLiteral("ő α"), QString()}), QByteArray("\xF5 ?\r\n\r\n"));
    }

    void writesAtomicallyAndReportsFailures()
    {
        TempWorkDir dir;
        const QString target = dir.file(QStringLiteral("db.rtf"));
        TextFile::writeUnicode(target, {QStringLiteral("régi")});
        const QByteArray before = dir.readBytes(QStringLiteral("db.rtf"));

        // A target that is a folder, and one inside a "folder" that is a file:
        // the message names the full path and nothing is left behind.
        QDir().mkdir(dir.file(QStringLiteral("folder.rtf")));
        for (const QString& bad :
             {dir.file(QStringLiteral("folder.rtf")), target + QStringLiteral("/x.rtf")}) {
            try {
                TextFile::writeUnicode(bad, {QStringLiteral("új")});
                QFAIL("writing must fail");
            } catch (const NorlaError& error) {
                QCOMPARE(error.message(), cannotCreateFile(bad));
            }
        }
        QCOMPARE(dir.readBytes(QStringLiteral("db.rtf")), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("db.rtf")});

        try {
            TextFile::readUnicode(dir.file(QStringLiteral("missing.rtf")));
            QFAIL("reading must fail");
        } catch (const NorlaError& error) {
            QCOMPARE(error.message(), cannotOpenFile(dir.file(QStringLiteral("missing.rtf"))));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
