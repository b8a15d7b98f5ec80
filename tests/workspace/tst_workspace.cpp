// The data-entry workspace driven like a user: opening databases, the modes
// and their enabled states, navigation, saving records, field editing,
// deleting, and saving the database.

#include "WorkspaceFixture.h"

#include "core/index/IndexBuilder.h"
#include "core/record/RecordLine.h"
#include "ui/about/LoadingWindow.h"
#include "ui/index/IndexDialog.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/RadioGroup.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

QByteArray bytes8(const QString& text)
{
    return TextFile::encode8Bit({text}).chopped(2);
}

} // namespace

class tst_Workspace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menusAndToolBar();
    void openingSelectsTheMode_data();
    void openingSelectsTheMode();
    void enabledStatesFollowTheMode_data();
    void enabledStatesFollowTheMode();
    void dataEntryBeforeAnyDatabaseOffersNoRecord();
    void loadFailureKeepsTheDocument();
    void missingListFileLeavesItsControlEmpty();
    void showRecordFillsTheForm();
    void navigationClampsAndSetsButtons_data();
    void navigationClampsAndSetsButtons();
    void listKeyboardShowsEveryRecordPassed();
    void appendNumbersAndNamesRecords_data();
    void appendNumbersAndNamesRecords();
    void appendKeepsCheckedFields();
    void replaceKeepsPositionAndName();
    void savableRule();
    void captionsFollowTheRecordType_data();
    void captionsFollowTheRecordType();
    void roleCaptionsFollowTheRoles();
    void selectionAndExchange();
    void exchangeSkipsTheNotTakenMark();
    void labelClicksFollowTheEnabledState();
    void staleIndexIsAnnounced();
    void clearResetsTheForm();
    void deleteAsksAndShowsTheNext();
    void saveFollowsTheRtfRule_data();
    void saveFollowsTheRtfRule();
    void saveAsKeepsThePath();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void newDatabase();
    void leaveAsksOnceWhenModified_data();
    void leaveAsksOnceWhenModified();
    void rawPageShowsTheLines();
    void menuEntriesReachTheOtherWindows_data();
    void menuEntriesReachTheOtherWindows();
    void indexingReopensTheDatabase_data();
    void indexingReopensTheDatabase();
    void savedRecordIsAnnounced_data();
    void savedRecordIsAnnounced();
    void pagesAndNoticesCanBeAdded();
};

void tst_Workspace::menusAndToolBar()
{
    WorkspaceFixture f;
    QStringList menus;
    for (QAction* top : f.window().menuBar()->actions()) {
        QStringList entries;
        for (QAction* entry : top->menu()->actions())
            entries.append(entry->isSeparator()
                               ? "-"
                               : entry->text() + (entry->shortcut().isEmpty()
                                                      ? QString()
                                                      : " (" + entry->shortcut().toString() + ")"));
        menus.append(top->text() + ": " + entries.join(", "));
    }
    QCOMPARE(menus.size(), 8);
    QCOMPARE(menus[0],
             "Fájl: Új adatbázis létrehozása... (Ctrl+N), Adatbázis betöltése..., Adatbázis mentése, "
             "Adatbázis mentése másként..., Exportálás..., Bibliográfia kiadása..., -, Forrásadatok "
             "betöltése... (Ctrl+O), Tárgykörök betöltése..., -, Beállítások..., -, Kilépés");
    QCOMPARE(menus[1],
             "Műveletek: Adatrögzítés, Tallózás, Keresés, Duplikátumok keresése, Konvertálás, Indexelés, "
             "Helyesírás-ellenőrzés..., Ellenőrzés..., Névváltozatok...");
    QCOMPARE(menus[2],
             "Szerkesztés: Visszavonás (Ctrl+Z), Mégis (Ctrl+Y), -, Kijelőlt adatmezők tartalmának cseréje, "
             "Adatmezők törlése, mentés nélkül, Csere a rekordokban...");
    QCOMPARE(f.action("menu6_megis")->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    QCOMPARE(menus[3],
             "Beszúrás: Szerző, Szerkesztő, Fordító, Bevezetést írta, Cím, Kiadvány, Kiadó, Évfolyam, Év, "
             "Oldalszám, Megjelenés helye, Megjegyzés");
    QCOMPARE(menus[4],
             "Hozzáfűzés: Szerző, Szerkesztő, Fordító, Bevezetést írta, Cím, Kiadvány, Kiadó, Évfolyam, "
             "Év, Oldalszám, Megjelenés helye, Megjegyzés");
    QCOMPARE(menus[5], "Rekordok: Aktuális rekord mentése (F2), Rekord törlése (Ctrl+D), -, Tallózás a "
                       "rekordokban, Új rekordok felvitele, -, Rekord keresése... (Ctrl+F)");
    QCOMPARE(menus[6], "Tárgykörök: ");
    QCOMPARE(f.window().menuBar()->actions()[6]->menu()->objectName(), "menu4_0");
    QCOMPARE(menus[7], "Súgó: Kézikönyv (F1), Névjegy...");
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(f.action(QStringLiteral("menu1_%1").arg(i + 1))->data().toInt(), 101 + i);
        QCOMPARE(f.action(QStringLiteral("menu2_%1").arg(i + 1))->data().toInt(), 201 + i);
    }

    QStringList buttons;
    auto* bar = f.find<QToolBar>("ToolBar1");
    for (QAction* action : bar->actions()) {
        QWidget* button = bar->widgetForAction(action);
        buttons.append(action->isSeparator() ? "|" : button->objectName() + "=" + button->toolTip());
    }
    QCOMPARE(
        buttons.join(' '),
        "sb_uj=Új adatbázis létrehozása sb_forras=Forrásadatok betöltése sb_adatbe=Adatbázis betöltése "
        "sb_save=Adatbázis mentése | sb_tallozas=Tallózás a rekordokban sb_felvitel=Új rekordok felvitele | "
        "gnyil1= gnyil2= gnyil3= gnyil4= | sb_torol=Rekord törlése | sb_ment=Rekord mentése (F2) | "
        "sb_csere=Adatmezők cseréje sb_alapba=Adatmezők törlése, mentés nélkül | "
        "sb_visszavonas=Az adatbázis utolsó módosításának visszavonása (Ctrl+Z) "
        "sb_megis=A visszavont módosítás ismételt végrehajtása (Ctrl+Y) | cb_rekordok0= | "
        "sb_monitor= | SpeedButton1=Karaktertábla megnyítása");
    QCOMPARE(f.combo("cb_rekordok0")->width(), 145);

    QStringList panels;
    for (int i = 0; i < 3; ++i)
        panels.append(QString::number(f.find<QLabel>(QStringLiteral("statusz1_panel%1").arg(i))->width()) +
                      ":" + f.window().statusText(i));
    // The mode panel is 200 pixels or as wide as its longest text needs; the
    // file panel gives way to it in a narrow window, up to 580 pixels.
    const int modeWidth = f.find<QLabel>(QStringLiteral("statusz1_panel0"))->width();
    const int fileWidth = f.find<QLabel>(QStringLiteral("statusz1_panel1"))->width();
    QVERIFY2(modeWidth >= 200 && fileWidth >= 290 && fileWidth <= 580,
             qPrintable(panels.join(QStringLiteral(" | "))));
    for (int i : {0, 1})
        panels[i] = panels[i].section(u':', 1);
    QCOMPARE(panels,
             (QStringList{" Várakozás az adatbázis megnyitására", " Nincs forrásfájl betöltve", "50:"}));
    QCOMPARE(f.window().windowTitle(), "Norla 7.2");
}

