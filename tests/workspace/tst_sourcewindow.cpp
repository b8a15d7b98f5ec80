// The source window and the subject menu, driven like a user: lifting text
// through the extraction menus and the drop boxes, loading source documents,
// and building and choosing from the subject tree menu.

#include "WorkspaceFixture.h"

#include "core/record/Win1250.h"
#include "ui/workspace/DropBox.h"

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

namespace {

void selectText(QTextEdit* edit, int from, int length)
{
    QTextCursor cursor(edit->document());
    cursor.setPosition(from);
    cursor.setPosition(from + length, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

void press(QWidget* widget)
{
    if (auto* text = qobject_cast<QTextEdit*>(widget))
        widget = text->viewport();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
}

// What the toolkit delivers when a text is dragged onto the box and let go.
void dropText(DropBox* box, const QString& text)
{
    QMimeData mime;
    mime.setText(text);
    const QPoint at(4, 4);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box->viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box->viewport(), &drop);
}

// The menu as text: entries by caption, "|" for a separator, a submenu's
// entries in braces. Each menu is opened first, as its entries are made when
// it is about to be shown.
QString outline(QMenu* menu)
{
    emit menu->aboutToShow();
    QStringList parts;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            parts.append("|");
        else if (action->menu())
            parts.append(action->text() + "{" + outline(action->menu()) + "}");
        else
            parts.append(action->text());
    }
    return parts.join(',');
}

QAction* entry(const QMenu* menu, const QString& caption)
{
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->text() == caption)
            return action;
    return nullptr;
}

const QString SettingsEntry = QStringLiteral("Tárgykör szerkezetet tartalmazó fájl beállítása");

} // namespace

class tst_SourceWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extractionTakesTheFirstLine_data();
    void extractionTakesTheFirstLine();
    void dropTransfersOnlyFromTheSource_data();
    void dropTransfersOnlyFromTheSource();
    void typingIntoADropBoxChangesNoField();
    void sourceEditableFollowsTheSetting_data();
    void sourceEditableFollowsTheSetting();
    void loadingASourceDocument_data();
    void loadingASourceDocument();
    void characterMapFailsQuietly();
    void subjectMenuIsBuiltFromTheFile();
    void subjectMenuFailures_data();
    void subjectMenuFailures();
    void deepSubjectIsPickedThroughTheSubmenus();
    void largeSourceLoadsInTheBackground_data();
    void largeSourceLoadsInTheBackground();
    void largeSourceLoadCanBeCancelled_data();
    void largeSourceLoadCanBeCancelled();
};

namespace {

// A source large enough to be read on the worker: RTF with formatting, or
// plain UTF-8 text; `lines` tells what the source window then holds.
QByteArray largeSource(bool rtf, QStringList* lines)
{
    QByteArray bytes =
        rtf ? QByteArray("{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0 Arial;}}\n") : QByteArray();
    for (int k = 0; bytes.size() < 1'500'000; ++k) {
        const QString line = QStringLiteral("%1. rekord: Árvíztűrő tükörfúrógép").arg(k);
        lines->append(line);
        if (rtf)
            bytes += "{\\b " + QByteArray::number(k) +
                     ".} rekord: \\'c1rv\\'edzt\\'fbr\\'f5 t\\'fck\\'f6rf\\'far\\'f3g\\'e9p\\par\n";
        else
            bytes += line.toUtf8() + '\n';
    }
    return rtf ? bytes + "}" : bytes;
}

// The source window lives on the "Adatrögzítés" page; its tab shows it.
void showEntryPage(const WorkspaceFixture& f)
{
    auto* tabs = f.find<QTabBar>("soklap_tabs");
    for (int tab = 0; tab < tabs->count(); ++tab)
        if (tabs->tabData(tab).toInt() == MainWindow::EntryPage)
            QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(tab).center());
    QVERIFY(f.window().sourceWindow()->isVisible());
}

// The tool bar places a control that appears when it lays itself out again;
// only that is let through, not what a worker may have delivered meanwhile.
bool shownOnTheToolBar(QWidget* control)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return control && control->isVisible();
}

QThread* loaderThread(const WorkspaceFixture& f)
{
    const auto threads = f.window().findChildren<QThread*>();
    return threads.isEmpty() ? nullptr : threads.first();
}

} // namespace

