#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringView>

// The cells of the CSV files the program writes for spreadsheets: every
// export, the overview's counts and the check report.
namespace CsvText {

// Whether a file starts with the UTF-8 byte-order mark. Spreadsheets read a
// file without it in the system's code page and garble the accents, so the
// mark is written unless a program that reads the file asks otherwise.
enum class Mark
{
    ByteOrderMark,
    None,
};

inline QByteArray byteOrderMark()
{
    return QByteArrayLiteral("\xEF\xBB\xBF");
}
inline QByteArray startOfFile(Mark mark)
{
    return mark == Mark::ByteOrderMark ? byteOrderMark() : QByteArray();
}
// Whether a spreadsheet would take the cell for a formula: it starts with
// "=", "+", "-", "@", a tab or a carriage return. A plain number ("-12",
// "+3,5") is a number, not a formula, and stays as it is.
bool readsAsFormula(QStringView cell);

// Appends a cell: one that would read as a formula gets a leading
// apostrophe, which spreadsheets show as text and do not evaluate; then
// the cell is quoted (quotes doubled) when it holds the separator, a quote
// or a line break.
void appendCell(QString& out, QStringView cell, QChar separator);
QString cell(QStringView text, QChar separator);

} // namespace CsvText
