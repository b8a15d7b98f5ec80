#include "ConvertFixtures.h"
#include "JobCheckpoints.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "core/record/TextFile.h"
#include "ui/convert/ConversionPage.h"
#include "ui/convert/LinePane.h"

#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

enum Kind
{
    Dbf = 0,
    Zdb = 1,
    Director = 2
};

class PageDriver
{
public:
    PageDriver()
    {
        page.resize(900, 600);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
    }

    template <typename T> T* control(const char* name) const
    {
        T* found = page.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QRadioButton* item(const char* group, int index) const
    {
        return control<QGroupBox>(group)->findChildren<QRadioButton*>().value(index);
    }
    // On the radio indicator or the button's left edge: the middle of a wide
    // radio button may lie beyond its caption, where it does not take clicks.
    void click(QAbstractButton* button) const
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    void chooseKind(int kind) const { click(item("rg_konvtipus", kind)); }
    void chooseVolume(int volume) const { click(item("rg_kotet2", volume)); }
    void step(int number) const
    {
        click(control<QPushButton>(QByteArray("gkonv" + QByteArray::number(number))));
    }
    QString text(const char* pane) const { return control<LinePane>(pane)->toPlainText(); }
    bool enabled(const char* name) const { return control<QWidget>(name)->isEnabled(); }
    QList<bool> states() const
    {
        QList<bool> result;
        for (const char* name : {"rg_kotet2", "gkonv1", "gkonv2", "gkonv3", "re103", "re104"})
            result.append(enabled(name));
        return result;
    }
    int checkedItem(const char* group) const
    {
        const QList<QRadioButton*> items = control<QGroupBox>(group)->findChildren<QRadioButton*>();
        for (int i = 0; i < items.size(); ++i)
            if (items[i]->isChecked())
                return i;
        return -1;
    }

    ConversionPage page;
};

using States = QList<bool>; // rg_kotet2, gkonv1, gkonv2, gkonv3, re103, re104

} // namespace

class TestConversionPage : public QObject
{
    Q_OBJECT

private slots:
    void controlsAsBuilt();
    void enabledStatesFollowTheSteps();
    void fullRun_data();
    void fullRun();
    void stepTwoWithoutAKindSavesAnEmptyDatabase();
    void errorsEndTheStepAndKeepWhatWasDone();
    void failedOpenKeepsStepTwoEnabled();
    void replacingAFileIsAskedAboutTheNameWritten_data();
    void replacingAFileIsAskedAboutTheNameWritten();
    void statusTellsWhatWasLeftOut_data();
    void statusTellsWhatWasLeftOut();
    void stoppedStepsChangeNothing();
};

void TestConversionPage::controlsAsBuilt()
{
    PageDriver ui;
    QCOMPARE(ui.page.objectName(), QStringLiteral("lap_konvertal"));
    QCOMPARE(ui.control<QGroupBox>("rg_konvtipus")->title(), QStringLiteral(" Konvertálandó fájl típusa "));
    QCOMPARE(ui.control<QGroupBox>("rg_kotet2")->title(), QStringLiteral(" Kötet "));
    QStringList volumes;
    for (QRadioButton* item : ui.control<QGroupBox>("rg_kotet2")->findChildren<QRadioButton*>())
        volumes.append(item->text());
    QCOMPARE(volumes,
             (QStringList{QStringLiteral("Kardel"), QStringLiteral("Lunvek"), QStringLiteral("Nosvair"),
                          QStringLiteral("Sivarnholdt"), QStringLiteral("Vuranek"), QStringLiteral("Zelnar"),
                          QStringLiteral("Gorval"), QStringLiteral("Ma (új adatok)")}));
    QCOMPARE(ui.item("rg_konvtipus", 2)->text(), QStringLiteral("Director állományból"));
    QCOMPARE(ui.control<QPushButton>("gkonv1")->text(), QStringLiteral("1. Forrásfájl megnyitása"));
    // Wide enough for " Konvertálandó fájl típusa " at the usual desktop fonts.
    QCOMPARE(ui.control<QWidget>("Panel5")->width(), 210);
    QCOMPARE(ui.control<QPushButton>("gkonv3")->width(), 180);
    QCOMPARE(ui.control<QWidget>("re103")->height(), 89);
    QCOMPARE(ui.control<LinePane>("re103")->font().family(), QStringLiteral("Lucida Sans Unicode"));
    QCOMPARE(ui.control<LinePane>("re104")->font().pointSize(), 8);
    // As built everything is enabled and nothing is selected.
    QCOMPARE(ui.states(), (States{true, true, true, true, true, true}));
    QCOMPARE(ui.checkedItem("rg_konvtipus"), -1);
    QCOMPARE(ui.checkedItem("rg_kotet2"), -1);
}

