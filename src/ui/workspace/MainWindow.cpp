#include "ui/workspace/MainWindow.h"

#include "core/record/FieldGrid.h"
#include "core/record/NorlaError.h"
#include "core/record/WorkFolder.h"
#include "ui/about/AboutBox.h"
#include "ui/common/UserDialogs.h"
#include "ui/convert/ConversionPage.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/BrowsePage.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/DropBox.h"
#include "ui/workspace/RadioGroup.h"
#include "ui/workspace/RecordNameModel.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
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
constexpr int RecordNameListWidth = 145;

// A glyph from the desktop's icon theme, or a small drawn one where the
// theme has none (a bare system, or the offscreen platform).
QIcon toolIcon(const QString& themeName, const QString& glyph)
{
    const QIcon themed = QIcon::fromTheme(themeName);
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(60, 60, 60));
    painter.setBrush(QColor(235, 235, 225));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 3, 3);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(glyph.size() > 1 ? 9 : 12);
    painter.setFont(font);
    painter.setPen(QColor(20, 40, 110));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

QAction* makeAction(QObject* owner, const QString& name, const QString& caption,
                    const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

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

// Captions from record data may hold "&", which a menu would take for a mnemonic.
QString menuText(const QString& caption)
{
    QString text = caption;
    return text.replace(u'&', QStringLiteral("&&"));
}

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

    createActions();
    createMenus();
    createStatusBar();
    buildPages();
    registerStateGroups();
    wireRecordControls();
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

void MainWindow::createActions()
{
    m_newDatabase =
        makeAction(this, QStringLiteral("menu0_uj"), QStringLiteral("Új adatbázis létrehozása..."),
                   QKeySequence(Qt::CTRL | Qt::Key_N));
    m_newDatabase->setToolTip(QStringLiteral("Új adatbázis létrehozása"));
    m_newDatabase->setIcon(toolIcon(QStringLiteral("document-new"), QStringLiteral("Ú")));
    connect(m_newDatabase, &QAction::triggered, this, &MainWindow::newDatabase);

    m_openDatabase = makeAction(this, QStringLiteral("menu0_open"), QStringLiteral("Adatbázis betöltése..."));
    m_openDatabase->setToolTip(QStringLiteral("Adatbázis betöltése"));
    m_openDatabase->setIcon(toolIcon(QStringLiteral("document-open"), QStringLiteral("A")));
    connect(m_openDatabase, &QAction::triggered, this, &MainWindow::openDatabase);

    m_saveDatabase = makeAction(this, QStringLiteral("menu0_save"), QStringLiteral("Adatbázis mentése"));
    m_saveDatabase->setToolTip(QStringLiteral("Adatbázis mentése"));
    m_saveDatabase->setIcon(toolIcon(QStringLiteral("document-save"), QStringLiteral("M")));
    connect(m_saveDatabase, &QAction::triggered, this, &MainWindow::saveDatabase);

    m_saveDatabaseAs =
        makeAction(this, QStringLiteral("menu0_saveas"), QStringLiteral("Adatbázis mentése másként..."));
    connect(m_saveDatabaseAs, &QAction::triggered, this, &MainWindow::saveDatabaseAs);

    m_loadSource =
        makeAction(this, QStringLiteral("Forrsadatokbetltse1"), QStringLiteral("Forrásadatok betöltése..."),
                   QKeySequence(Qt::CTRL | Qt::Key_O));
    m_loadSource->setToolTip(QStringLiteral("Forrásadatok betöltése"));
    m_loadSource->setIcon(toolIcon(QStringLiteral("document-import"), QStringLiteral("F")));
    connect(m_loadSource, &QAction::triggered, this, &MainWindow::loadSourceDocument);

    m_loadSubjects =
        makeAction(this, QStringLiteral("rgykrfjlbetltse1"), QStringLiteral("Tárgykörök betöltése..."));
    connect(m_loadSubjects, &QAction::triggered, this, &MainWindow::loadSubjectTree);

    m_settingsCommand = makeAction(this, QStringLiteral("Belltsok1"), QStringLiteral("Beállítások..."));
    connect(m_settingsCommand, &QAction::triggered, this,
            [this] { openSettings(SettingsDialog::DataFieldsPage); });

    m_leave = makeAction(this, QStringLiteral("Kilps1"), QStringLiteral("Kilépés"));
    connect(m_leave, &QAction::triggered, this, &QWidget::close);

    m_dataEntry = makeAction(this, QStringLiteral("Adatrgzts1"), QStringLiteral("Adatrögzítés"));
    m_dataEntry->setData(0);
    connect(m_dataEntry, &QAction::triggered, this, [this] { enterMode(Mode::Browse); });

    m_browsePageCommand = makeAction(this, QStringLiteral("allzs1"), QStringLiteral("Tallózás"));
    m_browsePageCommand->setData(int(BrowsePageIndex));
    connect(m_browsePageCommand, &QAction::triggered, this, [this] { showPage(BrowsePageIndex); });

    m_searchCommand = makeAction(this, QStringLiteral("Keress1"), QStringLiteral("Keresés"));
    connect(m_searchCommand, &QAction::triggered, this, &MainWindow::openSearch);

    m_convertCommand = makeAction(this, QStringLiteral("Konvertls1"), QStringLiteral("Konvertálás"));
    m_convertCommand->setData(int(ConvertPage));
    connect(m_convertCommand, &QAction::triggered, this, &MainWindow::openConversion);

    m_indexCommand = makeAction(this, QStringLiteral("Indexels1"), QStringLiteral("Indexelés"));
    connect(m_indexCommand, &QAction::triggered, this, &MainWindow::runIndexing);

    m_exchange = makeAction(this, QStringLiteral("menu6_csere"),
                            QStringLiteral("Kijelőlt adatmezők tartalmának cseréje"));
    m_exchange->setToolTip(QStringLiteral("Adatmezők cseréje"));
    m_exchange->setIcon(toolIcon(QStringLiteral("view-refresh"), QStringLiteral("⇅")));
    connect(m_exchange, &QAction::triggered, this, &MainWindow::exchangeFields);

    m_clear =
        makeAction(this, QStringLiteral("menu6_urites"), QStringLiteral("Adatmezők törlése, mentés nélkül"));
    m_clear->setToolTip(QStringLiteral("Adatmezők törlése, mentés nélkül"));
    m_clear->setIcon(toolIcon(QStringLiteral("edit-clear"), QStringLiteral("Ü")));
    connect(m_clear, &QAction::triggered, this, &MainWindow::clearFields);

    m_saveRecord = makeAction(this, QStringLiteral("menu3_mentes"), QStringLiteral("Aktuális rekord mentése"),
                              QKeySequence(Qt::Key_F2));
    m_saveRecord->setToolTip(QStringLiteral("Rekord mentése (F2)"));
    m_saveRecord->setIcon(toolIcon(QStringLiteral("document-save-as"), QStringLiteral("R")));
    connect(m_saveRecord, &QAction::triggered, this, &MainWindow::saveRecord);

    m_deleteRecord = makeAction(this, QStringLiteral("menu3_torles"), QStringLiteral("Rekord törlése"),
                                QKeySequence(Qt::CTRL | Qt::Key_D));
    m_deleteRecord->setToolTip(QStringLiteral("Rekord törlése"));
    m_deleteRecord->setIcon(toolIcon(QStringLiteral("edit-delete"), QStringLiteral("✕")));
    connect(m_deleteRecord, &QAction::triggered, this, &MainWindow::deleteRecord);

    // The two mode commands: exactly one of them is shown pressed.
    m_modeGroup = new QActionGroup(this);
    m_modeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    m_browseMode =
        makeAction(this, QStringLiteral("menu3_tallozas"), QStringLiteral("Tallózás a rekordokban"));
    m_browseMode->setToolTip(QStringLiteral("Tallózás a rekordokban"));
    m_browseMode->setIcon(toolIcon(QStringLiteral("view-list-details"), QStringLiteral("T")));
    m_newRecordsMode =
        makeAction(this, QStringLiteral("menu3_felvitel"), QStringLiteral("Új rekordok felvitele"));
    m_newRecordsMode->setToolTip(QStringLiteral("Új rekordok felvitele"));
    m_newRecordsMode->setIcon(toolIcon(QStringLiteral("list-add"), QStringLiteral("+")));
    for (QAction* action : {m_browseMode, m_newRecordsMode}) {
        action->setCheckable(true);
        m_modeGroup->addAction(action);
    }
    m_browseMode->setData(0);
    m_newRecordsMode->setData(1);
    connect(m_browseMode, &QAction::triggered, this, [this] { enterMode(Mode::Browse); });
    connect(m_newRecordsMode, &QAction::triggered, this, [this] { enterMode(Mode::NewRecords); });

    m_findRecord = makeAction(this, QStringLiteral("menu3_kereses"), QStringLiteral("Rekord keresése..."),
                              QKeySequence(Qt::CTRL | Qt::Key_F));

    m_about = makeAction(this, QStringLiteral("Nvjegy1"), QStringLiteral("Névjegy..."));
    connect(m_about, &QAction::triggered, this, &MainWindow::openAbout);

    const std::array<std::pair<const char*, const char16_t*>, 4> navigation = {
        {{"go-first", u"|◀"}, {"go-previous", u"◀"}, {"go-next", u"▶"}, {"go-last", u"▶|"}}};
    for (int i = 0; i < int(m_navigation.size()); ++i) {
        const auto step = NavigationStep(i);
        // The buttons are numbered 1 to 4, left to right.
        QAction* action = makeAction(this, QStringLiteral("gnyil%1_action").arg(i + 1), QString());
        action->setIcon(
            toolIcon(QString::fromLatin1(navigation[i].first), QString::fromUtf16(navigation[i].second)));
        action->setData(i + 1);
        connect(action, &QAction::triggered, this, [this, step] { move(step); });
        m_navigation[i] = action;
    }

    m_monitor = makeAction(this, QStringLiteral("sb_monitor_action"), QString());
    m_monitor->setIcon(toolIcon(QStringLiteral("text-x-generic"), QStringLiteral("≡")));
    connect(m_monitor, &QAction::triggered, this, [this] { showPage(RawPage); });

    m_characterMap = makeAction(this, QStringLiteral("SpeedButton1_action"), QString());
    m_characterMap->setToolTip(QStringLiteral("Karaktertábla megnyítása"));
    m_characterMap->setIcon(toolIcon(QStringLiteral("accessories-character-map"), QStringLiteral("Ω")));
    connect(m_characterMap, &QAction::triggered, this, &MainWindow::startCharacterMap);

    static constexpr const char16_t* extractionCaptions[12] = {
        u"Szerző",   u"Szerkesztő", u"Fordító",   u"Bevezetést írta",  u"Cím",       u"Kiadvány", u"Kiadó",
        u"Évfolyam", u"Év",         u"Oldalszám", u"Megjelenés helye", u"Megjegyzés"};
    for (int i = 0; i < 12; ++i) {
        const QString caption = QString::fromUtf16(extractionCaptions[i]);
        const int field = DataEntryPage::FirstDropField + i;
        for (Extraction kind : {Extraction::Insert, Extraction::Append}) {
            const int menu = int(kind);
            QAction* action = makeAction(this, QStringLiteral("menu%1_%2").arg(menu).arg(i + 1), caption);
            // Scripts know the entries by these numbers: 101-112 insert, 201-212 append.
            action->setData(menu * 100 + i + 1);
            connect(action, &QAction::triggered, this, [this, field, kind] { extractInto(field, kind); });
            (kind == Extraction::Insert ? m_insertEntries : m_appendEntries)[i] = action;
        }
    }
}

void MainWindow::createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [bar](const QString& title, const QString& name) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name + QStringLiteral("_action"));
        return menu;
    };

    m_fileMenu = addMenu(QStringLiteral("Fájl"), QStringLiteral("menu0"));
    m_fileMenu->addActions({m_newDatabase, m_openDatabase, m_saveDatabase, m_saveDatabaseAs});
    m_fileMenu->addSeparator();
    m_fileMenu->addActions({m_loadSource, m_loadSubjects});
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_settingsCommand);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_leave);

    m_operationsMenu = addMenu(QStringLiteral("Műveletek"), QStringLiteral("Mveletek1"));
    m_operationsMenu->addActions(
        {m_dataEntry, m_browsePageCommand, m_searchCommand, m_convertCommand, m_indexCommand});

    m_editMenu = addMenu(QStringLiteral("Szerkesztés"), QStringLiteral("menu6"));
    m_editMenu->addActions({m_exchange, m_clear});

    m_insertMenu = addMenu(QStringLiteral("Beszúrás"), QStringLiteral("menu1"));
    m_appendMenu = addMenu(QStringLiteral("Hozzáfűzés"), QStringLiteral("menu2"));
    for (int i = 0; i < 12; ++i) {
        m_insertMenu->addAction(m_insertEntries[i]);
        m_appendMenu->addAction(m_appendEntries[i]);
    }

    m_recordsMenu = addMenu(QStringLiteral("Rekordok"), QStringLiteral("menu3"));
    m_recordsMenu->addActions({m_saveRecord, m_deleteRecord});
    m_recordsMenu->addSeparator();
    m_recordsMenu->addActions({m_browseMode, m_newRecordsMode});
    m_recordsMenu->addSeparator();
    m_recordsMenu->addAction(m_findRecord);

    m_subjectMenu = addMenu(QStringLiteral("Tárgykörök"), QStringLiteral("menu4_0"));

    m_helpMenu = addMenu(QStringLiteral("Súgó"), QStringLiteral("Sg1"));
    m_helpMenu->addAction(m_about);
}

