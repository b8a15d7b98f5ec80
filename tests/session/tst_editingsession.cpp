// The editing rules without any widget: the savable rule, append with the
// next name, replace keeping the stored name and unlisted values, refusal of
// shifting separators, delete, and the exchange selection.

#include "TestSupport.h"

#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/session/EditingSession.h"

#include <QtTest>

namespace {

const QString Line =
    QStringLiteral("Ka00012300**könyv**Tárgy**01Szerző**40Más**02**04**Cím**Kiadvány**Kiadó**3**"
                   "1998**12 p.**Pécs**Megj.**http://x**0**ógörög**floppy");

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