void TestConversionPage::enabledStatesFollowTheSteps()
{
    TempWorkDir dir;
    ScriptedDialogs dialogs;
    dir.writeBytes(QStringLiteral("forras.txt"), QByteArray("konyv\r\n"));
    PageDriver ui;
    ui.chooseKind(Director);
    ui.chooseVolume(3);
    ui.page.resetForMenuEntry();
    QCOMPARE(ui.states(), (States{false, false, false, false, false, false}));
    QCOMPARE(ui.checkedItem("rg_konvtipus"), -1);
    QCOMPARE(ui.checkedItem("rg_kotet2"), -1);

    ui.step(1); // disabled: no dialog
    QVERIFY(dialogs.fileDialogTitles.isEmpty());

    ui.chooseKind(Director);
    QCOMPARE(ui.states(), (States{true, true, false, false, false, false}));
    ui.chooseVolume(5);
    ui.chooseKind(Zdb);
    QCOMPARE(ui.states(), (States{false, true, false, false, false, false}));
    QCOMPARE(ui.checkedItem("rg_kotet2"), 5); // the selection stays
    ui.chooseKind(Director);

    dialogs.openFileAnswers.enqueue(QString()); // cancelled: nothing changes
    ui.step(1);
    QCOMPARE(ui.states(), (States{true, true, false, false, false, false}));

    dialogs.openFileAnswers.enqueue(dir.file(QStringLiteral("forras.txt")));
    ui.step(1);
    QCOMPARE(ui.states(), (States{true, true, true, false, true, false}));
    QCOMPARE(ui.text("re103"), QStringLiteral("konyv"));

    ui.step(2);
    QCOMPARE(ui.states(), (States{true, true, true, true, true, true}));

    // Another kind later keeps steps 2 and 3 and the panes.
    ui.chooseKind(Dbf);
    QCOMPARE(ui.states(), (States{false, true, true, true, true, true}));
    QCOMPARE(ui.text("re103"), QStringLiteral("konyv"));

    ui.page.resetForMenuEntry();
    QCOMPARE(ui.states(), (States{false, false, false, false, false, false}));
    QCOMPARE(ui.text("re103"), QStringLiteral("konyv"));

    QCOMPARE(dialogs.fileDialogTitles,
             (QStringList{QStringLiteral("Forrásfájl megnyitása"), QStringLiteral("Forrásfájl megnyitása")}));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestConversionPage::fullRun_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("dBase") << int(Dbf) << QString() << QStringLiteral("Dbase fájl|*.dbf")
                           << sampleTableLines();
    QTest::newRow("zdb") << int(Zdb) << testDataPath(QStringLiteral("convert/minta.zdb"))
                         << QStringLiteral("Zdb fájl|*.zdb") << sampleZdbLines();
    QTest::newRow("Director") << int(Director) << testDataPath(QStringLiteral("convert/minta_director.txt"))
                              << QStringLiteral("Director fájl|*.txt") << sampleDirectorLines();
}

void TestConversionPage::fullRun()
{
    QFETCH(int, kind);
    QFETCH(QString, source);
    QFETCH(QString, filter);
    QFETCH(QStringList, lines);
    TempWorkDir dir;
    if (source.isEmpty())
        source = writeSampleTable(dir);
    ScriptedDialogs dialogs;
    PageDriver ui;
    ui.page.resetForMenuEntry();
    ui.chooseKind(kind);
    if (kind == Director)
        ui.chooseVolume(5);
    dialogs.openFileAnswers.enqueue(source);
    ui.step(1);
    if (kind != Dbf)
        QCOMPARE(ui.text("re103"), TextFile::readUnicode(source).join(u'\n'));
    ui.step(2);
    QCOMPARE(ui.text("re104"), lines.join(u'\n'));
    dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("eredmeny")));
    ui.step(3);
    QCOMPARE(dir.readBytes(QStringLiteral("eredmeny.rtf")), unicodeFileBytes(lines));
    QCOMPARE(dialogs.fileDialogFilters, (QStringList{filter, QStringLiteral("RTF|*.rtf")}));
    QCOMPARE(dialogs.fileDialogTitles,
             (QStringList{QStringLiteral("Forrásfájl megnyitása"), QStringLiteral("Adatok mentése")}));
    QCOMPARE(dialogs.messages, QStringList());

    // Step 3 again under a name with ".rtf" inside, step 2 again rebuilds the same lines.
    ui.step(2);
    dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("eredmeny.rtf.bak")));
    ui.step(3);
    QCOMPARE(dir.readBytes(QStringLiteral("eredmeny.rtf.bak")), unicodeFileBytes(lines));
}

