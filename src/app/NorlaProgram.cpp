#include "app/NorlaProgram.h"

#include "ui/about/AboutBox.h"
#include "ui/about/LoadingWindow.h"
#include "ui/common/WheelGuard.h"
#include "ui/common/WholeTextTips.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/MainWindow.h"

#ifdef NORLA_HAVE_SPELLING
#include "core/record/RecordSchema.h"
#include "ui/spelling/SpellingFields.h"
#include "ui/spelling/SpellingReportDialog.h"
#include "ui/spelling/SpellingService.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#endif

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt's own texts (the buttons of every question, the file dialogs, the
// context menus of the fields) in Hungarian, like the rest of the program.
void installHungarianQtTexts()
{
    if (qApp->findChild<QTranslator*>(QStringLiteral("qtbase_hu"), Qt::FindDirectChildrenOnly))
        return;
    auto* translator = new QTranslator(qApp);
    translator->setObjectName(QStringLiteral("qtbase_hu"));
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
    m_settings->setSettingsSource([main = m_main.get()] {
        return SettingsDialog::Current{main->settings(), main->sourceEditable()};
    });
    m_about = new AboutBox(m_main.get());
    m_search = new SearchDialog(m_main.get());
    m_index = new IndexDialog(m_main.get());
    m_main->setCompanions({m_loading, m_settings, m_about, m_search, m_index});
    wireProofreading();
}

// The free-text fields of the data-entry page are proofread as they are
// typed, in the shown record's language; "Műveletek" > "Helyesírás-
// ellenőrzés..." opens the report over the whole document, whose jumps and
// replacements the main window follows.
void NorlaProgram::wireProofreading()
{
#ifdef NORLA_HAVE_SPELLING
    MainWindow* main = m_main.get();
    m_spelling = new SpellingService(main->startDir(), main);
    const auto edit = [main](Field field) {
        return main->findChild<QLineEdit*>(
            QStringLiteral("Edit%1").arg(RecordSchema::entry(field).editNumber));
    };
    auto* language = main->findChild<QComboBox*>(QStringLiteral("cb_nyelv"));
    auto* fields = new SpellingFields(
        *m_spelling, {edit(Field::Subject), edit(Field::Title), edit(Field::Publication), edit(Field::Note)},
        language, edit(Field::Year), main);
    // A language that nyelv.zda lacks leaves the list without a choice; the
    // session still knows it, and such a record is not read as Hungarian.
    fields->setLanguageSource([main, language] {
        return language->currentIndex() >= 0 ? language->currentText() : main->session().keptLanguage();
    });
    auto* command = main->findChild<QAction*>(QStringLiteral("Helyesrsellenrzs1"));
    QObject::connect(command, &QAction::triggered, main, [this, main] {
        if (!m_spellingReport) {
            m_spellingReport = new SpellingReportDialog(main->session(), *m_spelling, main);
            QObject::connect(m_spellingReport, &SpellingReportDialog::showRecordRequested, main,
                             &MainWindow::goToRecord);
            QObject::connect(m_spellingReport, &SpellingReportDialog::recordsReplaced, main,
                             &MainWindow::followReplacedRecords);
        }
        m_spellingReport->show();
        m_spellingReport->raise();
        m_spellingReport->runCheck();
    });
#endif
}

NorlaProgram::~NorlaProgram() = default;
