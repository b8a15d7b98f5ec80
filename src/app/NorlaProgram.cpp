#include "app/NorlaProgram.h"

#include "ui/about/AboutBox.h"
#include "ui/about/LoadingWindow.h"
#include "ui/common/WheelGuard.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/MainWindow.h"

NorlaProgram::NorlaProgram()
{
    // Before any window exists, so the guard sees every control polished.
    WheelGuard::install();
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
}

NorlaProgram::~NorlaProgram() = default;
