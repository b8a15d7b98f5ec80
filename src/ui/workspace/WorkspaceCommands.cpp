#include "ui/workspace/WorkspaceCommands.h"

#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>

namespace {

// A glyph from the desktop's icon theme, or a small drawn one where the
// theme has none (a bare system, or the offscreen platform). Themes differ
// in the names they carry (Adwaita has no document-import, for one): the
// first name the theme knows wins.
QIcon toolIcon(const QStringList& themeNames, const QString& glyph)
{
    for (const QString& name : themeNames) {
        const QIcon themed = QIcon::fromTheme(name);
        if (!themed.isNull())
            return themed;
    }
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

QIcon toolIcon(const QString& themeName, const QString& glyph)
{
    return toolIcon(QStringList{themeName}, glyph);
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

} // namespace

WorkspaceCommands::WorkspaceCommands(QObject* parent) : QObject(parent)
{
    newDatabase = makeAction(this, QStringLiteral("menu0_uj"), QStringLiteral("Új adatbázis létrehozása..."),
                             QKeySequence(Qt::CTRL | Qt::Key_N));
    newDatabase->setToolTip(QStringLiteral("Új adatbázis létrehozása"));
    newDatabase->setIcon(toolIcon(QStringLiteral("document-new"), QStringLiteral("Ú")));

    openDatabase = makeAction(this, QStringLiteral("menu0_open"), QStringLiteral("Adatbázis betöltése..."));
    openDatabase->setToolTip(QStringLiteral("Adatbázis betöltése"));
    openDatabase->setIcon(toolIcon(QStringLiteral("document-open"), QStringLiteral("A")));

    saveDatabase = makeAction(this, QStringLiteral("menu0_save"), QStringLiteral("Adatbázis mentése"));
    saveDatabase->setToolTip(QStringLiteral("Adatbázis mentése"));
    saveDatabase->setIcon(toolIcon(QStringLiteral("document-save"), QStringLiteral("M")));

    saveDatabaseAs =
        makeAction(this, QStringLiteral("menu0_saveas"), QStringLiteral("Adatbázis mentése másként..."));
    exportDatabase = makeAction(this, QStringLiteral("menu0_export"), QStringLiteral("Exportálás..."));
    exportDatabase->setStatusTip(
        QStringLiteral("A megnyitott adatbázis mentése BibTeX, RIS vagy CSV formában"));

    loadSource = makeAction(this, QStringLiteral("Forrsadatokbetltse1"),
                            QStringLiteral("Forrásadatok betöltése..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    loadSource->setToolTip(QStringLiteral("Forrásadatok betöltése"));
    loadSource->setIcon(toolIcon(
        QStringList{QStringLiteral("document-import"), QStringLiteral("insert-text")}, QStringLiteral("F")));

    loadSubjects =
        makeAction(this, QStringLiteral("rgykrfjlbetltse1"), QStringLiteral("Tárgykörök betöltése..."));

    settingsCommand = makeAction(this, QStringLiteral("Belltsok1"), QStringLiteral("Beállítások..."));

    leave = makeAction(this, QStringLiteral("Kilps1"), QStringLiteral("Kilépés"));

    dataEntry = makeAction(this, QStringLiteral("Adatrgzts1"), QStringLiteral("Adatrögzítés"));
    dataEntry->setData(0);

    browsePageCommand = makeAction(this, QStringLiteral("allzs1"), QStringLiteral("Tallózás"));
    browsePageCommand->setData(int(MainWindow::BrowsePageIndex));

    searchCommand = makeAction(this, QStringLiteral("Keress1"), QStringLiteral("Keresés"));
    duplicatesCommand =
        makeAction(this, QStringLiteral("Duplikatumok1"), QStringLiteral("Duplikátumok keresése"));
#ifdef NORLA_HAVE_SPELLING
    spellingCommand =
        makeAction(this, QStringLiteral("Helyesrsellenrzs1"), QStringLiteral("Helyesírás-ellenőrzés..."));
#endif

    convertCommand = makeAction(this, QStringLiteral("Konvertls1"), QStringLiteral("Konvertálás"));
    convertCommand->setData(int(MainWindow::ConvertPage));

    indexCommand = makeAction(this, QStringLiteral("Indexels1"), QStringLiteral("Indexelés"));

    // Off until there is a change to take back or to make again. A focused
    // field with typing of its own to undo takes these keys first.
    undoChange = makeAction(this, QStringLiteral("menu6_visszavonas"), QStringLiteral("Visszavonás"),
                            QKeySequence(Qt::CTRL | Qt::Key_Z));
    undoChange->setToolTip(QStringLiteral("Az adatbázis utolsó módosításának visszavonása (Ctrl+Z)"));
    undoChange->setIcon(toolIcon(QStringLiteral("edit-undo"), QStringLiteral("↶")));
    undoChange->setEnabled(false);
    redoChange = makeAction(this, QStringLiteral("menu6_megis"), QStringLiteral("Mégis"));
    redoChange->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redoChange->setToolTip(QStringLiteral("A visszavont módosítás ismételt végrehajtása (Ctrl+Y)"));
    redoChange->setIcon(toolIcon(QStringLiteral("edit-redo"), QStringLiteral("↷")));
    redoChange->setEnabled(false);

    exchange = makeAction(this, QStringLiteral("menu6_csere"),
                          QStringLiteral("Kijelőlt adatmezők tartalmának cseréje"));
    exchange->setToolTip(QStringLiteral("Adatmezők cseréje"));
    exchange->setIcon(toolIcon(QStringLiteral("view-refresh"), QStringLiteral("⇅")));

    clear =
        makeAction(this, QStringLiteral("menu6_urites"), QStringLiteral("Adatmezők törlése, mentés nélkül"));
    clear->setToolTip(QStringLiteral("Adatmezők törlése, mentés nélkül"));
    clear->setIcon(toolIcon(QStringLiteral("edit-clear"), QStringLiteral("Ü")));

    saveRecord = makeAction(this, QStringLiteral("menu3_mentes"), QStringLiteral("Aktuális rekord mentése"),
                            QKeySequence(Qt::Key_F2));
    saveRecord->setToolTip(QStringLiteral("Rekord mentése (F2)"));
    saveRecord->setIcon(toolIcon(QStringLiteral("document-save-as"), QStringLiteral("R")));

    deleteRecord = makeAction(this, QStringLiteral("menu3_torles"), QStringLiteral("Rekord törlése"),
                              QKeySequence(Qt::CTRL | Qt::Key_D));
    deleteRecord->setToolTip(QStringLiteral("Rekord törlése"));
    deleteRecord->setIcon(toolIcon(QStringLiteral("edit-delete"), QStringLiteral("✕")));

    // The two mode commands: exactly one of them is shown pressed.
    modeGroup = new QActionGroup(this);
    modeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    browseMode = makeAction(this, QStringLiteral("menu3_tallozas"), QStringLiteral("Tallózás a rekordokban"));
    browseMode->setToolTip(QStringLiteral("Tallózás a rekordokban"));
    browseMode->setIcon(
        toolIcon(QStringList{QStringLiteral("view-list-details"), QStringLiteral("x-office-address-book")},
                 QStringLiteral("T")));
    newRecordsMode =
        makeAction(this, QStringLiteral("menu3_felvitel"), QStringLiteral("Új rekordok felvitele"));
    newRecordsMode->setToolTip(QStringLiteral("Új rekordok felvitele"));
    newRecordsMode->setIcon(toolIcon(QStringLiteral("list-add"), QStringLiteral("+")));
    for (QAction* action : {browseMode, newRecordsMode}) {
        action->setCheckable(true);
        modeGroup->addAction(action);
    }
    browseMode->setData(0);
    newRecordsMode->setData(1);

    findRecord = makeAction(this, QStringLiteral("menu3_kereses"), QStringLiteral("Rekord keresése..."),
                            QKeySequence(Qt::CTRL | Qt::Key_F));

    about = makeAction(this, QStringLiteral("Nvjegy1"), QStringLiteral("Névjegy..."));

    manual =
        makeAction(this, QStringLiteral("Kezikonyv1"), QStringLiteral("Kézikönyv"), QKeySequence(Qt::Key_F1));

    const std::array<std::pair<const char*, const char16_t*>, 4> navigationIcons = {
        {{"go-first", u"|◀"}, {"go-previous", u"◀"}, {"go-next", u"▶"}, {"go-last", u"▶|"}}};
    for (int i = 0; i < int(navigation.size()); ++i) {
        // The buttons are numbered 1 to 4, left to right.
        QAction* action = makeAction(this, QStringLiteral("gnyil%1_action").arg(i + 1), QString());
        action->setIcon(toolIcon(QString::fromLatin1(navigationIcons[i].first),
                                 QString::fromUtf16(navigationIcons[i].second)));
        action->setData(i + 1);
        navigation[i] = action;
    }

    monitor = makeAction(this, QStringLiteral("sb_monitor_action"), QString());
    monitor->setIcon(toolIcon(QStringLiteral("text-x-generic"), QStringLiteral("≡")));

    characterMap = makeAction(this, QStringLiteral("SpeedButton1_action"), QString());
    characterMap->setToolTip(QStringLiteral("Karaktertábla megnyítása"));
    characterMap->setIcon(toolIcon(QStringLiteral("accessories-character-map"), QStringLiteral("Ω")));

    // The captions before a record names the roles and the publication's kind.
    static constexpr std::array<const char16_t*, ExtractionFields.size()> extractionCaptions = {
        u"Szerző",   u"Szerkesztő", u"Fordító",   u"Bevezetést írta",  u"Cím",       u"Kiadvány", u"Kiadó",
        u"Évfolyam", u"Év",         u"Oldalszám", u"Megjelenés helye", u"Megjegyzés"};
    for (int i = 0; i < int(ExtractionFields.size()); ++i) {
        const QString caption = QString::fromUtf16(extractionCaptions[size_t(i)]);
        for (Extraction kind : {Extraction::Insert, Extraction::Append}) {
            const int menu = int(kind);
            QAction* action = makeAction(this, QStringLiteral("menu%1_%2").arg(menu).arg(i + 1), caption);
            // Scripts know the entries by these numbers: 101-112 insert, 201-212 append.
            action->setData(menu * 100 + i + 1);
            (kind == Extraction::Insert ? insertEntries : appendEntries)[size_t(i)] = action;
        }
    }
}

QAction* WorkspaceCommands::extractionEntry(Extraction kind, Field field) const
{
    const auto& entries = kind == Extraction::Insert ? insertEntries : appendEntries;
    for (size_t i = 0; i < ExtractionFields.size(); ++i)
        if (ExtractionFields[i] == field)
            return entries[i];
    return nullptr;
}

void WorkspaceCommands::buildMenus(QMenuBar* bar)
{

    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [bar](const QString& title, const QString& name) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name + QStringLiteral("_action"));
        return menu;
    };

    fileMenu = addMenu(QStringLiteral("Fájl"), QStringLiteral("menu0"));
    fileMenu->addActions({newDatabase, openDatabase, saveDatabase, saveDatabaseAs, exportDatabase});
    fileMenu->addSeparator();
    fileMenu->addActions({loadSource, loadSubjects});
    fileMenu->addSeparator();
    fileMenu->addAction(settingsCommand);
    fileMenu->addSeparator();
    fileMenu->addAction(leave);

    operationsMenu = addMenu(QStringLiteral("Műveletek"), QStringLiteral("Mveletek1"));
    operationsMenu->addActions(
        {dataEntry, browsePageCommand, searchCommand, duplicatesCommand, convertCommand, indexCommand});
    if (spellingCommand)
        operationsMenu->addAction(spellingCommand);

    editMenu = addMenu(QStringLiteral("Szerkesztés"), QStringLiteral("menu6"));
    editMenu->addActions({undoChange, redoChange});
    editMenu->addSeparator();
    editMenu->addActions({exchange, clear});

    insertMenu = addMenu(QStringLiteral("Beszúrás"), QStringLiteral("menu1"));
    appendMenu = addMenu(QStringLiteral("Hozzáfűzés"), QStringLiteral("menu2"));
    insertMenu->addActions({insertEntries.begin(), insertEntries.end()});
    appendMenu->addActions({appendEntries.begin(), appendEntries.end()});

    recordsMenu = addMenu(QStringLiteral("Rekordok"), QStringLiteral("menu3"));
    recordsMenu->addActions({saveRecord, deleteRecord});
    recordsMenu->addSeparator();
    recordsMenu->addActions({browseMode, newRecordsMode});
    recordsMenu->addSeparator();
    recordsMenu->addAction(findRecord);

    subjectMenu = addMenu(QStringLiteral("Tárgykörök"), QStringLiteral("menu4_0"));

    helpMenu = addMenu(QStringLiteral("Súgó"), QStringLiteral("Sg1"));
    helpMenu->addActions({manual, about});
}

QToolBar* WorkspaceCommands::buildToolBar(QWidget* parent, QWidget* recordNameList)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(20, 20));
    auto addButton = [bar](QAction* action, const QString& name) {
        bar->addAction(action);
        bar->widgetForAction(action)->setObjectName(name);
    };
    addButton(newDatabase, QStringLiteral("sb_uj"));
    addButton(loadSource, QStringLiteral("sb_forras"));
    addButton(openDatabase, QStringLiteral("sb_adatbe"));
    addButton(saveDatabase, QStringLiteral("sb_save"));
    bar->addSeparator();
    addButton(browseMode, QStringLiteral("sb_tallozas"));
    addButton(newRecordsMode, QStringLiteral("sb_felvitel"));
    bar->addSeparator();
    for (int kind = 1; kind <= 4; ++kind)
        addButton(navigation[kind - 1], QStringLiteral("gnyil%1").arg(kind));
    bar->addSeparator();
    addButton(deleteRecord, QStringLiteral("sb_torol"));
    bar->addSeparator();
    addButton(saveRecord, QStringLiteral("sb_ment"));
    bar->addSeparator();
    addButton(exchange, QStringLiteral("sb_csere"));
    addButton(clear, QStringLiteral("sb_alapba"));
    bar->addSeparator();
    addButton(undoChange, QStringLiteral("sb_visszavonas"));
    addButton(redoChange, QStringLiteral("sb_megis"));
    bar->addSeparator();

    bar->addWidget(recordNameList);
    bar->addSeparator();
    addButton(monitor, QStringLiteral("sb_monitor"));
    bar->addSeparator();
    addButton(characterMap, QStringLiteral("SpeedButton1"));

    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return bar;
}
