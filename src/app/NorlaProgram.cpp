#include "app/NorlaProgram.h"

#include "ui/index/IndexDialog.h"
#include "ui/search/SearchDialog.h"
#include "ui/about/AboutBox.h"
#include "ui/about/LoadingWindow.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/common/WheelGuard.h"
#include "ui/workspace/MainWindow.h"

NorlaProgram::NorlaProgram()
{
    // Before any window exists, so the guard sees every control polished.
    WheelGuard::install();
    m_main = std::make_unique<TForm1>();
    m_loading = new Tbetoltform(m_main.get());
    m_settings = new Tconfigform(m_main.get());
    m_settings->setMainWindow(m_main.get());
    m_about = new Tnevjform(m_main.get());
    m_search = new Tkeresform(m_main.get());
    m_index = new Tindexform(m_main.get());
    m_main->setCompanions({m_loading, m_settings, m_about, m_search, m_index});
}

NorlaProgram::~NorlaProgram() = default;
