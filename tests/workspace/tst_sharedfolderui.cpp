#include "WorkspaceFixture.h"

#include "core/record/DatabaseLock.h"

#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>

// The editor's questions when another process holds or has written the
// database: a second process is the test driver over the core.
namespace {

class HoldingProcess final
{
public:
    explicit HoldingProcess(const QString& path)
    {
        m_process.start(QStringLiteral(NORLA_DRIVER_PATH), {QStringLiteral("hold"), path});
        while (!m_process.canReadLine() && m_process.waitForReadyRead(30000)) {
        }
        answer = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~HoldingProcess()
    {
        m_process.write("\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(30000))
            m_process.kill();
    }
    Q_DISABLE_COPY_MOVE(HoldingProcess)

    QString answer;

private:
    QProcess m_process;
};

const QStringList ReadOnlyButtons{QStringLiteral("Megnyitás csak olvasásra"), QStringLiteral("Mégse")};
const QStringList ChangedFileButtons{QStringLiteral("Felülírás"), QStringLiteral("Mentés másként..."),
                                     QStringLiteral("Mégse")};

// Deletes the shown record, so that the document has an unsaved change.
void deleteShownRecord(WorkspaceFixture& f)
{
    f.dialogs.yesNoAnswers.enqueue(true);
    f.action(QStringLiteral("menu3_torles"))->trigger();
    QVERIFY(f.window().document().isModified());
}

} // namespace

class SharedFolderUiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void databaseHeldElsewhereOpensReadOnly();
    void cancellingTheReadOnlyQuestionKeepsWhatWasOpen();
    void changedFileIsAskedAboutBeforeASave_data();
    void changedFileIsAskedAboutBeforeASave();
    void changedFileIsAskedAboutAtTheLeaveQuestion();
    void unmodifiedDocumentIsOfferedForReloading();
};

void SharedFolderUiTest::databaseHeldElsewhereOpensReadOnly()
{
    WorkspaceFixture f;
    const QString path = f.writeDatabase(QStringLiteral("minta.rtf"), WorkspaceFixture::sampleLines());
    HoldingProcess other(path);
    QCOMPARE(other.answer, QStringLiteral("rw"));

    f.dialogs.choiceAnswers.enqueue(0);
    f.open(path);
    QCOMPARE(f.dialogs.choiceButtons, QList<QStringList>{ReadOnlyButtons});
    QVERIFY2(f.dialogs.questions.last().contains(QSysInfo::machineHostName()),
             qPrintable(f.dialogs.questions.last()));
    QCOMPARE(f.window().windowTitle(), "Norla 7.2   -   [ " + path + " ] [csak olvasható]");
    QCOMPARE(f.window().document().lineCount(), 3);

    // F2, delete and the database save commands are off, whatever the form holds.
    f.edit(7)->setText(QStringLiteral("Más cím"));
    for (const QString& name :
         {QStringLiteral("menu3_mentes"), QStringLiteral("menu3_torles"), QStringLiteral("menu0_save")})
        QVERIFY2(!f.action(name)->isEnabled(), qPrintable(name));
    // F2 says why it saves nothing.
    QTest::keyClick(&f.window(), Qt::Key_F2);
    QVERIFY(!f.window().document().isModified());
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.first().startsWith(QStringLiteral("Az F2 nem menti a rekordot.")),
             qPrintable(f.dialogs.messages.first()));
    f.dialogs.messages.clear();
    QVERIFY(f.action(QStringLiteral("menu0_saveas"))->isEnabled());
    // No new records either.
    QVERIFY(!f.action(QStringLiteral("menu3_felvitel"))->isEnabled());
    f.action(QStringLiteral("menu3_felvitel"))->trigger();
    f.edit(1)->setText(QStringLiteral("55"));
    QVERIFY(!f.action(QStringLiteral("menu3_mentes"))->isEnabled());
    QVERIFY(f.dialogs.messages.isEmpty());

    // A replace throughout the records is refused, naming who holds the database.
    f.action(QStringLiteral("menu6_csere_rekordokban"))->trigger();
    auto* replace = f.window().findChild<QDialog*>(QStringLiteral("CsereDialog"));
    QVERIFY(replace);
    replace->findChild<QLineEdit*>(QStringLiteral("edit_keres"))->setText(QStringLiteral("Cím"));
    replace->findChild<QLineEdit*>(QStringLiteral("edit_csere"))->setText(QStringLiteral("Név"));
    replace->findChild<QPushButton*>(QStringLiteral("gomb_elonezet"))->click();
    replace->findChild<QPushButton*>(QStringLiteral("gomb_csere"))->click();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages.last().contains(QSysInfo::machineHostName()),
             qPrintable(f.dialogs.messages.last()));
    QVERIFY(!f.window().document().isModified());
}

