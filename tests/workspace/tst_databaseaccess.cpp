// How the editor opens what it cannot or may not write: files that are no
// database, a database another process holds (read only: the fields, the bar,
// F2), a lock file that names no holder, and a database deleted while open.
#include "NonDatabaseFiles.h"
#include "WorkspaceFixture.h"

#include "core/record/DatabaseLock.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QSysInfo>

namespace {

const QStringList TakeOverButtons{QStringLiteral("Átvétel"), QStringLiteral("Megnyitás csak olvasásra"),
                                  QStringLiteral("Mégse")};

// An empty lock file, as a crash between making it and writing it leaves one.
void leaveNamelessLock(const QString& databasePath)
{
    QFile lock(DatabaseLock::lockPathFor(databasePath));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    const QDateTime past = QDateTime::currentDateTimeUtc().addSecs(-60);
    QVERIFY(lock.setFileTime(past, QFileDevice::FileModificationTime));
    lock.close();
}

QLabel* accessBar(WorkspaceFixture& f)
{
    return f.find<QLabel>(QStringLiteral("lab_hozzaferes"));
}

} // namespace

class DatabaseAccessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nonDatabaseIsNotOpened_data() { NonDatabaseFiles::addRows(); }
    void nonDatabaseIsNotOpened();
    void readOnlyFieldsBarAndF2();
    void namelessLockIsOfferedForTakingOver_data();
    void namelessLockIsOfferedForTakingOver();
    void databaseDeletedWhileOpenIsSaidSo();
};

void DatabaseAccessTest::nonDatabaseIsNotOpened()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, looksLike);
    WorkspaceFixture f;
    f.openSample();
    const QString title = f.window().windowTitle();
    f.dir.writeBytes(QStringLiteral("kep.rtf"), bytes);
    const QMap<QString, QByteArray> before = folderContents(f.dir.path());

    f.open(f.dir.file(QStringLiteral("kep.rtf")));
    QCOMPARE(f.dialogs.messages.size(), 1);
    const QString message = f.dialogs.messages.first();
    QVERIFY2(message.startsWith(QStringLiteral("A(z) %1 fájl ").arg(f.dir.file(QStringLiteral("kep.rtf")))),
             qPrintable(message));
    QVERIFY2(message.contains(looksLike), qPrintable(message));
    // The database that was open stays open, and nothing was written anywhere.
    QCOMPARE(f.window().windowTitle(), title);
    QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());
    QCOMPARE(folderContents(f.dir.path()), before);
    QVERIFY(f.dialogs.questions.isEmpty());
}

void DatabaseAccessTest::readOnlyFieldsBarAndF2()
{
    WorkspaceFixture f;
    const QString path = f.writeDatabase(QStringLiteral("minta.rtf"), WorkspaceFixture::sampleLines());
    // Another holder of the database (here another lock of this process).
    DatabaseLock other(path);
    QCOMPARE(other.acquire(), DatabaseLock::State::Locked);
    QVERIFY(accessBar(f)->isHidden());

    f.dialogs.choiceAnswers.enqueue(0);
    f.open(path);
    QVERIFY(f.window().editor().session().isReadOnly());

    // The fields show the record but take no typing; lists and boxes are off.
    QCOMPARE(f.edit(7)->text(), QStringLiteral("A példa címe"));
    for (int k = 1; k <= 14; ++k)
        QVERIFY2(f.edit(k)->isReadOnly(), qPrintable(QString::number(k)));
    QVERIFY(f.find<QLineEdit>(QStringLiteral("edit_link"))->isReadOnly());
    f.edit(7)->setFocus();
    QTest::keyClicks(f.edit(7), QStringLiteral("xyz"));
    QCOMPARE(f.edit(7)->text(), QStringLiteral("A példa címe"));
    for (const QString& name :
         {QStringLiteral("cb_rektipus"), QStringLiteral("cb_nyelv"), QStringLiteral("cbox1")})
        QVERIFY2(!f.combo(name)->isEnabled(), qPrintable(name));
    QVERIFY(!f.find<QCheckBox>(QStringLiteral("cb_forditas"))->isEnabled());
    QVERIFY(!f.action(QStringLiteral("menu3_felvitel"))->isEnabled());

    // The bar says so, naming the holder.
    QVERIFY(!accessBar(f)->isHidden());
    QVERIFY2(
        accessBar(f)->text().startsWith(QStringLiteral("Csak olvasásra megnyitva: más tartja megnyitva (")),
        qPrintable(accessBar(f)->text()));
    QVERIFY2(accessBar(f)->text().contains(QSysInfo::machineHostName()), qPrintable(accessBar(f)->text()));

    // F2 says why it saves nothing.
    QVERIFY(f.dialogs.messages.isEmpty());
    QTest::keyClick(&f.window(), Qt::Key_F2);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().startsWith(QStringLiteral(
                 "Az F2 nem menti a rekordot. Az adatbázis csak olvasásra van megnyitva: más tartja "
                 "megnyitva (")),
             qPrintable(f.dialogs.messages.first()));
    QVERIFY(!f.window().document().isModified());

    // A database this window may write has the fields, the bar and F2 back.
    f.dialogs.messages.clear();
    f.open(f.writeDatabase(QStringLiteral("masik.rtf"), WorkspaceFixture::sampleLines()));
    QVERIFY(!f.window().editor().session().isReadOnly());
    QVERIFY(!f.edit(7)->isReadOnly());
    QVERIFY(f.combo(QStringLiteral("cb_rektipus"))->isEnabled());
    QVERIFY(accessBar(f)->isHidden());
    f.edit(7)->setText(QStringLiteral("Új cím"));
    QTest::keyClick(&f.window(), Qt::Key_F2);
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(f.window().document().isModified());
    QCOMPARE(f.window().document().line(0).toString().section(QStringLiteral("**"), 7, 7),
             QStringLiteral("Új cím"));
}