void tst_Workspace::openingSelectsTheMode_data()
{
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<bool>("browse");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("browseCommands");

    const QStringList three = WorkspaceFixture::sampleLines();
    QTest::newRow("empty") << QByteArray("\xFF\xFE", 2) << false << QStringList() << false;
    QTest::newRow("one line") << TextFile::encodeUnicode({three[0]}) << false << QStringList{"Ka00012300"}
                              << true;
    QTest::newRow("three lines") << TextFile::encodeUnicode(three) << true
                                 << QStringList{"Ka00012300", "Lu00000500", "Ze0010000a"} << true;
    QTest::newRow("8-bit, no final break")
        << bytes8(three[0] + "\r\n" + three[1]) << true << QStringList{"Ka00012300", "Lu00000500"} << true;
    QTest::newRow("two final breaks") << TextFile::encodeUnicode({three[0], three[1], QString()}) << true
                                      << QStringList{"Ka00012300", "Lu00000500", ""} << true;
    QTest::newRow("Greek in a name") << TextFile::encodeUnicode({"KaΩΩ012300**könyv", "Lu00000500"}) << true
                                     << QStringList{"Ka??012300", "Lu00000500"} << true;
}

void tst_Workspace::openingSelectsTheMode()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(bool, browse);
    QFETCH(QStringList, names);
    QFETCH(bool, browseCommands);

    WorkspaceFixture f;
    f.dir.writeBytes("db.rtf", fileBytes);
    f.open(f.dir.file("db.rtf"));

    MainWindow& w = f.window();
    QCOMPARE(w.mode(), browse ? MainWindow::Mode::Browse : MainWindow::Mode::NewRecords);
    QCOMPARE(w.statusText(0), browse ? " Tallózás a rekordokban" : " Új rekordok felvitele");
    QCOMPARE(w.windowTitle(), "Norla 7.2   -   [ " + f.dir.file("db.rtf") + " ]");
    QComboBox* list = f.combo("cb_rekordok0");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown.append(list->itemText(i));
    QCOMPARE(shown, names);
    QCOMPARE(list->isEnabled(), browse);
    QCOMPARE(list->currentIndex(), names.isEmpty() ? -1 : 0);
    QCOMPARE(f.action("menu3_tallozas")->isEnabled(), browseCommands);
    QVERIFY(!f.action("menu0_save")->isEnabled());
    QVERIFY(!f.action("menu3_mentes")->isEnabled());
    QVERIFY(!f.program->loadingWindow().isVisible());
    if (browse) {
        QCOMPARE(f.find<QLabel>("lab_reknev")->text(), RecordLine::dottedName(names[0]));
        QVERIFY(f.find<QToolButton>("sb_tallozas")->isChecked());
    } else {
        QCOMPARE(f.edit(1)->text(), QString());
        QVERIFY(f.find<QToolButton>("sb_felvitel")->isChecked());
        QCOMPARE(f.find<QLabel>("labrek")->text(),
                 "rögzített rekordok száma: " + QString::number(names.size()));
    }
}

// Each row: a control or command and whether it is enabled at start-up, in
// Browse right after opening, and in NewRecords entered from there.
void tst_Workspace::enabledStatesFollowTheMode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("startUp");
    QTest::addColumn<bool>("browse");
    QTest::addColumn<bool>("newRecords");

    struct Row
    {
        const char* name;
        bool startUp, browse, newRecords;
    };
    const Row rows[] = {
        {"menu0_action", true, true, true},
        {"Mveletek1_action", true, true, true},
        {"Sg1_action", true, true, true},
        {"menu6_action", false, true, true},
        {"menu1_action", false, true, true},
        {"menu2_action", false, true, true},
        {"menu3_action", false, true, true},
        {"menu4_0_action", false, false, false},
        {"menu0_uj", true, true, true},
        {"menu0_open", true, true, true},
        {"Forrsadatokbetltse1", true, true, true},
        {"rgykrfjlbetltse1", true, true, true},
        {"Belltsok1", true, true, true},
        {"Kilps1", true, true, true},
        {"menu0_save", false, false, false},
        {"menu0_saveas", false, true, true},
        {"menu3_tallozas", false, true, true},
        {"menu3_felvitel", false, true, true},
        {"Adatrgzts1", true, true, true},
        {"gnyil1", false, false, false},
        {"gnyil3", false, true, false},
        {"cb_rekordok0", true, true, false},
        {"menu3_torles", false, true, false},
        {"menu3_mentes", false, false, false},
        {"menu6_csere", false, false, false},
        {"menu6_urites", false, false, true},
        {"menu3_kereses", false, false, false},
        {"sb_monitor", true, true, true},
        {"SpeedButton1", true, true, true},
        {"Edit1", false, true, true},
        {"Edit14", false, true, true},
        {"cbox2", false, true, true},
        {"cb_rektipus", false, true, true},
        {"cb_nyelv", false, true, true},
        {"cb_recszam", false, true, true},
        {"cb7", false, true, true},
        {"Label7", false, true, true},
        {"rg_kotet", false, false, true},
        {"rg_adathordozo", false, false, true},
        {"cb_forditas", false, true, true},
        {"edit_link", true, true, true},
        {"re5", true, true, true},
        {"re1", true, true, true},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.startUp << row.browse
                                << row.newRecords;
}

