// Every window and page of the program, as a user sees it at the default
// font: no caption, label or list entry is cut off, a long entry shows whole
// in a tooltip, and the Tab key walks the controls in the order they are seen.

#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/index/IndexBuilder.h"
#include "ui/about/AboutBox.h"
#include "ui/about/LoadingWindow.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/BrowsePage.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QToolTip>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A control by its name, or by its group's name and its caption where it has none.
QString describe(const QWidget* widget)
{
    if (!widget)
        return QStringLiteral("(none)");
    if (!widget->objectName().isEmpty())
        return widget->objectName();
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    const QString parent = widget->parentWidget() ? describe(widget->parentWidget()) : QString();
    return parent + u'/' + (button ? button->text() : QString::fromLatin1(widget->metaObject()->className()));
}

// Whether the combo box shows this entry whole in its box: the text against
// the field the style draws it in.
bool comboShowsWhole(const QComboBox* combo, const QString& text)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    const QRect field =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    return combo->fontMetrics().horizontalAdvance(text) <= field.width();
}

QString buttonText(const QAbstractButton* button)
{
    QString text = button->text();
    return text.remove(u'&');
}

// What of this control's text does not fit into it; empty when all of it does.
QString cutText(const QWidget* widget)
{
    auto tooNarrow = [](const QString& text, int need, int have) {
        return QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(need).arg(have);
    };
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty())
            return {};
        if (label->wordWrap()) {
            const int need = label->heightForWidth(label->width());
            return need > label->height() ? QStringLiteral("\"%1\" needs %2 px high, has %3")
                                                .arg(label->text())
                                                .arg(need)
                                                .arg(label->height())
                                          : QString();
        }
        const int need = label->sizeHint().width();
        return need > label->width() ? tooNarrow(label->text(), need, label->width()) : QString();
    }
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget)) {
        const auto* button = static_cast<const QAbstractButton*>(widget);
        const int need = button->sizeHint().width();
        return need > button->width() ? tooNarrow(buttonText(button), need, button->width()) : QString();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        if (button->text().isEmpty())
            return {};
        // The style gives a push button a least width of its own; the text
        // only needs the margin and the frame, as the button measures them.
        const QStyle* style = button->style();
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const int need = button->fontMetrics().horizontalAdvance(buttonText(button)) + icon + margin;
        return need > button->width() ? tooNarrow(buttonText(button), need, button->width()) : QString();
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
        if (box->title().isEmpty())
            return {};
        const int need = box->minimumSizeHint().width();
        return need > box->width() ? tooNarrow(box->title(), need, box->width()) : QString();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        // Every entry, as any of them may be the current one.
        for (int i = 0; i < combo->count(); ++i)
            if (!comboShowsWhole(combo, combo->itemText(i)))
                return QStringLiteral("\"%1\" does not fit its %2 px")
                    .arg(combo->itemText(i))
                    .arg(combo->width());
    }
    return {};
}

QStringList cutTexts(const QWidget* window)
{
    QStringList found;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        const QString cut = cutText(widget);
        if (!cut.isEmpty())
            found.append(describe(widget) + QStringLiteral(": ") + cut);
    }
    return found;
}

// The controls the focus visits from the first one on, one Tab press each,
// until it comes back to the first.
QStringList tabWalk(QWidget* first, int most)
{
    first->setFocus(Qt::TabFocusReason);
    QStringList visited{describe(QApplication::focusWidget())};
    for (int step = 0; step < most; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (now == first)
            break;
        visited.append(describe(now));
    }
    return visited;
}

} // namespace

class LayoutTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void textsAreWhole_data();
    void textsAreWhole();
    void longEntriesShowInTooltips();

    void tabOrderFollowsTheLayout_data();
    void tabOrderFollowsTheLayout();
    void menuShortcutsAreKept_data();
    void menuShortcutsAreKept();

private:
    MainWindow& window() const { return m_program->mainWindow(); }
    template <typename T = QWidget> T* find(const QString& name) const
    {
        T* found = window().findChild<T*>(name);
        if (!found)
            qWarning("no control named %s", qPrintable(name));
        return found;
    }
    void openSampleDatabase();
    void enterMode(const QString& modeAction);
    QWidget* showWindow(const QString& name);

    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<NorlaProgram> m_program;
    QWidget* m_shownDialog = nullptr;
};

// A long creator name, as the index builder would list it for the search's
// pick list.
static const QString kLongCreator = QStringLiteral("Almási Emőke Borbála, Szentgyörgyi-Kovácsné");
// A record whose creators have the introduction's role and the longest role
// of the sample list (18, "Bibliográfiát összeállította").
static const QString kLongRolesRecord = QStringLiteral(
    "Ka00099900**könyv**Tárgy**04Bevezető Béla**18Összeállító Olga**03**01Szerző Sára**Cím**Kiadvány**"
    "Kiadó**3**1998**12 p.**Budapest**Megjegyzés****0**magyar**papír");

