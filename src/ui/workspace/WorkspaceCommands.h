#pragma once

#include "core/record/RecordSchema.h"

#include <QObject>

#include <array>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// The commands of the main window: one action for each, with its objectName,
// caption, shortcut, hint and icon, shown in its menu and on its tool button,
// so the two are always enabled together. The main window connects them to
// what they do and enables them by its state table.
class WorkspaceCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WorkspaceCommands)

public:
    // The "Beszúrás" and "Hozzáfűzés" menus: replace a field's text or add to it.
    enum class Extraction
    {
        Insert = 1,
        Append = 2
    };
    // The fields of the extraction menus' entries, in menu order.
    static constexpr std::array<Field, 12> ExtractionFields = {
        Field::Creator1, Field::Creator2,    Field::Creator3,  Field::Creator4,
        Field::Title,    Field::Publication, Field::Publisher, Field::VolumeRun,
        Field::Year,     Field::Pages,       Field::Place,     Field::Note};

    explicit WorkspaceCommands(QObject* parent);

    // The entry of `field` in the menu of `kind`; null for a field no entry fills.
    QAction* extractionEntry(Extraction kind, Field field) const;

    // The menu bar's menus in their order ("Fájl" … "Súgó").
    void buildMenus(QMenuBar* bar);
    // The tool bar of the data-entry page, with the record-name list in its place.
    QToolBar* buildToolBar(QWidget* parent, QWidget* recordNameList);

    QAction* newDatabase = nullptr;
    QAction* openDatabase = nullptr;
    QAction* saveDatabase = nullptr;
    QAction* saveDatabaseAs = nullptr;
    QAction* exportDatabase = nullptr;
    QAction* loadSource = nullptr;
    QAction* loadSubjects = nullptr;
    QAction* settingsCommand = nullptr;
    QAction* leave = nullptr;
    QAction* dataEntry = nullptr;
    QAction* browsePageCommand = nullptr;
    QAction* searchCommand = nullptr;
    QAction* duplicatesCommand = nullptr;
    QAction* spellingCommand = nullptr; // null in a build without proofreading
    QAction* convertCommand = nullptr;
    QAction* indexCommand = nullptr;
    QAction* undoChange = nullptr; // "Visszavonás": the last change of the document
    QAction* redoChange = nullptr; // "Mégis": the change undone last
    QAction* exchange = nullptr;
    QAction* clear = nullptr;
    QAction* saveRecord = nullptr;
    QAction* deleteRecord = nullptr;
    QAction* browseMode = nullptr;
    QAction* newRecordsMode = nullptr;
    QActionGroup* modeGroup = nullptr;
    QAction* findRecord = nullptr;
    QAction* about = nullptr;
    QAction* manual = nullptr; // "Súgó" > "Kézikönyv" (F1)
    std::array<QAction*, 4> navigation{};
    QAction* monitor = nullptr;
    QAction* characterMap = nullptr;
    std::array<QAction*, ExtractionFields.size()> insertEntries{}; // menu1_1 … menu1_12
    std::array<QAction*, ExtractionFields.size()> appendEntries{}; // menu2_1 … menu2_12

    QMenu* fileMenu = nullptr;
    QMenu* operationsMenu = nullptr;
    QMenu* editMenu = nullptr;
    QMenu* insertMenu = nullptr;
    QMenu* appendMenu = nullptr;
    QMenu* recordsMenu = nullptr;
    QMenu* subjectMenu = nullptr; // menu4_0
    QMenu* helpMenu = nullptr;
};
