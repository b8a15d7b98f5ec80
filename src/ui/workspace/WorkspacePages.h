#pragma once

class QPlainTextEdit;
class QTableWidget;
class QWidget;

// The two pages of the main window that hold a single control.
namespace WorkspacePages {

// "lap_racs" with the field grid "racs0": the decoded view of the shown
// record, kept for scripts; never shown itself.
QWidget* createFieldGridPage(QTableWidget*& grid);
// "lap_forras" with "re_forras": the open database line by line, read-only,
// since what is typed there would reach no record.
QWidget* createRawDatabasePage(QPlainTextEdit*& view);

} // namespace WorkspacePages
