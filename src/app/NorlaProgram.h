#pragma once

#include <memory>

class TForm1;
class Tbetoltform;
class Tconfigform;
class Tnevjform;
class Tkeresform;
class Tindexform;

// The program's windows, created in their fixed order: the main window first
// (its constructor is the create handler), then the loading window, the
// settings dialog, the about box, the search dialog and the indexing dialog.
class NorlaProgram final
{
public:
    NorlaProgram();
    ~NorlaProgram();
    NorlaProgram(const NorlaProgram&) = delete;
    NorlaProgram& operator=(const NorlaProgram&) = delete;

    TForm1& mainWindow() const { return *m_main; }
    Tbetoltform& loadingWindow() const { return *m_loading; }
    Tconfigform& settingsDialog() const { return *m_settings; }
    Tnevjform& aboutBox() const { return *m_about; }
    Tkeresform& searchDialog() const { return *m_search; }
    Tindexform& indexDialog() const { return *m_index; }

private:
    std::unique_ptr<TForm1> m_main;
    // The dialogs are children of the main window, which deletes them.
    Tbetoltform* m_loading = nullptr;
    Tconfigform* m_settings = nullptr;
    Tnevjform* m_about = nullptr;
    Tkeresform* m_search = nullptr;
    Tindexform* m_index = nullptr;
};