void tst_SourceWindow::extractionTakesTheFirstLine_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("selectFrom");
    QTest::addColumn<int>("selectLength");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("two lines into the title")
        << "Első sor\nMásodik sor" << 0 << 20 << "menu1_5" << 7 << "régi"
        << "Első sor";
    QTest::newRow("append, nothing between") << "x Kovács y" << 2 << 6 << "menu2_1" << 3 << "Nagy"
                                             << "NagyKovács";
    QTest::newRow("empty selection inserts nothing") << "abc" << 1 << 0 << "menu1_12" << 14 << "régi"
                                                     << "";
    QTest::newRow("empty selection appends nothing") << "abc" << 1 << 0 << "menu2_12" << 14 << "régi"
                                                     << "régi";
    QTest::newRow("Greek stays Greek") << "Αθήνα 1990" << 0 << 10 << "menu1_9" << 11 << ""
                                       << "Αθήνα 1990";
    QTest::newRow("spaces stay") << "  kiadó  \nmás" << 0 << 14 << "menu1_7" << 9 << ""
                                 << "  kiadó  ";
    QTest::newRow("publication, any record type") << "Sorozat" << 0 << 7 << "menu2_6" << 8 << "A "
                                                  << "A Sorozat";
}

void tst_SourceWindow::extractionTakesTheFirstLine()
{
    QFETCH(QString, source);
    QFETCH(int, selectFrom);
    QFETCH(int, selectLength);
    QFETCH(QString, entry);
    QFETCH(int, field);
    QFETCH(QString, before);
    QFETCH(QString, after);

    WorkspaceFixture f;
    f.openSample();
    QTextEdit* re1 = f.window().sourceWindow();
    re1->setPlainText(source);
    selectText(re1, selectFrom, qMin(selectLength, int(source.size()) - selectFrom));
    f.edit(field)->setText(before);
    f.action(entry)->trigger();
    QCOMPARE(f.edit(field)->text(), after);
    QCOMPARE(re1->toPlainText(), source);
    QCOMPARE(f.action(entry)->data().toInt() % 100 + 2, field);
}

void tst_SourceWindow::dropTransfersOnlyFromTheSource_data()
{
    QTest::addColumn<QString>("pressed"); // the control pressed before the drop
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("tagAfter");

    QTest::newRow("from the source, first line") << "re1"
                                                 << "Első sor\nMásodik sor" << 9 << "Első sor" << 0;
    QTest::newRow("Greek stays Greek") << "re1"
                                       << "Ἀθῆναι" << 8 << "Ἀθῆναι" << 0;
    QTest::newRow("after a press on a field") << "Edit3"
                                              << "Idegen" << 9 << "Kiadó kettő" << 0;
    QTest::newRow("after a press on a label") << "Label7"
                                              << "Idegen" << 14 << "Megjegyzés kettő" << 7;
}

void tst_SourceWindow::dropTransfersOnlyFromTheSource()
{
    QFETCH(QString, pressed);
    QFETCH(QString, dropped);
    QFETCH(int, field);
    QFETCH(QString, after);
    QFETCH(int, tagAfter);

    WorkspaceFixture f;
    f.openSample();
    f.action("gnyil3_action")->trigger();
    QVERIFY(!f.action("menu3_mentes")->isEnabled());
    auto* box = f.find<DropBox>(QStringLiteral("re%1").arg(field));

    press(f.find<QWidget>(pressed));
    dropText(box, dropped);
    QCOMPARE(f.edit(field)->text(), after);
    QCOMPARE(box->toPlainText(), dropped); // the box keeps what was dropped
    QCOMPARE(f.window().lastPressedTag(), tagAfter);
    QVERIFY(f.action("menu3_mentes")->isEnabled()); // every drop applies the savable rule

    // The next press empties every box, and the emptying reaches no field.
    press(f.window().sourceWindow());
    QCOMPARE(box->toPlainText(), QString());
    QCOMPARE(f.edit(field)->text(), after);
    QCOMPARE(f.window().lastPressedTag(), int(MainWindow::SourceWindowTag));
}

void tst_SourceWindow::typingIntoADropBoxChangesNoField()
{
    WorkspaceFixture f;
    f.openSample();
    auto* box = f.find<DropBox>("re7");
    press(box);
    QCOMPARE(f.window().lastPressedTag(), 107);
    QTest::keyClicks(box, "abc");
    QCOMPARE(box->toPlainText(), "abc");
    QCOMPARE(f.edit(7)->text(), "A példa címe");
}

void tst_SourceWindow::sourceEditableFollowsTheSetting_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("editable");
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("2") << "2" << true;
}

