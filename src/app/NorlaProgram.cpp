#include "app/NorlaProgram.h"

#include "app/CheckFeatures.h"
#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/search/SearchEngine.h"
#include "ui/about/AboutBox.h"
#include "ui/about/LoadingWindow.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/common/WheelGuard.h"
#include "ui/common/WholeTextTips.h"
#include "ui/index/IndexDialog.h"
#include "ui/overview/OverviewPage.h"
#include "ui/publish/PublishDialog.h"
#include "ui/search/BrowsePage.h"
#include "ui/search/DuplicatesDialog.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RecordEditor.h"
#include "ui/workspace/WorkspaceCommands.h"

#ifdef NORLA_HAVE_SPELLING
#include "ui/spelling/SpellingFields.h"
#include "ui/spelling/SpellingReportDialog.h"
#include "ui/spelling/SpellingService.h"

#include <QComboBox>
#include <QLineEdit>
#endif

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QTranslator>

namespace {

// Qt's own texts (the buttons of every question, the file dialogs, the
// context menus of the fields) in Hungarian, like the rest of the program.
void installHungarianQtTexts()
{
    if (qApp->findChild<QTranslator*>(QStringLiteral("qtbase_hu"), Qt::FindDirectChildrenOnly))
        return;
    auto* translator = named(new QTranslator(qApp), QStringLiteral("qtbase_hu"));
    if (translator->load(QLocale(QLocale::Hungarian, QLocale::Hungary), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

// Without a desktop session there is no icon theme, and the tool bar would
// fall back to drawn letters; the freedesktop icons of Adwaita stand in.
void useIconThemeFallback()
{
    // Some platforms (the offscreen one among them) look only in the
    // program's resources; the freedesktop folders are added.
    QStringList paths = QIcon::themeSearchPaths();
    const QString dataDirs =
        qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString& dir : dataDirs.split(u':', Qt::SkipEmptyParts))
        if (!paths.contains(dir + QStringLiteral("/icons")))
            paths.append(dir + QStringLiteral("/icons"));
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == u"hicolor")
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    else
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

// What "Bibliográfia kiadása" can publish: the open database as it is now
// (unsaved edits included), the index set and the last search.
PublishDialog::Sources publishSources(const MainWindow& main)
{
    PublishDialog::Sources sources;
    if (main.mode() != EditingSession::Mode::AwaitingDatabase) {
        sources.database = main.document().snapshot();
        sources.databaseName = main.document().path();
    }
    if (const auto& search = main.hitsPage()->lastSearch())
        sources.lastSearch = PublishDialog::Sources::Search{search->criteria, search->roles};
    sources.startDir = main.startDir();
    sources.subjectTreePath = main.settings().subjectTreePath;
    return sources;
}

} // namespace

NorlaProgram::NorlaProgram()
{
    installHungarianQtTexts();
    useIconThemeFallback();
    // Before any window exists, so the guard sees every control polished.
    WheelGuard::install();
    WholeTextTips::install();
    m_main = std::make_unique<MainWindow>();
    m_loading = new LoadingWindow(m_main.get());
    m_settings = new SettingsDialog(m_main.get());
    m_about = new AboutBox(m_main.get());
    m_search = new SearchDialog(m_main.get());
    m_index = new IndexDialog(m_main.get());
    m_publish = new PublishDialog(m_main.get());
    connectMainWindow();
    connectSettings();
    connectDatabaseLoading();
    connectSearch();
    addOverview();
    connectPublishing();
    connectProofreading();
    m_check = new CheckFeatures(*m_main);
}

NorlaProgram::~NorlaProgram() = default;

// The menu entries that open another window.
void NorlaProgram::connectMainWindow()
{
    MainWindow* main = m_main.get();
    const WorkspaceCommands& commands = main->commands();
    QObject::connect(commands.settingsCommand, &QAction::triggered, m_settings,
                     [this] { m_settings->openOnPage(SettingsDialog::DataFieldsPage); });
    QObject::connect(&main->editor(), &RecordEditor::subjectTreeSettingsWanted, m_settings,
                     [this] { m_settings->openOnPage(SettingsDialog::SubjectTreePage); });
    QObject::connect(commands.searchCommand, &QAction::triggered, m_search, [this] { m_search->exec(); });
    QObject::connect(commands.duplicatesCommand, &QAction::triggered, main, [this] { openDuplicates(); });
    QObject::connect(commands.indexCommand, &QAction::triggered, main, [this] { runIndexing(); });
    QObject::connect(main->browsePage(), &BrowsePage::indexRequested, commands.indexCommand,
                     &QAction::trigger);
    QObject::connect(commands.about, &QAction::triggered, m_about, [this] { m_about->exec(); });
}

// The settings dialog's choices reach the data fields at once, and the rest
// once they are applied.
void NorlaProgram::connectSettings()
{
    MainWindow* main = m_main.get();
    RecordEditor* editor = &main->editor();
    m_settings->setSettingsSource([main] {
        return SettingsDialog::Current{main->settings(), main->sourceEditable()};
    });
    QObject::connect(m_settings, &SettingsDialog::fontFamilyApplied, editor, [editor](const QString& family) {
        editor->applyFieldFont([&](QFont& font) { font.setFamilies({family}); });
    });
    QObject::connect(m_settings, &SettingsDialog::fontSizeApplied, editor, [editor](int size) {
        editor->applyFieldFont([&](QFont& font) { font.setPointSize(size); });
    });
    QObject::connect(m_settings, &SettingsDialog::settingsApplied, main,
                     [main](const AppSettings& settings, bool sourceEditable) {
                         main->settings() = settings;
                         main->setSourceEditable(sourceEditable);
                     });
}

// The loading window stands over the main window while a database is read;
// its Esc stops the read.
void NorlaProgram::connectDatabaseLoading()
{
    MainWindow* main = m_main.get();
    RecordEditor* editor = &main->editor();
    QObject::connect(editor, &RecordEditor::databaseReadStarted, m_loading, &LoadingWindow::showFor);
    QObject::connect(editor, &RecordEditor::databaseReadEnded, m_loading, [this, main] {
        m_loading->closeWindow();
        // The keyboard goes back to the editor, not to wherever the window
        // system sends it after the loading window.
        if (main->isVisible())
            main->activateWindow();
    });
    QObject::connect(m_loading, &LoadingWindow::cancelRequested, editor, &RecordEditor::cancelDatabaseRead);
}

void NorlaProgram::connectSearch()
{
    MainWindow* main = m_main.get();
    m_search->setHitsPage(main->hitsPage());
    m_search->setStartDir(main->startDir());
    QObject::connect(m_search, &SearchDialog::showHitsRequested, main,
                     [main] { main->showPage(MainWindow::HitsPageIndex); });
}

// "Áttekintés", the page after the four tabs of the others: a bar's click
// runs its search and shows the hits.
void NorlaProgram::addOverview()
{
    MainWindow* main = m_main.get();
    m_overview = new OverviewPage;
    m_overview->setStartDir(main->startDir());
    m_overview->setSubjectTreePath([main] { return main->settings().subjectTreePath; });
    m_overview->setOpenDatabase([main]() -> std::optional<OverviewPage::OpenDatabase> {
        const DatabaseDocument& document = main->editor().session().document();
        if (!document.hasFile())
            return std::nullopt;
        return OverviewPage::OpenDatabase{QFileInfo(document.path()).fileName(), document.snapshot()};
    });
    main->addPage(MainWindow::OverviewPageIndex, m_overview, QStringLiteral("Áttekintés"));
    QObject::connect(m_overview, &OverviewPage::searchRequested, main,
                     [this, main](const SearchCriteria& wanted) {
                         if (m_search->searchFor(wanted))
                             main->showPage(MainWindow::HitsPageIndex);
                     });
}

void NorlaProgram::openDuplicates()
{
    MainWindow* main = m_main.get();
    if (!m_duplicates) {
        m_duplicates = new DuplicatesDialog(main);
        QObject::connect(m_duplicates, &DuplicatesDialog::openRecordRequested, main,
                         [main](const QString& recordName, int chunkNumber) {
                             if (main->browsePage()->openRecord(recordName, chunkNumber))
                                 main->showPage(MainWindow::BrowsePageIndex);
                         });
    }
    m_duplicates->setStartDir(main->startDir());
    QStringList roleNames;
    try {
        for (const QByteArray& role :
             LookupList::read8Bit(QDir(main->startDir()).filePath(WorkFolder::RolesFile)))
            roleNames.append(Win1250::toUnicode(role));
    } catch (const NorlaError&) {
        // Without a role list the role names in the texts stay empty, as in the search.
    }
    m_duplicates->setRoleNames(roleNames);
    m_duplicates->show();
    m_duplicates->raise();
}

// A finished indexing renews the browse list and opens the database it
// wrote, after the unsaved edits of the open one are settled.
void NorlaProgram::runIndexing()
{
    MainWindow* main = m_main.get();
    const QString& startDir = main->startDir();
    m_index->setIndexingFinished(false);
    m_index->setStartDir(startDir);
    m_index->exec();
    if (m_index->indexingFinished()) {
        runGuarded(main, [&] { main->browsePage()->loadBrowseList(startDir, false); });
        const QString database = startDir + u'/' + WorkFolder::DefaultDatabaseFile;
        RecordEditor& editor = main->editor();
        if (QFileInfo(database).isFile()) {
            if (editor.settleUnsavedChanges(RecordEditor::LeaveTo::OtherDatabase))
                editor.loadDatabase(database);
        } else
            UserDialogs::instance().inform(
                main,
                QStringLiteral("Az indexelés elkészült, de a(z) %1 adatbázisfájl nem található, ezért nem "
                               "nyitható meg. A megnyitott adatbázis változatlan maradt.")
                    .arg(QDir::toNativeSeparators(database)));
    }
    main->showPage(MainWindow::EntryPage);
}

// "Fájl" > "Bibliográfia kiadása...", right after the export.
void NorlaProgram::connectPublishing()
{
    MainWindow* main = m_main.get();
    m_publish->setSourceProvider([main] { return publishSources(*main); });
    const WorkspaceCommands& commands = main->commands();
    auto* action = new QAction(QStringLiteral("Bibliográfia kiadása..."), main);
    action->setObjectName(QStringLiteral("menu0_publish"));
    action->setStatusTip(QStringLiteral("A rekordok nyomtatható bibliográfiaként: PDF, ODT vagy HTML, "
                                        "tárgykörök szerint, számozva, névmutatóval"));
    QObject::connect(action, &QAction::triggered, m_publish, &PublishDialog::start);
    const QList<QAction*> actions = commands.fileMenu->actions();
    const qsizetype at = actions.indexOf(commands.exportDatabase);
    commands.fileMenu->insertAction(at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr, action);
}

// The free-text fields of the data-entry page are proofread as they are
// typed, in the shown record's language; "Műveletek" >
// "Helyesírás-ellenőrzés..." opens the report over the whole document, whose
// jumps and replacements the record editor follows.
void NorlaProgram::connectProofreading()
{
#ifdef NORLA_HAVE_SPELLING
    MainWindow* main = m_main.get();
    RecordEditor* editor = &main->editor();
    m_spelling = new SpellingService(main->startDir(), main);
    auto* language = main->findChild<QComboBox*>(QStringLiteral("cb_nyelv"));
    auto* fields = new SpellingFields(*m_spelling,
                                      {editor->fieldEdit(Field::Subject), editor->fieldEdit(Field::Title),
                                       editor->fieldEdit(Field::Publication), editor->fieldEdit(Field::Note)},
                                      language, editor->fieldEdit(Field::Year), main);
    // A language that nyelv.zda lacks leaves the list without a choice; the
    // session still knows it, and such a record is not read as Hungarian.
    fields->setLanguageSource([editor, language] {
        return language->currentIndex() >= 0 ? language->currentText() : editor->session().keptLanguage();
    });
    QObject::connect(main->commands().spellingCommand, &QAction::triggered, main,
                     [this] { openSpellingReport(); });
#endif
}

void NorlaProgram::openSpellingReport()
{
#ifdef NORLA_HAVE_SPELLING
    MainWindow* main = m_main.get();
    RecordEditor* editor = &main->editor();
    if (!m_spellingReport) {
        m_spellingReport = new SpellingReportDialog(editor->session(), *m_spelling, main);
        QObject::connect(m_spellingReport, &SpellingReportDialog::showRecordRequested, editor,
                         &RecordEditor::goToRecord);
        QObject::connect(m_spellingReport, &SpellingReportDialog::recordsReplaced, editor,
                         &RecordEditor::followReplacedRecords);
    }
    m_spellingReport->show();
    m_spellingReport->raise();
    m_spellingReport->runCheck();
#endif
}
