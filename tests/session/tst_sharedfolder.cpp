#include "TestSupport.h"

#include "core/record/DatabaseLock.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/session/EditingSession.h"
#include "core/session/RecoveryCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QtTest>

#include <memory>

namespace {

QStringList sampleLines(int count)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines.append(QStringLiteral("Ka%1").arg(k, 6, 10, QLatin1Char('0')) +
                     QStringLiteral("00**könyv**tárgy**01Kovács Ödön**02**03**04**Cím %1****Kiadó**1**1998"
                                    "**12 p.**Budapest**jegyzet****0**magyar**papír")
                         .arg(k));
    return lines;
}

// Another process working on the folder: the test driver over the core.
class OtherProcess final
{
public:
    explicit OtherProcess(const QStringList& args)
    {
        m_process.setProgram(QStringLiteral(NORLA_DRIVER_PATH));
        m_process.setArguments(args);
        m_process.start();
    }
    ~OtherProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    Q_DISABLE_COPY_MOVE(OtherProcess)

    // The first line it prints.
    QString answer()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(30000)) {
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    // Lets it end normally, releasing what it holds.
    void finish()
    {
        m_process.write("\n");
        m_process.closeWriteChannel();
        m_process.waitForFinished(30000);
    }
    // Ends it as a crash or a power cut would: nothing released.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};

FormState newRecordForm()
{
    FormState form;
    form.typedName = QStringLiteral("900");
    form.recordType = 0;
    form.volume = 0;
    return form;
}

} // namespace

class SharedFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondOpenerReadsOnlyAndCannotWrite();
    void lockOfAKilledProcessIsTakenOver();
    void abandonedLockOfAnotherHostIsOfferedForTakingOver();
    void namelessLockIsOfferedAndReleasedFromTheCommandLine();
    void lockGoesWithTheDatabase();
    void changeOnDiskIsNoticedBeforeASave();
    void touchedButUnchangedFileIsNotAChange();
    void recoveryCopyStaysWithTheLockHolder();
    void conversionRefusesADatabaseHeldOpen();
    void timeAgoIsTold_data();
    void timeAgoIsTold();
};

void SharedFolderTest::secondOpenerReadsOnlyAndCannotWrite()
{
    TempWorkDir dir;
    TextFile::writeUnicode(dir.file(QStringLiteral("kotetek1.rtf")), sampleLines(3));
    OtherProcess first({QStringLiteral("hold"), dir.file(QStringLiteral("kotetek1.rtf"))});
    QCOMPARE(first.answer(), QStringLiteral("rw"));

    EditingSession session;
    const std::shared_ptr<DatabaseLock> lock = session.lockFor(dir.file(QStringLiteral("kotetek1.rtf")));
    QCOMPARE(lock->state(), DatabaseLock::State::Held);
    const std::optional<LockOwner> owner = lock->owner();
    QVERIFY(owner);
    QCOMPARE(owner->host, QSysInfo::machineHostName());
    QVERIFY(owner->onThisHost);
    QVERIFY(!owner->user.isEmpty());
    QVERIFY(owner->describe().contains(owner->host));
    QVERIFY(owner->describe().contains(QStringLiteral(" óta (")));

    session.open(dir.file(QStringLiteral("kotetek1.rtf")));
    QVERIFY(session.isReadOnly());
    const QByteArray before = dir.readBytes(QStringLiteral("kotetek1.rtf"));

    // Every writing command is refused, and nothing changes.
    session.setLists({QStringLiteral("könyv")}, {}, {});
    session.setMode(EditingSession::Mode::NewRecords);
    FormState form = newRecordForm();
    QVERIFY(session.save(form).contains(QStringLiteral("csak olvasásra")));
    session.setMode(EditingSession::Mode::Browse);
    session.setCurrentIndex(0);
    session.deleteCurrent();
    QCOMPARE(session.document().lineCount(), 3);
    QVERIFY(errorOf([&] { session.saveDocument(); }).contains(QStringLiteral("csak olvasásra")));
    QCOMPARE(dir.readBytes(QStringLiteral("kotetek1.rtf")), before);

    // Saving under another name stays allowed.
    QCOMPARE(errorOf([&] { session.saveDocument(dir.file(QStringLiteral("masolat"))); }), QString());
    QCOMPARE(dir.readBytes(QStringLiteral("masolat.rtf")), before);

    // Nor may a save under another name replace the database the other one holds.
    EditingSession third;
    TextFile::writeUnicode(dir.file(QStringLiteral("harmadik.rtf")), sampleLines(1));
    third.open(dir.file(QStringLiteral("harmadik.rtf")));
    QVERIFY(!third.isReadOnly());
    const QString refusal = errorOf([&] { third.saveDocument(dir.file(QStringLiteral("kotetek1.rtf"))); });
    QVERIFY2(refusal.contains(owner->host), qPrintable(refusal));
    QCOMPARE(dir.readBytes(QStringLiteral("kotetek1.rtf")), before);
    first.finish();
}

