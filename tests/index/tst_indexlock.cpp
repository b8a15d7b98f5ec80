#include "TestSupport.h"

#include "core/index/IndexBuilder.h"
#include "core/index/IndexRunLock.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/search/BrowseList.h"
#include "core/search/SearchEngine.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSysInfo>
#include <QtTest>

#include <thread>

namespace {

QStringList databaseLines(const QString& volume, int count)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines.append(
            QStringLiteral("%1%2**könyv**tárgy**01Szerző %3**02**03**04**Cím %4**sorozat**Kiadó %5**1"
                           "**1911**3–9.**Hely %6**jegyzet****0**magyar**papír")
                .arg(volume)
                .arg(k * 100, 8, 10, QLatin1Char('0'))
                .arg(k % 37)
                .arg(k)
                .arg(k % 5)
                .arg(k % 3));
    return lines;
}

void seedDatabases(const QString& dir)
{
    TextFile::writeUnicode(dir + QStringLiteral("/elso.rtf"), databaseLines(QStringLiteral("Ka"), 700));
    TextFile::writeUnicode(dir + QStringLiteral("/masodik.rtf"), databaseLines(QStringLiteral("Lu"), 900));
    TextFile::writeUnicode(dir + QStringLiteral("/harmadik.rtf"), databaseLines(QStringLiteral("Ze"), 60));
}

// Every entry of the folder but its databases, with the bytes of each file:
// the index set and anything a run left behind.
QMap<QString, QByteArray> setContents(const QString& path)
{
    QMap<QString, QByteArray> entries = folderContents(path);
    entries.removeIf([](const auto& entry) { return entry.key().endsWith(QStringLiteral(".rtf")); });
    return entries;
}

QMap<QString, QByteArray> referenceSet()
{
    QTemporaryDir reference;
    seedDatabases(reference.path());
    IndexBuilder builder(reference.path());
    builder.build(IndexBuilder::offeredDatabases(reference.path()));
    return setContents(reference.path());
}

QProcess* startCliIndex(const QString& dir, const QStringList& args, QObject* parent)
{
    auto* process = new QProcess(parent);
    process->setWorkingDirectory(dir);
    process->start(QStringLiteral(NORLA_CLI_PATH), QStringList{QStringLiteral("index")} + args);
    return process;
}

QProcess* startDriverIndex(const QString& dir, QObject* parent)
{
    auto* process = new QProcess(parent);
    process->setWorkingDirectory(dir);
    process->start(QStringLiteral(NORLA_DRIVER_PATH), {QStringLiteral("index")});
    return process;
}

// Holds a run of this process at its first database, with the folder's lock taken.
class HeldRun final : public IndexProgress
{
public:
    QSemaphore started;
    QSemaphore release;

    void databaseStarted(int done, const QString&) override
    {
        if (done == 1) {
            started.release();
            release.acquire();
        }
    }
};

SearchCriteria everyTitle()
{
    SearchCriteria criteria;
    criteria.term = QStringLiteral("Cím");
    return criteria;
}

// Collects the hit names, and forgets them when the search starts again.
class RestartingSink final : public SearchSink
{
public:
    QStringList names;
    int restarts = 0;
    bool canRestart = true;

    void hit(QByteArrayView recordName, const FieldGrid*) override
    {
        names.append(QString::fromLatin1(recordName));
    }
    bool restart() override
    {
        ++restarts;
        names.clear();
        return canRestart;
    }
};

QStringList searchNames(const QString& dir)
{
    SearchEngine engine(everyTitle(), {});
    engine.setThreadCount(1);
    RestartingSink sink;
    engine.run(dir, sink);
    return sink.names;
}

} // namespace

class IndexLockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsStartedTogetherLeaveOneWholeSet();
    void secondRunWaitsThenNamesTheRunner();
    void searchMeetingTheSwapAnswersFromTheNewSet_data();
    void searchMeetingTheSwapAnswersFromTheNewSet();
    void searchesBesideAnotherProcessIndexingAnswerFromOneSet();
};

void IndexLockTest::runsStartedTogetherLeaveOneWholeSet()
{
    const QMap<QString, QByteArray> reference = referenceSet();
    QTemporaryDir dir;
    seedDatabases(dir.path());
    for (int round = 1; round <= 20; ++round) {
        QObject owner;
        // The editor's index run (the builder the dialog runs) and norla-cli's.
        QProcess* editorSide = startDriverIndex(dir.path(), &owner);
        QProcess* cli = startCliIndex(dir.path(), {QStringLiteral("--all")}, &owner);
        for (QProcess* run : {editorSide, cli}) {
            QVERIFY(run->waitForFinished(120000));
            const QString err = QString::fromUtf8(run->readAllStandardError());
            // The one that lost the race either waited its turn or was told who runs.
            if (run->exitCode() != 0)
                QVERIFY2(err.contains(QStringLiteral("most más indexel")), qPrintable(err));
            else
                QVERIFY2(!err.contains(QStringLiteral("Cannot")), qPrintable(err));
        }
        QVERIFY2(editorSide->exitCode() == 0 || cli->exitCode() == 0, "neither run finished");
        QCOMPARE(setContents(dir.path()), reference);
    }
}

