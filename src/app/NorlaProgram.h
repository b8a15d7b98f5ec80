#pragma once

#include <memory>

class AboutBox;
class CheckFeatures;
class DuplicatesDialog;
class IndexDialog;
class LoadingWindow;
class MainWindow;
class OverviewPage;
class PublishDialog;
class SearchDialog;
class SettingsDialog;
class SpellingReportDialog;
class SpellingService;

// The program's windows, created in their fixed order: the main window first,
// then the loading window, the settings dialog, the about box, the search
// dialog and the indexing dialog (the duplicates window when first asked
// for); and all the wiring between them. A window reached from a menu entry
// is connected here to the entry's action, so a new window is a new member,
// its creation and one connect.
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
    PublishDialog& publishDialog() const { return *m_publish; }

private:
    void connectMainWindow();
    void connectSettings();
    void connectDatabaseLoading();
    void connectSearch();
    void addOverview();
    void connectPublishing();
    void openDuplicates();
    void runIndexing();
    void connectProofreading();
    void openSpellingReport();

    std::unique_ptr<MainWindow> m_main;
    // The dialogs are children of the main window, which deletes them.
    LoadingWindow* m_loading = nullptr;
    SettingsDialog* m_settings = nullptr;
    AboutBox* m_about = nullptr;
    SearchDialog* m_search = nullptr;
    IndexDialog* m_index = nullptr;
    DuplicatesDialog* m_duplicates = nullptr;
    OverviewPage* m_overview = nullptr;
    PublishDialog* m_publish = nullptr;
    // Proofreading (null in a build without it): children of the main window.
    SpellingService* m_spelling = nullptr;
    SpellingReportDialog* m_spellingReport = nullptr;
    // Completion, the checks at F2, name variants and batch replace.
    CheckFeatures* m_check = nullptr;
};