void tst_SourceWindow::sourceEditableFollowsTheSetting()
{
    QFETCH(QString, flag);
    QFETCH(bool, editable);

    WorkspaceFixture f({"forrastorles=" + flag});
    QCOMPARE(f.window().sourceWindow()->isReadOnly(), !editable);
    QCOMPARE(f.window().sourceEditable(), editable);
    // Loading a source leaves the state as it is.
    f.dir.writeBytes("forras.txt", "sor");
    f.dialogs.openFileAnswers.enqueue(f.dir.file("forras.txt"));
    f.action("Forrsadatokbetltse1")->trigger();
    QCOMPARE(f.window().sourceEditable(), editable);
}

void tst_SourceWindow::loadingASourceDocument_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("boldStart");

    const QString hungarian = QStringLiteral("Árvíztűrő tükörfúrógép");
    QTest::newRow("UTF-8") << (hungarian + "\nΩ").toUtf8() << hungarian + "\nΩ" << false;
    QTest::newRow("Windows-1250") << Win1250::fromUnicode(hungarian) << hungarian << false;
    QTest::newRow("UTF-16 with mark") << TextFile::encodeUnicode({hungarian}) << hungarian + "\n" << false;
    QTest::newRow("RTF") << QByteArray("{\\rtf1\\ansi\\ansicpg1250{\\b F\\'e9lk\\'f6v\\'e9r} sima\\par}")
                         << "Félkövér sima" << true;
}

void tst_SourceWindow::loadingASourceDocument()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, boldStart);

    WorkspaceFixture f;
    f.dir.writeBytes("forras.dat", bytes);
    f.dialogs.openFileAnswers.enqueue(f.dir.file("forras.dat"));
    QTest::mouseClick(f.find<QWidget>("sb_forras"), Qt::LeftButton);
    QCOMPARE(f.dialogs.fileDialogTitles.last(), "Forrásadat megnyitása");
    QCOMPARE(f.dialogs.fileDialogFilters.last(), "RTF|*.rtf|TXT|*.txt|Egyéb|*.*");
    QTextEdit* re1 = f.window().sourceWindow();
    QCOMPARE(re1->toPlainText().trimmed(), text.trimmed());
    QTextCursor start(re1->document());
    start.movePosition(QTextCursor::NextCharacter);
    QCOMPARE(start.charFormat().fontWeight() == QFont::Bold, boldStart);
    QCOMPARE(f.window().statusText(1), " Forrásfájl: " + f.dir.file("forras.dat"));

    // Cancelling changes nothing.
    f.dialogs.openFileAnswers.enqueue(QString());
    f.action("Forrsadatokbetltse1")->trigger();
    QCOMPARE(re1->toPlainText().trimmed(), text.trimmed());
}

void tst_SourceWindow::characterMapFailsQuietly()
{
    WorkspaceFixture f;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", f.dir.path().toLocal8Bit());
    QTest::mouseClick(f.find<QWidget>("SpeedButton1"), Qt::LeftButton);
    qputenv("PATH", path);
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.find<QWidget>("SpeedButton1")->toolTip(), "Karaktertábla megnyítása");
}

