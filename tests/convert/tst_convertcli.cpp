#include "ConvertFixtures.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "ui/convert/ConversionPage.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

ProgramRun runCli(const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI), QStringList{QStringLiteral("convert")} + args);
}

// Steps 1-2-3 on the page, as a user does them.
void convertOnPage(int kind, int volume, const QString& source, const QString& target)
{
    ScriptedDialogs dialogs;
    ConversionPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const auto item = [&](const char* group, int index) {
        return page.findChild<QGroupBox*>(QString::fromLatin1(group))
            ->findChildren<QRadioButton*>()
            .value(index);
    };
    const auto step = [&](int number) {
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("gkonv%1").arg(number)),
                          Qt::LeftButton);
    };
    const auto choose = [](QRadioButton* radio) {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(8, radio->height() / 2));
    };
    choose(item("rg_konvtipus", kind));
    if (volume >= 0)
        choose(item("rg_kotet2", volume));
    dialogs.openFileAnswers.enqueue(source);
    dialogs.saveFileAnswers.enqueue(target);
    step(1);
    step(2);
    step(3);
    QCOMPARE(dialogs.messages, QStringList());
}

} // namespace

class TestConvertCli : public QObject
{
    Q_OBJECT

private slots:
    void writesWhatThePageWrites_data();
    void writesWhatThePageWrites();
    void targetNaming_data();
    void targetNaming();
    void convertsAFolder();
    void failuresAreReported_data();
    void failuresAreReported();
    void help();
    void existingFileNeedsForce_data();
    void existingFileNeedsForce();
    void folderConversionKeepsExistingFiles();
    void leftOutSourceIsReported_data();
    void leftOutSourceIsReported();
};

void TestConvertCli::writesWhatThePageWrites_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("cliKind");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("dbf") << 0 << QStringList{QStringLiteral("dbf")} << QString() << sampleTableLines();
    QTest::newRow("zdb") << 1 << QStringList{QStringLiteral("zdb")}
                         << testDataPath(QStringLiteral("convert/minta.zdb")) << sampleZdbLines();
    QTest::newRow("director") << 2
                              << QStringList{QStringLiteral("director"), QStringLiteral("--volume"),
                                             QStringLiteral("6")}
                              << testDataPath(QStringLiteral("convert/minta_director.txt"))
                              << sampleDirectorLines();
}

void TestConvertCli::writesWhatThePageWrites()
{
    QFETCH(int, kind);
    QFETCH(QStringList, cliKind);
    QFETCH(QString, source);
    QFETCH(QStringList, lines);
    TempWorkDir dir;
    if (source.isEmpty())
        source = writeSampleTable(dir);
    convertOnPage(kind, kind == 2 ? 5 : -1, source, dir.file(QStringLiteral("lapon")));
    const ProgramRun run = runCli(cliKind + QStringList{source, dir.file(QStringLiteral("parancssorban"))});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out.trimmed(), dir.file(QStringLiteral("parancssorban.rtf")));
    const QByteArray fromPage = dir.readBytes(QStringLiteral("lapon.rtf"));
    QCOMPARE(fromPage, unicodeFileBytes(lines));
    QCOMPARE(dir.readBytes(QStringLiteral("parancssorban.rtf")), fromPage);
}

void TestConvertCli::targetNaming_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("written");
    QTest::newRow("lista") << QStringLiteral("lista") << QStringLiteral("lista.rtf");
    QTest::newRow("lista.RTF") << QStringLiteral("lista.RTF") << QStringLiteral("lista.RTF.rtf");
    QTest::newRow("lista.rtf.bak") << QStringLiteral("lista.rtf.bak") << QStringLiteral("lista.rtf.bak");
    QTest::newRow("an existing folder") << QStringLiteral("kesz") << QStringLiteral("kesz/minta.rtf");
}

void TestConvertCli::targetNaming()
{
    QFETCH(QString, target);
    QFETCH(QString, written);
    TempWorkDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("kesz")));
    const ProgramRun run =
        runCli({QStringLiteral("zdb"), testDataPath(QStringLiteral("convert/minta.zdb")), target});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(dir.readBytes(written), unicodeFileBytes(sampleZdbLines()));
}