void SharedFolderTest::lockOfAKilledProcessIsTakenOver()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("kotetek1.rtf"));
    TextFile::writeUnicode(path, sampleLines(2));
    OtherProcess first({QStringLiteral("hold"), path});
    QCOMPARE(first.answer(), QStringLiteral("rw"));
    first.kill();
    QVERIFY(QFileInfo::exists(DatabaseLock::lockPathFor(path))); // left behind

    EditingSession session;
    session.open(path);
    QVERIFY(!session.isReadOnly());
    // And it is this process's now: the next one reads only.
    OtherProcess next({QStringLiteral("hold"), path});
    QCOMPARE(next.answer(), QStringLiteral("ro"));
    next.finish();
}

void SharedFolderTest::abandonedLockOfAnotherHostIsOfferedForTakingOver()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("kotetek1.rtf"));
    TextFile::writeUnicode(path, sampleLines(1));
    const QString lockPath = DatabaseLock::lockPathFor(path);
    const auto writeForeignLock = [&](const QDateTime& when) {
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lockFile.write("4242\nnorla\nolvaso-gep-masik\n");
        lockFile.close();
        QVERIFY(lockFile.open(QIODevice::ReadWrite));
        QVERIFY(lockFile.setFileTime(when, QFileDevice::FileModificationTime));
    };

    // A fresh one from another host may well be alive: it is held.
    writeForeignLock(QDateTime::currentDateTimeUtc().addSecs(-3600));
    {
        DatabaseLock lock(path);
        QCOMPARE(lock.acquire(), DatabaseLock::State::Held);
        QCOMPARE(lock.owner()->host, QStringLiteral("olvaso-gep-masik"));
        QVERIFY(!lock.owner()->onThisHost);
    }
    // Older than a day, it is offered, and taken over once the user agrees.
    writeForeignLock(QDateTime::currentDateTimeUtc().addDays(-2));
    DatabaseLock lock(path);
    QCOMPARE(lock.acquire(), DatabaseLock::State::Abandoned);
    QVERIFY(lock.owner()->describe().contains(QStringLiteral("olvaso-gep-masik")));
    QVERIFY(lock.owner()->describe().contains(QStringLiteral("2 napja")));
    QVERIFY(lock.takeOver());
    QCOMPARE(lock.state(), DatabaseLock::State::Locked);
    OtherProcess other({QStringLiteral("hold"), path});
    QCOMPARE(other.answer(), QStringLiteral("ro"));
    other.finish();
}

