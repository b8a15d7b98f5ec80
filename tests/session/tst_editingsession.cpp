// The editing rules without any widget: the savable rule, append with the
// next name, replace keeping the stored name and unlisted values, refusal of
// shifting separators, delete, the exchange selection, and the undo history
// with the modified state and the recovery copy that follow it.

#include "TestSupport.h"

#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/session/EditingSession.h"
#include "core/session/RecoveryCopy.h"

#include <QtTest>

namespace {

const QString Line =
    QStringLiteral("Ka00012300**könyv**Tárgy**01Szerző**40Más**02**04**Cím**Kiadvány**Kiadó**3**"
                   "1998**12 p.**Pécs**Megj.**http://x**0**ógörög**floppy");

const QStringList ThreeLines = {QStringLiteral("Ka00000100**könyv**a"),
                                QStringLiteral("Lu00000200**könyv**b"),
                                QStringLiteral("Ze00000300**cikk**c")};

struct OpenSession
{
    TempWorkDir dir;
    EditingSession session;

    explicit OpenSession(const QStringList& lines)
    {
        dir.writeBytes(QStringLiteral("db.rtf"), TextFile::encodeUnicode(lines));
        session.setLists({QStringLiteral("könyv"), QStringLiteral("cikk")},
                         {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő")},
                         {QStringLiteral("magyar")});
        session.open(dir.file(QStringLiteral("db.rtf")));
        session.setMode(EditingSession::Mode::Browse);
        session.setCurrentIndex(0);
    }

    // A new record in NewRecords, as F2 saves it.
    void append(const QString& typed)
    {
        session.setMode(EditingSession::Mode::NewRecords);
        session.forgetKeptValues();
        FormState form;
        form.typedName = typed;
        form.recordType = 0;
        form.volume = 1;
        QCOMPARE(session.save(form), QString());
    }
    // The shown record with another title, as F2 saves it in Browse.
    void replace(int index, const QString& title)
    {
        session.setMode(EditingSession::Mode::Browse);
        session.setCurrentIndex(index);
        FormState form = session.showRecord(index);
        form.texts[0] = title;
        QCOMPARE(session.save(form), QString());
    }
    void remove(int index)
    {
        session.setMode(EditingSession::Mode::Browse);
        session.setCurrentIndex(index);
        session.deleteCurrent();
    }
    QString copyPath() const { return RecoveryCopy::pathFor(dir.file(QStringLiteral("db.rtf"))); }
};

} // namespace

class tst_EditingSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savableRule_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("volume");
        QTest::addColumn<bool>("savable");
        const int browse = int(EditingSession::Mode::Browse);
        const int add = int(EditingSession::Mode::NewRecords);
        const int waiting = int(EditingSession::Mode::AwaitingDatabase);
        QTest::newRow("browse, complete") << browse << 0 << "x" << 0 << 0 << true;
        QTest::newRow("browse, no record") << browse << 5 << "x" << 0 << 0 << false;
        QTest::newRow("no database") << waiting << 0 << "x" << 0 << 0 << false;
        QTest::newRow("no name") << add << 0 << "" << 0 << 0 << false;
        QTest::newRow("no type") << add << 0 << "1" << -1 << 0 << false;
        QTest::newRow("no volume") << add << 0 << "1" << 0 << -1 << false;
        QTest::newRow("new, complete") << add << 0 << "1" << 1 << 7 << true;
    }
    void savableRule()
    {
        QFETCH(int, mode);
        QFETCH(int, current);
        QFETCH(QString, typed);
        QFETCH(int, type);
        QFETCH(int, volume);
        QFETCH(bool, savable);
        OpenSession s({Line});
        s.session.setMode(EditingSession::Mode(mode));
        s.session.setCurrentIndex(current);
        FormState form;
        form.typedName = typed;
        form.recordType = type;
        form.volume = volume;
        QCOMPARE(s.session.isSavable(form), savable);
    }

    void replaceKeepsNameAndUnlistedValues()
    {
        OpenSession s({Line});
        FormState form = s.session.showRecord(0);
        QCOMPARE(form.roles[1], -1);
        QCOMPARE(s.session.keptRole(1), "40");
        QCOMPARE(s.session.keptLanguage(), "ógörög");
        QCOMPARE(s.session.keptMedium(), "floppy");
        form.texts[0] = QStringLiteral("Új\ncím");
        form.volume = 3; // the volume control does not rename a replaced record
        QCOMPARE(s.session.save(form), QString());
        QStringList expected = RecordLine::split(Line);
        expected[7] = QStringLiteral("Új cím");
        QCOMPARE(s.session.document().lines(), QStringList{RecordLine::join(expected)});
        QVERIFY(s.session.document().isModified());
    }

    void appendNamesAndNumbers()
    {
        OpenSession s({Line});
        s.session.setMode(EditingSession::Mode::NewRecords);
        s.session.forgetKeptValues();
        FormState form;
        form.typedName = QStringLiteral("999999");
        form.recordType = 1;
        form.volume = 7;
        form.roles = {0, 1, -1, -1};
        QCOMPARE(s.session.save(form), QString());
        QCOMPARE(form.typedName, "1000000");
        const QStringList fields = RecordLine::split(s.session.document().lines().last());
        QCOMPARE(fields[0], "Ma99999900");
        QCOMPARE(fields[1], "cikk");
        QCOMPARE(fields[3], "01");
        QCOMPARE(fields[4], "02");
        QCOMPARE(fields[5], "01");
    }

    void shiftingFieldIsRefused()
    {
        OpenSession s({Line});
        FormState form = s.session.showRecord(0);
        form.creatorNames[0] = QStringLiteral("Kovács*");
        QVERIFY(s.session.save(form).contains(QStringLiteral("„1. alkotó”")));
        QCOMPARE(s.session.document().lines(), QStringList{Line});
        QVERIFY(!s.session.document().isModified());
    }

    void deleteMovesToTheNext()
    {
        OpenSession s({Line, QStringLiteral("Lu00000100**b"), QStringLiteral("Lu00000200**c")});
        s.session.setCurrentIndex(2);
        s.session.deleteCurrent();
        QCOMPARE(s.session.currentIndex(), 1);
        s.session.setCurrentIndex(0);
        s.session.deleteCurrent();
        QCOMPARE(s.session.document().lines(), QStringList{QStringLiteral("Lu00000100**b")});
        QCOMPARE(s.session.currentIndex(), 0);
    }

    void undoAndRedoRestoreLinesAndView_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("index");        // the line changed
        QTest::addColumn<int>("currentAfter"); // the current record once the change is done
        QTest::newRow("append") << "append" << 3 << 0;
        QTest::newRow("replace first") << "replace" << 0 << 0;
        QTest::newRow("replace last") << "replace" << 2 << 2;
        QTest::newRow("delete first") << "delete" << 0 << 0;
        QTest::newRow("delete middle") << "delete" << 1 << 1;
        QTest::newRow("delete last") << "delete" << 2 << 1;
    }
    void undoAndRedoRestoreLinesAndView()
    {
        QFETCH(QString, change);
        QFETCH(int, index);
        QFETCH(int, currentAfter);
        OpenSession s(ThreeLines);
        using Mode = EditingSession::Mode;
        const Mode mode = change == "append" ? Mode::NewRecords : Mode::Browse;
        const int currentBefore = change == "append" ? 0 : index;
        if (change == "append")
            s.append(QStringLiteral("5"));
        else if (change == "replace")
            s.replace(index, QStringLiteral("Új cím"));
        else
            s.remove(index);

        const QStringList changed = s.session.document().lines();
        QStringList expected = ThreeLines;
        if (change == "append")
            expected.append(changed.value(3));
        else if (change == "replace")
            expected[index] = changed.value(index);
        else
            expected.removeAt(index);
        QCOMPARE(changed, expected);
        if (change == "append")
            QVERIFY(changed[3].startsWith(QStringLiteral("Lu00000500**könyv**")));
        if (change == "replace")
            QVERIFY(changed[index].contains(QStringLiteral("**Új cím**")));

        // The user moves elsewhere before undoing: the view comes back to the change.
        s.session.setMode(mode == Mode::Browse ? Mode::NewRecords : Mode::Browse);
        s.session.setCurrentIndex(1);
        s.session.undo();
        QCOMPARE(s.session.document().lines(), ThreeLines);
        QCOMPARE(s.session.mode(), mode);
        QCOMPARE(s.session.currentIndex(), currentBefore);
        QVERIFY(!s.session.document().isModified());
        QVERIFY(!s.session.canUndo() && s.session.canRedo());

        s.session.setCurrentIndex(1);
        s.session.redo();
        QCOMPARE(s.session.document().lines(), changed);
        QCOMPARE(s.session.mode(), mode);
        QCOMPARE(s.session.currentIndex(), currentAfter);
        QVERIFY(s.session.document().isModified());
        QVERIFY(s.session.canUndo() && !s.session.canRedo());
    }

    void stepsUndoInReverseOrder()
    {
        OpenSession s(ThreeLines);
        s.remove(0);
        s.replace(0, QStringLiteral("Más"));
        s.append(QStringLiteral("7"));
        s.remove(1);
        const QStringList last = s.session.document().lines();
        QSignalSpy canRedo(&s.session, &EditingSession::canRedoChanged);
        for (int i = 0; i < 4; ++i)
            s.session.undo();
        QCOMPARE(s.session.document().lines(), ThreeLines);
        QCOMPARE(canRedo.size(), 1);
        for (int i = 0; i < 4; ++i)
            s.session.redo();
        QCOMPARE(s.session.document().lines(), last);
        QCOMPARE(canRedo.size(), 2);
    }

    // The document is modified exactly when the history stands away from the
    // last save, and its recovery copy exists only then.
    void cleanStateFollowsTheSave()
    {
        OpenSession s(ThreeLines);
        QSignalSpy changes(&s.session, &EditingSession::documentChanged);
        s.replace(0, QStringLiteral("Első"));
        s.session.saveDocument();
        const QStringList saved = s.session.document().lines();
        QVERIFY(!s.session.document().isModified());
        QVERIFY(s.session.canUndo()); // saving keeps the history

        s.remove(1);
        QVERIFY(s.session.document().isModified());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(s.copyPath()), 5000);

        s.session.undo(); // back at the save
        QCOMPARE(s.session.document().lines(), saved);
        QVERIFY(!s.session.document().isModified());
        QVERIFY(!QFile::exists(s.copyPath()));

        s.session.undo(); // before the save: modified again, and the copy holds it
        QCOMPARE(s.session.document().lines(), ThreeLines);
        QVERIFY(s.session.document().isModified());
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(s.copyPath()) && TextFile::readUnicode(s.copyPath()) == ThreeLines, 5000);

        s.session.redo();
        QVERIFY(!s.session.document().isModified());
        QVERIFY(!QFile::exists(s.copyPath()));

        // A change made after undoing past the save leaves no way back to it.
        s.session.undo();
        s.replace(2, QStringLiteral("Új ág"));
        s.session.undo();
        QCOMPARE(s.session.document().lines(), ThreeLines);
        QVERIFY(s.session.document().isModified());
        QVERIFY(!changes.isEmpty());
    }

    void openingStartsANewHistory()
    {
        OpenSession s(ThreeLines);
        s.remove(0);
        QSignalSpy canUndo(&s.session, &EditingSession::canUndoChanged);
        s.session.open(s.dir.file(QStringLiteral("db.rtf")));
        QVERIFY(!s.session.canUndo() && !s.session.canRedo());
        QCOMPARE(canUndo.size(), 1);
        QVERIFY(!s.session.document().isModified());

        // A restored copy differs from the file at every step of its history.
        s.dir.writeBytes(QFileInfo(s.copyPath()).fileName(), TextFile::encodeUnicode({ThreeLines[0]}));
        s.session.restoreRecoveryCopy();
        s.remove(0);
        s.session.undo();
        QCOMPARE(s.session.document().lines(), QStringList{ThreeLines[0]});
        QVERIFY(s.session.document().isModified());
        QVERIFY(QFile::exists(s.copyPath()));
    }

    void selectionTakesTwoFields()
    {
        EditingSession session;
        QVERIFY(session.toggleSelection(9));
        QVERIFY(!session.canExchange());
        QVERIFY(session.toggleSelection(2));
        QVERIFY(!session.toggleSelection(7)); // a third is not taken
        QVERIFY(session.canExchange());
        QCOMPARE(session.takeSelection(), std::make_pair(2, 9));
        QVERIFY(!session.isSelected(2));
        QVERIFY(session.toggleSelection(7));
        QVERIFY(session.toggleSelection(7)); // a second click deselects
        QVERIFY(!session.isSelected(7));
    }
};

QTEST_GUILESS_MAIN(tst_EditingSession)
#include "tst_editingsession.moc"
