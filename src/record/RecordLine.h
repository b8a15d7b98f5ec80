#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// One record: 19 fields joined by "**", no quoting and no escaping.
namespace RecordLine {

inline constexpr int FieldCount = 19;
inline constexpr int MaxReadLength = 5000;
inline constexpr QStringView Separator = u"**";

// Always 19 values. Field k is the text between the (k-1)-th and k-th "**",
// each searched from the end of the previous one; missing fields are empty and
// text after a 19th separator is dropped.
QStringList split(QStringView line);
QString join(const QStringList& fields);

// "Ka00012300" -> "Ka.000123.00": characters 1-2, ".", 3-8, ".", 9-10.
QString dottedName(QStringView name);
// The reverse for a label text: characters 1-2, 4-9 and 11-12.
QString undottedName(QStringView dotted);

} // namespace RecordLine