// An empty lock file, as a crash between making the lock file and writing it
// leaves one, names nobody: it is offered for taking over rather than
// holding the database for good, and the command line says how to release it.
void SharedFolderTest::namelessLockIsOfferedAndReleasedFromTheCommandLine()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("kotetek1.rtf"));
    TextFile::writeUnicode(path, sampleLines(2));
    const QString lockPath = DatabaseLock::lockPathFor(path);
    const auto writeEmptyLock = [&](const QDateTime& when) {
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(lockFile.setFileTime(when, QFileDevice::FileModificationTime));
    };

    // Just made, it may be a lock being written this very moment: held.
    writeEmptyLock(QDateTime::currentDateTimeUtc());
    QCOMPARE(DatabaseLock(path).acquire(), DatabaseLock::State::Held);
    writeEmptyLock(QDateTime::currentDateTimeUtc().addSecs(-60));
    QCOMPARE(DatabaseLock(path).acquire(), DatabaseLock::State::Nameless);
    // Opened without asking anyone, it opens read only.
    {
        EditingSession session;
        session.open(path);
        QVERIFY(session.isReadOnly());
        QVERIFY2(session.readOnlyMessage().contains(QStringLiteral("nem nevezi meg")),
                 qPrintable(session.readOnlyMessage()));
    }

    const QByteArray before = dir.readBytes(QStringLiteral("kotetek1.rtf"));
    const QStringList replace{QStringLiteral("replace"), QStringLiteral("--find"), QStringLiteral("tárgy"),
                              QStringLiteral("--with"),  QStringLiteral("téma"),   QStringLiteral("--apply")};
    const ProgramRun refused =
        runProgram(QStringLiteral(NORLA_CLI_PATH), replace + QStringList{path}, dir.path());
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("nem nevezi meg, ki tartja megnyitva")),
             qPrintable(refused.err));
    QVERIFY2(refused.err.contains(lockPath), qPrintable(refused.err));
    QVERIFY2(refused.err.contains(QStringLiteral("--take-over-stale-lock")), qPrintable(refused.err));
    QVERIFY2(!refused.err.contains(QStringLiteral("ismeretlen")), qPrintable(refused.err));
    QCOMPARE(dir.readBytes(QStringLiteral("kotetek1.rtf")), before);

    const ProgramRun taken =
        runProgram(QStringLiteral(NORLA_CLI_PATH),
                   replace + QStringList{QStringLiteral("--take-over-stale-lock"), path}, dir.path());
    QCOMPARE(taken.exitCode, 0);
    QVERIFY2(taken.err.contains(QStringLiteral("2 rekord módosult")), qPrintable(taken.err));
    QVERIFY(dir.readBytes(QStringLiteral("kotetek1.rtf")) != before);
    // The lock went with the command.
    QCOMPARE(DatabaseLock(path).acquire(), DatabaseLock::State::Locked);

    // A lock someone holds is not taken over by the option.
    OtherProcess holder({QStringLiteral("hold"), path});
    QCOMPARE(holder.answer(), QStringLiteral("rw"));
    const ProgramRun held =
        runProgram(QStringLiteral(NORLA_CLI_PATH),
                   replace + QStringList{QStringLiteral("--take-over-stale-lock"), path}, dir.path());
    QCOMPARE(held.exitCode, 1);
    QVERIFY2(held.err.contains(QStringLiteral("most más tartja megnyitva")), qPrintable(held.err));
    holder.finish();
}

void SharedFolderTest::lockGoesWithTheDatabase()
{
    TempWorkDir dir;
    const QString first = dir.file(QStringLiteral("elso.rtf"));
    const QString second = dir.file(QStringLiteral("masodik.rtf"));
    TextFile::writeUnicode(first, sampleLines(2));
    TextFile::writeUnicode(second, sampleLines(2));
    EditingSession session;
    session.open(first);
    QVERIFY(QFileInfo::exists(DatabaseLock::lockPathFor(first)));
    // Reopening its own database keeps the lock rather than meeting it.
    session.open(first);
    QVERIFY(!session.isReadOnly());
    // Saving under another name keeps it: the next save still goes to this file.
    session.saveDocument(dir.file(QStringLiteral("harmadik")));
    QVERIFY(QFileInfo::exists(DatabaseLock::lockPathFor(first)));
    QVERIFY(!QFileInfo::exists(DatabaseLock::lockPathFor(dir.file(QStringLiteral("harmadik.rtf")))));
    // Opening another database releases it.
    session.open(second);
    QVERIFY(!QFileInfo::exists(DatabaseLock::lockPathFor(first)));
    QVERIFY(QFileInfo::exists(DatabaseLock::lockPathFor(second)));
    session.releaseLock();
    QVERIFY(!QFileInfo::exists(DatabaseLock::lockPathFor(second)));
}

void SharedFolderTest::changeOnDiskIsNoticedBeforeASave()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("kotetek1.rtf"));
    TextFile::writeUnicode(path, sampleLines(3));
    EditingSession session;
    session.open(path);
    QVERIFY(!session.document().fileChangedOnDisk());

    // Another program writes the file: same size, other content.
    QStringList theirs = sampleLines(3);
    theirs[1].replace(QStringLiteral("magyar"), QStringLiteral("angol!"));
    QCOMPARE(theirs[1].size(), sampleLines(3)[1].size());
    TextFile::writeUnicode(path, theirs);
    QVERIFY(session.document().fileChangedOnDisk());
    QVERIFY(session.document().fileChangedOnDisk({}, false));
    // A save under another name is not a save over it.
    QVERIFY(!session.document().fileChangedOnDisk(dir.file(QStringLiteral("mas.rtf"))));

    // Written over on purpose, the file is ours again.
    session.saveDocument();
    QVERIFY(!session.document().fileChangedOnDisk());
    QCOMPARE(TextFile::readUnicode(path), sampleLines(3));

    // A file removed meanwhile is a change too.
    QFile::remove(path);
    QVERIFY(session.document().fileChangedOnDisk());
}