QToolBar* MainWindow::createToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(20, 20));
    auto addButton = [bar](QAction* action, const QString& name) {
        bar->addAction(action);
        bar->widgetForAction(action)->setObjectName(name);
    };
    addButton(m_newDatabase, QStringLiteral("sb_uj"));
    addButton(m_loadSource, QStringLiteral("sb_forras"));
    addButton(m_openDatabase, QStringLiteral("sb_adatbe"));
    addButton(m_saveDatabase, QStringLiteral("sb_save"));
    bar->addSeparator();
    addButton(m_browseMode, QStringLiteral("sb_tallozas"));
    addButton(m_newRecordsMode, QStringLiteral("sb_felvitel"));
    bar->addSeparator();
    for (int kind = 1; kind <= 4; ++kind)
        addButton(m_navigation[kind - 1], QStringLiteral("gnyil%1").arg(kind));
    bar->addSeparator();
    addButton(m_deleteRecord, QStringLiteral("sb_torol"));
    bar->addSeparator();
    addButton(m_saveRecord, QStringLiteral("sb_ment"));
    bar->addSeparator();
    addButton(m_exchange, QStringLiteral("sb_csere"));
    addButton(m_clear, QStringLiteral("sb_alapba"));
    bar->addSeparator();

    m_recordNames = new QComboBox(bar);
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
    bar->addWidget(m_recordNames);
    bar->addSeparator();
    addButton(m_monitor, QStringLiteral("sb_monitor"));
    bar->addSeparator();
    addButton(m_characterMap, QStringLiteral("SpeedButton1"));

    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return bar;
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
        bar->addWidget(panel);
        m_statusPanels[i] = panel;
    }
}