void SharedFolderUiTest::cancellingTheReadOnlyQuestionKeepsWhatWasOpen()
{
    WorkspaceFixture f;
    f.openSample();
    const QString title = f.window().windowTitle();
    const QString held =
        f.writeDatabase(QStringLiteral("masik.rtf"), WorkspaceFixture::sampleLines().mid(0, 1));
    HoldingProcess other(held);
    f.dialogs.choiceAnswers.enqueue(1);
    f.open(held);
    QCOMPARE(f.window().windowTitle(), title);
    QCOMPARE(f.window().document().lineCount(), 3);
    // The sample stays locked by this window.
    QCOMPARE(DatabaseLock(f.dir.file(QStringLiteral("minta.rtf"))).acquire(), DatabaseLock::State::Held);
}

void SharedFolderUiTest::changedFileIsAskedAboutBeforeASave_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Felülírás") << 0;
    QTest::newRow("Mentés másként...") << 1;
    QTest::newRow("Mégse") << 2;
}

void SharedFolderUiTest::changedFileIsAskedAboutBeforeASave()
{
    QFETCH(int, answer);
    WorkspaceFixture f;
    f.openSample();
    const QString path = f.dir.file(QStringLiteral("minta.rtf"));
    deleteShownRecord(f);
    // Another program writes the file meanwhile (a restored backup, say).
    const QByteArray theirs = TextFile::encodeUnicode(WorkspaceFixture::sampleLines().mid(2));
    f.dir.writeBytes(QStringLiteral("minta.rtf"), theirs);

    f.dialogs.choiceAnswers.enqueue(answer);
    if (answer == 1)
        f.dialogs.saveFileAnswers.enqueue(f.dir.file(QStringLiteral("sajat")));
    f.action(QStringLiteral("menu0_save"))->trigger();
    QCOMPARE(f.dialogs.choiceButtons, QList<QStringList>{ChangedFileButtons});
    switch (answer) {
    case 0: // written over: the file holds this window's records
        QCOMPARE(TextFile::readUnicode(path).size(), 2);
        QVERIFY(f.dir.readBytes(QStringLiteral("minta.rtf")) != theirs);
        QVERIFY(!f.window().document().isModified());
        break;
    case 1: // saved elsewhere: the other's file stays
        QCOMPARE(f.dir.readBytes(QStringLiteral("minta.rtf")), theirs);
        QCOMPARE(TextFile::readUnicode(f.dir.file(QStringLiteral("sajat.rtf"))).size(), 2);
        QVERIFY(!f.window().document().isModified());
        break;
    default: // nothing written
        QCOMPARE(f.dir.readBytes(QStringLiteral("minta.rtf")), theirs);
        QVERIFY(f.window().document().isModified());
        QVERIFY(f.action(QStringLiteral("menu0_save"))->isEnabled());
        break;
    }
    QVERIFY(f.dialogs.messages.isEmpty());
}

void SharedFolderUiTest::changedFileIsAskedAboutAtTheLeaveQuestion()
{
    WorkspaceFixture f;
    f.openSample();
    deleteShownRecord(f);
    const QByteArray theirs = TextFile::encodeUnicode(WorkspaceFixture::sampleLines().mid(2));
    f.dir.writeBytes(QStringLiteral("minta.rtf"), theirs);
    const QString other = f.writeDatabase(QStringLiteral("masik.rtf"), WorkspaceFixture::sampleLines());

    // "Igen" to saving, then "Mégse" to writing over the changed file: the
    // other database is not opened and nothing is lost.
    f.dialogs.yesNoCancelAnswers.enqueue(UserDialogs::Answer::Yes);
    f.dialogs.choiceAnswers.enqueue(2);
    f.dialogs.openFileAnswers.enqueue(other);
    f.action(QStringLiteral("menu0_open"))->trigger();
    QCOMPARE(f.dialogs.choiceButtons, QList<QStringList>{ChangedFileButtons});
    QCOMPARE(f.dir.readBytes(QStringLiteral("minta.rtf")), theirs);
    QVERIFY(f.window().document().isModified());
    QCOMPARE(f.window().document().path(), f.dir.file(QStringLiteral("minta.rtf")));
    f.dialogs.openFileAnswers.clear();
    QVERIFY(f.dialogs.messages.isEmpty());
}

void SharedFolderUiTest::unmodifiedDocumentIsOfferedForReloading()
{
    WorkspaceFixture f;
    f.openSample();
    f.dir.writeBytes(QStringLiteral("minta.rtf"),
                     TextFile::encodeUnicode(WorkspaceFixture::sampleLines().mid(1)));

    // Declined, the same state of the file does not ask again.
    f.dialogs.yesNoAnswers.enqueue(false);
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&f.window());
    QCOMPARE(f.dialogs.questions.size(), 1);
    QCOMPARE(f.window().document().lineCount(), 3);
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&f.window());
    QCOMPARE(f.dialogs.questions.size(), 1);

    // Changed again and accepted, the file's records are loaded.
    f.dir.writeBytes(QStringLiteral("minta.rtf"),
                     TextFile::encodeUnicode(WorkspaceFixture::sampleLines().mid(2)));
    f.dialogs.yesNoAnswers.enqueue(true);
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&f.window());
    QCOMPARE(f.dialogs.questions.size(), 2);
    QCOMPARE(f.window().document().lineCount(), 1);
}

QTEST_MAIN(SharedFolderUiTest)
#include "tst_sharedfolderui.moc"
