#include "JobCheckpoints.h"
#include "ScriptedDialogs.h"
#include "SearchFixtures.h"
#include "TestSupport.h"

#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

namespace {

const QString kOneHit = QStringLiteral("A megadott keresési paramétereknek 1 rekord felelt meg. A találatok "
                                       "megtekintéséhez válassza a Találatok gombot.");
const QString kNoHit = QStringLiteral("A megadott keresési paramétereknek egyetlen rekord sem felelt meg");

// A working folder with one chunk of three records and the list files the
// dialog reads.
void writeFolder(const TempWorkDir& dir)
{
    Rec a;
    a.name = QStringLiteral("Ka00000100");
    a.title = QStringLiteral("Kovács élete");
    Rec b;
    b.name = QStringLiteral("Lu00000200");
    b.creators[0] = QStringLiteral("01Kovács Ödön");
    b.translated = QStringLiteral("1");
    Rec c;
    c.name = QStringLiteral("Ka00000300");
    c.title = QStringLiteral("Más");
    writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {a.line(), b.line(), c.line()});
    writeRoles(dir.path());
    TextFile::writeUnicode(dir.file(QStringLiteral("kotet.zda")),
                           {QStringLiteral("Kardel"), QStringLiteral("Lunvek")});
}

} // namespace

class TestSearchDialog : public QObject
{
    Q_OBJECT

    template <typename T> T* get(const QWidget& dialog, const QString& name)
    {
        T* widget = dialog.findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }

    static void click(QWidget* widget)
    {
        // Check boxes and radio buttons react on their indicator.
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
    }

