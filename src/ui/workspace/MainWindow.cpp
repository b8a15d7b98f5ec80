#include "ui/workspace/MainWindow.h"

#include "core/record/FieldGrid.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/search/SearchEngine.h"
#include "ui/about/AboutBox.h"
#include "ui/common/DesktopOpener.h"
#include "ui/common/UserDialogs.h"
#include "ui/convert/ConversionPage.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/BrowsePage.h"
#include "ui/search/DuplicatesDialog.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/DropBox.h"
#include "ui/workspace/FieldUndoKeys.h"
#include "ui/workspace/RadioGroup.h"
#include "ui/workspace/RecordNameModel.h"
#include "ui/workspace/StaleIndexNotice.h"
#include "ui/workspace/WorkspaceCommands.h"
#include "ui/workspace/WorkspacePages.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using WorkspaceStates::Group;

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
constexpr int RecordNameListWidth = 145;

// The record-name list opens as a plain drop-down below the box. The style's
// other kind of popup measures every item before it opens, which a list of a
// million names makes the user wait for.
class DropDownListStyle final : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

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
    }

    connect(&m_session, &EditingSession::documentChanged, this, &MainWindow::updateDocumentState);
    connect(&m_session, &EditingSession::recoveryWriteFailed, this, [this](const QString& message) {
        // Said once: the edits themselves are fine, only their safety net is missing.
        if (std::exchange(m_recoveryFailureShown, true))
            return;
        UserDialogs::instance().inform(
            this, QStringLiteral("A mentetlen módosítások helyreállítási másolata nem írható (%1). A "
                                 "módosítások megvannak, de egy váratlan leállás után elvesznének: mentse "
                                 "az adatbázist.")
                      .arg(message));
    });

    m_commands = new WorkspaceCommands(this);
    m_commands->buildMenus(menuBar());
    connectCommands();
    createStatusBar();
    buildPages();
    registerStateGroups();
    wireRecordControls();
    connectHistory();
    connectDocumentViews();
    initialiseWorkspace();
}

MainWindow::~MainWindow() = default;

void MainWindow::setCompanions(const Companions& companions)
{
    m_companions = companions;
    if (m_companions.settings) {
        connect(m_companions.settings, &SettingsDialog::fontFamilyApplied, this,
                [this](const QString& family) {
                    applyFieldFont([&](QFont& font) { font.setFamilies({family}); });
                });
        connect(m_companions.settings, &SettingsDialog::fontSizeApplied, this,
                [this](int size) { applyFieldFont([&](QFont& font) { font.setPointSize(size); }); });
        connect(m_companions.settings, &SettingsDialog::settingsApplied, this,
                [this](const AppSettings& settings, bool sourceEditable) {
                    m_settings = settings;
                    setSourceEditable(sourceEditable);
                });
    }
    if (m_companions.search) {
        m_companions.search->setHitsPage(m_hitsPage);
        m_companions.search->setStartDir(m_startDir);
        connect(m_companions.search, &SearchDialog::showHitsRequested, this,
                [this] { showPage(HitsPageIndex); });
    }
}

void MainWindow::connectCommands()
{
    const WorkspaceCommands& c = *m_commands;
    connect(c.newDatabase, &QAction::triggered, this, &MainWindow::newDatabase);
    connect(c.openDatabase, &QAction::triggered, this, &MainWindow::openDatabase);
    connect(c.saveDatabase, &QAction::triggered, this, &MainWindow::saveDatabase);
    connect(c.saveDatabaseAs, &QAction::triggered, this, &MainWindow::saveDatabaseAs);
    connect(c.exportDatabase, &QAction::triggered, this, &MainWindow::exportDatabase);
    connect(c.loadSource, &QAction::triggered, this, &MainWindow::loadSourceDocument);
    connect(c.loadSubjects, &QAction::triggered, this, &MainWindow::loadSubjectTree);
    connect(c.settingsCommand, &QAction::triggered, this,
            [this] { openSettings(SettingsDialog::DataFieldsPage); });
    connect(c.leave, &QAction::triggered, this, &QWidget::close);
    connect(c.dataEntry, &QAction::triggered, this, [this] { enterMode(Mode::Browse); });
    connect(c.browsePageCommand, &QAction::triggered, this, [this] { showPage(BrowsePageIndex); });
    connect(c.searchCommand, &QAction::triggered, this, &MainWindow::openSearch);
    connect(c.duplicatesCommand, &QAction::triggered, this, &MainWindow::openDuplicates);
    connect(c.convertCommand, &QAction::triggered, this, &MainWindow::openConversion);
    connect(c.indexCommand, &QAction::triggered, this, &MainWindow::runIndexing);
    connect(c.exchange, &QAction::triggered, this, &MainWindow::exchangeFields);
    connect(c.clear, &QAction::triggered, this, &MainWindow::clearFields);
    connect(c.saveRecord, &QAction::triggered, this, &MainWindow::saveRecord);
    connect(c.deleteRecord, &QAction::triggered, this, &MainWindow::deleteRecord);
    connect(c.browseMode, &QAction::triggered, this, [this] { enterMode(Mode::Browse); });
    connect(c.newRecordsMode, &QAction::triggered, this, [this] { enterMode(Mode::NewRecords); });
    connect(c.about, &QAction::triggered, this, &MainWindow::openAbout);
    connect(c.manual, &QAction::triggered, this, &MainWindow::openManual);
    connect(c.monitor, &QAction::triggered, this, [this] { showPage(RawPage); });
    connect(c.characterMap, &QAction::triggered, this, &MainWindow::startCharacterMap);
    for (int i = 0; i < int(c.navigation.size()); ++i) {
        const auto step = NavigationStep(i);
        connect(c.navigation[i], &QAction::triggered, this, [this, step] { move(step); });
    }
    for (int i = 0; i < int(c.insertEntries.size()); ++i) {
        const int field = DataEntryPage::FirstDropField + i;
        connect(c.insertEntries[i], &QAction::triggered, this,
                [this, field] { extractInto(field, Extraction::Insert); });
        connect(c.appendEntries[i], &QAction::triggered, this,
                [this, field] { extractInto(field, Extraction::Append); });
    }
}

