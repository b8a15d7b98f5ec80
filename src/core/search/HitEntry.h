#pragma once

#include "core/record/FieldGrid.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// One piece of the results text: a styled text, or a line break.
struct HitRun
{
    QString text;
    bool bold = false;
    bool italic = false;
    bool lineBreak = false;

    bool operator==(const HitRun&) const = default;
};

// The block of the results text that describes one hit: the volume, number
// and type line, the subject, the creators with their roles, the title with
// the publication data, and the language and medium, then three empty lines.
namespace HitEntry {

// `roleNames`: the role list in Unicode; a creator's role code selects its
// entry by the browse view's rule (unknown or beyond the list: the first).
QList<HitRun> build(const FieldGrid& record, const QStringList& roleNames);

// The text as a plain text with "\n" for every line break.
QString plainText(const QList<HitRun>& runs);

// The record number of a record name: characters 3–8 without leading zeros,
// then, unless characters 9–10 are "00", "." and the suffix ("0a" as "a").
QString recordNumber(QByteArrayView recordName);

} // namespace HitEntry
