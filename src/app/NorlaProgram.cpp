#include "app/NorlaProgram.h"

#include "app/CheckFeatures.h"
#include "ui/about/AboutBox.h"
#include "ui/about/LoadingWindow.h"
#include "ui/common/WheelGuard.h"
#include "ui/common/WholeTextTips.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/MainWindow.h"

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
    m_check = new CheckFeatures(*m_main);
}

NorlaProgram::~NorlaProgram() = default;
