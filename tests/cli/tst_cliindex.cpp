#include "TestSupport.h"

#include "core/index/IndexBuilder.h"
#include "core/record/TextFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

ProgramRun runIndex(const QString& workDir, const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI_PATH), QStringList{QStringLiteral("index")} + args, workDir);
}

QStringList databaseLines(const QString& volume, int count)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines.append(
            QStringLiteral("%1%2**folyóiratcikk**tárgy**01Szerző %3**02Ő%4**03**04**cím**Nyugat**Kiadó %5**1"
                           "**1911**3–9.**Hely %6**jegyzet****0**magyar**papír")
                .arg(volume)
                .arg(k * 100, 8, 10, QLatin1Char('0'))
                .arg(k % 37)
                .arg(k % 11)
                .arg(k % 5)
                .arg(k % 3));
    return lines;
}

// The same databases (and a stale chunk) in a folder.
void seed(const QString& dir)
{
    TextFile::writeUnicode(dir + QStringLiteral("/masodik.rtf"), databaseLines(QStringLiteral("Lu"), 1200));
    TextFile::writeUnicode(dir + QStringLiteral("/Elso.rtf"), databaseLines(QStringLiteral("Ka"), 300));
    TextFile::writeUnicode(dir + QStringLiteral("/harmadik.rtf"), databaseLines(QStringLiteral("Ze"), 40));
    TextFile::writeUnicode(dir + QStringLiteral("/adatbazis.rtf"), databaseLines(QStringLiteral("Ma"), 10));
    TextFile::writeUnicode(dir + QStringLiteral("/adatb9.ztf"), {QStringLiteral("régi")});
}

QMap<QString, QByteArray> filesIn(const QString& dir)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(dir).entryList(QDir::Files)) {
        QFile file(dir + u'/' + name);
        if (file.open(QIODevice::ReadOnly))
            files.insert(name, file.readAll());
    }
    return files;
}

} // namespace

class TestCliIndex : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buildsWhatTheBuilderBuilds_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("checked"); // the dialog's checked entries
        QTest::addColumn<int>("limit");

        const QStringList all = {QStringLiteral("Elso.rtf"), QStringLiteral("harmadik.rtf"),
                                 QStringLiteral("masodik.rtf")};
        QTest::newRow("all, automatic") << QStringList{QStringLiteral("--all")} << all << 1000;
        QTest::newRow("all, 500 per file")
            << QStringList{QStringLiteral("--per-file"), QStringLiteral("500"), QStringLiteral("--all")}
            << all << 500;
        QTest::newRow("infinite") << QStringList{QStringLiteral("--per-file=infinite"),
                                                 QStringLiteral("--all")}
                                  << all << IndexBuilder::InfiniteRecordsPerFile;
        QTest::newRow("names in any order, .rtf left off")
            << QStringList{QStringLiteral("masodik"), QStringLiteral("Elso.rtf"),
                           QStringLiteral("--per-file"), QStringLiteral("100")}
            << QStringList{QStringLiteral("Elso.rtf"), QStringLiteral("masodik.rtf")} << 100;
    }

    void buildsWhatTheBuilderBuilds()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, checked);
        QFETCH(int, limit);

        QTemporaryDir viaBuilder;
        QTemporaryDir viaCli;
        seed(viaBuilder.path());
        seed(viaCli.path());
        IndexBuilder builder(viaBuilder.path());
        builder.setRecordsPerFile(limit);
        builder.build(checked);

        const ProgramRun run = runIndex(viaCli.path(), args);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(QStringLiteral("masodik.rtf: 1200 records")), qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("Indexed %1 records").arg(builder.recordCount())));
        const auto expected = filesIn(viaBuilder.path());
        const auto actual = filesIn(viaCli.path());
        QCOMPARE(actual.keys(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY2(actual.value(it.key()) == it.value(), qPrintable(it.key()));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");

        QTest::newRow("nothing to index") << QStringList{} << QStringLiteral("--all");
        QTest::newRow("both --all and names")
            << QStringList{QStringLiteral("--all"), QStringLiteral("Elso")} << QStringLiteral("not both");
        QTest::newRow("a number the dialog does not offer")
            << QStringList{QStringLiteral("--per-file"), QStringLiteral("7000"), QStringLiteral("--all")}
            << QStringLiteral("not \"7000\"");
        QTest::newRow("adatbazis.rtf is never indexed")
            << QStringList{QStringLiteral("adatbazis.rtf")}
            << QStringLiteral("\"adatbazis.rtf\" is not a database");
        QTest::newRow("unknown name") << QStringList{QStringLiteral("nincs")} << QStringLiteral("\"nincs\"");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--gyorsan")} << QStringLiteral("--gyorsan");
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QTemporaryDir dir;
        seed(dir.path());
        const ProgramRun run = runIndex(dir.path(), args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(QFile::exists(dir.path() + QStringLiteral("/adatb9.ztf")));
    }

    void failureReportsAndKeepsEarlierSet()
    {
        QTemporaryDir dir;
        seed(dir.path());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("fsz0.zda")));
        TextFile::writeUnicode(dir.path() + QStringLiteral("/fsz1.zda"), {QStringLiteral("régi")});

        const ProgramRun run = runIndex(dir.path(), {QStringLiteral("--all")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Cannot create file %1/fsz0.zda").arg(dir.path())),
                 qPrintable(run.err));
        QCOMPARE(TextFile::readUnicode(dir.path() + QStringLiteral("/fsz1.zda")),
                 QStringList{QStringLiteral("régi")});
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("adatb*.ztf")}),
                 QStringList{QStringLiteral("adatb9.ztf")});
        QCOMPARE(TextFile::readUnicode(dir.path() + QStringLiteral("/adatb9.ztf")),
                 QStringList{QStringLiteral("régi")});
    }

    void helpAndList()
    {
        QTemporaryDir dir;
        seed(dir.path());
        const ProgramRun help = runIndex(dir.path(), {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(
            QStringLiteral("norla-cli index [--per-file auto|infinite|N] (--all | NAME...)")));
        const ProgramRun list = runIndex(dir.path(), {QStringLiteral("--list")});
        QCOMPARE(list.exitCode, 0);
        QCOMPARE(list.out, QStringLiteral("Elso.rtf\nharmadik.rtf\nmasodik.rtf\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliIndex)
#include "tst_cliindex.moc"
