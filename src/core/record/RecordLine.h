#pragma once

#include "core/record/RecordSchema.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// One record: 19 fields joined by "**", no quoting and no escaping.
namespace RecordLine {

inline constexpr int FieldCount = RecordSchema::FieldCount;
inline constexpr int MaxReadLength = 5000;
inline constexpr QStringView Separator = u"**";

// Always 19 values. Field k is the text between the (k-1)-th and k-th "**",
// each searched from the end of the previous one; missing fields are empty and
// text after a 19th separator is dropped.
QStringList split(QStringView line);
QString join(const QStringList& fields);

// A record is one line of its file, so every line break a text brings along
// (CR LF, CR, LF, U+2028, U+2029) becomes one blank before it joins a line.
QString singleLine(QStringView text);

// The 0-based index of the first of `fields` (all but the last) whose text
// would move the fields after it once joined: one that holds "**", or ends
// with "*" (which joins the next separator). -1 when the fields are safe.
int firstShiftingField(const QStringList& fields);
// What users call field `index` (0-based) in messages.
QString fieldCaption(int index);

// The record name belongs to the schema; these names are kept for the
// callers that still reach it through the line.
using RecordSchema::dottedName;
using RecordSchema::undottedName;

} // namespace RecordLine
