#pragma once

#include <array>

// Which commands and controls of the data-entry page are enabled in each
// phase of the workspace. The table is the single source of these states: the
// main window applies one column of it and sets nothing else by hand, except
// the states that follow a rule of their own (save, navigation, exchange).
namespace WorkspaceStates {

enum class Group
{
    AlwaysOnMenus,     // "Fájl", "Műveletek", "Súgó"
    RecordMenus,       // "Szerkesztés", "Beszúrás", "Hozzáfűzés", "Rekordok"
    SubjectMenu,       // "Tárgykörök" (enabled once built)
    FileCommands,      // new, open, load source, load subjects, settings, leave
    DatabaseSave,      // sb_save / "Adatbázis mentése"; then follows the modified state
    DatabaseSaveAs,    // "Adatbázis mentése másként..."
    BrowseCommands,    // sb_tallozas / "Tallózás a rekordokban"
    NewRecordCommands, // sb_felvitel / "Új rekordok felvitele"
    DataEntryCommand,  // "Műveletek" > "Adatrögzítés"
    Navigation,        // gnyil1 … gnyil4; in Browse they follow the position
    RecordNameList,    // cb_rekordok0
    DeleteCommand,     // sb_torol / "Rekord törlése"
    SaveCommand,       // sb_ment / "Aktuális rekord mentése"; then the savable rule
    ExchangeCommand,   // sb_csere; then the field selection
    ClearCommand,      // sb_alapba
    FindRecord,        // "Rekord keresése...": never available
    Tools,             // sb_monitor, SpeedButton1
    RecordControls,    // Edit1 … Edit14, role/type/language/suffix lists, keep boxes, field labels
    ChoiceGroups,      // rg_kotet, rg_adathordozo
    Translation,       // cb_forditas
    FreeControls,      // edit_link, "Link:", "Rekord típusa:", drop boxes, source window
    Count
};

enum Column
{
    StartUp,
    DatabaseOpen,
    Browse,
    NewRecords,
    ColumnCount
};

enum class Cell : unsigned char
{
    Same, // left as the column before left it
    On,
    Off,
    WhenRecords, // on while the record-name list has items
};

struct Row
{
    Group group;
    std::array<Cell, ColumnCount> cells;
};

using enum Cell;
// clang-format off
inline constexpr Row Table[] = {
    //                           StartUp  DatabaseOpen  Browse        NewRecords
    {Group::AlwaysOnMenus,     {On,      Same,         Same,         Same}},
    {Group::RecordMenus,       {Off,     On,           Same,         Same}},
    {Group::SubjectMenu,       {Off,     Same,         Same,         Same}},
    {Group::FileCommands,      {On,      On,           Same,         Same}},
    {Group::DatabaseSave,      {Off,     Off,          Same,         Same}},
    {Group::DatabaseSaveAs,    {Off,     On,           Same,         Same}},
    {Group::BrowseCommands,    {Off,     Same,         On,           WhenRecords}},
    {Group::NewRecordCommands, {Off,     Same,         On,           On}},
    {Group::DataEntryCommand,  {On,      Same,         Same,         Same}},
    {Group::Navigation,        {Off,     Same,         Same,         Off}},
    {Group::RecordNameList,    {On,      Same,         On,           Off}},
    // Deleting needs a record to delete: an empty database offers none.
    {Group::DeleteCommand,     {Off,     Same,         WhenRecords,  Off}},
    {Group::SaveCommand,       {Off,     Off,          Off,          Off}},
    {Group::ExchangeCommand,   {Off,     Same,         Off,          Same}},
    {Group::ClearCommand,      {Off,     Same,         Off,          On}},
    {Group::FindRecord,        {Off,     Same,         Same,         Same}},
    {Group::Tools,             {On,      Same,         Same,         Same}},
    {Group::RecordControls,    {Off,     On,           Same,         Same}},
    {Group::ChoiceGroups,      {Off,     On,           Off,          On}},
    {Group::Translation,       {Off,     On,           On,           On}},
    {Group::FreeControls,      {On,      Same,         Same,         Same}},
};
// clang-format on

// A database opened for reading only (another process holds it) offers none
// of the commands that write it or fill the form for a save, whatever the
// column or the group's own rule would say; saving it under another name stays.
inline constexpr Group ReadOnlyOff[] = {Group::DatabaseSave,    Group::DeleteCommand,
                                        Group::SaveCommand,     Group::NewRecordCommands,
                                        Group::ExchangeCommand, Group::ClearCommand};

// The groups that hold the form's fields: read only, their edits stay
// readable and selectable but take no typing, and the lists, boxes and
// choices that would change a field are off.
inline constexpr Group FieldGroups[] = {Group::RecordControls, Group::ChoiceGroups, Group::Translation,
                                        Group::FreeControls};

constexpr bool isFieldGroup(Group group)
{
    for (const Group field : FieldGroups)
        if (field == group)
            return true;
    return false;
}

constexpr bool isOffWhenReadOnly(Group group)
{
    for (const Group off : ReadOnlyOff)
        if (off == group)
            return true;
    return false;
}

} // namespace WorkspaceStates