void DatabaseAccessTest::namelessLockIsOfferedForTakingOver_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Átvétel") << 0;
    QTest::newRow("Megnyitás csak olvasásra") << 1;
    QTest::newRow("Mégse") << 2;
}

void DatabaseAccessTest::namelessLockIsOfferedForTakingOver()
{
    QFETCH(int, answer);
    WorkspaceFixture f;
    const QString path = f.writeDatabase(QStringLiteral("minta.rtf"), WorkspaceFixture::sampleLines());
    leaveNamelessLock(path);
    QCOMPARE(DatabaseLock(path).acquire(), DatabaseLock::State::Nameless);

    f.dialogs.choiceAnswers.enqueue(answer);
    f.open(path);
    QCOMPARE(f.dialogs.choiceButtons, QList<QStringList>{TakeOverButtons});
    const QString question = f.dialogs.questions.first();
    QVERIFY2(
        question.contains(QStringLiteral("de nem nevezi meg, ki tartja megnyitva: üres vagy olvashatatlan")),
        qPrintable(question));
    QVERIFY2(question.contains(DatabaseLock::lockPathFor(path)), qPrintable(question));
    QVERIFY(f.dialogs.messages.isEmpty());
    switch (answer) {
    case 0: { // taken over: this window holds it now, and its lock names it
        QVERIFY(!f.window().editor().session().isReadOnly());
        QVERIFY(accessBar(f)->isHidden());
        DatabaseLock probe(path);
        QCOMPARE(probe.acquire(), DatabaseLock::State::Held);
        QVERIFY(probe.owner().has_value());
        QCOMPARE(probe.owner()->pid, QCoreApplication::applicationPid());
        break;
    }
    case 1:
        QVERIFY(f.window().editor().session().isReadOnly());
        QVERIFY2(accessBar(f)->text().startsWith(QStringLiteral(
                     "Csak olvasásra megnyitva: a zárolófájl nem nevezi meg, ki tartja megnyitva.")),
                 qPrintable(accessBar(f)->text()));
        QCOMPARE(f.dir.readBytes(QStringLiteral("minta.rtf.norla-zarolas")), QByteArray());
        break;
    default:
        QVERIFY(!f.window().document().hasFile());
        QCOMPARE(f.dir.readBytes(QStringLiteral("minta.rtf.norla-zarolas")), QByteArray());
        break;
    }
}

void DatabaseAccessTest::databaseDeletedWhileOpenIsSaidSo()
{
    WorkspaceFixture f;
    f.openSample();
    const QString path = f.dir.file(QStringLiteral("minta.rtf"));
    f.dialogs.yesNoAnswers.enqueue(true);
    f.action(QStringLiteral("menu3_torles"))->trigger();
    QVERIFY(QFile::remove(path));

    f.dialogs.choiceAnswers.enqueue(0);
    f.action(QStringLiteral("menu0_save"))->trigger();
    QCOMPARE(f.dialogs.choiceButtons,
             (QList<QStringList>{
                 {QStringLiteral("Mentés"), QStringLiteral("Mentés másként..."), QStringLiteral("Mégse")}}));
    const QString question = f.dialogs.questions.last();
    QVERIFY2(question.contains(QStringLiteral("fájlját törölték vagy áthelyezték")), qPrintable(question));
    QVERIFY2(!question.contains(QStringLiteral("módosította")), qPrintable(question));
    // Saved again where it was.
    QCOMPARE(TextFile::readUnicode(path).size(), 2);
    QVERIFY(!f.window().document().isModified());

    // Unmodified and deleted again: coming back to the window says so once, and offers no reload.
    QVERIFY(QFile::remove(path));
    f.window().editor().offerReloadOfChangedFile();
    f.window().editor().offerReloadOfChangedFile();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().contains(QStringLiteral("fájlját törölték vagy áthelyezték")),
             qPrintable(f.dialogs.messages.first()));
    QCOMPARE(f.dialogs.questions.size(), 2); // the delete and the save
    QCOMPARE(f.window().document().lineCount(), 2);
}

QTEST_MAIN(DatabaseAccessTest)
#include "tst_databaseaccess.moc"