void LayoutTest::initTestCase()
{
    m_dir = std::make_unique<TempWorkDir>();
    m_dir->seedFromSample();
    m_dir->writeBytes(QStringLiteral("szerepek.rtf"), unicodeFileBytes({kLongRolesRecord}));
    IndexBuilder(m_dir->path()).build({QStringLiteral("szerepek")});
    m_dir->writeBytes(QStringLiteral("alkoto.zda"),
                      unicodeFileBytes({QStringLiteral("Ady Endre"), kLongCreator}));
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_program = std::make_unique<NorlaProgram>();
    window().show();
    window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    qInfo("default font: %s", qPrintable(QApplication::font().toString()));
}

void LayoutTest::cleanupTestCase()
{
    m_program.reset();
    m_dialogs.reset();
    m_dir.reset();
}

void LayoutTest::openSampleDatabase()
{
    m_dialogs->openFileAnswers.enqueue(m_dir->file(QStringLiteral("adatbazis.rtf")));
    find<QAction>(QStringLiteral("menu0_open"))->trigger();
    QApplication::setActiveWindow(&window());
}

void LayoutTest::enterMode(const QString& modeAction)
{
    if (window().document().lineCount() == 0)
        openSampleDatabase();
    find<QAction>(modeAction)->trigger();
}

// Shows the window or page by its name and gives back the window to look at.
// Modal dialogs are shown without their own event loop; their layout is the same.
QWidget* LayoutTest::showWindow(const QString& name)
{
    if (m_shownDialog)
        m_shownDialog->hide();
    m_shownDialog = nullptr;
    auto dialog = [this](QWidget* shown) {
        m_shownDialog = shown;
        shown->show();
        return shown;
    };
    if (name == u"startup") {
        window().showPage(MainWindow::EntryPage);
        return &window();
    }
    if (name == u"entry-browse" || name == u"entry-new") {
        enterMode(name == u"entry-browse" ? QStringLiteral("menu3_tallozas")
                                          : QStringLiteral("menu3_felvitel"));
        return &window();
    }
    if (name == u"browse") {
        BrowsePage* browse = window().browsePage();
        browse->loadBrowseList(m_dir->path(), false);
        browse->openRecord(QStringLiteral("Ka00099900"));
        window().showPage(MainWindow::BrowsePageIndex);
        return &window();
    }
    if (name.startsWith(u"page")) {
        window().showPage(name.mid(4).toInt());
        return &window();
    }
    if (name == u"search")
        return dialog(&m_program->searchDialog());
    if (name == u"index")
        return dialog(&m_program->indexDialog());
    if (name == u"about")
        return dialog(&m_program->aboutBox());
    if (name == u"loading") {
        m_program->loadingWindow().showFor(m_dir->file(QStringLiteral("adatbazis.rtf")));
        m_shownDialog = &m_program->loadingWindow();
        return m_shownDialog;
    }
    if (name.startsWith(u"settings")) {
        SettingsDialog& settings = m_program->settingsDialog();
        settings.findChild<QTabWidget*>(QStringLiteral("soklap2"))->setCurrentIndex(name.right(1).toInt());
        return dialog(&settings);
    }
    if (name == u"duplicates") {
        find<QAction>(QStringLiteral("Duplikatumok1"))->trigger();
        m_shownDialog = window().findChild<QDialog*>(QStringLiteral("duplikatumform"));
        return m_shownDialog;
    }
    return nullptr;
}

