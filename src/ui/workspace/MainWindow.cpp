#include "ui/workspace/MainWindow.h"

#include "core/record/NorlaError.h"
#include "ui/common/DesktopOpener.h"
#include "ui/common/UserDialogs.h"
#include "ui/convert/ConversionPage.h"
#include "ui/search/BrowsePage.h"
#include "ui/search/HitsPage.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/RecordEditor.h"
#include "ui/workspace/StaleIndexNotice.h"
#include "ui/workspace/WorkspaceCommands.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The tabs shown, with the page index each one selects.
struct TabPage
{
    int page;
    const char16_t* caption;
};
constexpr TabPage kTabs[] = {
    {MainWindow::ConvertPage, u"Konvertálás"},
    {MainWindow::EntryPage, u"Adatrögzítés"},
    {MainWindow::HitsPageIndex, u"Találatok"},
    {MainWindow::BrowsePageIndex, u"Tallózás"},
};

constexpr int StatusPanelWidths[] = {200, 580, 50};
// What the mode panel shows: awaiting a database, browsing, new records.
constexpr const char16_t* StatusModeTexts[] = {u" Várakozás az adatbázis megnyitására",
                                               u" Tallózás a rekordokban", u" Új rekordok felvitele"};

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    m_startDir = QDir::currentPath();
    setWindowTitle(QStringLiteral("Norla 7.2"));

    try {
        m_settings = AppSettings::read(m_startDir);
    } catch (const NorlaError&) {
        m_settings = AppSettings::defaults(m_startDir);
    }
    // Rewritten at once, so unknown keys disappear and missing ones appear. A
    // failure here must not keep the program from starting.
    try {
        m_settings.write(m_startDir);
    } catch (const NorlaError&) {
        // A working folder that takes no writes (a read-only share) is no
        // news at every exit: the settings simply stay as they are.
        m_settingsUnwritable = true;
    }

    m_commands = new WorkspaceCommands(this);
    m_commands->buildMenus(menuBar());
    createStatusBar();
    m_editor = new RecordEditor(*m_commands, m_settings, m_startDir, this);
    connect(m_editor, &RecordEditor::statusChanged, this,
            [this](RecordEditor::StatusPanel panel, const QString& text) {
                m_statusPanels[size_t(panel)]->setText(text);
            });
    connect(m_editor, &RecordEditor::documentStateChanged, this, &MainWindow::updateCaption);
    connect(m_editor, &RecordEditor::entryPageWanted, this, [this] { showPage(EntryPage); });
    connectCommands();
    buildPages();

    setGeometry(m_settings.left, m_settings.top, m_settings.width, m_settings.height);
    m_editor->start();
    showPage(EntryPage);
}

MainWindow::~MainWindow() = default;

// The commands that switch pages or leave; the record editor takes the
// data-entry page's, and the program connects those that open other windows.
void MainWindow::connectCommands()
{
    const WorkspaceCommands& c = *m_commands;
    connect(c.leave, &QAction::triggered, this, &QWidget::close);
    connect(c.browsePageCommand, &QAction::triggered, this, [this] { showPage(BrowsePageIndex); });
    connect(c.convertCommand, &QAction::triggered, this, &MainWindow::openConversion);
    connect(c.monitor, &QAction::triggered, this, [this] { showPage(RawPage); });
    connect(c.manual, &QAction::triggered, this, &MainWindow::openManual);
}

void MainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusz1"));
    bar->setSizeGripEnabled(true);
    for (size_t i = 0; i < m_statusPanels.size(); ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("statusz1_panel%1").arg(i));
        panel->setFixedWidth(StatusPanelWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        m_statusPanels[i] = panel;
    }
    // The mode panel is as wide as its longest text; the file panel gives
    // way to it and to a narrow window (a long path shows whole in a tooltip).
    QLabel* modePanel = m_statusPanels[size_t(RecordEditor::StatusPanel::Mode)];
    for (const char16_t* text : StatusModeTexts) {
        modePanel->setText(QString::fromUtf16(text));
        modePanel->setFixedWidth(qMax(modePanel->minimumWidth(), modePanel->sizeHint().width()));
    }
    modePanel->clear();
    const auto file = size_t(RecordEditor::StatusPanel::File);
    QLabel* filePanel = m_statusPanels[file];
    filePanel->setMinimumWidth(StatusPanelWidths[file] / 2);
    filePanel->setMaximumWidth(StatusPanelWidths[file]);
    for (QLabel* panel : m_statusPanels)
        bar->addWidget(panel, panel == filePanel ? 1 : 0);

    // Shown on the search and browse pages while the index misses saved
    // edits; its button runs the indexing as the menu entry does.
    m_staleIndex = new StaleIndexNotice(bar);
    connect(m_staleIndex, &StaleIndexNotice::reindexRequested, m_commands->indexCommand, &QAction::trigger);
    bar->addWidget(m_staleIndex, 1);
}

void MainWindow::updateStaleIndexNotice()
{
    const int page = currentPage();
    if (page == HitsPageIndex || page == BrowsePageIndex)
        m_staleIndex->check(m_startDir);
    else
        m_staleIndex->hide();
}