void IndexLockTest::secondRunWaitsThenNamesTheRunner()
{
    const QMap<QString, QByteArray> reference = referenceSet();
    QTemporaryDir dir;
    seedDatabases(dir.path());
    HeldRun held;
    QString firstError;
    std::thread first([&] {
        IndexBuilder builder(dir.path());
        builder.setProgress(&held);
        firstError = errorOf([&] { builder.build(IndexBuilder::offeredDatabases(dir.path())); });
    });
    // A failed check returns early: the held run is let go and waited for all the same.
    auto letGo = qScopeGuard([&] {
        held.release.release();
        first.join();
    });
    held.started.acquire();
    // The held run's staging folder fills with files made ahead on a thread
    // of its own; what must not change is the folder's own entries.
    const auto topLevel = [&] {
        QStringList names = setContents(dir.path()).keys();
        names.removeIf([](const QString& name) { return name.contains(u'/'); });
        return names;
    };
    const QStringList whileHeld = topLevel();
    QVERIFY(whileHeld.contains(QStringLiteral(".norla-index-building")));

    // norla-cli waits, then gives up with who indexes and since when.
    QObject owner;
    QProcess* cli = startCliIndex(dir.path(), {QStringLiteral("--all")}, &owner);
    QVERIFY(cli->waitForFinished(60000));
    QCOMPARE(cli->exitCode(), 1);
    const QString message = QString::fromUtf8(cli->readAllStandardError());
    QVERIFY2(message.contains(QStringLiteral("most más indexel")) &&
                 message.contains(QSysInfo::machineHostName()) && message.contains(QStringLiteral(" óta (")),
             qPrintable(message));
    // The run that holds the folder keeps its staging folder.
    QCOMPARE(topLevel(), whileHeld);

    // The editor's run in another window of the same program meets it too.
    IndexBuilder second(dir.path());
    second.setLockWait(200);
    QVERIFY(errorOf([&] {
                second.build({QStringLiteral("elso.rtf")});
            }).contains(QStringLiteral("most más indexel")));
    QCOMPARE(topLevel(), whileHeld);

    letGo.dismiss();
    held.release.release();
    first.join();
    QCOMPARE(firstError, QString());
    QCOMPARE(setContents(dir.path()), reference);
}

void IndexLockTest::searchMeetingTheSwapAnswersFromTheNewSet_data()
{
    QTest::addColumn<bool>("sinkCanRestart");
    QTest::newRow("restarted") << true;
    QTest::newRow("cannot take back") << false;
}

// The swap happens after the search listed the chunk files and delivered
// the first one's hits: it starts again and answers from the new set only.
void IndexLockTest::searchMeetingTheSwapAnswersFromTheNewSet()
{
    QFETCH(bool, sinkCanRestart);
    QTemporaryDir dir;
    seedDatabases(dir.path());
    IndexBuilder builder(dir.path());
    builder.setRecordsPerFile(100);
    builder.build({QStringLiteral("elso.rtf")});
    const QStringList oldAnswer = searchNames(dir.path());
    builder.build({QStringLiteral("harmadik.rtf")});
    const QStringList newAnswer = searchNames(dir.path());
    builder.build({QStringLiteral("elso.rtf")});
    QCOMPARE(searchNames(dir.path()), oldAnswer);

    SearchEngine engine(everyTitle(), {});
    engine.setThreadCount(1);
    RestartingSink sink;
    sink.canRestart = sinkCanRestart;
    // The search asks whether to stop before it delivers each chunk file:
    // the second time, the other set takes the place of the one it reads.
    JobControl control;
    int asked = 0;
    control.setCheckpoint([&] {
        if (++asked == 2)
            builder.build({QStringLiteral("harmadik.rtf")});
    });
    const QString error = errorOf([&] { engine.run(dir.path(), sink, control); });
    QCOMPARE(sink.restarts, 1);
    if (sinkCanRestart) {
        QCOMPARE(error, QString());
        QCOMPARE(sink.names, newAnswer);
    } else {
        QVERIFY2(error.contains(QStringLiteral("Indítsa újra a keresést")), qPrintable(error));
    }
}

void IndexLockTest::searchesBesideAnotherProcessIndexingAnswerFromOneSet()
{
    QTemporaryDir dir;
    seedDatabases(dir.path());
    IndexBuilder builder(dir.path());
    builder.build({QStringLiteral("elso.rtf")});
    const QStringList first = searchNames(dir.path());
    BrowseList firstList;
    firstList.load(dir.path());
    builder.build({QStringLiteral("harmadik.rtf")});
    const QStringList second = searchNames(dir.path());
    BrowseList secondList;
    secondList.load(dir.path());

    // Another process swaps the two sets back and forth while this one searches.
    QProcess other;
    other.setWorkingDirectory(dir.path());
    const QString cli = QStringLiteral(NORLA_CLI_PATH);
    other.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("for i in 1 2 3 4 5 6; do \"%1\" index elso.rtf && \"%1\" index "
                                "harmadik.rtf || exit 1; done")
                     .arg(cli)});
    QVERIFY(other.waitForStarted());
    int searches = 0;
    while (other.state() != QProcess::NotRunning || searches == 0) {
        QStringList names;
        QCOMPARE(errorOf([&] { names = searchNames(dir.path()); }), QString());
        QVERIFY(names == first || names == second);
        BrowseList list;
        QCOMPARE(errorOf([&] { list.load(dir.path()); }), QString());
        QVERIFY(list.names().size() == firstList.names().size() ||
                list.names().size() == secondList.names().size());
        QCOMPARE(list.names().size(), list.chunkNumbers().size());
        ++searches;
        QCoreApplication::processEvents();
    }
    QCOMPARE(other.exitCode(), 0);
}

QTEST_GUILESS_MAIN(IndexLockTest)
#include "tst_indexlock.moc"
