// Every path by which an edit reaches a record line, and every way of leaving
// a document, checked for lost or silently changed characters: line breaks,
// separators inside fields, values the lists cannot show, long records,
// scripts outside the 8-bit code page, the questions before edits are left,
// the mouse wheel, and the recovery copy after a killed process.

#include "WorkspaceFixture.h"

#include "core/record/RecordLine.h"
#include "core/session/RecoveryCopy.h"
#include "ui/index/IndexDialog.h"
#include "ui/workspace/RadioGroup.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

const QString ChildModeVariable = QStringLiteral("NORLA_RECOVERY_CHILD");
const QString ChildReady = QStringLiteral("copy written");

QStringList fieldsOf(const QString& line)
{
    return RecordLine::split(line);
}

QString withField(const QString& line, int index, const QString& value)
{
    QStringList fields = fieldsOf(line);
    fields[index] = value;
    return RecordLine::join(fields);
}

// The line of the first sample record after its title (field 8) became `title`.
QString firstSampleWithTitle(const QString& title)
{
    return withField(WorkspaceFixture::sampleLines()[0], 7, title);
}

void dropText(QWidget* target, const QString& text)
{
    QMimeData data;
    data.setText(text);
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

bool wheelOver(QWidget* target)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    return QCoreApplication::sendEvent(target, &wheel);
}

// The child of the crash test: opens the sample, replaces a record and
// deletes one, waits until the recovery copy holds both, says so and waits
// to be killed.
int runRecoveryChild(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDir::setCurrent(qEnvironmentVariable("NORLA_RECOVERY_DIR"));
    ScriptedDialogs dialogs;
    NorlaProgram program;
    MainWindow& window = program.mainWindow();
    window.show();
    dialogs.openFileAnswers.enqueue(QDir::current().filePath(QStringLiteral("minta.rtf")));
    window.findChild<QAction*>(QStringLiteral("menu0_open"))->trigger();
    window.findChild<QLineEdit*>(QStringLiteral("Edit7"))->setText(QStringLiteral("Helyreállított cím"));
    window.findChild<QAction*>(QStringLiteral("menu3_mentes"))->trigger();
    window.findChild<QAction*>(QStringLiteral("gnyil4_action"))->trigger();
    dialogs.yesNoAnswers.enqueue(true);
    window.findChild<QAction*>(QStringLiteral("menu3_torles"))->trigger();

    const QByteArray expected = window.document().encode();
    const QString copy = RecoveryCopy::pathFor(window.document().path());
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QFile file(copy);
        if (file.open(QIODevice::ReadOnly) && file.readAll() == expected) {
            poll.stop();
            QTextStream(stdout) << ChildReady << Qt::endl;
        }
    });
    poll.start(20);
    return QApplication::exec();
}

} // namespace

Q_DECLARE_METATYPE(UserDialogs::Answer)

class tst_RecordSafety : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineBreaksNeverReachTheLine_data();
    void lineBreaksNeverReachTheLine();
    void shiftingSeparatorsAreRefused_data();
    void shiftingSeparatorsAreRefused();
    void shortNameFieldIsKept();
    void unlistedValuesAreKept();
    void longRecordIsSavedWhole();
    void questionBeforeLeavingTheDocument_data();
    void questionBeforeLeavingTheDocument();
    void leaveQuestionEscapeMeansCancel();
    void saveAsAsksBeforeReplacingAnotherDatabase();
    void wheelChangesOnlyFocusedControls_data();
    void wheelChangesOnlyFocusedControls();
    void recoveryCopyFollowsTheDocument();
    void recoveryAfterAKilledProcess();
};

void tst_RecordSafety::lineBreaksNeverReachTheLine_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::newRow("paste LF") << "paste"
                              << "Első sor\nMásodik sor";
    QTest::newRow("paste CR LF") << "paste"
                                 << "Első sor\r\nMásodik sor";
    QTest::newRow("drop CR") << "drop"
                             << "Első sor\rMásodik sor";
    QTest::newRow("drop U+2029") << "drop" << QStringLiteral("Első sor\u2029Második sor");
    QTest::newRow("typed U+2028") << "set" << QStringLiteral("Első sor\u2028Második sor");
}