void tst_Workspace::enabledStatesFollowTheMode()
{
    QFETCH(QString, name);
    QFETCH(bool, startUp);
    QFETCH(bool, browse);
    QFETCH(bool, newRecords);

    WorkspaceFixture f;
    auto enabled = [&] {
        if (QAction* action = f.window().findChild<QAction*>(name))
            return action->isEnabled();
        return f.find<QWidget>(name)->isEnabled();
    };
    QCOMPARE(enabled(), startUp);
    f.openSample();
    QCOMPARE(enabled(), browse);
    f.action("menu3_felvitel")->trigger();
    QCOMPARE(enabled(), newRecords);
}

void tst_Workspace::dataEntryBeforeAnyDatabaseOffersNoRecord()
{
    WorkspaceFixture f;
    f.action("Adatrgzts1")->trigger();
    QCOMPARE(f.window().currentPage(), int(MainWindow::EntryPage));
    QCOMPARE(f.window().mode(), MainWindow::Mode::AwaitingDatabase);
    QVERIFY(!f.action("menu3_torles")->isEnabled());
    QVERIFY(!f.action("menu3_mentes")->isEnabled());

    // An empty database browsed: nothing to delete or save.
    f.open(f.writeDatabase("ures.rtf", {}));
    f.action("Adatrgzts1")->trigger();
    QCOMPARE(f.window().mode(), MainWindow::Mode::Browse);
    QCOMPARE(f.window().currentRecordIndex(), -1);
    QVERIFY(!f.action("menu3_torles")->isEnabled());
    f.find<RadioGroup>("rg_kotet")->setItemIndex(0);
    f.combo("cb_rektipus")->setCurrentIndex(0);
    QTest::keyClicks(f.edit(7), "x");
    QVERIFY(!f.action("menu3_mentes")->isEnabled());
}

void tst_Workspace::loadFailureKeepsTheDocument()
{
    WorkspaceFixture f;
    f.openSample();
    const QString title = f.window().windowTitle();
    f.open(f.dir.file("nincs.rtf"));
    QCOMPARE(f.dialogs.messages, QStringList{cannotOpenFile(f.dir.file("nincs.rtf"))});
    QVERIFY(!f.program->loadingWindow().isVisible());
    QCOMPARE(f.window().windowTitle(), title);
    QCOMPARE(f.window().document().lineCount(), 3);
}

void tst_Workspace::missingListFileLeavesItsControlEmpty()
{
    WorkspaceFixture f;
    QFile::remove(f.dir.file("nyelv.zda"));
    f.openSample();
    QCOMPARE(f.combo("cb_nyelv")->count(), 0);
    QCOMPARE(f.combo("cb_rektipus")->currentText(), "könyv");
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_Workspace::showRecordFillsTheForm()
{
    WorkspaceFixture f;
    f.openSample();
    QTest::mouseClick(f.find<QToolButton>("gnyil3"), Qt::LeftButton);

    QCOMPARE(f.find<QLabel>("lab_reknev")->text(), "Lu.000005.00");
    QCOMPARE(f.combo("cb_rektipus")->currentText(), "folyóiratcikk");
    QCOMPARE(f.edit(2)->text(), "Másik tárgy");
    QCOMPARE(f.edit(3)->text(), "Nagy Anna");
    QCOMPARE(f.edit(5)->text(), "Más Név");
    QCOMPARE(f.combo("cbox3")->currentIndex(), -1); // "0c" is role 12, beyond a list of five
    QCOMPARE(f.edit(6)->text(), QString());
    QCOMPARE(f.combo("cbox4")->currentIndex(), 3);
    QCOMPARE(f.edit(13)->text(), "Pécs");
    QCOMPARE(f.find<QLineEdit>("edit_link")->text(), "http://x");
    QVERIFY(f.find<QCheckBox>("cb_forditas")->isChecked());
    QCOMPARE(f.combo("cb_nyelv")->currentText(), "magyar"); // MAGYAR, letter case ignored
    QCOMPARE(f.find<RadioGroup>("rg_adathordozo")->itemIndex(), 1);
    QCOMPARE(f.find<RadioGroup>("rg_kotet")->itemIndex(), 1);
    QCOMPARE(f.combo("cb_recszam")->currentText(), "00");
    QCOMPARE(f.action("menu1_1")->text(), "Szerző");
    QCOMPARE(f.action("menu2_2")->text(), "Szerkesztő");
    QCOMPARE(f.action("menu1_3")->text(), QString());
    QVERIFY(!f.action("menu3_mentes")->isEnabled());
    auto* grid = f.find<QTableWidget>("racs0");
    QCOMPARE(grid->item(3, 1)->text(), "01Nagy Anna**02Kis Béla**0cMás Név**");
    QCOMPARE(grid->item(16, 1)->text(), "Lunvek");

    // A record type and a medium the lists lack show as no choice, not as the
    // previous record's; saving keeps the record's own medium.
    QStringList lines = WorkspaceFixture::sampleLines();
    QStringList fields(19);
    fields[0] = "Go00000100";
    fields[1] = "ismeretlen";
    fields[2] = "T";
    fields[3] = "01";
    fields[4] = "02";
    fields[5] = "03";
    fields[6] = "04";
    fields[7] = "Cím";
    fields[18] = "Papír";
    lines.append(RecordLine::join(fields));
    f.open(f.writeDatabase("negy.rtf", lines));
    QTest::mouseClick(f.find<QToolButton>("gnyil4"), Qt::LeftButton);
    QCOMPARE(f.combo("cb_rektipus")->currentIndex(), -1);
    QCOMPARE(f.find<RadioGroup>("rg_adathordozo")->itemIndex(), -1);
    f.combo("cb_rektipus")->setCurrentIndex(0);
    QVERIFY(f.action("menu3_mentes")->isEnabled());
    f.action("menu3_mentes")->trigger();
    fields[1] = "könyv";
    fields[16] = "1"; // an empty translation flag is not "0"
    QCOMPARE(f.window().document().lines().last(), RecordLine::join(fields));
}

void tst_Workspace::navigationClampsAndSetsButtons_data()
{
    QTest::addColumn<QList<int>>("presses"); // navigation kinds 1 … 4
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<bool>>("buttons"); // gnyil1 … gnyil4 enabled

    QTest::newRow("opened") << QList<int>{} << 0 << QList<bool>{false, false, true, true};
    QTest::newRow("next") << QList<int>{3} << 1 << QList<bool>{true, true, true, true};
    QTest::newRow("last") << QList<int>{4} << 2 << QList<bool>{true, true, false, false};
    QTest::newRow("previous at first") << QList<int>{2} << 0 << QList<bool>{false, false, true, true};
    QTest::newRow("last, previous, first")
        << QList<int>{4, 2, 1} << 0 << QList<bool>{false, false, true, true};
}

void tst_Workspace::navigationClampsAndSetsButtons()
{
    QFETCH(QList<int>, presses);
    QFETCH(int, index);
    QFETCH(QList<bool>, buttons);

    WorkspaceFixture f;
    f.openSample();
    for (int kind : presses)
        f.action(QStringLiteral("gnyil%1_action").arg(kind))->trigger();
    QCOMPARE(f.window().currentRecordIndex(), index);
    QCOMPARE(f.combo("cb_rekordok0")->currentIndex(), index);
    QCOMPARE(f.find<QLabel>("lab_reknev")->text(),
             RecordLine::dottedName(WorkspaceFixture::sampleLines()[index].left(10)));
    for (int kind = 1; kind <= 4; ++kind)
        QCOMPARE(f.find<QToolButton>(QStringLiteral("gnyil%1").arg(kind))->isEnabled(), buttons[kind - 1]);
}

void tst_Workspace::listKeyboardShowsEveryRecordPassed()
{
    WorkspaceFixture f;
    f.openSample();
    QComboBox* list = f.combo("cb_rekordok0");
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(f.edit(7)->text(), "Cím kettő");
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(f.edit(7)->text(), "Harmadik cím");
    QCOMPARE(f.window().currentRecordIndex(), 2);
    QVERIFY(!f.find<QToolButton>("gnyil3")->isEnabled());
}

void tst_Workspace::appendNumbersAndNamesRecords_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("nextNumber");

    QTest::newRow("123") << "123"
                         << "00" << QStringList{"Ka00012300"} << "124";
    QTest::newRow("1234567") << "1234567"
                             << "00" << QStringList{"Ka12345600"} << "123457";
    QTest::newRow("000999") << "000999"
                            << "00" << QStringList{"Ka00099900"} << "1000";
    QTest::newRow("12a") << "12a"
                         << "00" << QStringList{"Ka00012a00"} << "13";
    QTest::newRow("abcdef") << "abcdef"
                            << "00" << QStringList{"Kaabcdef00"} << "";
    QTest::newRow("suffix stays") << "124"
                                  << "0b" << QStringList{"Ka0001240b", "Ka0001250b", "Ka0001260b"} << "127";
}