// Undo and redo of the document's changes, enabled while the session has a
// step to take back or to make again.
void MainWindow::connectHistory()
{
    const WorkspaceCommands& c = *m_commands;
    connect(c.undoChange, &QAction::triggered, this, &MainWindow::undoChange);
    connect(c.redoChange, &QAction::triggered, this, &MainWindow::redoChange);
    connect(&m_session, &EditingSession::canUndoChanged, c.undoChange, &QAction::setEnabled);
    connect(&m_session, &EditingSession::canRedoChanged, c.redoChange, &QAction::setEnabled);
    auto* keys = new FieldUndoKeys(c.undoChange, c.redoChange, this);
    for (QLineEdit* edit : m_entry->findChildren<QLineEdit*>())
        keys->watch(edit);
}

// The record-name list of the tool bar.
QComboBox* MainWindow::createRecordNameList()
{
    m_recordNames = new QComboBox(this);
    m_recordNames->setObjectName(QStringLiteral("cb_rekordok0"));
    m_recordNames->setFixedWidth(RecordNameListWidth);
    // Sizing by contents would measure every name of a large database.
    m_recordNames->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_recordNames->setMinimumContentsLength(DatabaseDocument::RecordNameLength);
    auto* listStyle = new DropDownListStyle;
    listStyle->setParent(m_recordNames);
    m_recordNames->setStyle(listStyle);
    if (auto* list = qobject_cast<QListView*>(m_recordNames->view()))
        list->setUniformItemSizes(true);
    m_recordNameModel = new RecordNameModel(m_session.document(), m_recordNames);
    m_recordNames->setModel(m_recordNameModel);
    return m_recordNames;
}

void MainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusz1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("statusz1_panel%1").arg(i));
        panel->setFixedWidth(StatusPanelWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        m_statusPanels[i] = panel;
    }
    // The mode panel is as wide as its longest text; the file panel gives
    // way to it and to a narrow window (a long path shows whole in a tooltip).
    QLabel* modePanel = m_statusPanels[0];
    for (const char16_t* text : StatusModeTexts) {
        modePanel->setText(QString::fromUtf16(text));
        modePanel->setFixedWidth(qMax(modePanel->minimumWidth(), modePanel->sizeHint().width()));
    }
    modePanel->clear();
    QLabel* filePanel = m_statusPanels[1];
    filePanel->setMinimumWidth(StatusPanelWidths[1] / 2);
    filePanel->setMaximumWidth(StatusPanelWidths[1]);
    for (QLabel* panel : m_statusPanels)
        bar->addWidget(panel, panel == filePanel ? 1 : 0);

    // Shown on the search and browse pages while the index misses saved edits.
    m_staleIndex = new StaleIndexNotice(bar);
    connect(m_staleIndex, &StaleIndexNotice::reindexRequested, this, &MainWindow::runIndexing);
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
    m_entry = new DataEntryPage(m_commands->buildToolBar(this, createRecordNameList()));

    QWidget* gridPage = WorkspacePages::createFieldGridPage(m_fieldGrid);
    QWidget* rawPage = WorkspacePages::createRawDatabasePage(m_rawView);

    for (int i = 0; i < PageCount; ++i) {
        QWidget* page = nullptr;
        switch (i) {
        case ConvertPage:
            page = m_conversionPage;
            break;
        case EntryPage:
            page = m_entry;
            break;
        case GridPage:
            page = gridPage;
            break;
        case HitsPageIndex:
            page = m_hitsPage;
            break;
        case RawPage:
            page = rawPage;
            break;
        case BrowsePageIndex:
            page = m_browsePage;
            break;
        default:
            page = new QWidget;
            break;
        }
        m_pageStack->addWidget(page);
    }

    m_tabs = new QTabBar(central);
    m_tabs->setObjectName(QStringLiteral("soklap_tabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setDrawBase(false);
    for (const TabPage& tab : kTabs) {
        const int at = m_tabs->addTab(QString::fromUtf16(tab.caption));
        m_tabs->setTabData(at, tab.page);
    }
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int tab) {
        if (tab >= 0)
            showPage(m_tabs->tabData(tab).toInt());
    });

    layout->addWidget(m_pageStack, 1);
    layout->addWidget(m_tabs);
    setCentralWidget(central);
    m_entry->setTabOrderByLayout();

    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        m_dataFields.append(m_entry->edits[k]);
}

