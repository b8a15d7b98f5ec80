#pragma once

#include <QString>
#include <QStringList>

// The user-editable list files beside the program (WorkFolder::RecordTypesFile,
// RolesFile, LanguagesFile): one entry per line, 8-bit text, no byte-order-mark
// handling.
namespace LookupList {

// Throws NorlaError "Cannot open file" when the file cannot be read.
QStringList read(const QString& path);
// An unreadable or missing file gives an empty list.
QStringList readOrEmpty(const QString& path);

} // namespace LookupList