void MainWindow::buildPages()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_soklap = new QStackedWidget(central);
    m_soklap->setObjectName(QStringLiteral("soklap"));
    m_conversionPage = new ConversionPage;
    m_hitsPage = new HitsPage;
    m_browsePage = new BrowsePage;
    // A hit is shown on the browse page.
    connect(m_hitsPage, &HitsPage::openHitRequested, this, [this](const QString& recordName) {
        if (m_browsePage->openRecord(recordName)) {
            repaint();
            showPage(BrowsePageIndex);
        }
    });
    m_entry = new DataEntryPage(createToolBar());

    // The field grid: the decoded view of the shown record, never shown itself.
    auto* gridPage = new QWidget;
    gridPage->setObjectName(QStringLiteral("lap_racs"));
    m_fieldGrid = new QTableWidget(FieldGrid::RowCount, 2, gridPage);
    m_fieldGrid->setObjectName(QStringLiteral("racs0"));
    m_fieldGrid->setColumnWidth(0, 100);
    for (int row = 0; row < FieldGrid::RowCount; ++row) {
        m_fieldGrid->setItem(row, 0, new QTableWidgetItem(FieldGrid::titles()[row]));
        m_fieldGrid->setItem(row, 1, new QTableWidgetItem);
    }
    m_fieldGrid->horizontalHeader()->setStretchLastSection(true);
    (new QVBoxLayout(gridPage))->addWidget(m_fieldGrid);

    auto* rawPage = new QWidget;
    rawPage->setObjectName(QStringLiteral("lap_forras"));
    m_rawView = new QPlainTextEdit(rawPage);
    m_rawView->setObjectName(QStringLiteral("re_forras"));
    m_rawView->setLineWrapMode(QPlainTextEdit::NoWrap);
    // What is typed here would reach no record, so the view only shows.
    m_rawView->setReadOnly(true);
    auto* rawLayout = new QVBoxLayout(rawPage);
    rawLayout->setContentsMargins(0, 0, 0, 0);
    rawLayout->addWidget(m_rawView);

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
        m_soklap->addWidget(page);
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

    layout->addWidget(m_soklap, 1);
    layout->addWidget(m_tabs);
    setCentralWidget(central);

    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        m_dataFields.append(m_entry->edits[k]);
}

