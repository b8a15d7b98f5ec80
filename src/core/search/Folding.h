#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>

// Folded text: letter case and accents removed, so that "kovacs" finds
// "Kovács". A character is decomposed canonically and its combining marks are
// dropped; the letters that have no decomposition are written out (ß as ss,
// æ as ae, ø as o, ł as l, đ as d). The result is 8-bit Windows-1250 text,
// like every text the search compares.
//
// Folding works one character at a time, so the folded form of a text is the
// folded forms of its characters one after the other; a folded text that
// occurs in a row is therefore found in the folded line that holds the row.
namespace Folding {

// The folded form of one character or byte: up to two bytes.
struct Folded
{
    quint8 size = 0;
    char bytes[2] = {0, 0};
};

// The folding of every byte of the code page: the table the 8-bit search
// folds its rows with.
const std::array<Folded, 256>& byteTable();

// For every UTF-16 unit, its fully folded 8-bit form.
const std::array<Folded, 0x10000>& unitTable();

// For every UTF-16 unit, its 8-bit form with only the characters the code
// page lacks folded (so they are found by their base letter instead of
// turning into "?"); every other unit keeps its own byte.
const std::array<Folded, 0x10000>& codePageTable();

// Folds an 8-bit text into `out` (appending), byte by byte.
void appendFolded(QByteArrayView text8, QByteArray& out);
QByteArray fold8(QByteArrayView text8);
// Folds a Unicode text into folded 8-bit text.
QByteArray fold(QStringView text);

} // namespace Folding