void LayoutTest::textsAreWhole_data()
{
    QTest::addColumn<QString>("name");
    // The start-up state comes first, before any database is open.
    for (const char* name :
         {"startup", "entry-browse", "entry-new", "page0", "page3", "page4", "browse", "search", "index",
          "about", "loading", "settings0", "settings1", "settings2", "duplicates"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void LayoutTest::textsAreWhole()
{
    QFETCH(QString, name);
    QWidget* shown = showWindow(name);
    QVERIFY2(shown, qPrintable(QStringLiteral("no window %1").arg(name)));
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QCoreApplication::processEvents();
    const QStringList cut = cutTexts(shown);
    QVERIFY2(cut.isEmpty(), qPrintable(u'\n' + cut.join(u'\n')));
}

// A pick-list entry wider than the list shows whole when the pointer rests on it.
void LayoutTest::longEntriesShowInTooltips()
{
    SearchDialog& search = m_program->searchDialog();
    search.show();
    QVERIFY(QTest::qWaitForWindowExposed(&search));
    auto* creators = search.findChild<QCheckBox*>(QStringLiteral("cb3"));
    creators->click();
    auto* pickList = search.findChild<QListView*>(QStringLiteral("lb_fo"));
    QCOMPARE(pickList->model()->rowCount(), 2);
    const QModelIndex longEntry = pickList->model()->index(1, 0);
    const QPoint at = pickList->visualRect(longEntry).center();
    QHelpEvent help(QEvent::ToolTip, at, pickList->viewport()->mapToGlobal(at));
    QApplication::sendEvent(pickList->viewport(), &help);
    QCOMPARE(QToolTip::text(), kLongCreator);
    QToolTip::hideText();
    search.hide();
}

void LayoutTest::tabOrderFollowsTheLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("expected");

    // The tool bar's record list, the source window, the field rows from top
    // to bottom (role list, keep box, field), the side panel, the page tabs.
    QStringList fields;
    fields << QStringLiteral("cb2") << QStringLiteral("Edit2");
    for (int n = 3; n <= 6; ++n)
        fields << QStringLiteral("cbox%1").arg(n - 2) << QStringLiteral("cb%1").arg(n)
               << QStringLiteral("Edit%1").arg(n);
    for (int n = 7; n <= 14; ++n)
        fields << QStringLiteral("cb%1").arg(n) << QStringLiteral("Edit%1").arg(n);
    fields << QStringLiteral("cb_forditas") << QStringLiteral("edit_link") << QStringLiteral("cb_rektipus")
           << QStringLiteral("cb_nyelv");
    // Browsing names the record in a label, moves by the record list and
    // keeps the volume and medium; new records take a number, a suffix and
    // both choices.
    QTest::newRow("data entry, browse")
        << QStringLiteral("entry-browse")
        << QStringList{QStringLiteral("cb_rekordok0"), QStringLiteral("re1")} + fields +
               QStringList{QStringLiteral("soklap_tabs")};
    QTest::newRow("data entry, new records")
        << QStringLiteral("entry-new")
        << QStringList{QStringLiteral("re1"), QStringLiteral("Edit1"), QStringLiteral("cb_recszam")} +
               fields +
               QStringList{QStringLiteral("rg_adathordozo/papír"), QStringLiteral("rg_kotet/Kardel"),
                           QStringLiteral("soklap_tabs")};

    // The left column (mode, match kind, term, term fields), the right one
    // (restrictions with their pick list, the outcome), the buttons below.
    // A group of radio buttons takes one Tab; the arrows move inside it.
    QStringList search{QStringLiteral("rg_keres_0"), QStringLiteral("rg_mod_0"), QStringLiteral("cb_ekezet"),
                       QStringLiteral("edit_1")};
    for (int i = 21; i <= 32; ++i)
        search << QStringLiteral("cb%1").arg(i);
    for (int i = 1; i <= 9; ++i)
        search << QStringLiteral("cb%1").arg(i);
    search << QStringLiteral("lb_fo") << QStringLiteral("Memo_talalat") << QStringLiteral("gomb_alap")
           << QStringLiteral("gomb_megsem");
    QTest::newRow("search") << QStringLiteral("search") << search;
}

void LayoutTest::tabOrderFollowsTheLayout()
{
    QFETCH(QString, name);
    QFETCH(QStringList, expected);
    QWidget* shown = showWindow(name);
    QVERIFY(shown);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    shown->activateWindow();
    QApplication::setActiveWindow(shown);
    // The criteria as after "Alaphelyzet": the restriction edits are off.
    if (auto* reset = shown->findChild<QPushButton*>(QStringLiteral("gomb_alap")))
        reset->click();
    QWidget* first = shown->findChild<QWidget*>(expected.first());
    QVERIFY(first);
    const QStringList walked = tabWalk(first, int(expected.size()) + 10);
    QVERIFY2(walked == expected,
             qPrintable(QStringLiteral("\nwalked:   %1\nexpected: %2")
                            .arg(walked.join(QStringLiteral(", ")), expected.join(QStringLiteral(", ")))));
}

void LayoutTest::menuShortcutsAreKept_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("new database") << QStringLiteral("menu0_uj") << QKeySequence(Qt::CTRL | Qt::Key_N);
    QTest::newRow("load source") << QStringLiteral("Forrsadatokbetltse1")
                                 << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("save record") << QStringLiteral("menu3_mentes") << QKeySequence(Qt::Key_F2);
    QTest::newRow("delete record") << QStringLiteral("menu3_torles") << QKeySequence(Qt::CTRL | Qt::Key_D);
    QTest::newRow("find record") << QStringLiteral("menu3_kereses") << QKeySequence(Qt::CTRL | Qt::Key_F);
}

void LayoutTest::menuShortcutsAreKept()
{
    QFETCH(QString, action);
    QFETCH(QKeySequence, shortcut);
    QCOMPARE(find<QAction>(action)->shortcut(), shortcut);
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
