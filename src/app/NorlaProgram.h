#pragma once

#include <memory>

class CheckFeatures;
class MainWindow;
class LoadingWindow;
class SettingsDialog;
class AboutBox;
class SearchDialog;
class IndexDialog;

// The program's windows, created in their fixed order: the main window first,
// then the loading window, the settings dialog, the about box, the search
// dialog and the indexing dialog; and the wiring between them.
class NorlaProgram final
{
public:
    NorlaProgram();
    ~NorlaProgram();
    NorlaProgram(const NorlaProgram&) = delete;
    NorlaProgram& operator=(const NorlaProgram&) = delete;

    MainWindow& mainWindow() const { return *m_main; }
    LoadingWindow& loadingWindow() const { return *m_loading; }
    SettingsDialog& settingsDialog() const { return *m_settings; }
    AboutBox& aboutBox() const { return *m_about; }
    SearchDialog& searchDialog() const { return *m_search; }
    IndexDialog& indexDialog() const { return *m_index; }
    CheckFeatures& checkFeatures() const { return *m_check; }

private:
    std::unique_ptr<MainWindow> m_main;
    // The dialogs are children of the main window, which deletes them.
    LoadingWindow* m_loading = nullptr;
    SettingsDialog* m_settings = nullptr;
    AboutBox* m_about = nullptr;
    SearchDialog* m_search = nullptr;
    IndexDialog* m_index = nullptr;
    CheckFeatures* m_check = nullptr; // completion, checks, variants, replace
};