void TestConversionPage::stepTwoWithoutAKindSavesAnEmptyDatabase()
{
    TempWorkDir dir;
    ScriptedDialogs dialogs;
    PageDriver ui;
    ui.step(2);
    QCOMPARE(ui.text("re104"), QString());
    QVERIFY(ui.enabled("gkonv3"));
    dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("ures")));
    ui.step(3);
    QCOMPARE(dir.readBytes(QStringLiteral("ures.rtf")), QByteArray("\xff\xfe"));
}

void TestConversionPage::errorsEndTheStepAndKeepWhatWasDone()
{
    TempWorkDir dir;
    ScriptedDialogs dialogs;
    PageDriver ui;

    // A good conversion first, so the result pane has something to lose.
    ui.chooseKind(Zdb);
    dialogs.openFileAnswers.enqueue(testDataPath(QStringLiteral("convert/minta.zdb")));
    ui.step(1);
    ui.step(2);
    QCOMPARE(ui.text("re104"), sampleZdbLines().join(u'\n'));

    // Director without a volume: message, the pane cleared, step 3 enabled.
    ui.chooseKind(Director);
    dialogs.openFileAnswers.enqueue(testDataPath(QStringLiteral("convert/minta_director.txt")));
    ui.step(1);
    ui.step(2);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(ui.text("re104"), QString());
    QVERIFY(ui.enabled("gkonv3"));

    // A zdb line without a field number: nothing produced.
    dir.writeBytes(QStringLiteral("hibas.zdb"), QByteArray("Ka000001001konyv\r\nKa000001xx1cim\r\n"));
    ui.chooseKind(Zdb);
    dialogs.openFileAnswers.enqueue(dir.file(QStringLiteral("hibas.zdb")));
    ui.step(1);
    ui.step(2);
    QCOMPARE(dialogs.messages.size(), 2);
    QVERIFY(dialogs.messages.last().contains(QStringLiteral("2. sor")));
    QCOMPARE(ui.text("re104"), QString());

    // dBase step 2 with no table open.
    ui.chooseKind(Dbf);
    ui.step(2);
    QCOMPARE(dialogs.messages.size(), 3);

    // A result that cannot be written.
    dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("nincs/ilyen/mappa")));
    ui.step(3);
    QCOMPARE(dialogs.messages.last(), cannotCreateFile(dir.file(QStringLiteral("nincs/ilyen/mappa.rtf"))));
}

void TestConversionPage::failedOpenKeepsStepTwoEnabled()
{
    TempWorkDir dir;
    ScriptedDialogs dialogs;
    PageDriver ui;
    ui.page.resetForMenuEntry();

    ui.chooseKind(Dbf);
    dir.writeBytes(QStringLiteral("serult.dbf"), QByteArray("nem dBase"));
    dialogs.openFileAnswers.enqueue(dir.file(QStringLiteral("serult.dbf")));
    ui.step(1);
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(ui.enabled("gkonv2"));
    QVERIFY(!ui.enabled("re103"));

    ui.chooseKind(Zdb);
    dialogs.openFileAnswers.enqueue(dir.file(QStringLiteral("nincs.zdb")));
    ui.step(1);
    QCOMPARE(dialogs.messages.last(), cannotOpenFile(dir.file(QStringLiteral("nincs.zdb"))));
    QVERIFY(ui.enabled("re103"));
    QCOMPARE(ui.text("re103"), QString());
}