void MainWindow::wireRecordControls()
{
    DataEntryPage& p = *m_entry;
    auto tagWidget = [this](QWidget* widget, int tag) {
        widget->setProperty("tag", tag);
        widget->installEventFilter(this);
    };

    // The record name, subject, link, translation, language and the two choice groups.
    for (QLineEdit* edit : {p.edits[1], p.edits[2], p.link})
        connect(edit, &QLineEdit::textChanged, this, [this] { recordControlChanged(); });
    connect(p.translation, &QCheckBox::toggled, this, [this] { recordControlChanged(); });
    connect(p.language, &QComboBox::currentIndexChanged, this, [this] { recordControlChanged(); });
    connect(p.medium, &RadioGroup::itemIndexChanged, this, [this] { recordControlChanged(); });
    connect(p.volume, &RadioGroup::itemIndexChanged, this, [this] { recordControlChanged(); });

    // The fields that the extraction menus fill, and the record type, which names two of them.
    for (int k = DataEntryPage::FirstDropField; k <= DataEntryPage::LastField; ++k) {
        QLineEdit* edit = p.edits[k];
        connect(edit, &QLineEdit::textChanged, this, [this] { extractableFieldChanged(); });
    }
    connect(p.recordType, &QComboBox::currentIndexChanged, this, [this] { extractableFieldChanged(); });

    // Choosing a role names the creator entries of the extraction menus.
    for (QComboBox* combo : {p.roleLists[0], p.roleLists[1], p.roleLists[2], p.roleLists[3]})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            m_lastPressedTag = 0;
            setRoleMenuCaptions();
        });
    for (QComboBox* combo : {p.recordType, p.language})
        connect(combo, &QComboBox::activated, this, [this] {
            m_lastPressedTag = 0;
            setRoleMenuCaptions();
        });

    connect(m_recordNames, &QComboBox::activated, this, &MainWindow::selectInList);

    // What was pressed last decides whether a drop box passes its text on.
    tagWidget(p.sourceWindow->viewport(), SourceWindowTag);
    for (int k = DataEntryPage::FirstDropField; k <= DataEntryPage::LastField; ++k) {
        DropBox* box = p.dropBoxes[k];
        tagWidget(box->viewport(), DropBoxTagBase + k);
        connect(box, &QTextEdit::textChanged, this, [this, k] { dropBoxChanged(k); });
    }
    for (int k = DataEntryPage::FirstDropField; k <= DataEntryPage::LastField; ++k)
        tagWidget(p.edits[k], 0);
    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        tagWidget(p.keepBoxes[k], 0);
    for (int k : DataEntryPage::SelectableFields) {
        tagWidget(p.fieldLabels[k], k);
        p.fieldLabels[k]->setCursor(Qt::PointingHandCursor);
    }
    for (QWidget* widget : {static_cast<QWidget*>(p.translation), static_cast<QWidget*>(p.recordNameCaption),
                            static_cast<QWidget*>(p.linkCaption), static_cast<QWidget*>(p.languageCaption)})
        tagWidget(widget, 0);
}

