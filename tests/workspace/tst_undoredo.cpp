// Undo and redo of the document's changes, driven like a user: every kind of
// record change taken back and made again with the lines, the shown record,
// the modified marker and the enabled commands following; the save as the
// clean state; the keys shared with the fields' own undo.

#include "WorkspaceFixture.h"

#include "ui/workspace/RadioGroup.h"

#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace {

using Mode = MainWindow::Mode;

// The commands whose enabled state follows the history and the save.
struct Commands
{
    bool undo;
    bool redo;
    bool save;
};

// The menu entries; their tool buttons share the actions' enabled state.
Commands commandsOf(const WorkspaceFixture& f)
{
    return {f.action("menu6_visszavonas")->isEnabled(), f.action("menu6_megis")->isEnabled(),
            f.action("menu0_save")->isEnabled()};
}

bool operator==(const Commands& a, const Commands& b)
{
    return a.undo == b.undo && a.redo == b.redo && a.save == b.save;
}

char* toString(const Commands& c)
{
    return qstrdup(QStringLiteral("undo %1, redo %2, save %3").arg(c.undo).arg(c.redo).arg(c.save).toUtf8());
}

bool marked(const WorkspaceFixture& f)
{
    return f.window().windowTitle().endsWith(QStringLiteral(" *"));
}

void clickLabel(WorkspaceFixture& f, int field)
{
    QTest::mouseClick(f.find<QLabel>(QStringLiteral("Label%1").arg(field)), Qt::LeftButton);
}

// A new record with the fields the form needs, saved with F2.
void appendRecord(WorkspaceFixture& f, const QString& number)
{
    f.edit(1)->setText(number);
    f.combo("cb_rektipus")->setCurrentIndex(0);
    f.find<RadioGroup>("rg_kotet")->button(1)->click();
    QTest::keyClick(&f.window(), Qt::Key_F2);
}

} // namespace

class tst_UndoRedo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyChangeIsUndoneAndRedone_data();
    void everyChangeIsUndoneAndRedone();
    void savedStateIsClean();
    void keysLeaveTypingToTheField();
    void openingForgetsTheHistory();
};

void tst_UndoRedo::everyChangeIsUndoneAndRedone_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("mode");       // of the change, and so after undo and redo
    QTest::addColumn<int>("current");    // the current record after undo (Browse)
    QTest::addColumn<QString>("shown");  // its name as the form shows it
    QTest::addColumn<QString>("title");  // its title after undo
    QTest::addColumn<int>("redoneAt");   // the current record after redo
    QTest::addColumn<QString>("redone"); // its title after redo
    const int browse = int(Mode::Browse);
    const int add = int(Mode::NewRecords);
    QTest::newRow("append") << "append" << add << 0 << ""
                            << "" << 0 << "";
    QTest::newRow("replace") << "replace" << browse << 1 << "Lu.000005.00"
                             << "Cím kettő" << 1 << "Javított";
    QTest::newRow("delete") << "delete" << browse << 1 << "Lu.000005.00"
                            << "Cím kettő" << 1 << "Harmadik cím";
    QTest::newRow("exchange, F2") << "exchange" << browse << 1 << "Lu.000005.00"
                                  << "Cím kettő" << 1 << "Kiadó kettő";
    QTest::newRow("clear, F2") << "clear" << add << 0 << ""
                               << "" << 0 << "";
}