void tst_RecordSafety::lineBreaksNeverReachTheLine()
{
    QFETCH(QString, how);
    QFETCH(QString, text);

    WorkspaceFixture f;
    f.openSample();
    QLineEdit* title = f.edit(7);
    title->clear();
    title->setFocus();
    if (how == "paste") {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(title, Qt::Key_V, Qt::ControlModifier);
    } else if (how == "drop") {
        dropText(title, text);
    } else {
        title->setText(text);
    }
    f.action("menu3_mentes")->trigger();
    f.action("menu0_save")->trigger();

    const QStringList lines = TextFile::readUnicode(f.dir.file("minta.rtf"));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], firstSampleWithTitle("Első sor Második sor"));
}

void tst_RecordSafety::shiftingSeparatorsAreRefused_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("separator in the title") << 7 << "A**B"
                                            << "Cím";
    QTest::newRow("asterisk ending a creator") << 3 << "Kovács*"
                                               << "1. alkotó";
    QTest::newRow("asterisk ending the note") << 14 << "lásd még *"
                                              << "Megjegyzés";
    QTest::newRow("lone asterisk in the subject") << 2 << "*"
                                                  << "Tárgykör";
}

void tst_RecordSafety::shiftingSeparatorsAreRefused()
{
    QFETCH(int, edit);
    QFETCH(QString, text);
    QFETCH(QString, field);

    WorkspaceFixture f;
    f.openSample();
    f.edit(edit)->setText(text);
    f.action("menu3_mentes")->trigger();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].contains("„" + field + "”"), qPrintable(f.dialogs.messages[0]));
    QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());
    QVERIFY(!f.window().document().isModified());

    // An asterisk that starts a field moves nothing.
    f.dialogs.messages.clear();
    f.edit(edit)->setText("*szöveg");
    f.action("menu3_mentes")->trigger();
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(f.window().document().isModified());
}

void tst_RecordSafety::shortNameFieldIsKept()
{
    WorkspaceFixture f;
    const QString line =
        "Ka123**könyv**Tárgy**01Író**02**03**04**Cím**K**Kiadó**1**1990**5**Pécs**M****0**latin**papír";
    f.open(f.writeDatabase("rovid.rtf", {line, WorkspaceFixture::sampleLines()[1]}));
    f.edit(7)->setText("Új cím");
    f.action("menu3_mentes")->trigger();
    QCOMPARE(f.window().document().lines()[0], withField(line, 7, "Új cím"));
}

void tst_RecordSafety::unlistedValuesAreKept()
{
    WorkspaceFixture f;
    // A type, two role codes, a language and a medium that no list shows.
    const QString line = "Ka00000100**monográfia**Tárgy**40Első Név**0cMásik Név**02Harmadik**01**Cím**K**"
                         "Kiadó**1**1990**5**Pécs**M**http://l**0**ógörög**floppy";
    f.open(f.writeDatabase("ritka.rtf", {line, WorkspaceFixture::sampleLines()[1]}));
    QCOMPARE(f.combo("cb_rektipus")->currentIndex(), -1);
    QCOMPARE(f.combo("cb_rektipus")->placeholderText(), "monográfia");
    QCOMPARE(f.combo("cbox1")->currentIndex(), -1);
    QCOMPARE(f.combo("cb_nyelv")->currentIndex(), -1);

    f.edit(7)->setText("Javított cím");
    QVERIFY(f.action("menu3_mentes")->isEnabled());
    f.action("menu3_mentes")->trigger();
    QCOMPARE(f.window().document().lines()[0], withField(line, 7, "Javított cím"));

    // A choice made in a list replaces the kept value.
    f.combo("cb_rektipus")->setCurrentIndex(0);
    f.combo("cbox1")->setCurrentIndex(1);
    f.edit(7)->setText("Harmadszor");
    f.action("menu3_mentes")->trigger();
    const QStringList fields = fieldsOf(f.window().document().lines()[0]);
    QCOMPARE(fields[1], "könyv");
    QCOMPARE(fields[3], "02Első Név");
    QCOMPARE(fields[4], "0cMásik Név");
    QCOMPARE(fields[17], "ógörög");

    // A new record starts with nothing kept.
    f.action("menu3_felvitel")->trigger();
    QCOMPARE(f.combo("cb_rektipus")->placeholderText(), QString());
}

void tst_RecordSafety::longRecordIsSavedWhole()
{
    WorkspaceFixture f;
    const QString title = QString(6000, u'ő');
    const QString line = firstSampleWithTitle(title);
    f.open(f.writeDatabase("hosszu.rtf", {line, WorkspaceFixture::sampleLines()[1]}));
    QCOMPARE(f.edit(7)->text(), title);
    QCOMPARE(f.edit(14)->text(), "Példa megjegyzés");
    f.edit(14)->setText("Új megjegyzés");
    f.action("menu3_mentes")->trigger();
    QCOMPARE(f.window().document().lines()[0], withField(line, 14, "Új megjegyzés"));
}