void tst_Workspace::appendNumbersAndNamesRecords()
{
    QFETCH(QString, typed);
    QFETCH(QString, suffix);
    QFETCH(QStringList, names);
    QFETCH(QString, nextNumber);

    WorkspaceFixture f;
    f.open(f.writeDatabase("uj.rtf", {}));
    f.combo("cb_rektipus")->setCurrentIndex(0);
    f.find<RadioGroup>("rg_kotet")->button(0)->click();
    f.combo("cb_recszam")->setCurrentText(suffix);
    f.combo("cbox1")->setCurrentIndex(-1); // no role chosen writes "01"
    QTest::keyClicks(f.edit(1), typed);
    for (int i = 0; i < names.size(); ++i) {
        f.edit(7)->setText("Cím");
        QVERIFY(f.action("menu3_mentes")->isEnabled());
        QTest::keyClick(&f.window(), Qt::Key_F2);
    }

    const QStringList& lines = f.window().document().lines();
    QCOMPARE(lines.size(), names.size());
    QStringList fields(19);
    fields[1] = "könyv";
    fields[3] = "01";
    fields[4] = "02";
    fields[5] = "03";
    fields[6] = "04";
    fields[7] = "Cím";
    fields[16] = "0";
    fields[17] = "magyar";
    fields[18] = "papír";
    for (int i = 0; i < names.size(); ++i) {
        fields[0] = names[i];
        QCOMPARE(lines[i], RecordLine::join(fields));
    }
    QCOMPARE(f.edit(1)->text(), nextNumber);
    QVERIFY(!f.action("menu3_mentes")->isEnabled());
    QCOMPARE(f.find<QLabel>("labrek")->text(), "rögzített rekordok száma: " + QString::number(names.size()));
    QVERIFY(!f.combo("cb_rekordok0")->isEnabled());
    QVERIFY(f.window().windowTitle().endsWith("uj.rtf ] *"));
    QVERIFY(f.action("menu0_save")->isEnabled());
    // The browse commands keep the state decided when the mode was entered.
    QVERIFY(!f.action("menu3_tallozas")->isEnabled());
}

void tst_Workspace::appendKeepsCheckedFields()
{
    WorkspaceFixture f;
    f.open(f.writeDatabase("uj.rtf", {}));
    f.combo("cb_rektipus")->setCurrentIndex(0);
    f.find<RadioGroup>("rg_kotet")->button(7)->click();
    f.edit(1)->setText("5");
    f.edit(7)->setText("Megtartott cím");
    f.edit(9)->setText("Kiadó");
    f.find<QLineEdit>("edit_link")->setText("http://példa");
    f.find<QCheckBox>("cb7")->setChecked(true);
    f.action("menu3_mentes")->trigger();

    QCOMPARE(f.window().document().lines().first().left(10), "Ma00000500");
    QCOMPARE(f.edit(7)->text(), "Megtartott cím");
    QCOMPARE(f.edit(9)->text(), QString());
    QCOMPARE(f.find<QLineEdit>("edit_link")->text(), QString());
    QCOMPARE(f.edit(1)->text(), "6");
    QCOMPARE(f.combo("cb_rektipus")->currentText(), "könyv");
}

