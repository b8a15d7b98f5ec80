#pragma once

#include <QString>
#include <QStringList>

// The user-editable list files beside the program (tipus.zda, szerep.zda,
// nyelv.zda): one entry per line, 8-bit text, no byte-order-mark handling.
namespace LookupList {

inline const QString RecordTypesFile = QStringLiteral("tipus.zda");
inline const QString RolesFile = QStringLiteral("szerep.zda");
inline const QString LanguagesFile = QStringLiteral("nyelv.zda");

// Throws NorlaError "Cannot open file" when the file cannot be read.
QStringList read(const QString& path);
// An unreadable or missing file gives an empty list.
QStringList readOrEmpty(const QString& path);

} // namespace LookupList