void MainWindow::buildPages()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_pageStack = new QStackedWidget(central);
    m_pageStack->setObjectName(QStringLiteral("soklap"));
    m_conversionPage = new ConversionPage;
    m_hitsPage = new HitsPage;
    m_browsePage = new BrowsePage;
    // A hit is shown on the browse page.
    connect(m_hitsPage, &HitsPage::openHitRequested, this,
            [this](const QString& recordName, int chunkNumber) {
                if (m_browsePage->openRecord(recordName, chunkNumber)) {
                    repaint();
                    showPage(BrowsePageIndex);
                }
            });
    std::array<QWidget*, PageCount> pages{};
    pages[ConvertPage] = m_conversionPage;
    pages[EntryPage] = m_editor->page();
    pages[GridPage] = m_editor->fieldGridPage();
    pages[HitsPageIndex] = m_hitsPage;
    pages[RawPage] = m_editor->rawDatabasePage();
    pages[BrowsePageIndex] = m_browsePage;
    for (QWidget* page : pages)
        m_pageStack->addWidget(page ? page : new QWidget);

    m_tabs = new QTabBar(central);
    m_tabs->setObjectName(QStringLiteral("soklap_tabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setDrawBase(false);
    for (const TabPage& tab : kTabs)
        addTab(tab.page, QString::fromUtf16(tab.caption));
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int tab) {
        if (tab >= 0)
            showPage(m_tabs->tabData(tab).toInt());
    });

    layout->addWidget(m_pageStack, 1);
    layout->addWidget(m_tabs);
    setCentralWidget(central);
    m_editor->page()->setTabOrderByLayout();
}

// Puts `page` in place of the empty page at `index`, or after the last one.
void MainWindow::placePage(int index, QWidget* page)
{
    if (index < m_pageStack->count()) {
        QWidget* placeholder = m_pageStack->widget(index);
        m_pageStack->removeWidget(placeholder);
        delete placeholder;
        m_pageStack->insertWidget(index, page);
    } else {
        m_pageStack->addWidget(page);
    }
}

void MainWindow::addTab(int page, const QString& caption)
{
    const int at = m_tabs->addTab(caption);
    m_tabs->setTabData(at, page);
}

void MainWindow::addPage(int index, QWidget* page, const QString& tabCaption)
{
    placePage(index, page);
    if (!tabCaption.isEmpty())
        addTab(index, tabCaption);
}

void MainWindow::showPage(int index)
{
    if (index < 0 || index >= m_pageStack->count())
        return;
    m_pageStack->setCurrentIndex(index);
    m_editor->setRawViewShown(index == RawPage);
    updateStaleIndexNotice();
    const QSignalBlocker blocker(m_tabs);
    for (int tab = 0; tab < m_tabs->count(); ++tab)
        if (m_tabs->tabData(tab).toInt() == index)
            m_tabs->setCurrentIndex(tab);
}

int MainWindow::currentPage() const
{
    return m_pageStack->currentIndex();
}

QString MainWindow::statusText(int panel) const
{
    return panel >= 0 && panel < int(m_statusPanels.size()) ? m_statusPanels[size_t(panel)]->text()
                                                            : QString();
}

void MainWindow::updateCaption()
{
    const DatabaseDocument& document = m_editor->document();
    QString caption = QStringLiteral("Norla 7.2");
    if (document.hasFile())
        caption += QStringLiteral("   -   [ ") + document.path() + QStringLiteral(" ]");
    if (m_editor->session().isReadOnly())
        caption += QStringLiteral(" [csak olvasható]");
    if (document.isModified())
        caption += QStringLiteral(" *");
    setWindowTitle(caption);
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_firstActivationDone)
        firstActivation();
    else if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_editor->offerReloadOfChangedFile();
}

void MainWindow::firstActivation()
{
    m_firstActivationDone = true;
    setSourceEditable(m_settings.sourceDeletion != 0);
    runGuarded(this, [this] { m_browsePage->loadBrowseList(m_startDir, true); });
    showPage(BrowsePageIndex);
}

void MainWindow::openConversion()
{
    m_conversionPage->resetForMenuEntry();
    showPage(ConvertPage);
}

// The guide is a page of its own in the desktop's browser, so it can stay
// open beside the editor while the user works.
void MainWindow::openManual()
{
    const QString path = userManualPath(QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        UserDialogs::instance().inform(
            this, QStringLiteral("A kézikönyv (kezikonyv.html) nem található a program mellett. "
                                 "Telepítse újra a programot, vagy olvassa a docs/kezikonyv.md fájlt."));
        return;
    }
    if (!DesktopOpener::instance().openUrl(QUrl::fromLocalFile(path)))
        UserDialogs::instance().inform(
            this, QStringLiteral("A kézikönyvet nem sikerült megnyitni a böngészőben. A fájl helye: %1")
                      .arg(QDir::toNativeSeparators(path)));
}

void MainWindow::writeSettingsOnLeave()
{
    const QRect frame = geometry();
    m_settings.left = frame.x();
    m_settings.top = frame.y();
    m_settings.width = frame.width();
    m_settings.height = frame.height();
    if (m_settingsUnwritable) {
        try {
            m_settings.write(m_startDir);
        } catch (const NorlaError&) {
        }
        return;
    }
    runGuarded(this, [this] { m_settings.write(m_startDir); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    writeSettingsOnLeave();
    if (m_editor->settleUnsavedChanges(RecordEditor::LeaveTo::Quit)) {
        m_editor->session().releaseLock();
        event->accept();
    } else {
        event->ignore();
    }
}
