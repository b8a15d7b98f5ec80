#include "shell/NorlaProgram.h"

#include "index/IndexDialog.h"
#include "search/SearchDialog.h"
#include "shell/AboutBox.h"
#include "shell/LoadingWindow.h"
#include "shell/SettingsDialog.h"
#include "shell/WheelGuard.h"
#include "workspace/MainWindow.h"

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