void tst_RecordSafety::questionBeforeLeavingTheDocument_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<UserDialogs::Answer>("answer");
    for (const char* command : {"Kilps1", "menu0_open", "menu0_uj", "Indexels1"}) {
        QTest::addRow("%s, Mégse", command) << command << UserDialogs::Answer::Cancel;
        QTest::addRow("%s, Nem", command) << command << UserDialogs::Answer::No;
        QTest::addRow("%s, Igen", command) << command << UserDialogs::Answer::Yes;
    }
}

void tst_RecordSafety::questionBeforeLeavingTheDocument()
{
    QFETCH(QString, command);
    QFETCH(UserDialogs::Answer, answer);

    WorkspaceFixture f;
    const QString other = f.writeDatabase("masik.rtf", {WorkspaceFixture::sampleLines()[2]});
    f.writeDatabase("adatbazis.rtf", {WorkspaceFixture::sampleLines()[2]});
    f.openSample();
    const QByteArray before = f.dir.readBytes("minta.rtf");
    f.edit(7)->setText("Szerkesztett cím");
    f.action("menu3_mentes")->trigger();
    const QStringList edited = f.window().document().lines();

    f.dialogs.yesNoCancelAnswers.enqueue(answer);
    f.dialogs.openFileAnswers.enqueue(other);
    f.dialogs.saveFileAnswers.enqueue(f.dir.file("friss"));
    if (command == "Indexels1")
        QTimer::singleShot(0, [&] {
            auto* index = f.window().findChild<IndexDialog*>();
            index->setIndexingFinished(true); // as a completed run leaves it
            index->reject();
        });
    f.action(command)->trigger();
    QCOMPARE(f.dialogs.questions, QStringList{"Mentsem az adatbázisban történt módosításokat ?"});

    const bool left = answer != UserDialogs::Answer::Cancel;
    QCOMPARE(f.dir.readBytes("minta.rtf") == before, answer != UserDialogs::Answer::Yes);
    if (command == "Kilps1") {
        QCOMPARE(f.window().isVisible(), !left);
    } else {
        QCOMPARE(f.window().document().path() != f.dir.file("minta.rtf"), left);
    }
    if (!left) {
        QCOMPARE(f.window().document().lines(), edited);
        QVERIFY(f.window().document().isModified());
        QVERIFY(f.window().windowTitle().endsWith(" *"));
    }
}

void tst_RecordSafety::leaveQuestionEscapeMeansCancel()
{
    WorkspaceFixture f;
    f.openSample();
    f.edit(7)->setText("Szerkesztett cím");
    f.action("menu3_mentes")->trigger();

    UserDialogs::install(nullptr); // the real message box
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons())
            buttons.append(button->text().remove(u'&'));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const bool closed = f.window().close();
    UserDialogs::install(&f.dialogs);
    QVERIFY(!closed);
    QVERIFY(buttons.contains("Mégse"));
    QVERIFY(f.window().isVisible());
    QVERIFY(f.window().document().isModified());
}

void tst_RecordSafety::saveAsAsksBeforeReplacingAnotherDatabase()
{
    WorkspaceFixture f;
    const QByteArray other = TextFile::encodeUnicode({WorkspaceFixture::sampleLines()[2]});
    f.dir.writeBytes("masik.rtf", other);
    f.openSample();

    // The name gets its ".rtf" after the dialog; the question is about that file.
    f.dialogs.saveFileAnswers.enqueue(f.dir.file("masik"));
    f.dialogs.yesNoAnswers.enqueue(false);
    f.action("menu0_saveas")->trigger();
    QCOMPARE(f.dialogs.questions.size(), 1);
    QVERIFY(f.dialogs.questions[0].contains(f.dir.file("masik.rtf")));
    QCOMPARE(f.dir.readBytes("masik.rtf"), other);

    f.dialogs.saveFileAnswers.enqueue(f.dir.file("masik"));
    f.dialogs.yesNoAnswers.enqueue(true);
    f.action("menu0_saveas")->trigger();
    QCOMPARE(TextFile::readUnicode(f.dir.file("masik.rtf")), WorkspaceFixture::sampleLines());
}

void tst_RecordSafety::wheelChangesOnlyFocusedControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("record names") << "cb_rekordok0";
    QTest::newRow("role") << "cbox1";
    QTest::newRow("record type") << "cb_rektipus";
    QTest::newRow("language") << "cb_nyelv";
}