void TestConversionPage::replacingAFileIsAskedAboutTheNameWritten_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("answer"); // -1: no question expected, 0: No, 1: Yes

    // The suggested name is the source's with ".rtf": often a database beside it.
    QTest::newRow("No keeps the database")
        << QStringLiteral("minta.rtf") << QStringLiteral("minta.rtf") << QStringLiteral("minta.rtf") << 0;
    QTest::newRow("Yes replaces it") << QStringLiteral("minta.rtf") << QStringLiteral("minta.rtf")
                                     << QStringLiteral("minta.rtf") << 1;
    // The name gets ".rtf" after the dialog: the question is about that file.
    QTest::newRow("No about the name with .rtf")
        << QStringLiteral("minta.rtf") << QStringLiteral("minta") << QStringLiteral("minta.rtf") << 0;
    QTest::newRow("Yes about the name with .rtf")
        << QStringLiteral("minta.rtf") << QStringLiteral("minta") << QStringLiteral("minta.rtf") << 1;
    QTest::newRow("the chosen name is there, the name written is not")
        << QStringLiteral("minta") << QStringLiteral("minta") << QStringLiteral("minta.rtf") << -1;
    QTest::newRow("lista.RTF becomes lista.RTF.rtf")
        << QStringLiteral("lista.RTF.rtf") << QStringLiteral("lista.RTF") << QStringLiteral("lista.RTF.rtf")
        << 0;
}

void TestConversionPage::replacingAFileIsAskedAboutTheNameWritten()
{
    QFETCH(QString, existing);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(int, answer);
    TempWorkDir dir;
    const QByteArray earlier = unicodeFileBytes({QStringLiteral("Ka00000100**korábbi rekord")});
    dir.writeBytes(existing, earlier);
    ScriptedDialogs dialogs;
    PageDriver ui;
    ui.chooseKind(Zdb);
    dialogs.openFileAnswers.enqueue(testDataPath(QStringLiteral("convert/minta.zdb")));
    ui.step(1);
    ui.step(2);
    if (answer >= 0)
        dialogs.yesNoAnswers.enqueue(answer == 1);
    dialogs.saveFileAnswers.enqueue(dir.file(chosen));
    ui.step(3);

    const QStringList expectedQuestions =
        answer < 0
            ? QStringList{}
            : QStringList{QStringLiteral("A(z) %1 fájl már létezik. Lecseréljem a konvertált adatokra? "
                                         "A benne lévő adatok elvesznek.")
                              .arg(dir.file(written))};
    QCOMPARE(dialogs.questions, expectedQuestions);
    QCOMPARE(dialogs.messages, QStringList());
    if (answer == 0) {
        QCOMPARE(dir.readBytes(written), earlier);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{existing});
    } else {
        QCOMPARE(dir.readBytes(written), unicodeFileBytes(sampleZdbLines()));
        if (existing != written)
            QCOMPARE(dir.readBytes(existing), earlier);
    }
}

void TestConversionPage::statusTellsWhatWasLeftOut_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("source"); // empty: the sample table
    QTest::addColumn<QString>("status");

    QTest::newRow("dBase") << int(Dbf) << QByteArray()
                           << QStringLiteral("2 rekord konvertálva.\nA tábla első rekordja (Ka00000000) nem "
                                             "került át: a konvertálás a második rekordtól indul.");
    QTest::newRow("Director with a line over")
        << int(Director) << QByteArray("konyv\r\n").repeated(17)
        << QStringLiteral("1 rekord konvertálva.\nA fájl végéről 1 sor nem került át: nem tesz ki egy "
                          "teljes, 16 soros rekordot.");
    QTest::newRow("Director of a single line")
        << int(Director) << QByteArray("konyv\r\n")
        << QStringLiteral("0 rekord konvertálva.\nA fájl végéről 1 sor nem került át: nem tesz ki egy "
                          "teljes, 16 soros rekordot.");
    QTest::newRow("Director of whole records")
        << int(Director) << QByteArray("konyv\r\n").repeated(32) << QStringLiteral("2 rekord konvertálva.");
    QTest::newRow("zdb") << int(Zdb) << QByteArray("Ka000001001konyv\r\nKa000002001cikk\r\n")
                         << QStringLiteral("2 rekord konvertálva.");
}

