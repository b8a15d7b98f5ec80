#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The user-editable list files beside the program (WorkFolder::RecordTypesFile,
// RolesFile, LanguagesFile): one entry per line, 8-bit text, no byte-order-mark
// handling. Every reader of these lists comes here, so the editor's lists
// and the search's role names always agree on what a file holds.
namespace LookupList {

// The entries as the file stores them (Windows-1250), for readers that stay
// in 8-bit text. Throws NorlaError "Cannot open file" when the file cannot
// be read.
QList<QByteArray> read8Bit(const QString& path);
// The entries as text. Throws NorlaError "Cannot open file".
QStringList read(const QString& path);
// An unreadable or missing file gives an empty list.
QStringList readOrEmpty(const QString& path);

} // namespace LookupList