void TestConvertCli::convertsAFolder()
{
    TempWorkDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("regi")));
    const QByteArray good = "Ka000001001konyv\r\n";
    dir.writeBytes(QStringLiteral("regi/a.zdb"), good);
    dir.writeBytes(QStringLiteral("regi/B.ZDB"), good);
    dir.writeBytes(QStringLiteral("regi/hibas.zdb"), "Ka000001xyzkonyv\r\n");
    dir.writeBytes(QStringLiteral("regi/mas.txt"), good);
    const ProgramRun run =
        runCli({QStringLiteral("zdb"), QStringLiteral("regi"), QStringLiteral("uj/adatok")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("1. sor")), qPrintable(run.err));
    const QStringList expected = {
        QStringLiteral("Ka00000100**konyv****01**02**03**04********************0****")};
    QCOMPARE(dir.readBytes(QStringLiteral("uj/adatok/a.rtf")), unicodeFileBytes(expected));
    QCOMPARE(dir.readBytes(QStringLiteral("uj/adatok/B.rtf")), unicodeFileBytes(expected));
    QCOMPARE(QDir(dir.file(QStringLiteral("uj/adatok"))).entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("B.rtf"), QStringLiteral("a.rtf")}));
    QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts).size(), 2);
}

void TestConvertCli::failuresAreReported_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("director without a volume")
        << QStringList{QStringLiteral("director"), QStringLiteral("x.txt"), QStringLiteral("y")} << 2
        << QStringLiteral("--volume");
    QTest::newRow("volume out of range")
        << QStringList{QStringLiteral("director"), QStringLiteral("--volume=9"), QStringLiteral("x.txt"),
                       QStringLiteral("y")}
        << 2 << QStringLiteral("1..8");
    QTest::newRow("unknown kind") << QStringList{QStringLiteral("csv"), QStringLiteral("x"),
                                                 QStringLiteral("y")}
                                  << 2 << QStringLiteral("csv");
    QTest::newRow("missing source") << QStringList{QStringLiteral("zdb"), QStringLiteral("nincs.zdb"),
                                                   QStringLiteral("y")}
                                    << 1 << QStringLiteral("Cannot open file");
    QTest::newRow("missing column") << QStringList{QStringLiteral("dbf"), QStringLiteral("hianyos.dbf"),
                                                   QStringLiteral("y")}
                                    << 1 << QStringLiteral("MEGJHELY");
}

void TestConvertCli::failuresAreReported()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    TempWorkDir dir;
    QVERIFY(writeDbfFixture(dir.file(QStringLiteral("hianyos.dbf")), {dbfRow("Ka1"), dbfRow("Ka2")}, 0xC8,
                            {QStringLiteral("MEGJHELY")}));
    const ProgramRun run = runCli(args);
    QCOMPARE(run.exitCode, status);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("y.rtf"))));
}

void TestConvertCli::help()
{
    const ProgramRun run = runCli({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral(
        "norla-cli convert dbf|zdb|director|ris|bibtex [--volume 1..8] [--force] SOURCE TARGET")));
    QVERIFY(run.out.contains(QStringLiteral("--force     replace a database file that is already there")));
}

void TestConvertCli::existingFileNeedsForce_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<bool>("replaced");

    QTest::newRow("without --force") << QStringList{} << QStringLiteral("lista.rtf")
                                     << QStringLiteral("lista.rtf") << false;
    QTest::newRow("with --force") << QStringList{QStringLiteral("--force")} << QStringLiteral("lista.rtf")
                                  << QStringLiteral("lista.rtf") << true;
    // ".rtf" is appended before the check: the file that would be written counts.
    QTest::newRow("the name written, without --force")
        << QStringList{} << QStringLiteral("lista") << QStringLiteral("lista.rtf") << false;
    QTest::newRow("into a folder, without --force")
        << QStringList{} << QStringLiteral("kesz") << QStringLiteral("kesz/minta.rtf") << false;
    QTest::newRow("into a folder, with --force")
        << QStringList{QStringLiteral("--force")} << QStringLiteral("kesz")
        << QStringLiteral("kesz/minta.rtf") << true;
}

