#pragma once

#include "core/convert/DbfTable.h"

#include <QString>
#include <QStringList>

class ZdbTable;

// How one source record of each kind becomes a record line. Inputs and the
// line are 8-bit text (the Windows-1250 repertoire, held as Unicode); every
// field is present, joined by "**" with nothing added at either end.
namespace RecordMapping {

QString fromDbase(const DbfTable::Record& record);
// `row` is a 0-based data row of the table.
QString fromZdb(const ZdbTable& table, int row);
// `block` holds the 16 lines of a Director record.
QString fromDirector(const QStringList& block, const QString& volumeCode);

// The first two characters of the caption of volume 0..7 ("Ka" … "Ma"); throws
// NorlaError when no volume is chosen (-1) or the choice is out of range.
QString directorVolumeCode(int volume);

} // namespace RecordMapping