    // Types like a user, accented letters included.
    static void type(QWidget* widget, const QString& text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    static void clickRow(QAbstractItemView* view, int row)
    {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void verifyResetState(const SearchDialog& d)
    {
        QVERIFY(get<QRadioButton>(d, QStringLiteral("rg_keres_0"))->isChecked());
        for (const char* name : {"rg_1", "lab1", "edit_1"})
            QVERIFY2(get<QWidget>(d, QString::fromLatin1(name))->isEnabled(), name);
        for (const char* name :
             {"rg_2", "lab2", "edit_2", "lb_keres", "gomb_hozza", "gomb_elvesz", "lab3", "rb21", "rb22"})
            QVERIFY2(!get<QWidget>(d, QString::fromLatin1(name))->isEnabled(), name);
        QVERIFY(get<QLineEdit>(d, QStringLiteral("edit_1"))->text().isEmpty());
        QVERIFY(get<QLineEdit>(d, QStringLiteral("edit_2"))->text().isEmpty());
        QCOMPARE(get<QListWidget>(d, QStringLiteral("lb_keres"))->count(), 0);
        QVERIFY(get<QRadioButton>(d, QStringLiteral("rb21"))->isChecked());
        QVERIFY(get<QRadioButton>(d, QStringLiteral("rg_mod_1"))->isChecked());
        for (int tag = 1; tag <= 9; ++tag)
            QVERIFY(!get<QCheckBox>(d, QStringLiteral("cb%1").arg(tag))->isChecked());
        for (int tag = 1; tag <= 8; ++tag) {
            auto* edit = get<QLineEdit>(d, QStringLiteral("edit%1").arg(tag));
            QVERIFY(edit->text().isEmpty());
            QVERIFY(!edit->isEnabled());
        }
        QVERIFY(!get<QRadioButton>(d, QStringLiteral("rb_lista1"))->isEnabled());
        QVERIFY(!get<QRadioButton>(d, QStringLiteral("rb_lista2"))->isEnabled());
        QVERIFY(get<QRadioButton>(d, QStringLiteral("rb_lista1"))->isChecked());
        for (int n = 21; n <= 32; ++n)
            QVERIFY(get<QCheckBox>(d, QStringLiteral("cb%1").arg(n))->isChecked());
        QVERIFY(get<QLabel>(d, QStringLiteral("lab_listanev"))->text().isEmpty());
        QVERIFY(get<QPlainTextEdit>(d, QStringLiteral("Memo_talalat"))->toPlainText().isEmpty());
        QVERIFY(!get<QCheckBox>(d, QStringLiteral("cb_ekezet"))->isChecked());
        QCOMPARE(get<QProgressBar>(d, QStringLiteral("csikkeres"))->value(), 0);
        QVERIFY(get<QPushButton>(d, QStringLiteral("gomb_alap"))->isEnabled());
        QVERIFY(get<QPushButton>(d, QStringLiteral("gomb_megsem"))->isEnabled());
        QVERIFY(!get<QPushButton>(d, QStringLiteral("gomb_keres"))->isEnabled());
        QVERIFY(!get<QPushButton>(d, QStringLiteral("gomb_talalatok"))->isEnabled());
    }

private Q_SLOTS:
    void layoutAndCaptions()
    {
        SearchDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Összetett keresés"));
        // Wider than 765 where the captions and pick-list names need it.
        QCOMPARE(dialog.height(), 451);
        QVERIFY(dialog.width() >= 765);
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        const QStringList captions = {QStringLiteral("Tárgykör"),
                                      QStringLiteral("Alkotó"),
                                      QStringLiteral("Cím"),
                                      QStringLiteral("Kiadvány"),
                                      QStringLiteral("Kiadó"),
                                      QStringLiteral("Könyvsorozat"),
                                      QStringLiteral("Kötetszám"),
                                      QStringLiteral("Oldalszám"),
                                      QStringLiteral("Év"),
                                      QStringLiteral("Évfolyam"),
                                      QStringLiteral("Megjelenés helye"),
                                      QStringLiteral("Megjegyzés")};
        for (int i = 0; i < captions.size(); ++i)
            QCOMPARE(get<QCheckBox>(dialog, QStringLiteral("cb%1").arg(21 + i))->text(), captions[i]);
        QCOMPARE(get<QCheckBox>(dialog, QStringLiteral("cb7"))->text(),
                 QStringLiteral(" Adathordozó típusa:"));
        QCOMPARE(get<QPushButton>(dialog, QStringLiteral("gomb_hozza"))->text(), QStringLiteral("Hozzáad"));
        QCOMPARE(get<QGroupBox>(dialog, QStringLiteral("rg_lista"))->title(),
                 QStringLiteral(" Keresés szűkítése "));
    }

    void resetStateAndAlaphelyzet()
    {
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        verifyResetState(dialog);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Kovács"));
        click(get<QCheckBox>(dialog, QStringLiteral("cb1")));
        type(get<QLineEdit>(dialog, QStringLiteral("edit1")), QStringLiteral("Kardel"));
        click(get<QCheckBox>(dialog, QStringLiteral("cb9")));
        click(get<QRadioButton>(dialog, QStringLiteral("rg_mod_0")));
        click(get<QCheckBox>(dialog, QStringLiteral("cb_ekezet")));
        click(get<QCheckBox>(dialog, QStringLiteral("cb23")));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        click(get<QRadioButton>(dialog, QStringLiteral("rg_keres_1")));
        type(get<QLineEdit>(dialog, QStringLiteral("edit_2")), QStringLiteral("x"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_hozza")));

        click(get<QPushButton>(dialog, QStringLiteral("gomb_alap")));
        verifyResetState(dialog);
        // The pick list is not part of the reset.
        QCOMPARE(get<QListView>(dialog, QStringLiteral("lb_fo"))->model()->rowCount(), 2);
        QVERIFY(dialogs.messages.isEmpty());
    }

    // The check box beside the match kinds makes the search ignore letter
    // case and accents; off, "kovacs" finds nothing.
    void foldedCheckBoxFindsWithoutAccents()
    {
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        SearchDialog dialog;
        HitsPage page;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* hits = get<QListView>(page, QStringLiteral("lb_talalat"));
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("KOVACS"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(hits->model()->rowCount(), 0);
        click(get<QCheckBox>(dialog, QStringLiteral("cb_ekezet")));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(hits->model()->rowCount(), 2);
    }

    void searchButtonRule_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("term") << QStringLiteral("term") << true;
        QTest::newRow("several-terms mode, empty list") << QStringLiteral("term several") << false;
        QTest::newRow("several-terms mode with a term") << QStringLiteral("several add") << true;
        QTest::newRow("list removed again") << QStringLiteral("several add remove") << false;
        QTest::newRow("restriction with text") << QStringLiteral("check1 type1") << true;
        QTest::newRow("restriction unchecked again") << QStringLiteral("check1 type1 check1") << false;
        QTest::newRow("restriction without text") << QStringLiteral("check1") << false;
        QTest::newRow("translation alone") << QStringLiteral("check9") << false;
    }
    void searchButtonRule()
    {
        QFETCH(QString, steps);
        QFETCH(bool, enabled);
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* terms = get<QListWidget>(dialog, QStringLiteral("lb_keres"));
        for (const QString& step : steps.split(u' ')) {
            if (step == u"term") {
                type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Kovács"));
            } else if (step == u"several") {
                click(get<QRadioButton>(dialog, QStringLiteral("rg_keres_1")));
            } else if (step == u"add") {
                auto* add = get<QPushButton>(dialog, QStringLiteral("gomb_hozza"));
                QVERIFY(!add->isEnabled());
                type(get<QLineEdit>(dialog, QStringLiteral("edit_2")), QStringLiteral("Petőfi"));
                QVERIFY(add->isEnabled());
                click(add);
                QCOMPARE(terms->count(), 1);
                QVERIFY(get<QLineEdit>(dialog, QStringLiteral("edit_2"))->text().isEmpty());
                QVERIFY(!add->isEnabled());
            } else if (step == u"remove") {
                auto* remove = get<QPushButton>(dialog, QStringLiteral("gomb_elvesz"));
                QVERIFY(!remove->isEnabled());
                clickRow(terms, 0);
                QVERIFY(remove->isEnabled());
                click(remove);
                QCOMPARE(terms->count(), 0);
                QVERIFY(!remove->isEnabled());
            } else if (step.startsWith(u"check")) {
                click(get<QCheckBox>(dialog, QStringLiteral("cb") + step.mid(5)));
            } else if (step.startsWith(u"type")) {
                type(get<QLineEdit>(dialog, QStringLiteral("edit") + step.mid(4)), QStringLiteral("Kardel"));
            }
        }
        QCOMPARE(get<QPushButton>(dialog, QStringLiteral("gomb_keres"))->isEnabled(), enabled);
    }

    void modeSwitchEnablesItsControls()
    {
        ScriptedDialogs dialogs;
        SearchDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        click(get<QRadioButton>(dialog, QStringLiteral("rg_keres_1")));
        for (const char* name : {"rg_2", "lab2", "edit_2", "lb_keres", "lab3", "rb21", "rb22"})
            QVERIFY2(get<QWidget>(dialog, QString::fromLatin1(name))->isEnabled(), name);
        for (const char* name : {"rg_1", "lab1", "edit_1", "gomb_hozza", "gomb_elvesz"})
            QVERIFY2(!get<QWidget>(dialog, QString::fromLatin1(name))->isEnabled(), name);
        QCOMPARE(QApplication::focusWidget(), get<QWidget>(dialog, QStringLiteral("edit_2")));
        click(get<QRadioButton>(dialog, QStringLiteral("rg_keres_0")));
        QVERIFY(get<QWidget>(dialog, QStringLiteral("edit_1"))->isEnabled());
        QVERIFY(!get<QWidget>(dialog, QStringLiteral("edit_2"))->isEnabled());
        QCOMPARE(QApplication::focusWidget(), get<QWidget>(dialog, QStringLiteral("edit_1")));
    }

    void restrictionCheckPickAndUncheck()
    {
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* box = get<QCheckBox>(dialog, QStringLiteral("cb1"));
        auto* edit = get<QLineEdit>(dialog, QStringLiteral("edit1"));
        auto* pick = get<QListView>(dialog, QStringLiteral("lb_fo"));
        click(box);
        QVERIFY(edit->isEnabled());
        QCOMPARE(get<QLabel>(dialog, QStringLiteral("lab_listanev"))->text(), QStringLiteral("Kötet:"));
        QCOMPARE(pick->model()->rowCount(), 2);
        clickRow(pick, 1);
        QCOMPARE(edit->text(), QStringLiteral("Lunvek"));
        QVERIFY(get<QPushButton>(dialog, QStringLiteral("gomb_keres"))->isEnabled());
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(get<QListView>(page, QStringLiteral("lb_talalat"))->model()->rowCount(), 1);

        // Unchecked, the restriction keeps its text but takes no part.
        click(box);
        QVERIFY(!edit->isEnabled());
        QCOMPARE(edit->text(), QStringLiteral("Lunvek"));
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Kovács"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(get<QListView>(page, QStringLiteral("lb_talalat"))->model()->rowCount(), 2);

        // Translation: both radio buttons follow the check box.
        click(get<QCheckBox>(dialog, QStringLiteral("cb9")));
        QVERIFY(get<QRadioButton>(dialog, QStringLiteral("rb_lista2"))->isEnabled());
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(get<QListView>(page, QStringLiteral("lb_talalat"))->model()->rowCount(), 1);
        click(get<QRadioButton>(dialog, QStringLiteral("rb_lista2")));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(get<QListView>(page, QStringLiteral("lb_talalat"))->model()->index(0, 0).data().toString(),
                 QStringLiteral("Ka00000100"));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void missingPickListIsReported()
    {
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        click(get<QCheckBox>(dialog, QStringLiteral("cb1")));
        click(get<QCheckBox>(dialog, QStringLiteral("cb5")));
        QCOMPARE(dialogs.messages, QStringList{cannotOpenFile(dir.file(QStringLiteral("kiado.zda")))});
        QCOMPARE(get<QListView>(dialog, QStringLiteral("lb_fo"))->model()->rowCount(), 0);
        QVERIFY(get<QLineEdit>(dialog, QStringLiteral("edit5"))->isEnabled());
        // Clicking into an enabled edit brings back its own pick list.
        QTest::mouseClick(get<QLineEdit>(dialog, QStringLiteral("edit1")), Qt::LeftButton);
        QCOMPARE(get<QLabel>(dialog, QStringLiteral("lab_listanev"))->text(), QStringLiteral("Kötet:"));
        QCOMPARE(get<QListView>(dialog, QStringLiteral("lb_fo"))->model()->rowCount(), 2);
    }

    void searchFillsTheHitsPage()
    {
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* memo = get<QPlainTextEdit>(dialog, QStringLiteral("Memo_talalat"));
        auto* results = get<QPushButton>(dialog, QStringLiteral("gomb_talalatok"));

        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Ödön"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(memo->toPlainText(), kOneHit);
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(0, 128, 0));
        QVERIFY(results->isEnabled());
        auto* text = page.findChild<QTextEdit*>(QStringLiteral("re_tal"));
        QCOMPARE(text->toPlainText(), QStringLiteral("Lunvek - 2 - könyv\nSzerző: Kovács Ödön   \nFord., \n"
                                                     "Nyelv: magyar     Adathordozó: papír\n\n\n\n"));
        // Fonts: Times New Roman 12, bold italic first line, regular role name, bold creator.
        const QTextBlock first = text->document()->firstBlock();
        const QTextCharFormat heading = first.begin().fragment().charFormat();
        QCOMPARE(heading.font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(heading.fontPointSize(), 12.0);
        QVERIFY(heading.font().bold() && heading.fontItalic());
        const QTextBlock creators = first.next();
        auto fragment = creators.begin();
        QVERIFY(!fragment.fragment().charFormat().font().bold());
        ++fragment;
        QVERIFY(fragment.fragment().charFormat().font().bold());

        get<QLineEdit>(dialog, QStringLiteral("edit_1"))->clear();
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("ödön"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(memo->toPlainText(), kNoHit);
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(255, 0, 0));
        QVERIFY(!results->isEnabled());
        QCOMPARE(page.findChild<QListView*>(QStringLiteral("lb_talalat"))->model()->rowCount(), 0);
        QVERIFY(text->toPlainText().isEmpty());
    }

    // Enter searches from "Keresendő:", adds the term from the new-term edit;
    // the arrow keys in the hit list open each hit as a click does.
    void keyboardDrivesTheSearch()
    {
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* memo = get<QPlainTextEdit>(dialog, QStringLiteral("Memo_talalat"));

        auto* term = get<QLineEdit>(dialog, QStringLiteral("edit_1"));
        term->setFocus();
        type(term, QStringLiteral("Kovács"));
        QTest::keyClick(term, Qt::Key_Return);
        QVERIFY(memo->toPlainText().contains(QStringLiteral("2 rekord")));
        QVERIFY(dialog.isVisible());

        click(get<QRadioButton>(dialog, QStringLiteral("rg_keres_1")));
        auto* newTerm = get<QLineEdit>(dialog, QStringLiteral("edit_2"));
        newTerm->setFocus();
        type(newTerm, QStringLiteral("Más"));
        memo->clear();
        QTest::keyClick(newTerm, Qt::Key_Return);
        QCOMPARE(get<QListWidget>(dialog, QStringLiteral("lb_keres"))->count(), 1);
        QVERIFY(memo->toPlainText().isEmpty()); // adding is no search

        QStringList opened;
        connect(&page, &HitsPage::openHitRequested, this, [&](const QString& name) { opened.append(name); });
        auto* hits = page.findChild<QListView*>(QStringLiteral("lb_talalat"));
        page.show();
        hits->setFocus();
        clickRow(hits, 0);
        QTest::keyClick(hits, Qt::Key_Down);
        QCOMPARE(opened, (QStringList{QStringLiteral("Ka00000100"), QStringLiteral("Lu00000200")}));
    }

    void criteriaPersistAcrossShowings()
    {
        TempWorkDir dir;
        writeFolder(dir);
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        QSignalSpy hitsRequested(&dialog, &SearchDialog::showHitsRequested);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Ödön"));
        click(get<QRadioButton>(dialog, QStringLiteral("rg_mod_0")));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_talalatok")));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(hitsRequested.count(), 1);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(get<QLineEdit>(dialog, QStringLiteral("edit_1"))->text(), QStringLiteral("Ödön"));
        QVERIFY(get<QRadioButton>(dialog, QStringLiteral("rg_mod_0"))->isChecked());
        QCOMPARE(get<QPlainTextEdit>(dialog, QStringLiteral("Memo_talalat"))->toPlainText(), kOneHit);
        QVERIFY(get<QPushButton>(dialog, QStringLiteral("gomb_talalatok"))->isEnabled());
        QCOMPARE(QApplication::focusWidget(), get<QWidget>(dialog, QStringLiteral("edit_1")));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_megsem")));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(hitsRequested.count(), 1);
    }

    void missingRoleListOnShowing()
    {
        TempWorkDir dir;
        writeFolder(dir);
        QFile::remove(dir.file(QStringLiteral("szerep.zda")));
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialogs.messages, QStringList{cannotOpenFile(dir.file(QStringLiteral("szerep.zda")))});
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Ödön"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QVERIFY(page.findChild<QTextEdit*>(QStringLiteral("re_tal"))
                    ->toPlainText()
                    .contains(QStringLiteral("\n: Kovács Ödön   \n")));
    }

    void unreadableChunkKeepsEarlierHitsAndTheMessage()
    {
        TempWorkDir dir;
        writeFolder(dir);
        QVERIFY(QFile::link(dir.file(QStringLiteral("gone")), dir.file(QStringLiteral("adatb2.ztf"))));
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Kovács"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(dialogs.messages, QStringList{cannotOpenFile(dir.file(QStringLiteral("adatb2.ztf")))});
        QCOMPARE(page.findChild<QListView*>(QStringLiteral("lb_talalat"))->model()->rowCount(), 2);
        QVERIFY(get<QPlainTextEdit>(dialog, QStringLiteral("Memo_talalat"))->toPlainText().isEmpty());
    }

    void resultsTextStopsAt499Entries()
    {
        TempWorkDir dir;
        QStringList lines;
        for (int i = 1; i <= 620; ++i) {
            Rec r;
            r.name = QStringLiteral("Ka%1").arg(i, 6, 10, QLatin1Char('0')) + QStringLiteral("00");
            r.title = QStringLiteral("Találat");
            lines.append(r.line());
        }
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), lines);
        writeRoles(dir.path());
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        type(get<QLineEdit>(dialog, QStringLiteral("edit_1")), QStringLiteral("Találat"));
        click(get<QPushButton>(dialog, QStringLiteral("gomb_keres")));
        QCOMPARE(page.findChild<QListView*>(QStringLiteral("lb_talalat"))->model()->rowCount(), 620);
        const QString text = page.findChild<QTextEdit*>(QStringLiteral("re_tal"))->toPlainText();
        QCOMPARE(text.count(QStringLiteral("Kardel - ")), 499);
        QVERIFY(text.endsWith(
            QStringLiteral("Kardel - 499 - könyv\nTalálat:\nNyelv: magyar     Adathordozó: papír\n\n\n\n")));
        QVERIFY(get<QPlainTextEdit>(dialog, QStringLiteral("Memo_talalat"))
                    ->toPlainText()
                    .contains(QStringLiteral(" 620 rekord")));
    }

    // A search stopped after its first chunk file's hits have streamed into
    // the list puts back what the page and the dialog showed before it.
    void stoppedSearchLeavesThePageAndTheDialogAsBefore()
    {
        TempWorkDir dir;
        for (int chunk = 1; chunk <= 3; ++chunk) {
            QStringList lines;
            for (int i = 1; i <= 3; ++i) {
                Rec r;
                r.name = QStringLiteral("Ka%1").arg(chunk * 100 + i, 6, 10, QLatin1Char('0')) +
                         QStringLiteral("00");
                r.title = chunk == 1 && i == 1 ? QStringLiteral("Más") : QStringLiteral("Kovács élete");
                lines.append(r.line());
            }
            writeChunk(dir.path(), QStringLiteral("adatb%1.ztf").arg(chunk), lines);
        }
        writeRoles(dir.path());
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* hits = get<QListView>(page, QStringLiteral("lb_talalat"));
        auto* text = get<QTextEdit>(page, QStringLiteral("re_tal"));
        auto* exportButton = get<QPushButton>(page, QStringLiteral("hitsExportButton"));
        auto* term = get<QLineEdit>(dialog, QStringLiteral("edit_1"));
        auto* memo = get<QPlainTextEdit>(dialog, QStringLiteral("Memo_talalat"));
        auto* progress = get<QProgressBar>(dialog, QStringLiteral("csikkeres"));
        auto* search = get<QPushButton>(dialog, QStringLiteral("gomb_keres"));
        auto* cancel = get<QPushButton>(dialog, QStringLiteral("gomb_megsem"));
        type(term, QStringLiteral("Más"));
        click(search);
        QCOMPARE(hits->model()->rowCount(), 1);
        QCOMPARE(memo->toPlainText(), kOneHit);
        clickRow(hits, 0);
        const QString textBefore = text->toHtml();
        const int progressBefore = progress->value();

        term->clear();
        type(term, QStringLiteral("Kovács"));
        int streamed = 0;
        QList<bool> enabledWhileRunning; // term, search, Találatok, Mégsem
        {
            const JobCheckpoints checks(&dialog, [&](int) {
                if (streamed > 0 || hits->model()->rowCount() == 0 ||
                    hits->model()->index(0, 0).data() == QStringLiteral("Ka00010100"))
                    return;
                streamed = hits->model()->rowCount();
                enabledWhileRunning = {
                    term->isEnabled(), search->isEnabled(),
                    get<QPushButton>(dialog, QStringLiteral("gomb_talalatok"))->isEnabled(),
                    cancel->isEnabled()};
                click(cancel);
            });
            click(search);
        }
        QCOMPARE(streamed, 2); // the first chunk file's hits, before the second was searched
        QCOMPARE(enabledWhileRunning, (QList<bool>{false, false, false, true}));
        QVERIFY(dialog.isVisible());
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(hits->model()->rowCount(), 1);
        QCOMPARE(hits->model()->index(0, 0).data().toString(), QStringLiteral("Ka00010100"));
        QCOMPARE(hits->currentIndex().row(), 0);
        QCOMPARE(text->toHtml(), textBefore);
        QCOMPARE(memo->toPlainText(), kOneHit);
        QCOMPARE(progress->value(), progressBefore);
        QVERIFY(exportButton->isEnabled());
        QVERIFY(term->isEnabled() && search->isEnabled() && cancel->isEnabled());
        QVERIFY(get<QPushButton>(dialog, QStringLiteral("gomb_talalatok"))->isEnabled());

        // Run through, the same search lists every hit in order.
        click(search);
        QCOMPARE(hits->model()->rowCount(), 8);
        QCOMPARE(hits->model()->index(7, 0).data().toString(), QStringLiteral("Ka00030300"));
        QVERIFY(memo->toPlainText().contains(QStringLiteral(" 8 rekord")));
    }
};

QTEST_MAIN(TestSearchDialog)
#include "tst_searchdialog.moc"