void tst_Workspace::replaceKeepsPositionAndName()
{
    WorkspaceFixture f;
    f.openSample();
    f.action("gnyil3_action")->trigger();
    f.edit(7)->setText("Javított cím");
    f.combo("cb_recszam")->setCurrentText("9z"); // the name comes from the label, not from here
    QVERIFY(f.action("menu3_mentes")->isEnabled());
    QTest::mouseClick(f.find<QToolButton>("sb_ment"), Qt::LeftButton);

    const QStringList lines = f.window().document().lines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], WorkspaceFixture::sampleLines()[0]);
    QCOMPARE(lines[1],
             "Lu00000500**folyóiratcikk**Másik tárgy**01Nagy Anna**02Kis Béla**0cMás Név**04**Javított "
             "cím**Folyóirat**Kiadó kettő**12**2001**5-9**Pécs**Megjegyzés kettő**http://x**1**magyar**"
             "CD-ROM");
    QCOMPARE(f.window().currentRecordIndex(), 1);
    QCOMPARE(f.combo("cb_rekordok0")->currentIndex(), 1);
    QVERIFY(!f.action("menu3_mentes")->isEnabled());
    QVERIFY(f.action("menu0_save")->isEnabled());
    QVERIFY(f.window().windowTitle().endsWith(" ] *"));
}

void tst_Workspace::savableRule()
{
    WorkspaceFixture f;
    f.openSample();
    QAction* save = f.action("menu3_mentes");
    f.combo("cbox1")->setCurrentIndex(2); // a role alone is no change to save
    QVERIFY(!save->isEnabled());
    QTest::keyClicks(f.edit(12), "1");
    QVERIFY(save->isEnabled());

    f.action("menu3_felvitel")->trigger();
    QVERIFY(!save->isEnabled());
    QTest::keyClicks(f.edit(1), "77");
    QVERIFY(!save->isEnabled());
    f.combo("cb_rektipus")->setCurrentIndex(1);
    QVERIFY(!save->isEnabled());
    f.find<RadioGroup>("rg_kotet")->button(2)->click();
    QVERIFY(save->isEnabled());
    f.edit(1)->clear();
    QVERIFY(!save->isEnabled());
}

void tst_Workspace::captionsFollowTheRecordType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("captions"); // Label8, Label10, entry 6, entry 8

    QTest::newRow("könyv") << "könyv"
                           << QStringList{"Könyvsorozat:", "Kötetszám:", "Könyvsorozat", "Kötetszám"};
    QTest::newRow("külön lenyomat") << "külön lenyomat"
                                    << QStringList{"Sorozat:", "Kötetszám:", "Sorozat", "Kötetszám"};
    QTest::newRow("cikk gyűjt. kötetben")
        << "cikk gyűjt. kötetben" << QStringList{"Kötetcím:", "Kötetszám:", "Kötetcím", "Kötetszám"};
    QTest::newRow("other") << "rec." << QStringList{"Kiadvány:", "Évfolyam:", "Kiadvány", "Évfolyam"};
    QTest::newRow("none") << "" << QStringList{"Kiadvány:", "Évfolyam:", "Kiadvány", "Évfolyam"};
}

void tst_Workspace::captionsFollowTheRecordType()
{
    QFETCH(QString, type);
    QFETCH(QStringList, captions);

    WorkspaceFixture f;
    f.openSample();
    QComboBox* types = f.combo("cb_rektipus");
    types->setCurrentIndex(types->findText(type));
    QCOMPARE(f.find<QLabel>("Label8")->text(), captions[0]);
    QCOMPARE(f.find<QLabel>("Label10")->text(), captions[1]);
    for (const char* menu : {"menu1", "menu2"}) {
        QCOMPARE(f.action(QStringLiteral("%1_6").arg(menu))->text(), captions[2]);
        QCOMPARE(f.action(QStringLiteral("%1_8").arg(menu))->text(), captions[3]);
    }
}

void tst_Workspace::roleCaptionsFollowTheRoles()
{
    WorkspaceFixture f;
    f.openSample();
    f.action("gnyil4_action")->trigger(); // roles 2, 1, 3, 4
    QCOMPARE(f.action("menu1_1")->text(), "Szerkesztő");
    f.combo("cbox4")->setCurrentIndex(4);
    QCOMPARE(f.action("menu2_4")->text(), "Illusztrátor");
    f.action("menu3_felvitel")->trigger();
    for (int slot = 0; slot < 4; ++slot) {
        QCOMPARE(f.combo(QStringLiteral("cbox%1").arg(slot + 1))->currentIndex(), slot);
        QCOMPARE(f.action(QStringLiteral("menu1_%1").arg(slot + 1))->text(), WorkspaceFixture::roles()[slot]);
        QCOMPARE(f.action(QStringLiteral("menu2_%1").arg(slot + 1))->text(), WorkspaceFixture::roles()[slot]);
    }
}

void tst_Workspace::selectionAndExchange()
{
    WorkspaceFixture f;
    f.openSample();
    QAction* exchange = f.action("menu6_csere");
    auto click = [&](int label) {
        QTest::mouseClick(f.find<QLabel>(QStringLiteral("Label%1").arg(label)), Qt::LeftButton);
    };
    auto yellow = [&](int field) {
        return f.edit(field)->palette().color(QPalette::Base) == QColor(255, 255, 0);
    };

    click(7);
    click(9);
    QVERIFY(yellow(7) && yellow(9));
    QVERIFY(exchange->isEnabled());
    click(11);
    QVERIFY(!yellow(11));
    click(7);
    QVERIFY(!yellow(7));
    QVERIFY(!exchange->isEnabled());

    // Subject and an empty note change places; the selection survives a move.
    click(9);
    click(2);
    f.action("gnyil4_action")->trigger();
    click(14);
    QTest::mouseClick(f.find<QToolButton>("sb_csere"), Qt::LeftButton);
    QCOMPARE(f.edit(2)->text(), QString());
    QCOMPARE(f.edit(14)->text(), "Harmadik");
    QVERIFY(!yellow(2) && !yellow(14));
    QVERIFY(!exchange->isEnabled());
    QVERIFY(f.action("menu3_mentes")->isEnabled());
}

