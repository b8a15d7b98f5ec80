#pragma once

#include "core/record/RecordSchema.h"
#include "core/spelling/WordScanner.h"

#include <QString>
#include <QStringView>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// What proofreading looks at in a record, and how it reads one text.
namespace TextSpelling {

// Free prose typed from the printed volumes. Names (creators, publisher,
// place) are left to the name lists: no dictionary knows them.
inline constexpr std::array<Field, 4> CheckedFields{Field::Subject, Field::Title, Field::Publication,
                                                    Field::Note};

// The year a record's year field names ("1880", "1880-1882", "[1880?]"):
// its first run of four digits.
std::optional<int> publicationYear(QStringView yearField);
// A record published before `before` is in the spelling of its time, so
// words the dictionary does not know are old forms rather than typos.
bool isOldSpelling(QStringView yearField, int before);

using KnownWord = std::function<bool(QStringView word)>;
// The words of `text` (WordScanner's) that `isKnown` rejects.
std::vector<WordScanner::Span> unknownWords(QStringView text, const KnownWord& isKnown);

// `text` with every checked word equal to `word` replaced by `replacement`.
QString replaceWord(QStringView text, const QString& word, const QString& replacement);
// Whether `replacement` may stand in a record for a word: not empty, no line
// break, nothing that would move the fields after it ("*").
bool isValidReplacement(const QString& replacement);
// The record line with `word` replaced in its checked fields; the line as it
// was when it holds no such word, or when it cannot be taken apart and put
// together again unchanged (more than 19 fields), so nothing else moves.
QString replaceInRecord(QStringView line, const QString& word, const QString& replacement);

} // namespace TextSpelling