void tst_RecordSafety::wheelChangesOnlyFocusedControls()
{
    QFETCH(QString, control);

    WorkspaceFixture f;
    f.openSample();
    QComboBox* combo = f.combo(control);
    QCOMPARE(combo->focusPolicy(), Qt::StrongFocus);
    f.edit(7)->setFocus();
    const int before = combo->currentIndex();
    const QString shown = f.edit(7)->text();
    wheelOver(combo);
    QCOMPARE(combo->currentIndex(), before);
    QCOMPARE(f.edit(7)->text(), shown);

    combo->setFocus();
    QTRY_VERIFY(combo->hasFocus());
    wheelOver(combo);
    QVERIFY(combo->currentIndex() != before);
}

void tst_RecordSafety::recoveryCopyFollowsTheDocument()
{
    WorkspaceFixture f;
    f.openSample();
    const QString copy = RecoveryCopy::pathFor(f.dir.file("minta.rtf"));
    f.edit(7)->setText("Szerkesztett cím");
    f.action("menu3_mentes")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 2000);
    QCOMPARE(f.dir.readBytes(QFileInfo(copy).fileName()), f.window().document().encode());

    // Saving the database makes the copy needless.
    f.action("menu0_save")->trigger();
    QVERIFY(!QFile::exists(copy));

    // Declined, a copy stays and the database opens as its file holds it.
    const QStringList saved = TextFile::readUnicode(f.dir.file("minta.rtf"));
    f.dir.writeBytes(QFileInfo(copy).fileName(), TextFile::encodeUnicode({"Ka00000900**a"}));
    f.dialogs.yesNoAnswers.enqueue(false);
    f.open(f.dir.file("minta.rtf"));
    QCOMPARE(f.dialogs.questions.size(), 1);
    QVERIFY(f.dialogs.questions[0].contains(copy));
    QCOMPARE(f.window().document().lines(), saved);
    QVERIFY(QFile::exists(copy));

    // Edits thrown away at the leave question take their copy with them.
    f.dialogs.yesNoAnswers.enqueue(false);
    f.open(f.dir.file("minta.rtf"));
    f.edit(7)->setText("Eldobott cím");
    f.action("menu3_mentes")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy) && f.dir.readBytes(QFileInfo(copy).fileName()) ==
                                                        f.window().document().encode(),
                             2000);
    f.dialogs.yesNoCancelAnswers.enqueue(UserDialogs::Answer::No);
    QVERIFY(f.window().close());
    QVERIFY(!QFile::exists(copy));
}

void tst_RecordSafety::recoveryAfterAKilledProcess()
{
    WorkspaceFixture f;
    f.writeDatabase("minta.rtf", WorkspaceFixture::sampleLines());
    const QByteArray before = f.dir.readBytes("minta.rtf");

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ChildModeVariable, "1");
    environment.insert("NORLA_RECOVERY_DIR", f.dir.path());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    QString output;
    QTRY_VERIFY_WITH_TIMEOUT(
        (output += QString::fromUtf8(child.readAllStandardOutput())).contains(ChildReady) ||
            child.state() == QProcess::NotRunning,
        20000);
    QCOMPARE(child.state(), QProcess::Running);
    child.kill(); // SIGKILL: nothing of the child's own runs any more
    QVERIFY(child.waitForFinished());

    // The database itself never saw the edits.
    QCOMPARE(f.dir.readBytes("minta.rtf"), before);
    const QStringList expected = {firstSampleWithTitle("Helyreállított cím"),
                                  WorkspaceFixture::sampleLines()[1]};

    f.dialogs.yesNoAnswers.enqueue(true);
    f.open(f.dir.file("minta.rtf"));
    QCOMPARE(f.dialogs.questions.size(), 1);
    QCOMPARE(f.window().document().lines(), expected);
    QVERIFY(f.window().document().isModified());
    QVERIFY(f.action("menu0_save")->isEnabled());
    QVERIFY(f.window().windowTitle().endsWith(" *"));

    f.action("menu0_save")->trigger();
    QCOMPARE(f.dir.readBytes("minta.rtf"), TextFile::encodeUnicode(expected));
    QVERIFY(!QFile::exists(RecoveryCopy::pathFor(f.dir.file("minta.rtf"))));
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(qPrintable(ChildModeVariable)))
        return runRecoveryChild(argc, argv);
    QApplication app(argc, argv);
    tst_RecordSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordsafety.moc"