void MainWindow::initialiseWorkspace()
{
    DataEntryPage& p = *m_entry;
    setGeometry(m_settings.left, m_settings.top, m_settings.width, m_settings.height);
    const QFont fieldFont(m_settings.fontName, m_settings.fontSize);
    for (QLineEdit* edit : m_dataFields)
        edit->setFont(fieldFont);
    m_rawView->setFont(fieldFont);

    applyStateColumn(WorkspaceStates::StartUp);
    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        p.keepBoxes[k]->setChecked(false);
    p.translation->setChecked(false);
    setStatus(0, QStringLiteral(" Várakozás az adatbázis megnyitására"));
    setStatus(1, QStringLiteral(" Nincs forrásfájl betöltve"));
    m_session.clearSelection();
    for (int k = DataEntryPage::FirstField; k <= DataEntryPage::LastField; ++k)
        paintField(k, false);
    p.pan101->hide();
    p.edits[1]->show();
    p.pan102->show();
    p.recordCount->clear();
    m_commands->browseMode->setChecked(true);
    setRecordTypeMenuCaptions();
    m_lastPressedTag = 0;
    showPage(EntryPage);
}

void MainWindow::showPage(int index)
{
    if (index < 0 || index >= PageCount)
        return;
    m_pageStack->setCurrentIndex(index);
    refreshRawViewIfShown();
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

QTextEdit* MainWindow::sourceWindow() const
{
    return m_entry->sourceWindow;
}

bool MainWindow::sourceEditable() const
{
    return !sourceWindow()->isReadOnly();
}

void MainWindow::setSourceEditable(bool editable)
{
    sourceWindow()->setReadOnly(!editable);
}

QString MainWindow::statusText(int panel) const
{
    return panel >= 0 && panel < int(m_statusPanels.size()) ? m_statusPanels[panel]->text() : QString();
}

void MainWindow::setStatus(int panel, const QString& text)
{
    m_statusPanels[panel]->setText(text);
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_firstActivationDone)
        firstActivation();
    else if (event->type() == QEvent::ActivationChange && isActiveWindow())
        offerReloadOfChangedFile();
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

void MainWindow::openDuplicates()
{
    if (!m_duplicates) {
        m_duplicates = new DuplicatesDialog(this);
        connect(m_duplicates, &DuplicatesDialog::openRecordRequested, this,
                [this](const QString& recordName, int chunkNumber) {
                    if (m_browsePage->openRecord(recordName, chunkNumber))
                        showPage(BrowsePageIndex);
                });
    }
    m_duplicates->setStartDir(m_startDir);
    QStringList roleNames;
    try {
        for (const QByteArray& role : readRoleList(QDir(m_startDir).filePath(WorkFolder::RolesFile)))
            roleNames.append(Win1250::toUnicode(role));
    } catch (const NorlaError&) {
        // Without a role list the role names in the texts stay empty, as in the search.
    }
    m_duplicates->setRoleNames(roleNames);
    m_duplicates->show();
    m_duplicates->raise();
}

void MainWindow::openSearch()
{
    if (m_companions.search)
        m_companions.search->exec();
}

void MainWindow::runIndexing()
{
    if (!m_companions.index)
        return;
    m_companions.index->setIndexingFinished(false);
    m_companions.index->setStartDir(m_startDir);
    m_companions.index->exec();
    if (m_companions.index->indexingFinished()) {
        runGuarded(this, [this] { m_browsePage->loadBrowseList(m_startDir, false); });
        const QString database = m_startDir + u'/' + WorkFolder::DefaultDatabaseFile;
        if (QFileInfo(database).isFile()) {
            // Unsaved edits are settled first, as for any other opening.
            if (settleUnsavedChanges(LeaveTo::OtherDatabase))
                loadDatabase(database);
        } else
            UserDialogs::instance().inform(
                this,
                QStringLiteral("Az indexelés elkészült, de a(z) %1 adatbázisfájl nem található, ezért nem "
                               "nyitható meg. A megnyitott adatbázis változatlan maradt.")
                    .arg(QDir::toNativeSeparators(database)));
    }
    showPage(EntryPage);
}

void MainWindow::openSettings(int page)
{
    if (!m_companions.settings)
        return;
    m_companions.settings->openOnPage(SettingsDialog::Page(page));
}

// The settings dialog's choices reach the data fields (never Edit1), the raw
// database view and the source window.
void MainWindow::applyFieldFont(const std::function<void(QFont&)>& change)
{
    QList<QWidget*> widgets(m_dataFields.begin(), m_dataFields.end());
    widgets.append(m_rawView);
    for (QWidget* widget : widgets) {
        QFont font = widget->font();
        change(font);
        widget->setFont(font);
    }
}

void MainWindow::openAbout()
{
    if (m_companions.about)
        m_companions.about->exec();
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
    runGuarded(this, [this] { m_settings.write(m_startDir); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    writeSettingsOnLeave();
    if (settleUnsavedChanges(LeaveTo::Quit)) {
        m_session.releaseLock();
        event->accept();
    } else {
        event->ignore();
    }
}
