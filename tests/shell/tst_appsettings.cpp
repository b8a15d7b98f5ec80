#include "TestSupport.h"

#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/settings/AppSettings.h"

#include <QtTest>

namespace {

const QString StartDir = QStringLiteral("/home/anna/Norla");

QByteArray defaultFile(const QString& startDir)
{
    return QStringLiteral(
               "szelesseg=870\r\nmagassag=637\r\ntop=40\r\nleft=90\r\nfonttipus=Arial Unicode MS\r\n"
               "fontnagysag=8\r\ntargymenu=%1/menu0.zda\r\nforrastorles=0\r\n")
        .arg(startDir)
        .toLatin1();
}

} // namespace

class TestAppSettings final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<AppSettings>("expected");

        const AppSettings defaults = AppSettings::defaults(StartDir);
        const auto with = [&defaults](auto change) {
            AppSettings s = defaults;
            change(s);
            return s;
        };

        QTest::newRow("only empty top") << QByteArray("top=\r\n") << defaults;
        QTest::newRow("key case counts") << QByteArray("Top=100\r\n") << defaults;
        QTest::newRow("key spaces count") << QByteArray("top = 100\r\n") << defaults;
        QTest::newRow("line without equals") << QByteArray("top100\r\nleft\r\n") << defaults;
        QTest::newRow("empty subject path") << QByteArray("targymenu=\r\n") << defaults;
        QTest::newRow("empty font name") << QByteArray("fonttipus=\r\n") << defaults;
        QTest::newRow("source deletion 2 is kept")
            << QByteArray("forrastorles=2\r\n") << with([](AppSettings& s) { s.sourceDeletion = 2; });
        QTest::newRow("non-numeric width gives default") << QByteArray("szelesseg=széles\r\nmagassag=600\r\n")
                                                         << with([](AppSettings& s) { s.height = 600; });
        QTest::newRow("hexadecimal is not decimal") << QByteArray("top=0x10\r\n") << defaults;
        QTest::newRow("number with a unit gives default") << QByteArray("fontnagysag=12pt\r\n") << defaults;
        QTest::newRow("leading zeros and sign")
            << QByteArray("top=007\nleft=-20\n") << with([](AppSettings& s) {
                   s.top = 7;
                   s.left = -20;
               });
        QTest::newRow("later duplicate wins") << QByteArray("fontnagysag=10\r\nfontnagysag=12\r\n")
                                              << with([](AppSettings& s) { s.fontSize = 12; });
        QTest::newRow("value keeps further equals")
            << QByteArray("fonttipus=a=b\r\n")
            << with([](AppSettings& s) { s.fontName = QStringLiteral("a=b"); });
        QTest::newRow("windows-1250 value")
            << QByteArray("fonttipus=Bet\xfb T\xedpus\r\n")
            << with([](AppSettings& s) { s.fontName = QStringLiteral("Betű Típus"); });
        QTest::newRow("lone CR and LF end lines")
            << QByteArray("top=1\rleft=2\nszelesseg=3") << with([](AppSettings& s) {
                   s.top = 1;
                   s.left = 2;
                   s.width = 3;
               });
        QTest::newRow("over-long value is cut to 500")
            << (QByteArray("targymenu=") + QByteArray(600, 'x'))
            << with([](AppSettings& s) { s.subjectTreePath = QString(500, u'x'); });
        QTest::newRow("every key") << defaultFile(QStringLiteral("/data"))
                                          .replace("870", "1024")
                                          .replace("637", "700")
                                          .replace("=40", "=5")
                                          .replace("=90", "=6")
                                          .replace("Arial Unicode MS", "DejaVu Sans")
                                          .replace("=8\r", "=11\r")
                                          .replace("forrastorles=0", "forrastorles=1")
                                   << with([](AppSettings& s) {
                                          s.width = 1024;
                                          s.height = 700;
                                          s.top = 5;
                                          s.left = 6;
                                          s.fontName = QStringLiteral("DejaVu Sans");
                                          s.fontSize = 11;
                                          s.subjectTreePath = QStringLiteral("/data/menu0.zda");
                                          s.sourceDeletion = 1;
                                      });
    }

    void parse()
    {
        QFETCH(QByteArray, file);
        QFETCH(AppSettings, expected);
        const AppSettings parsed = AppSettings::parse(TextFile::decode8Bit(file), StartDir);
        QCOMPARE(parsed.toLines(), expected.toLines());
    }

    // The file is rewritten from the values: unknown keys vanish, missing
    // ones appear, always the eight keys in their order with CR LF.
    void rewriteBytes_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("rewritten");

        QTest::newRow("only empty top") << QByteArray("top=") << QByteArray();
        QTest::newRow("unknown keys vanish")
            << QByteArray("Top=100\r\ntop = 100\r\negyeb=1\r\n") << QByteArray();
        QTest::newRow("source deletion 2 stays 2")
            << QByteArray("forrastorles=2") << QByteArray("forrastorles=0\r\n|forrastorles=2\r\n");
        QTest::newRow("leading zeros dropped") << QByteArray("left=0090\n") << QByteArray();
        QTest::newRow("accented font name round trip")
            << QByteArray("fonttipus=\xc1rv\xedzt\xfbr\xf5\r\n")
            << QByteArray("fonttipus=Arial Unicode MS\r\n|fonttipus=\xc1rv\xedzt\xfbr\xf5\r\n");
    }

    void rewriteBytes()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, rewritten);
        TempWorkDir dir;
        dir.writeBytes(WorkFolder::SettingsFile, file);
        AppSettings::read(dir.path()).write(dir.path());

        QByteArray expected = defaultFile(dir.path());
        if (!rewritten.isEmpty()) {
            const QList<QByteArray> change = rewritten.split('|');
            expected.replace(change[0], change[1]);
        }
        QCOMPARE(dir.readBytes(WorkFolder::SettingsFile), expected);
    }

    void missingFileGivesDefaults()
    {
        TempWorkDir dir;
        QCOMPARE(AppSettings::read(dir.path()), AppSettings::defaults(dir.path()));
        QVERIFY(!QFile::exists(dir.file(WorkFolder::SettingsFile)));
    }

    // Characters the code page lacks cannot be stored: they become "?".
    void unmappableCharactersBecomeQuestionMarks()
    {
        TempWorkDir dir;
        AppSettings settings = AppSettings::defaults(dir.path());
        settings.subjectTreePath = QStringLiteral("/tmp/λόγος.zda");
        settings.write(dir.path());
        QCOMPARE(AppSettings::read(dir.path()).subjectTreePath, QStringLiteral("/tmp/?????.zda"));
    }
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
