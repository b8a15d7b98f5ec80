#include "JobCheckpoints.h"
#include "ScriptedDialogs.h"
#include "SearchFixtures.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/record/NorlaError.h"
#include "core/search/BrowseList.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/BrowsePage.h"
#include "ui/search/DuplicatesDialog.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

namespace {

QString cannotOpen(const TempWorkDir& dir, const QString& name)
{
    return cannotOpenFile(dir.file(name));
}

void writeDirectory(const TempWorkDir& dir, const QStringList& names, const QStringList& chunks)
{
    TextFile::write8Bit(dir.file(QStringLiteral("fsz1.zda")), names);
    TextFile::write8Bit(dir.file(QStringLiteral("fsz0.zda")), chunks);
}

// Two chunks: chunk 1 holds a book and, twice, Ka00000200 (the later line
// is the one shown); chunk 2 holds an article with two creators.
void writeIndex(const TempWorkDir& dir)
{
    Rec book;
    book.name = QStringLiteral("Ka00000100");
    book.subject = QStringLiteral("Tárgy");
    book.title = QStringLiteral("Könyv címe");
    book.publication = QStringLiteral("Sorozat");
    book.volumeRun = QStringLiteral("3");
    book.translated = QStringLiteral("1");
    Rec early;
    early.name = QStringLiteral("Ka00000200");
    early.title = QStringLiteral("korábbi");
    Rec later = early;
    later.title = QStringLiteral("későbbi");
    Rec article;
    article.name = QStringLiteral("Lu00000300");
    article.type = QStringLiteral("folyóiratcikk");
    article.creators = {QStringLiteral("01Kovács Ödön"), QStringLiteral("02"), QStringLiteral("0cNagy Ilona"),
                        QString()};
    article.translated = QStringLiteral("x");
    writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {book.line(), early.line(), later.line()});
    writeChunk(dir.path(), QStringLiteral("adatb2.ztf"), {article.line()});
    writeDirectory(dir,
                   {QStringLiteral("Ka00000100"), QStringLiteral("Ka00000200"), QStringLiteral("Lu00000300"),
                    QStringLiteral("ka00000200")},
                   {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("1")});
    QStringList roles;
    for (int i = 1; i <= 12; ++i)
        roles.append(QStringLiteral("Szerep %1").arg(i));
    TextFile::write8Bit(dir.file(QStringLiteral("szerep.zda")), roles);
}

} // namespace

class TestBrowse : public QObject
{
    Q_OBJECT

    static QString field(const BrowsePage& page, const char* name)
    {
        auto* edit = page.findChild<QLineEdit*>(QString::fromLatin1(name));
        return edit ? edit->text() : QStringLiteral("<missing>");
    }

    static QListView* list(const BrowsePage& page)
    {
        return page.findChild<QListView*>(QStringLiteral("lb_talloz1"));
    }