void SharedFolderTest::touchedButUnchangedFileIsNotAChange()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("kotetek1.rtf"));
    TextFile::writeUnicode(path, sampleLines(3));
    EditingSession session;
    session.open(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    QVERIFY(!session.document().fileChangedOnDisk());
    QVERIFY(!session.document().fileChangedOnDisk({}, false));
}

void SharedFolderTest::recoveryCopyStaysWithTheLockHolder()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("kotetek1.rtf"));
    TextFile::writeUnicode(path, sampleLines(2));
    OtherProcess first({QStringLiteral("edit"), path});
    QCOMPARE(first.answer(), QStringLiteral("edited"));
    const QString copy = RecoveryCopy::pathFor(path);
    const QByteArray theirCopy = dir.readBytes(QFileInfo(copy).fileName());
    QCOMPARE(TextFile::decodeUnicode(theirCopy).size(), 3);

    EditingSession session;
    session.open(path);
    QVERIFY(session.isReadOnly());
    // The holder's copy is not offered to the second window as its own.
    QVERIFY(!session.hasNewerRecoveryCopy());
    session.setLists({QStringLiteral("könyv")}, {}, {});
    session.setMode(EditingSession::Mode::NewRecords);
    FormState form = newRecordForm();
    QVERIFY(!session.save(form).isEmpty());
    session.discardEdits();
    QTest::qWait(2 * RecoveryCopy::WriteDelay);
    QCOMPARE(dir.readBytes(QFileInfo(copy).fileName()), theirCopy);
    first.kill();

    // Once the holder is gone, the copy is offered to whoever opens it next.
    EditingSession next;
    next.open(path);
    QVERIFY(!next.isReadOnly());
    QVERIFY(next.hasNewerRecoveryCopy());
}

void SharedFolderTest::conversionRefusesADatabaseHeldOpen()
{
    TempWorkDir dir;
    const QString path = dir.file(QStringLiteral("kotetek1.rtf"));
    TextFile::writeUnicode(path, sampleLines(2));
    QFile::copy(testDataPath(QStringLiteral("convert/minta.zdb")), dir.file(QStringLiteral("minta.zdb")));
    OtherProcess holder({QStringLiteral("hold"), path});
    QCOMPARE(holder.answer(), QStringLiteral("rw"));
    const QByteArray before = dir.readBytes(QStringLiteral("kotetek1.rtf"));

    QProcess cli;
    cli.setWorkingDirectory(dir.path());
    cli.start(QStringLiteral(NORLA_CLI_PATH),
              {QStringLiteral("convert"), QStringLiteral("zdb"), QStringLiteral("--volume"),
               QStringLiteral("1"), QStringLiteral("--force"), QStringLiteral("minta.zdb"),
               QStringLiteral("kotetek1.rtf")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 1);
    const QString message = QString::fromUtf8(cli.readAllStandardError());
    QVERIFY2(message.contains(QSysInfo::machineHostName()) &&
                 message.contains(QStringLiteral("nem írom felül")),
             qPrintable(message));
    QCOMPARE(dir.readBytes(QStringLiteral("kotetek1.rtf")), before);

    // Released, the same conversion goes through.
    holder.finish();
    cli.start(QStringLiteral(NORLA_CLI_PATH),
              {QStringLiteral("convert"), QStringLiteral("zdb"), QStringLiteral("--volume"),
               QStringLiteral("1"), QStringLiteral("--force"), QStringLiteral("minta.zdb"),
               QStringLiteral("kotetek1.rtf")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(dir.readBytes(QStringLiteral("kotetek1.rtf")) != before);
    QVERIFY(!QFileInfo::exists(DatabaseLock::lockPathFor(path)));
}

void SharedFolderTest::timeAgoIsTold_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("told");
    QTest::newRow("moments") << qint64(20) << QStringLiteral("kevesebb mint egy perce");
    QTest::newRow("minutes") << qint64(5 * 60 + 3) << QStringLiteral("5 perce");
    QTest::newRow("hours") << qint64(2 * 3600 + 59 * 60) << QStringLiteral("2 órája");
    QTest::newRow("days") << qint64(3 * 86400 + 10) << QStringLiteral("3 napja");
    QTest::newRow("clock ahead") << qint64(-30) << QStringLiteral("kevesebb mint egy perce");
}

void SharedFolderTest::timeAgoIsTold()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, told);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QCOMPARE(LockOwner::timeAgo(now.addSecs(-seconds), now), told);
}

QTEST_GUILESS_MAIN(SharedFolderTest)
#include "tst_sharedfolder.moc"