void tst_SourceWindow::subjectMenuIsBuiltFromTheFile()
{
    WorkspaceFixture f;
    const QString longCaption(600, u'x');
    const QStringList lines = {
        "*Alpha",
        "**Alpha one",
        "***Alpha one x",
        "****Négy",
        "*****Öt",
        "******Hat",
        "**Alpha two",
        "*-",
        "Abc",
        "",
        "*" + longCaption,
        "*A & B",
    };
    f.dir.writeBytes("targy.zda", TextFile::encode8Bit(lines));
    QMenu* menu = f.find<QMenu>("menu4_0");
    for (int load = 0; load < 2; ++load) {
        f.dialogs.openFileAnswers.enqueue(f.dir.file("targy.zda"));
        f.action("rgykrfjlbetltse1")->trigger();
    }
    QCOMPARE(f.dialogs.fileDialogTitles.last(), "Tárgykör betöltése");
    QCOMPARE(f.dialogs.fileDialogFilters.last(), "ZDA|*.zda|Egyéb|*.*");
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(menu->menuAction()->isEnabled());
    QCOMPARE(outline(menu), "Alpha{Alpha one{Alpha one x{Négy{Öt,*Hat}}},Alpha two},|,bc,," +
                                longCaption.left(500) + ",A && B,|," + SettingsEntry);
    QCOMPARE(f.window().statusText(1), " Tárgykör fájl: " + f.dir.file("targy.zda"));
    QCOMPARE(f.window().settings().subjectTreePath, f.dir.file("targy.zda"));

    // A leaf is chosen by a click, a branch when it opens.
    QMenu* alpha = entry(menu, "Alpha")->menu();
    emit alpha->aboutToShow();
    QCOMPARE(f.edit(2)->text(), "Alpha");
    QMenu* deepest = entry(entry(entry(alpha, "Alpha one")->menu(), "Alpha one x")->menu(), "Négy")->menu();
    entry(deepest, "*Hat")->trigger();
    QCOMPARE(f.edit(2)->text(), "Hat");
    entry(menu, "bc")->trigger();
    QCOMPARE(f.edit(2)->text(), "bc");
    entry(menu, longCaption.left(500))->trigger();
    QCOMPARE(f.edit(2)->text(), longCaption);
    entry(menu, "")->trigger();
    QCOMPARE(f.edit(2)->text(), QString());
    entry(menu, "A && B")->trigger();
    QCOMPARE(f.edit(2)->text(), "A & B");

    // The closing entry opens the settings dialog on its subject tree page.
    int shownPage = -1;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            if (auto* pages = dialog->findChild<QTabWidget*>("soklap2"))
                shownPage = pages->currentIndex();
            dialog->reject();
        }
    });
    entry(menu, SettingsEntry)->trigger();
    QCOMPARE(shownPage, 1);
}

void tst_SourceWindow::subjectMenuFailures_data()
{
    QTest::addColumn<bool>("builtBefore");
    QTest::addColumn<QString>("file"); // empty: the file is missing
    QTest::addColumn<QString>("menuAfter");
    QTest::addColumn<QString>("message");

    const QString orphan = "*A\n**B\n****C\n*D";
    QTest::newRow("no parent, first build") << false << orphan << "A{B}"
                                            << "3. sor";
    QTest::newRow("no parent, rebuilt") << true << orphan << "A{B}"
                                        << "3. sor";
    QTest::newRow("first line too deep") << false << "**A\n*B"
                                         << ""
                                         << "1. sor";
    QTest::newRow("missing, first build") << false << ""
                                          << ""
                                          << "nem olvasható";
    QTest::newRow("missing, rebuilt") << true << ""
                                      << ""
                                      << "nem olvasható";
}

void tst_SourceWindow::subjectMenuFailures()
{
    QFETCH(bool, builtBefore);
    QFETCH(QString, file);
    QFETCH(QString, menuAfter);
    QFETCH(QString, message);

    WorkspaceFixture f;
    QMenu* menu = f.find<QMenu>("menu4_0");
    if (builtBefore) {
        f.dir.writeBytes("jo.zda", "*Jó\r\n");
        f.dialogs.openFileAnswers.enqueue(f.dir.file("jo.zda"));
        f.action("rgykrfjlbetltse1")->trigger();
    }
    const QString status = f.window().statusText(1);
    const QString path = f.dir.file("rossz.zda");
    if (!file.isEmpty())
        f.dir.writeBytes("rossz.zda", TextFile::encode8Bit(file.split('\n')));
    f.dialogs.openFileAnswers.enqueue(path);
    f.action("rgykrfjlbetltse1")->trigger();

    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].contains(message), qPrintable(f.dialogs.messages[0]));
    QVERIFY(f.dialogs.messages[0].contains(path));
    QCOMPARE(outline(menu), menuAfter);
    QCOMPARE(menu->menuAction()->isEnabled(), builtBefore);
    QCOMPARE(f.window().statusText(1), status);
    QCOMPARE(f.window().settings().subjectTreePath, path);
}