void TestConvertCli::existingFileNeedsForce()
{
    QFETCH(QStringList, options);
    QFETCH(QString, target);
    QFETCH(QString, existing);
    QFETCH(bool, replaced);
    TempWorkDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("kesz")));
    const QByteArray earlier = unicodeFileBytes({QStringLiteral("Ka00000100**korábbi rekord")});
    dir.writeBytes(existing, earlier);
    const ProgramRun run =
        runCli(options +
               QStringList{QStringLiteral("zdb"), testDataPath(QStringLiteral("convert/minta.zdb")), target});
    if (replaced) {
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(dir.readBytes(existing), unicodeFileBytes(sampleZdbLines()));
        return;
    }
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(QStringLiteral("%1 already exists").arg(dir.file(existing))),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("--force")), qPrintable(run.err));
    QCOMPARE(dir.readBytes(existing), earlier);
    QCOMPARE(QDir(QFileInfo(dir.file(existing)).path()).entryList(QDir::Files),
             QStringList{QFileInfo(existing).fileName()});
}

void TestConvertCli::folderConversionKeepsExistingFiles()
{
    TempWorkDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("regi")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("uj")));
    dir.writeBytes(QStringLiteral("regi/a.zdb"), "Ka000001001konyv\r\n");
    dir.writeBytes(QStringLiteral("regi/b.zdb"), "Ka000002001konyv\r\n");
    dir.writeBytes(QStringLiteral("uj/a.rtf"), "korabbi");
    const ProgramRun run = runCli({QStringLiteral("zdb"), QStringLiteral("regi"), QStringLiteral("uj")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("a.rtf already exists")), qPrintable(run.err));
    QCOMPARE(dir.readBytes(QStringLiteral("uj/a.rtf")), QByteArray("korabbi"));
    QCOMPARE(
        dir.readBytes(QStringLiteral("uj/b.rtf")),
        unicodeFileBytes({QStringLiteral("Ka00000200**konyv****01**02**03**04********************0****")}));

    const ProgramRun forced = runCli(
        {QStringLiteral("zdb"), QStringLiteral("--force"), QStringLiteral("regi"), QStringLiteral("uj")});
    QCOMPARE(forced.exitCode, 0);
    QCOMPARE(
        dir.readBytes(QStringLiteral("uj/a.rtf")),
        unicodeFileBytes({QStringLiteral("Ka00000100**konyv****01**02**03**04********************0****")}));
}

void TestConvertCli::leftOutSourceIsReported_data()
{
    QTest::addColumn<QStringList>("kind");
    QTest::addColumn<QByteArray>("source"); // empty: the sample table
    QTest::addColumn<QString>("note");      // empty: none expected

    QTest::newRow("dbf") << QStringList{QStringLiteral("dbf")} << QByteArray()
                         << QStringLiteral(
                                "A tábla első rekordja (Ka00000000) nem került át: a konvertálás a "
                                "második rekordtól indul.");
    QTest::newRow("director with lines over")
        << QStringList{QStringLiteral("director"), QStringLiteral("--volume"), QStringLiteral("1")}
        << QByteArray("konyv\r\n").repeated(16 + 3)
        << QStringLiteral("A fájl végéről 3 sor nem került át: nem tesz ki egy teljes, 16 soros rekordot.");
    QTest::newRow("director of whole records")
        << QStringList{QStringLiteral("director"), QStringLiteral("--volume"), QStringLiteral("1")}
        << QByteArray("konyv\r\n").repeated(16) << QString();
}

void TestConvertCli::leftOutSourceIsReported()
{
    QFETCH(QStringList, kind);
    QFETCH(QByteArray, source);
    QFETCH(QString, note);
    TempWorkDir dir;
    QString path = dir.file(QStringLiteral("forras.txt"));
    if (source.isEmpty())
        path = writeSampleTable(dir);
    else
        dir.writeBytes(QStringLiteral("forras.txt"), source);
    const ProgramRun run = runCli(kind + QStringList{path, QStringLiteral("eredmeny")});
    QCOMPARE(run.exitCode, 0);
    const QStringList errLines = run.err.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(errLines.size(), note.isEmpty() ? 1 : 2);
    if (!note.isEmpty())
        QCOMPARE(errLines.last(), path + QStringLiteral(": ") + note);
}

QTEST_MAIN(TestConvertCli)
#include "tst_convertcli.moc"