void tst_Workspace::exchangeSkipsTheNotTakenMark()
{
    WorkspaceFixture f;
    f.openSample();
    f.edit(7)->setText("*kzs*");
    f.edit(8)->setText("Görög Ω");
    QTest::mouseClick(f.find<QLabel>("Label7"), Qt::LeftButton);
    QTest::mouseClick(f.find<QLabel>("Label8"), Qt::LeftButton);
    f.action("menu6_csere")->trigger();
    QCOMPARE(f.edit(7)->text(), "*kzs*");
    QCOMPARE(f.edit(8)->text(), "Görög Ω");
    QVERIFY(f.edit(7)->palette().color(QPalette::Base) != QColor(255, 255, 0));

    // The texts travel whole, whatever their script.
    f.edit(7)->setText("Cím");
    QTest::mouseClick(f.find<QLabel>("Label7"), Qt::LeftButton);
    QTest::mouseClick(f.find<QLabel>("Label8"), Qt::LeftButton);
    f.action("menu6_csere")->trigger();
    QCOMPARE(f.edit(7)->text(), "Görög Ω");
    QCOMPARE(f.edit(8)->text(), "Cím");
}

void tst_Workspace::labelClicksFollowTheEnabledState()
{
    WorkspaceFixture f;
    // Before any database is open the labels are disabled and select nothing.
    auto* label7 = f.find<QLabel>("Label7");
    auto* label8 = f.find<QLabel>("Label8");
    QVERIFY(!label7->isEnabled());
    QTest::mouseClick(label7, Qt::LeftButton);
    QTest::mouseClick(label8, Qt::LeftButton);
    QVERIFY(!f.action("menu6_csere")->isEnabled());
    QVERIFY(f.edit(7)->palette().color(QPalette::Base) != QColor(255, 255, 0));

    // A double-click is one click: the label ends up selected. The window
    // system sends a click, then a press that comes as a double-click.
    f.openSample();
    QTest::mouseClick(label7, Qt::LeftButton);
    QTest::mouseDClick(label7, Qt::LeftButton);
    QCOMPARE(f.edit(7)->palette().color(QPalette::Base), QColor(255, 255, 0));
    QTest::mouseClick(label8, Qt::LeftButton);
    QVERIFY(f.action("menu6_csere")->isEnabled());
}

void tst_Workspace::staleIndexIsAnnounced()
{
    WorkspaceFixture f;
    f.openSample();
    IndexBuilder(f.dir.path()).build({"minta.rtf"});
    auto* notice = f.find<QWidget>("statusz_index");
    f.window().showPage(MainWindow::BrowsePageIndex);
    QVERIFY(notice->isHidden());

    QTest::qWait(20); // a file time later than the index set's
    f.edit(7)->setText("Új cím");
    f.action("menu3_mentes")->trigger();
    f.action("menu0_save")->trigger();
    f.window().showPage(MainWindow::HitsPageIndex);
    QVERIFY(!notice->isHidden());
    QVERIFY(f.find<QLabel>("lab_index_elavult")->text().contains("minta.rtf"));
    f.window().showPage(MainWindow::EntryPage);
    QVERIFY(notice->isHidden());

    IndexBuilder(f.dir.path()).build({"minta.rtf"});
    f.window().showPage(MainWindow::BrowsePageIndex);
    QVERIFY(notice->isHidden());
}

void tst_Workspace::clearResetsTheForm()
{
    WorkspaceFixture f;
    f.openSample();
    f.action("menu3_felvitel")->trigger();
    f.combo("cbox2")->setCurrentIndex(4);
    f.combo("cb_rektipus")->setCurrentIndex(2);
    f.combo("cb_nyelv")->setCurrentIndex(2);
    f.find<RadioGroup>("rg_kotet")->button(3)->click();
    f.find<RadioGroup>("rg_adathordozo")->button(2)->click();
    f.find<QCheckBox>("cb5")->setChecked(true);
    f.find<QCheckBox>("cb_forditas")->setChecked(true);
    f.edit(1)->setText("9");
    f.edit(5)->setText("Név");
    f.combo("cb_recszam")->setCurrentIndex(5);

    QTest::mouseClick(f.find<QToolButton>("sb_alapba"), Qt::LeftButton);
    QCOMPARE(f.combo("cb_rektipus")->currentIndex(), -1);
    QCOMPARE(f.combo("cb_nyelv")->currentIndex(), 0);
    QCOMPARE(f.find<RadioGroup>("rg_kotet")->itemIndex(), -1);
    QCOMPARE(f.find<RadioGroup>("rg_adathordozo")->itemIndex(), 0);
    QVERIFY(!f.find<QCheckBox>("cb5")->isChecked());
    QVERIFY(!f.find<QCheckBox>("cb_forditas")->isChecked());
    QCOMPARE(f.edit(1)->text(), QString());
    QCOMPARE(f.edit(5)->text(), QString());
    QCOMPARE(f.combo("cbox2")->currentIndex(), 4);
    QCOMPARE(f.combo("cb_recszam")->currentIndex(), 5);
    QVERIFY(!f.action("menu3_mentes")->isEnabled());
}

void tst_Workspace::deleteAsksAndShowsTheNext()
{
    WorkspaceFixture f;
    f.openSample();
    f.action("gnyil4_action")->trigger();

    f.dialogs.yesNoAnswers.enqueue(false);
    f.action("menu3_torles")->trigger();
    QCOMPARE(f.dialogs.questions.last(), "Biztos, hogy törli a következő számú rekordot:  \"Ze.001000.0a  ?");
    QCOMPARE(f.window().document().lineCount(), 3);
    QVERIFY(!f.window().windowTitle().contains('*'));

    for (int round = 0; round < 2; ++round) {
        f.dialogs.yesNoAnswers.enqueue(true);
        QTest::mouseClick(f.find<QToolButton>("sb_torol"), Qt::LeftButton);
    }
    QCOMPARE(f.window().document().lines(), QStringList{WorkspaceFixture::sampleLines()[0]});
    QCOMPARE(f.window().currentRecordIndex(), 0);
    QCOMPARE(f.find<QLabel>("lab_reknev")->text(), "Ka.000123.00");
    QCOMPARE(f.combo("cb_rekordok0")->count(), 1);
    QCOMPARE(f.find<QLabel>("labrek")->text(), "rögzített rekordok száma: 1");
    QVERIFY(f.window().windowTitle().endsWith(".rtf ] *"));
    QVERIFY(!f.window().windowTitle().endsWith("* *"));

    f.dialogs.yesNoAnswers.enqueue(true);
    f.action("menu3_torles")->trigger();
    QCOMPARE(f.window().currentRecordIndex(), -1);
    QCOMPARE(f.find<QLabel>("lab_reknev")->text(), "..");
    QVERIFY(!f.action("menu3_torles")->isEnabled());
}