// A large tree is loaded without building its menus; opening the submenus one
// after the other reaches an entry on the fifth level, and picking it puts its
// subject into the field.
void tst_SourceWindow::deepSubjectIsPickedThroughTheSubmenus()
{
    WorkspaceFixture f;
    QStringList lines;
    for (int k = 0; k < 200; ++k)
        for (int depth = 1; depth <= 5; ++depth)
            lines.append(QString(depth, u'*') + QStringLiteral("Szint %1 / %2").arg(depth).arg(k));
    f.dir.writeBytes("nagy.zda", TextFile::encode8Bit(lines));
    f.dialogs.openFileAnswers.enqueue(f.dir.file("nagy.zda"));
    f.action("rgykrfjlbetltse1")->trigger();
    QVERIFY(f.dialogs.messages.isEmpty());
    QMenu* menu = f.find<QMenu>("menu4_0");
    QCOMPARE(menu->findChildren<QMenu*>().size(), 0); // nothing built before it opens

    QMenu* level = menu;
    for (int depth = 1; depth <= 4; ++depth) {
        level->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(level));
        QAction* branch = entry(level, QStringLiteral("Szint %1 / 137").arg(depth));
        QVERIFY(branch && branch->menu());
        QVERIFY(branch->menu()->actions().isEmpty()); // made only when it opens
        level = branch->menu();
    }
    level->popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(level));
    QCOMPARE(f.edit(2)->text(), "Szint 4 / 137"); // opening a branch chose it
    QCOMPARE(outline(level), "Szint 5 / 137");
    entry(level, "Szint 5 / 137")->trigger();
    QCOMPARE(f.edit(2)->text(), "Szint 5 / 137");
    menu->hide();

    // Only the opened path was built: the top level and one branch per level.
    QCOMPARE(menu->actions().size(), 200 + 2);
    QCOMPARE(menu->findChildren<QMenu*>().size(), 200 + 3);
}

void tst_SourceWindow::largeSourceLoadsInTheBackground_data()
{
    QTest::addColumn<bool>("rtf");
    QTest::newRow("RTF") << true;
    QTest::newRow("plain text") << false;
}

// The load returns at once with the previous source still shown and "Mégsem"
// beside the loading button; when the worker is done the new source replaces it.
void tst_SourceWindow::largeSourceLoadsInTheBackground()
{
    QFETCH(bool, rtf);
    WorkspaceFixture f;
    showEntryPage(f);
    QStringList lines;
    f.dir.writeBytes("nagy.src", largeSource(rtf, &lines));
    f.dialogs.openFileAnswers.enqueue(f.dir.file("nagy.src"));
    QTest::mouseClick(f.find<QWidget>("sb_forras"), Qt::LeftButton);

    QTextEdit* re1 = f.window().sourceWindow();
    auto* cancel = f.find<QPushButton>("sb_forras_megsem");
    QVERIFY(shownOnTheToolBar(cancel));
    QCOMPARE(re1->toPlainText(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!cancel->isVisible(), 120'000);
    QCOMPARE(re1->toPlainText(), lines.join(u'\n') + (rtf ? "" : "\n"));
    QCOMPARE(f.window().statusText(1), " Forrásfájl: " + f.dir.file("nagy.src"));
    QVERIFY(f.dialogs.messages.isEmpty());
}

void tst_SourceWindow::largeSourceLoadCanBeCancelled_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("Mégsem") << false;
    QTest::newRow("Esc") << true;
}

// A cancelled load leaves the source shown before, and its status, as they were.
void tst_SourceWindow::largeSourceLoadCanBeCancelled()
{
    QFETCH(bool, byKey);
    WorkspaceFixture f;
    showEntryPage(f);
    f.dir.writeBytes("elozo.txt", "Az előző forrás");
    f.dialogs.openFileAnswers.enqueue(f.dir.file("elozo.txt"));
    f.action("Forrsadatokbetltse1")->trigger();
    const QString status = f.window().statusText(1);
    QTextEdit* re1 = f.window().sourceWindow();
    QCOMPARE(re1->toPlainText(), "Az előző forrás");

    QStringList lines;
    f.dir.writeBytes("nagy.rtf", largeSource(true, &lines));
    f.dialogs.openFileAnswers.enqueue(f.dir.file("nagy.rtf"));
    f.action("Forrsadatokbetltse1")->trigger();
    auto* cancel = f.find<QPushButton>("sb_forras_megsem");
    QVERIFY(shownOnTheToolBar(cancel));
    QThread* worker = loaderThread(f);
    QVERIFY(worker);
    if (byKey) {
        QTest::keyClick(re1, Qt::Key_Escape);
    } else
        QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!shownOnTheToolBar(cancel));

    // Whatever the worker still delivers is dropped.
    QTRY_VERIFY_WITH_TIMEOUT(loaderThread(f) == nullptr, 120'000);
    QCOMPARE(re1->toPlainText(), "Az előző forrás");
    QCOMPARE(f.window().statusText(1), status);
    QVERIFY(f.dialogs.messages.isEmpty());
}

QTEST_MAIN(tst_SourceWindow)
#include "tst_sourcewindow.moc"