void TestConversionPage::statusTellsWhatWasLeftOut()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, source);
    QFETCH(QString, status);
    TempWorkDir dir;
    QString path = dir.file(QStringLiteral("forras"));
    if (source.isEmpty())
        path = writeSampleTable(dir);
    else
        dir.writeBytes(QStringLiteral("forras"), source);
    ScriptedDialogs dialogs;
    PageDriver ui;
    ui.chooseKind(kind);
    if (kind == Director)
        ui.chooseVolume(0);
    dialogs.openFileAnswers.enqueue(path);
    ui.step(1);
    ui.step(2);
    const auto* shown = ui.control<QLabel>("konv_allapot");
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->text(), status);

    // A new source clears what was said of the old one; a failed step 2 says so.
    ui.page.resetForMenuEntry(); // no volume either
    ui.chooseKind(Director);
    dialogs.openFileAnswers.enqueue(path);
    ui.step(1);
    QCOMPARE(shown->text(), QString());
    ui.step(2);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(shown->text(), QStringLiteral("A konvertálás hiba miatt megszakadt; 0 rekord készült el."));
}

// A Director export of `count` records, 16 lines each.
QStringList directorExport(int count)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k) {
        QStringList block(16);
        block[0] = QStringLiteral("konyv");
        block[1] = QStringLiteral("Kovács Ödön");
        block[2] = QStringLiteral("Cím %1").arg(k);
        block[12] = QString::number(k);
        lines += block;
    }
    return lines;
}

// Stopped while it runs, step 2 leaves the earlier result and the page as
// they were, and step 3 leaves the file it would have replaced untouched.
void TestConversionPage::stoppedStepsChangeNothing()
{
    TempWorkDir dir;
    ScriptedDialogs dialogs;
    PageDriver ui;
    auto* stop = ui.control<QPushButton>("gkonv_megsem");
    QVERIFY(stop->isHidden());
    ui.chooseKind(Zdb);
    dialogs.openFileAnswers.enqueue(testDataPath(QStringLiteral("convert/minta.zdb")));
    ui.step(1);
    ui.step(2);
    const QString resultBefore = ui.text("re104");
    QCOMPARE(resultBefore, sampleZdbLines().join(u'\n'));

    TextFile::writeUnicode(dir.file(QStringLiteral("nagy.txt")), directorExport(1000));
    ui.chooseKind(Director);
    ui.chooseVolume(0);
    dialogs.openFileAnswers.enqueue(dir.file(QStringLiteral("nagy.txt")));
    ui.step(1);
    const States statesBefore = ui.states();
    const QString statusBefore = ui.control<QLabel>("konv_allapot")->text();
    QList<bool> whileRunning; // stop shown, steps 1-3, kind group
    {
        // The first check comes before any line is built, the second after some were.
        const JobCheckpoints checks(&ui.page, [&](int check) {
            if (check != 2)
                return;
            whileRunning = {stop->isVisible(), ui.enabled("gkonv1"), ui.enabled("gkonv2"),
                            ui.enabled("gkonv3"), ui.enabled("rg_konvtipus")};
            ui.click(stop);
        });
        ui.step(2);
        QCOMPARE(checks.count(), 2);
    }
    QCOMPARE(whileRunning, (QList<bool>{true, false, false, false, false}));
    QVERIFY(stop->isHidden());
    QCOMPARE(ui.text("re104"), resultBefore);
    QCOMPARE(ui.page.resultLines(), sampleZdbLines());
    QCOMPARE(ui.control<QLabel>("konv_allapot")->text(), statusBefore);
    QCOMPARE(ui.states(), statesBefore);
    QCOMPARE(dialogs.messages, QStringList());

    const QByteArray earlier = unicodeFileBytes({QStringLiteral("Ka00000100**korábbi rekord")});
    dir.writeBytes(QStringLiteral("eredmeny.rtf"), earlier);
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    dialogs.yesNoAnswers.enqueue(true);
    dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("eredmeny")));
    {
        const JobCheckpoints checks(&ui.page, [&](int) { ui.click(stop); });
        ui.step(3);
        QCOMPARE(checks.count(), 1);
    }
    QCOMPARE(dir.readBytes(QStringLiteral("eredmeny.rtf")), earlier);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    QCOMPARE(dialogs.messages, QStringList());

    // Let through, both steps do their whole work.
    ui.step(2);
    QCOMPARE(ui.page.resultLines().size(), 1000);
    dialogs.yesNoAnswers.enqueue(true);
    dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("eredmeny")));
    ui.step(3);
    QCOMPARE(dir.readBytes(QStringLiteral("eredmeny.rtf")), unicodeFileBytes(ui.page.resultLines()));
    QCOMPARE(dialogs.messages, QStringList());
}

QTEST_MAIN(TestConversionPage)
#include "tst_conversionpage.moc"
