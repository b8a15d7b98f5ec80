#pragma once

#include <QStringList>

#include <functional>

// A Director export: every record is a block of 16 consecutive lines.
namespace DirectorFile {

inline constexpr int BlockLines = 16;

// Hands on each complete block whose first line is not empty, in file order,
// its lines brought to the 8-bit repertoire. Lines after the last complete
// block are ignored; a file of one line or none gives nothing.
void forEachBlock(const QStringList& lines, const std::function<void(const QStringList& block)>& visit);

// How many lines forEachBlock ignores at the end of the file because they do
// not fill a block: the whole file when it has a single line.
qsizetype trailingLineCount(const QStringList& lines);

} // namespace DirectorFile