    static void clickRow(QListView* view, int row)
    {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

private Q_SLOTS:
    void loadShowsTheFirstRecord()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        BrowsePage page;
        QVERIFY(page.loadBrowseList(dir.path(), false));
        QCOMPARE(list(page)->model()->rowCount(), 4);
        QCOMPARE(list(page)->currentIndex().row(), 0);
        QCOMPARE(field(page, "edit_talrekord"), QStringLiteral("Ka00000100"));
        QCOMPARE(field(page, "edit_talkotet"), QStringLiteral("Kardel"));
        QCOMPARE(field(page, "edit_talrektip"), QStringLiteral("könyv"));
        QCOMPARE(field(page, "edit_talforditas"), QStringLiteral("igen"));
        QCOMPARE(field(page, "edit_taltargykor"), QStringLiteral("Tárgy"));
        QCOMPARE(field(page, "edit_talcim"), QStringLiteral("Könyv címe"));
        QCOMPARE(field(page, "edit_talkiadvany"), QStringLiteral("Sorozat"));
        QCOMPARE(field(page, "edit_talevfolyam"), QStringLiteral("3"));
        QCOMPARE(field(page, "edit_talnyelv"), QStringLiteral("magyar"));
        QCOMPARE(field(page, "edit_taladath"), QStringLiteral("papír"));
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("lab_talkiadvany"))->text(),
                 QStringLiteral("Könyvsorozat:"));
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("lab_talevfolyam"))->text(),
                 QStringLiteral("Kötetszám:"));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void clickShowsTheRecordWithCreators()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        BrowsePage page;
        page.resize(800, 600);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.loadBrowseList(dir.path(), false);
        clickRow(list(page), 2);
        QCOMPARE(field(page, "edit_talrekord"), QStringLiteral("Lu00000300"));
        QCOMPARE(field(page, "edit_talforditas"), QStringLiteral("nem"));
        // A type outside the caption table brings the general captions back.
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("lab_talkiadvany"))->text(),
                 QStringLiteral("Kiadvány:"));
        QCOMPARE(page.findChild<QLabel*>(QStringLiteral("lab_talevfolyam"))->text(),
                 QStringLiteral("Évfolyam:"));
        auto* group = page.findChild<QGroupBox*>(QStringLiteral("gb_talalkoto"));
        QCOMPARE(group->title(), QStringLiteral(" Alkotók "));
        const QStringList labels = {QStringLiteral("Szerep 1:"), QStringLiteral("Szerep 12:")};
        const QStringList names = {QStringLiteral("Kovács Ödön"), QStringLiteral("Nagy Ilona")};
        for (int i = 0; i < 4; ++i) {
            auto* label = page.findChild<QLabel*>(QStringLiteral("lab_talszerz%1").arg(i + 1));
            auto* edit = page.findChild<QLineEdit*>(QStringLiteral("edit_talszerz%1").arg(i + 1));
            QCOMPARE(edit->isVisibleTo(&page), i < 2);
            QCOMPARE(label->isVisibleTo(&page), i < 2);
            QCOMPARE(edit->text(), i < 2 ? names[i] : QString());
            if (i < 2)
                QCOMPARE(label->text(), labels[i]);
        }
        // Back to the book: every creator pair hides again.
        clickRow(list(page), 0);
        QVERIFY(!page.findChild<QLineEdit*>(QStringLiteral("edit_talszerz1"))->isVisibleTo(&page));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void laterOfTwoEqualLinesIsShown()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        BrowsePage page;
        page.loadBrowseList(dir.path(), false);
        QVERIFY(page.openRecord(QStringLiteral("Ka00000200")));
        QCOMPARE(field(page, "edit_talcim"), QStringLiteral("későbbi"));
    }

    void hitOpensTheFirstEqualNameIgnoringCase()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        BrowsePage page;
        page.loadBrowseList(dir.path(), false);
        QVERIFY(page.openRecord(QStringLiteral("KA00000200")));
        QCOMPARE(list(page)->currentIndex().row(), 1);
        QVERIFY(!page.openRecord(QStringLiteral("Ka99999900")));
        QCOMPARE(list(page)->currentIndex().row(), 1);
    }

    void hitClickAsksToOpenTheRecord()
    {
        HitsPage hits;
        hits.show();
        QVERIFY(QTest::qWaitForWindowExposed(&hits));
        hits.appendHit("Ka00000100");
        hits.appendHit("Lu00000300");
        hits.showAppendedHits();
        QSignalSpy spy(&hits, &HitsPage::openHitRequested);
        auto* view = hits.findChild<QListView*>(QStringLiteral("lb_talalat"));
        clickRow(view, 1);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Lu00000300"));
        QCOMPARE(spy.at(0).at(1).toInt(), -1);
    }

    void hitClickSwitchesTheMainWindowToTheBrowsePage()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        main.browsePage()->loadBrowseList(dir.path(), false);
        main.showPage(MainWindow::HitsPageIndex);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        HitsPage* hits = main.hitsPage();
        hits->appendHit("Ka00000100");
        hits->appendHit("LU00000300"); // the browse list holds it as Lu00000300
        hits->showAppendedHits();
        main.showPage(MainWindow::HitsPageIndex);
        clickRow(hits->findChild<QListView*>(QStringLiteral("lb_talalat")), 1);
        QCOMPARE(main.currentPage(), int(MainWindow::BrowsePageIndex));
        QCOMPARE(field(*main.browsePage(), "edit_talrekord"), QStringLiteral("Lu00000300"));
    }

    // Records of two databases may share a name; a hit opens the record it
    // was found as, not the first of the name.
    void equalNamesOpenTheRecordTheHitCameFrom()
    {
        TempWorkDir dir;
        Rec first;
        first.name = QStringLiteral("Ka00000500");
        first.title = QStringLiteral("első példány");
        Rec second = first;
        second.title = QStringLiteral("második példány");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {first.line()});
        writeChunk(dir.path(), QStringLiteral("adatb2.ztf"), {second.line()});
        writeDirectory(dir, {first.name, second.name}, {QStringLiteral("1"), QStringLiteral("2")});
        writeRoles(dir.path());
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        main.browsePage()->loadBrowseList(dir.path(), false);
        SearchDialog& search = program.searchDialog();
        search.setStartDir(dir.path());
        search.findChild<QLineEdit*>(QStringLiteral("edit_1"))->setText(QStringLiteral("példány"));
        search.findChild<QPushButton*>(QStringLiteral("gomb_keres"))->click();
        main.showPage(MainWindow::HitsPageIndex);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* hitList = main.hitsPage()->findChild<QListView*>(QStringLiteral("lb_talalat"));
        QCOMPARE(hitList->model()->rowCount(), 2);
        clickRow(hitList, 1);
        QCOMPARE(main.currentPage(), int(MainWindow::BrowsePageIndex));
        QCOMPARE(field(*main.browsePage(), "edit_talcim"), second.title);
        main.showPage(MainWindow::HitsPageIndex);
        clickRow(hitList, 0);
        QCOMPARE(field(*main.browsePage(), "edit_talcim"), first.title);
    }

    // "Duplikátumok keresése" lists the same record of two databases as one
    // group; clicking the second opens that very record.
    void duplicateListOpensTheRecord()
    {
        TempWorkDir dir;
        Rec first;
        first.name = QStringLiteral("Ka00000500");
        first.title = QStringLiteral("első példány");
        Rec second = first;
        second.title = QStringLiteral("második példány");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {first.line()});
        writeChunk(dir.path(), QStringLiteral("adatb2.ztf"), {second.line()});
        writeDirectory(dir, {first.name, second.name}, {QStringLiteral("1"), QStringLiteral("2")});
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        main.browsePage()->loadBrowseList(dir.path(), false);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.findChild<QAction*>(QStringLiteral("Duplikatumok1"))->trigger();
        auto* dialog = main.findChild<DuplicatesDialog*>(QStringLiteral("duplikatumform"));
        QVERIFY(dialog && dialog->isVisible());
        QSignalSpy ended(dialog, &DuplicatesDialog::searchEnded);
        dialog->findChild<QPushButton*>(QStringLiteral("gomb_dupkeres"))->click();
        QVERIFY(ended.count() == 1 || ended.wait(60000));
        auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("tv_duplikatumok"));
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* group = tree->topLevelItem(0);
        QCOMPARE(group->text(0), QStringLiteral("Azonos rekordnév (2)"));
        QCOMPARE(group->childCount(), 2);
        QVERIFY(group->child(1)->text(1).contains(second.title));
        tree->scrollToItem(group->child(1));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(group->child(1)).center());
        QCOMPARE(main.currentPage(), int(MainWindow::BrowsePageIndex));
        QCOMPARE(field(*main.browsePage(), "edit_talcim"), second.title);
        QVERIFY(dialogs.messages.isEmpty());
    }

    // "Megszakítás" stops the search mid-run: nothing is listed, and the
    // search can be started again.
    void duplicateSearchStops()
    {
        TempWorkDir dir;
        Rec record;
        record.name = QStringLiteral("Ka00000500");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {record.line()});
        writeChunk(dir.path(), QStringLiteral("adatb2.ztf"), {record.line()});
        writeDirectory(dir, {record.name, record.name}, {QStringLiteral("1"), QStringLiteral("2")});
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.findChild<QAction*>(QStringLiteral("Duplikatumok1"))->trigger();
        auto* dialog = main.findChild<DuplicatesDialog*>(QStringLiteral("duplikatumform"));
        QVERIFY(dialog);
        dialog->setStartDir(dir.path());
        auto* search = dialog->findChild<QPushButton*>(QStringLiteral("gomb_dupkeres"));
        auto* stop = dialog->findChild<QPushButton*>(QStringLiteral("gomb_dupmegszakit"));
        QSignalSpy ended(dialog, &DuplicatesDialog::searchEnded);
        {
            const JobCheckpoints checks(dialog, [&](int check) {
                if (check == 1)
                    stop->click();
            });
            search->click();
            QVERIFY(ended.count() == 1 || ended.wait(60000));
            QCOMPARE(checks.count(), 1);
        }
        QCOMPARE(dialog->findChild<QTreeWidget*>(QStringLiteral("tv_duplikatumok"))->topLevelItemCount(), 0);
        QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("lab_dupallapot"))->text(),
                 QStringLiteral("A keresés megszakítva."));
        QVERIFY(search->isEnabled() && !stop->isEnabled());
        search->click();
        QVERIFY(ended.count() == 2 || ended.wait(60000));
        QCOMPARE(dialog->findChild<QTreeWidget*>(QStringLiteral("tv_duplikatumok"))->topLevelItemCount(), 1);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void nameNotFoundInItsChunkLeavesTheView()
    {
        TempWorkDir dir;
        writeIndex(dir);
        writeDirectory(
            dir, {QStringLiteral("Ka00000100"), QStringLiteral("Ka000001"), QStringLiteral("Ka00000101")},
            {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1")});
        ScriptedDialogs dialogs;
        BrowsePage page;
        page.loadBrowseList(dir.path(), false);
        QVERIFY(page.openRecord(QStringLiteral("Ka000001")));
        QVERIFY(page.openRecord(QStringLiteral("Ka00000101")));
        QCOMPARE(field(page, "edit_talrekord"), QStringLiteral("Ka00000100"));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void brokenDirectoryMessages_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("message");
        const QStringList ok = {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2"),
                                QStringLiteral("1")};
        QTest::newRow("not a number") << QStringList{ok[0], QStringLiteral("x1"), ok[2], ok[3]} << 1
                                      << QStringLiteral("'x1' is not a valid integer value");
        QTest::newRow("empty entry") << QStringList{ok[0], QString(), ok[2], ok[3]} << 1
                                     << QStringLiteral("'' is not a valid integer value");
        QTest::newRow("too big") << QStringList{ok[0], QStringLiteral("99999999999"), ok[2], ok[3]} << 1
                                 << QStringLiteral("'99999999999' is not a valid integer value");
        QTest::newRow("fsz0 too short")
            << ok.mid(0, 2) << 2 << QStringLiteral("List index out of bounds (2)");
        QTest::newRow("missing chunk") << QStringList{ok[0], ok[1], QStringLiteral("7"), ok[3]} << 2
                                       << QStringLiteral("Cannot open file %1");
    }
    void brokenDirectoryMessages()
    {
        QFETCH(QStringList, chunks);
        QFETCH(int, row);
        QFETCH(QString, message);
        TempWorkDir dir;
        writeIndex(dir);
        writeDirectory(dir,
                       {QStringLiteral("Ka00000100"), QStringLiteral("Ka00000200"),
                        QStringLiteral("Lu00000300"), QStringLiteral("ka00000200")},
                       chunks);
        ScriptedDialogs dialogs;
        BrowsePage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QVERIFY(page.loadBrowseList(dir.path(), false));
        clickRow(list(page), row);
        if (message.contains(u'%'))
            message = cannotOpenFile(dir.file(QStringLiteral("adatb7.ztf")));
        QCOMPARE(dialogs.messages, QStringList{message});
        // The view keeps the record shown before.
        QCOMPARE(field(page, "edit_talrekord"), QStringLiteral("Ka00000100"));
    }

    void missingDirectoryFiles_data()
    {
        QTest::addColumn<bool>("names");
        QTest::addColumn<bool>("chunkNumbers");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("listed");
        QTest::addColumn<bool>("noIndexNote");
        QTest::newRow("no index at start-up") << false << false << true << QString() << 0 << true;
        QTest::newRow("no index after indexing")
            << false << false << false << QStringLiteral("fsz1.zda") << 0 << true;
        QTest::newRow("no names") << false << true << true << QStringLiteral("fsz1.zda") << 0 << false;
        QTest::newRow("no chunk numbers")
            << true << false << true << QStringLiteral("fsz0.zda") << 4 << false;
    }
    void missingDirectoryFiles()
    {
        QFETCH(bool, names);
        QFETCH(bool, chunkNumbers);
        QFETCH(bool, quiet);
        QFETCH(QString, message);
        QFETCH(int, listed);
        QFETCH(bool, noIndexNote);
        TempWorkDir dir;
        writeIndex(dir);
        if (!names)
            QFile::remove(dir.file(QStringLiteral("fsz1.zda")));
        if (!chunkNumbers)
            QFile::remove(dir.file(QStringLiteral("fsz0.zda")));
        ScriptedDialogs dialogs;
        BrowsePage page;
        QCOMPARE(page.loadBrowseList(dir.path(), quiet), message.isEmpty());
        QCOMPARE(dialogs.messages, message.isEmpty() ? QStringList() : QStringList{cannotOpen(dir, message)});
        QCOMPARE(list(page)->model()->rowCount(), listed);
        QVERIFY(field(page, "edit_talrekord").isEmpty());
        QCOMPARE(page.findChild<QWidget*>(QStringLiteral("browseNoIndexNote"))->isVisibleTo(&page),
                 noIndexNote);
    }

    // A first start in a folder never indexed: "Tallózás" says what to do,
    // and its button opens the index dialog; once the folder is indexed the
    // note goes.
    void firstStartLeadsToTheIndexDialog()
    {
        TempWorkDir dir;
        dir.seedFromSample();
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        main.show();
        QTRY_COMPARE(main.currentPage(), int(MainWindow::BrowsePageIndex));
        auto* note = main.findChild<QWidget*>(QStringLiteral("browseNoIndexNote"));
        QVERIFY(note && note->isVisible());
        QVERIFY(
            note->findChild<QLabel*>(QStringLiteral("browseNoIndexText"))->text().contains(u"nincs index"));

        bool dialogShown = false;
        QTimer::singleShot(0, [&] {
            auto* index = main.findChild<IndexDialog*>();
            dialogShown = index && index->isVisible();
            writeIndex(dir); // as the run would leave the folder
            index->setIndexingFinished(true);
            index->reject();
        });
        QTest::mouseClick(note->findChild<QPushButton*>(QStringLiteral("browseIndexButton")), Qt::LeftButton);
        QVERIFY(dialogShown);
        QVERIFY(!note->isVisibleTo(main.browsePage()));
        QCOMPARE(main.browsePage()->browseList().names().size(), 4);
    }

    void indexedFolderShowsNoNote()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        main.show();
        QTRY_COMPARE(main.currentPage(), int(MainWindow::BrowsePageIndex));
        QVERIFY(!main.findChild<QWidget*>(QStringLiteral("browseNoIndexNote"))->isVisible());
    }

    void emptyIndexShowsNothing()
    {
        TempWorkDir dir;
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {});
        writeDirectory(dir, {}, {});
        ScriptedDialogs dialogs;
        BrowsePage page;
        QVERIFY(page.loadBrowseList(dir.path(), false));
        QCOMPARE(list(page)->model()->rowCount(), 0);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void reloadReadsTheFilesAgain()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        BrowsePage page;
        page.loadBrowseList(dir.path(), false);
        Rec changed;
        changed.name = QStringLiteral("Ka00000100");
        changed.title = QStringLiteral("Új cím");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {changed.line()});
        QVERIFY(page.openRecord(QStringLiteral("Ka00000100")));
        QCOMPARE(field(page, "edit_talcim"), QStringLiteral("Új cím"));
    }

    void widerPanelWidensTheLongBoxes()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        BrowsePage page;
        page.resize(900, 600);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* panel = page.findChild<QWidget*>(QStringLiteral("Panel14"));
        const int width = panel->width();
        const auto widthOf = [&page](const char* name) {
            return page.findChild<QWidget*>(QString::fromLatin1(name))->width();
        };
        QCOMPARE(widthOf("gb_talalkoto"), width - 16);
        QCOMPARE(widthOf("edit_talcim"), width - 134);
        QCOMPARE(widthOf("edit_talszerz1"), width - 128);
        QCOMPARE(widthOf("edit_talrekord"), 193);
        QCOMPARE(widthOf("edit_talforditas"), 65);
        page.resize(1000, 600);
        QTRY_COMPARE(panel->width(), width + 100);
        QCOMPARE(widthOf("gb_talalkoto"), width + 100 - 16);
        QCOMPARE(widthOf("edit_talmegj"), width + 100 - 134);
        QCOMPARE(widthOf("edit_talnyelv"), 193);
    }

    void directoryCore_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a", "b"};
        QTest::newRow("no final break") << QByteArray("a\nb") << QList<QByteArray>{"a", "b"};
        QTest::newRow("lone cr and empty line") << QByteArray("a\r\rb\n") << QList<QByteArray>{"a", "", "b"};
        QTest::newRow("nul ends the text") << QByteArray("a\nb\0c\n", 6) << QList<QByteArray>{"a", "b"};
    }
    void directoryCore()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, lines);
        const ByteStringList list = ByteStringList::fromLines(bytes);
        QList<QByteArray> got;
        for (qsizetype i = 0; i < list.size(); ++i)
            got.append(list.at(i).toByteArray());
        QCOMPARE(got, lines);
        QCOMPARE(got, TextFile::split8BitLines(bytes));
    }
};

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