void tst_UndoRedo::everyChangeIsUndoneAndRedone()
{
    QFETCH(QString, change);
    QFETCH(int, mode);
    QFETCH(int, current);
    QFETCH(QString, shown);
    QFETCH(QString, title);
    QFETCH(int, redoneAt);
    QFETCH(QString, redone);

    WorkspaceFixture f;
    f.openSample();
    const QStringList sample = WorkspaceFixture::sampleLines();
    QCOMPARE(commandsOf(f), (Commands{false, false, false}));
    if (Mode(mode) == Mode::NewRecords)
        f.action("menu3_felvitel")->trigger();
    else
        f.action("gnyil3_action")->trigger(); // the second record

    if (change == "append") {
        appendRecord(f, "77");
    } else if (change == "replace") {
        f.edit(7)->setText("Javított");
        QTest::keyClick(&f.window(), Qt::Key_F2);
    } else if (change == "delete") {
        f.dialogs.yesNoAnswers.enqueue(true);
        f.action("menu3_torles")->trigger();
    } else if (change == "exchange") {
        clickLabel(f, 7);
        clickLabel(f, 9);
        f.action("menu6_csere")->trigger();
        QTest::keyClick(&f.window(), Qt::Key_F2);
    } else if (change == "clear") {
        f.edit(7)->setText("Eltűnő cím");
        f.action("menu6_urites")->trigger();
        appendRecord(f, "78");
    }
    const QStringList changed = f.window().document().lines();
    QVERIFY(changed != sample);
    QVERIFY(marked(f));
    QCOMPARE(commandsOf(f), (Commands{true, false, true}));

    // Moving elsewhere first: the view comes back to the change.
    f.action(Mode(mode) == Mode::Browse ? "menu3_felvitel" : "menu3_tallozas")->trigger();
    QTest::mouseClick(f.find<QToolButton>("sb_visszavonas"), Qt::LeftButton);
    QCOMPARE(f.window().document().lines(), sample);
    QCOMPARE(int(f.window().mode()), mode);
    QVERIFY(!marked(f));
    QCOMPARE(commandsOf(f), (Commands{false, true, false}));
    QCOMPARE(f.combo("cb_rekordok0")->count(), 3);
    if (Mode(mode) == Mode::Browse) {
        QCOMPARE(f.window().currentRecordIndex(), current);
        QCOMPARE(f.combo("cb_rekordok0")->currentIndex(), current);
        QCOMPARE(f.find<QLabel>("lab_reknev")->text(), shown);
        QCOMPARE(f.edit(7)->text(), title);
        QVERIFY(f.action("menu3_torles")->isEnabled());
    } else {
        QCOMPARE(f.find<QLabel>("labrek")->text(), "rögzített rekordok száma: 3");
    }
    QVERIFY(!f.action("menu3_mentes")->isEnabled());

    f.action("menu6_megis")->trigger();
    QCOMPARE(f.window().document().lines(), changed);
    QCOMPARE(int(f.window().mode()), mode);
    QVERIFY(marked(f));
    QCOMPARE(commandsOf(f), (Commands{true, false, true}));
    QCOMPARE(f.combo("cb_rekordok0")->count(), changed.size());
    if (Mode(mode) == Mode::Browse) {
        QCOMPARE(f.window().currentRecordIndex(), redoneAt);
        QCOMPARE(f.edit(7)->text(), redone);
    } else {
        QCOMPARE(f.find<QLabel>("labrek")->text(), "rögzített rekordok száma: 4");
    }
}

void tst_UndoRedo::savedStateIsClean()
{
    WorkspaceFixture f;
    f.openSample();
    f.edit(7)->setText("Első javítás");
    QTest::keyClick(&f.window(), Qt::Key_F2);
    f.action("menu0_save")->trigger();
    const QStringList saved = f.window().document().lines();
    QVERIFY(!marked(f));
    QCOMPARE(commandsOf(f), (Commands{true, false, false}));

    f.edit(7)->setText("Második javítás");
    QTest::keyClick(&f.window(), Qt::Key_F2);
    QVERIFY(marked(f));
    f.action("menu6_visszavonas")->trigger(); // back at the save
    QCOMPARE(f.window().document().lines(), saved);
    QVERIFY(!marked(f));
    QCOMPARE(commandsOf(f), (Commands{true, true, false}));
    f.action("menu6_visszavonas")->trigger(); // past it: unsaved against the file
    QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());
    QVERIFY(marked(f));
    QCOMPARE(commandsOf(f), (Commands{false, true, true}));

    // Leaving asks about the difference from the file, and only then.
    f.action("menu6_megis")->trigger();
    QVERIFY(!marked(f));
    QVERIFY(f.window().close());
    QVERIFY(f.dialogs.questions.isEmpty());
}

void tst_UndoRedo::keysLeaveTypingToTheField()
{
    WorkspaceFixture f;
    f.openSample();
    f.edit(7)->setText("Javított");
    QTest::keyClick(&f.window(), Qt::Key_F2);
    const QStringList changed = f.window().document().lines();

    QLineEdit* title = f.edit(7);
    title->setFocus();
    QTRY_VERIFY(title->hasFocus());
    title->end(false);
    QTest::keyClicks(title, "x");
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier); // the field's own typing
    QCOMPARE(title->text(), "Javított");
    QCOMPARE(f.window().document().lines(), changed);

    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier); // nothing left in the field
    QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());
    QCOMPARE(title->text(), "A példa címe");

    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.window().document().lines(), changed);
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(title, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.window().document().lines(), changed);
    QCOMPARE(title->text(), "Javított");
}

void tst_UndoRedo::openingForgetsTheHistory()
{
    WorkspaceFixture f;
    f.openSample();
    f.dialogs.yesNoAnswers.enqueue(true);
    f.action("menu3_torles")->trigger();
    QCOMPARE(commandsOf(f), (Commands{true, false, true}));
    f.dialogs.yesNoCancelAnswers.enqueue(UserDialogs::Answer::No);
    f.open(f.dir.file("minta.rtf"));
    QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());
    QCOMPARE(commandsOf(f), (Commands{false, false, false}));
}

QTEST_MAIN(tst_UndoRedo)
#include "tst_undoredo.moc"