void MainWindow::registerStateGroups()
{
    auto add = [this](Group group, std::initializer_list<QObject*> objects) {
        m_stateGroups[size_t(group)].append(objects);
    };
    add(Group::AlwaysOnMenus, {m_fileMenu, m_operationsMenu, m_helpMenu});
    add(Group::RecordMenus, {m_editMenu, m_insertMenu, m_appendMenu, m_recordsMenu});
    add(Group::SubjectMenu, {m_subjectMenu});
    add(Group::FileCommands,
        {m_newDatabase, m_openDatabase, m_loadSource, m_loadSubjects, m_settingsCommand, m_leave});
    add(Group::DatabaseSave, {m_saveDatabase});
    add(Group::DatabaseSaveAs, {m_saveDatabaseAs});
    add(Group::BrowseCommands, {m_browseMode});
    add(Group::NewRecordCommands, {m_newRecordsMode});
    add(Group::DataEntryCommand, {m_dataEntry});
    for (QAction* action : m_navigation)
        add(Group::Navigation, {action});
    add(Group::RecordNameList, {m_recordNames});
    add(Group::DeleteCommand, {m_deleteRecord});
    add(Group::SaveCommand, {m_saveRecord});
    add(Group::ExchangeCommand, {m_exchange});
    add(Group::ClearCommand, {m_clear});
    add(Group::FindRecord, {m_findRecord});
    add(Group::Tools, {m_monitor, m_characterMap});

    DataEntryPage& p = *m_entry;
    for (int k = DataEntryPage::FirstField; k <= DataEntryPage::LastField; ++k)
        add(Group::RecordControls, {p.edits[k]});
    for (QComboBox* roles : p.roleLists)
        add(Group::RecordControls, {roles});
    add(Group::RecordControls,
        {p.recordType, p.language, p.suffixList, p.recordNameCaption, p.languageCaption});
    for (int k = DataEntryPage::FirstDataField; k <= DataEntryPage::LastField; ++k)
        add(Group::RecordControls, {p.keepBoxes[k]});
    for (int k : DataEntryPage::SelectableFields)
        add(Group::RecordControls, {p.fieldLabels[k]});
    add(Group::ChoiceGroups, {p.volume, p.medium});
    add(Group::Translation, {p.translation});
    add(Group::FreeControls, {p.link, p.linkCaption, p.recordTypeCaption, p.sourceWindow});
    for (int k = DataEntryPage::FirstDropField; k <= DataEntryPage::LastField; ++k)
        add(Group::FreeControls, {p.dropBoxes[k]});
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
    m_browseMode->setChecked(true);
    setRecordTypeMenuCaptions();
    m_lastPressedTag = 0;
    showPage(EntryPage);
}

void MainWindow::showPage(int index)
{
    if (index < 0 || index >= PageCount)
        return;
    m_soklap->setCurrentIndex(index);
    refreshRawViewIfShown();
    const QSignalBlocker blocker(m_tabs);
    for (int tab = 0; tab < m_tabs->count(); ++tab)
        if (m_tabs->tabData(tab).toInt() == index)
            m_tabs->setCurrentIndex(tab);
}

int MainWindow::currentPage() const
{
    return m_soklap->currentIndex();
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
    if (settleUnsavedChanges(LeaveTo::Quit))
        event->accept();
    else
        event->ignore();
}
