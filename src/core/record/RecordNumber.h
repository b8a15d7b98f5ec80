#pragma once

#include <QString>
#include <QStringView>

namespace RecordNumber {

// Brings a text to exactly `width` characters: longer is cut, shorter is
// padded on the left with "0".
QString fixWidth(QStringView text, int width);

// The number after a fitted record number: its leading decimal digits plus
// one, without leading zeros; empty when it does not start with a digit.
QString next(QStringView fitted);

} // namespace RecordNumber