void tst_Workspace::saveFollowsTheRtfRule_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");

    QTest::newRow("x") << "x"
                       << "x.rtf";
    QTest::newRow("x.rtf") << "x.rtf"
                           << "x.rtf";
    QTest::newRow("X.RTF") << "X.RTF"
                           << "X.RTF.rtf";
    QTest::newRow("a.rtf.bak") << "a.rtf.bak"
                               << "a.rtf.bak";
}

void tst_Workspace::saveFollowsTheRtfRule()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);

    WorkspaceFixture f;
    f.openSample();
    f.dialogs.saveFileAnswers.enqueue(f.dir.file(chosen));
    f.action("menu0_saveas")->trigger();
    QCOMPARE(f.dir.readBytes(written), TextFile::encodeUnicode(WorkspaceFixture::sampleLines()));

    // A database opened from 8-bit text is saved as Unicode text beside it.
    f.dir.writeBytes("regi.txt", bytes8(WorkspaceFixture::sampleLines()[0] + "\r\nLu"));
    f.open(f.dir.file("regi.txt"));
    f.edit(7)->setText("Más cím");
    f.action("menu3_mentes")->trigger();
    f.action("menu0_save")->trigger();
    const QStringList saved = TextFile::readUnicode(f.dir.file("regi.txt.rtf"));
    QCOMPARE(saved.size(), 2);
    QVERIFY(saved[0].contains("Más cím"));
    QCOMPARE(saved[1], "Lu");
    QVERIFY(f.window().windowTitle().endsWith("regi.txt ]"));
}

void tst_Workspace::saveAsKeepsThePath()
{
    WorkspaceFixture f;
    f.openSample();
    f.edit(7)->setText("Új cím");
    f.action("menu3_mentes")->trigger();
    QVERIFY(f.window().windowTitle().endsWith(" *"));

    f.dialogs.saveFileAnswers.enqueue(f.dir.file("masolat"));
    f.action("menu0_saveas")->trigger();
    QCOMPARE(f.window().windowTitle(), "Norla 7.2   -   [ " + f.dir.file("minta.rtf") + " ]");
    QVERIFY(!f.action("menu0_save")->isEnabled());
    QVERIFY(TextFile::readUnicode(f.dir.file("masolat.rtf"))[0].contains("Új cím"));
    QVERIFY(!TextFile::readUnicode(f.dir.file("minta.rtf"))[0].contains("Új cím"));

    f.edit(7)->setText("Még újabb");
    f.action("menu3_mentes")->trigger();
    f.action("menu0_save")->trigger();
    QVERIFY(TextFile::readUnicode(f.dir.file("minta.rtf"))[0].contains("Még újabb"));
    QVERIFY(TextFile::readUnicode(f.dir.file("masolat.rtf"))[0].contains("Új cím"));
}

// The write fails in two ways root cannot get around: the target is a
// folder, or its parent is a regular file.
void tst_Workspace::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder") << "mappa.rtf";
    QTest::newRow("parent is a file") << "minta.rtf/alatta.rtf";
}

void tst_Workspace::failedSaveKeepsTheOldFile()
{
    QFETCH(QString, target);

    WorkspaceFixture f;
    QDir(f.dir.path()).mkdir("mappa.rtf");
    f.openSample();
    const QByteArray before = f.dir.readBytes("minta.rtf");
    f.edit(7)->setText("Elveszne");
    f.action("menu3_mentes")->trigger();

    f.dialogs.saveFileAnswers.enqueue(f.dir.file(target));
    f.action("menu0_saveas")->trigger();
    QCOMPARE(f.dialogs.messages, QStringList{cannotCreateFile(f.dir.file(target))});
    QCOMPARE(f.dir.readBytes("minta.rtf"), before);
    QVERIFY(f.action("menu0_save")->isEnabled());
    QVERIFY(f.window().windowTitle().endsWith(" *"));

    // Leaving asks, the save fails again, and the program stays open.
    f.dialogs.yesNoCancelAnswers.enqueue(UserDialogs::Answer::Yes);
    f.dialogs.messages.clear();
    const QString documentPath = f.window().document().path();
    QFile::remove(documentPath);
    QDir(f.dir.path()).mkdir("minta.rtf");
    QVERIFY(!f.window().close());
    QCOMPARE(f.dialogs.messages.size(), 2);
    QCOMPARE(f.dialogs.messages[0], cannotCreateFile(documentPath));
    QVERIFY(f.window().isVisible());
}

void tst_Workspace::newDatabase()
{
    WorkspaceFixture f;
    f.dialogs.saveFileAnswers.enqueue(f.dir.file("friss"));
    QTest::mouseClick(f.find<QToolButton>("sb_uj"), Qt::LeftButton);
    QCOMPARE(f.dir.readBytes("friss.rtf"), QByteArray("\xFF\xFE", 2));
    QCOMPARE(f.window().mode(), MainWindow::Mode::NewRecords);
    QCOMPARE(f.dialogs.fileDialogTitles.last(), "Új adatbázis létrehozása");
    QCOMPARE(f.dialogs.fileDialogFilters.last(), "RTF|*.rtf");

    // Replacing an existing database with an empty one asks first.
    f.openSample();
    f.dialogs.saveFileAnswers.enqueue(f.dir.file("minta.rtf"));
    f.dialogs.yesNoAnswers.enqueue(false);
    f.action("menu0_uj")->trigger();
    QCOMPARE(f.window().document().lineCount(), 3);
    QCOMPARE(TextFile::readUnicode(f.dir.file("minta.rtf")).size(), 3);
}

