#include "JobCheckpoints.h"
#include "ScriptedDialogs.h"
#include "SearchFixtures.h"
#include "TestSupport.h"

#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "ui/search/HitsPage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// 600 hits, more than the 499 the results text shows, with Greek titles; and
// 100 records that do not match.
void writeIndex(const QString& dir)
{
    QStringList first;
    QStringList second;
    for (int i = 0; i < 700; ++i) {
        QStringList f(RecordLine::FieldCount);
        f[0] = QStringLiteral("Ka%1").arg(i, 6, 10, QLatin1Char('0')) + QStringLiteral("00");
        f[1] = QStringLiteral("könyv");
        f[3] = QStringLiteral("01Szerző %1").arg(i);
        f[7] = (i < 600 ? QStringLiteral("Kulcs Ἰλιάς %1") : QStringLiteral("Más %1")).arg(i);
        f[11] = QStringLiteral("1999");
        (i % 2 ? second : first).append(RecordLine::join(f));
    }
    writeChunk(dir, QStringLiteral("adatb1.ztf"), first);
    writeChunk(dir, QStringLiteral("adatb2.ztf"), second);
    writeRoles(dir);
}

SearchCriteria kulcs()
{
    SearchCriteria criteria;
    criteria.term = QStringLiteral("Kulcs");
    return criteria;
}

int entries(const QString& path)
{
    return QString::fromUtf8(TextFile::readBytes(path)).count(QStringLiteral("TY  - BOOK"));
}

struct Run
{
    int status = -1;
    QString err;
};

Run runCli(const QString& dir, const QStringList& args)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(NORLA_CLI), QStringList{QStringLiteral("export")} + args);
    Run run;
    if (process.waitForFinished(120000))
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestHitsExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportsEveryHitOfTheLastSearch();
    void unknownExtensionWritesNothing();
    void commandLine_data();
    void commandLine();
    void failedExportKeepsThePreviousFile();
    void stoppedExportWritesNothing();
};

void TestHitsExport::exportsEveryHitOfTheLastSearch()
{
    QTemporaryDir dir;
    writeIndex(dir.path());
    HitsPage page;
    auto* button = page.findChild<QPushButton*>(QStringLiteral("hitsExportButton"));
    QVERIFY(button);
    QVERIFY(!button->isEnabled()); // no search yet
    page.setLastSearch(kulcs(), {}, dir.path());
    QVERIFY(button->isEnabled());

    ScriptedDialogs dialogs;
    const QString target = dir.filePath(QStringLiteral("talalatok.ris"));
    dialogs.saveFileAnswers.enqueue(target);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(entries(target), 600);
    QVERIFY(QString::fromUtf8(TextFile::readBytes(target)).contains(QStringLiteral("TI  - Kulcs Ἰλιάς 599")));
}

void TestHitsExport::unknownExtensionWritesNothing()
{
    QTemporaryDir dir;
    writeIndex(dir.path());
    HitsPage page;
    page.setLastSearch(kulcs(), {}, dir.path());
    ScriptedDialogs dialogs;
    dialogs.saveFileAnswers.enqueue(dir.filePath(QStringLiteral("talalatok.txt")));
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("hitsExportButton")), Qt::LeftButton);
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages.first().contains(QStringLiteral(".bib (BibTeX)")));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("talalatok.txt"))));
}

void TestHitsExport::commandLine_data()
{
    QTest::addColumn<QStringList>("what");
    QTest::addColumn<int>("records");
    QTest::newRow("search") << QStringList{QStringLiteral("--term"), QStringLiteral("Kulcs")} << 600;
    QTest::newRow("index") << QStringList{QStringLiteral("--index")} << 700;
    QTest::newRow("database") << QStringList{QStringLiteral("adatb2.ztf")} << 350;
}

void TestHitsExport::commandLine()
{
    QFETCH(QStringList, what);
    QFETCH(int, records);
    QTemporaryDir dir;
    writeIndex(dir.path());
    const QString target = dir.filePath(QStringLiteral("ki.ris"));
    const Run run = runCli(dir.path(), QStringList{QStringLiteral("--format"), QStringLiteral("ris"),
                                                   QStringLiteral("--output"), target} +
                                           what);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(entries(target), records);
    QVERIFY(run.err.contains(QStringLiteral("%1 records exported").arg(records)));
}

// A chunk that cannot be read ends the export; the earlier file stays whole.
void TestHitsExport::failedExportKeepsThePreviousFile()
{
    QTemporaryDir dir;
    writeIndex(dir.path());
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nincs")), dir.filePath(QStringLiteral("adatb3.ztf"))));
    const QString target = dir.filePath(QStringLiteral("ki.bib"));
    TextFile::writeBytes(target, "korábbi");
    const Run run = runCli(dir.path(), {QStringLiteral("--format"), QStringLiteral("bibtex"),
                                        QStringLiteral("--output"), target, QStringLiteral("--index")});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(QStringLiteral("Cannot open file")));
    QCOMPARE(TextFile::readBytes(target), QByteArray("korábbi"));
}

// Stopped after the first chunk file's hits went into the export, the file
// it would have replaced is untouched and nothing else is left behind.
void TestHitsExport::stoppedExportWritesNothing()
{
    QTemporaryDir dir;
    writeIndex(dir.path());
    const QString target = dir.filePath(QStringLiteral("talalatok.ris"));
    TextFile::writeBytes(target, "korábbi");
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    HitsPage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setLastSearch(kulcs(), {}, dir.path());
    auto* button = page.findChild<QPushButton*>(QStringLiteral("hitsExportButton"));
    auto* stop = page.findChild<QPushButton*>(QStringLiteral("hitsExportStop"));
    QVERIFY(button && stop && stop->isHidden());
    ScriptedDialogs dialogs;
    dialogs.saveFileAnswers.enqueue(target);
    dialogs.yesNoAnswers.enqueue(true);
    QList<bool> whileRunning; // stop shown, export enabled
    {
        const JobCheckpoints checks(&page, [&](int check) {
            if (check != 2)
                return;
            whileRunning = {stop->isVisible(), button->isEnabled()};
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(checks.count(), 2);
    }
    QCOMPARE(whileRunning, (QList<bool>{true, false}));
    QVERIFY(stop->isHidden());
    QVERIFY(button->isEnabled());
    QCOMPARE(dialogs.messages, QStringList());
    QCOMPARE(TextFile::readBytes(target), QByteArray("korábbi"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
}

QTEST_MAIN(TestHitsExport)
#include "tst_hitsexport.moc"