void tst_Workspace::leaveAsksOnceWhenModified_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void tst_Workspace::leaveAsksOnceWhenModified()
{
    QFETCH(bool, answer);

    WorkspaceFixture f;
    f.openSample();
    f.dialogs.yesNoAnswers.enqueue(true);
    f.action("menu3_torles")->trigger();
    f.dialogs.questions.clear();

    f.dialogs.yesNoCancelAnswers.enqueue(answer ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    f.action("Kilps1")->trigger();
    QCOMPARE(f.dialogs.questions, QStringList{"Mentsem az adatbázisban történt módosításokat ?"});
    QVERIFY(!f.window().isVisible());
    QCOMPARE(TextFile::readUnicode(f.dir.file("minta.rtf")).size(), answer ? 2 : 3);
    QVERIFY(QFile::exists(f.dir.file("config.kzs")));
}

void tst_Workspace::rawPageShowsTheLines()
{
    WorkspaceFixture f;
    f.openSample();
    QTest::mouseClick(f.find<QToolButton>("sb_monitor"), Qt::LeftButton);
    QCOMPARE(f.window().currentPage(), int(MainWindow::RawPage));
    QCOMPARE(f.window().rawDatabaseView()->toPlainText(), WorkspaceFixture::sampleLines().join('\n'));
    QCOMPARE(f.window().mode(), MainWindow::Mode::Browse);
    f.action("menu3_felvitel")->trigger();
    QCOMPARE(f.window().currentPage(), int(MainWindow::EntryPage));
}

// Each entry opens its window modally (closed here at once) or switches page.
void tst_Workspace::menuEntriesReachTheOtherWindows_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("dialog"); // empty: no dialog
    QTest::addColumn<int>("page");       // the page shown afterwards; -1: unchanged

    QTest::newRow("Beállítások...") << "Belltsok1"
                                    << "configform" << -1;
    QTest::newRow("Névjegy...") << "Nvjegy1"
                                << "nevjform" << -1;
    QTest::newRow("Keresés") << "Keress1"
                             << "keresform" << -1;
    QTest::newRow("Indexelés") << "Indexels1"
                               << "indexform" << int(MainWindow::EntryPage);
    QTest::newRow("Konvertálás") << "Konvertls1"
                                 << "" << int(MainWindow::ConvertPage);
    QTest::newRow("Tallózás") << "allzs1"
                              << "" << int(MainWindow::BrowsePageIndex);
    QTest::newRow("Adatrögzítés") << "Adatrgzts1"
                                  << "" << int(MainWindow::EntryPage);
}

void tst_Workspace::menuEntriesReachTheOtherWindows()
{
    QFETCH(QString, entry);
    QFETCH(QString, dialog);
    QFETCH(int, page);

    WorkspaceFixture f;
    f.window().showPage(MainWindow::HitsPageIndex);
    QString shown;
    int settingsPage = -1;
    QTimer::singleShot(0, [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = modal->objectName();
            if (auto* pages = modal->findChild<QTabWidget*>("soklap2"))
                settingsPage = pages->currentIndex();
            modal->reject();
        }
    });
    f.action(entry)->trigger();
    QCOMPARE(shown, dialog);
    if (entry == "Belltsok1")
        QCOMPARE(settingsPage, 0);
    QCOMPARE(f.window().currentPage(), page < 0 ? int(MainWindow::HitsPageIndex) : page);
}

void tst_Workspace::indexingReopensTheDatabase_data()
{
    QTest::addColumn<bool>("databaseExists");
    QTest::newRow("adatbazis.rtf present") << true;
    QTest::newRow("adatbazis.rtf missing") << false;
}

void tst_Workspace::indexingReopensTheDatabase()
{
    QFETCH(bool, databaseExists);

    WorkspaceFixture f;
    f.openSample();
    if (databaseExists)
        f.writeDatabase("adatbazis.rtf", {WorkspaceFixture::sampleLines()[2]});
    f.dialogs.messages.clear();
    QTimer::singleShot(0, [&] {
        if (auto* index = f.window().findChild<IndexDialog*>()) {
            index->setIndexingFinished(true); // as a completed run leaves it
            index->reject();
        }
    });
    f.action("Indexels1")->trigger();
    QCOMPARE(f.window().currentPage(), int(MainWindow::EntryPage));
    if (databaseExists) {
        QCOMPARE(f.window().document().path(), f.dir.file("adatbazis.rtf"));
        QCOMPARE(f.window().document().lineCount(), 1);
    } else {
        QCOMPARE(f.window().document().path(), f.dir.file("minta.rtf"));
        QCOMPARE(f.window().document().lineCount(), 3);
        QVERIFY(!f.dialogs.messages.filter("adatbazis.rtf").isEmpty());
    }
}

void tst_Workspace::savedRecordIsAnnounced_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<int>("index");

    QTest::newRow("replaced in place") << false << 1;
    QTest::newRow("appended") << true << 3;
}

// What a save announces (and what the editor's other users, a check of the
// record say, rely on): the line the record now has in the document.
void tst_Workspace::savedRecordIsAnnounced()
{
    QFETCH(bool, append);
    QFETCH(int, index);

    WorkspaceFixture f;
    f.openSample();
    RecordEditor& editor = f.window().editor();
    QCOMPARE(editor.fieldEdit(Field::Title), f.edit(7));
    QCOMPARE(editor.fieldEdit(Field::Link), nullptr);
    QSignalSpy saved(&editor, &RecordEditor::recordSaved);
    if (append) {
        f.action("menu3_felvitel")->trigger();
        f.edit(1)->setText("77");
        f.combo("cb_rektipus")->setCurrentIndex(0);
        f.find<RadioGroup>("rg_kotet")->button(1)->click();
    } else {
        f.action("gnyil3_action")->trigger();
    }
    editor.fieldEdit(Field::Title)->setText("Új cím");
    QTest::keyClick(&f.window(), Qt::Key_F2);

    QCOMPARE(saved.size(), 1);
    QCOMPARE(saved.first().first().toInt(), index);
    QVERIFY(f.window().document().line(index).toString().contains(u"**Új cím**"));
}

void tst_Workspace::pagesAndNoticesCanBeAdded()
{
    WorkspaceFixture f;
    auto* notice = new QLabel("Figyelem");
    f.window().entryPage()->addNotice(notice);
    QCOMPARE(notice->window(), &f.window());

    // The page takes the empty place at 5; the stack does not grow.
    const int pagesBefore = f.find<QStackedWidget>("soklap")->count();
    auto* page = new QWidget;
    f.window().addPage(5, page, "Új lap");
    auto* tabs = f.find<QTabBar>("soklap_tabs");
    QCOMPARE(tabs->tabText(tabs->count() - 1), "Új lap");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tabs->count() - 1).center());
    QCOMPARE(f.window().currentPage(), 5);
    QVERIFY(page->isVisible());
    QCOMPARE(f.find<QStackedWidget>("soklap")->count(), pagesBefore);
}

QTEST_MAIN(tst_Workspace)
#include "tst_workspace.moc"
