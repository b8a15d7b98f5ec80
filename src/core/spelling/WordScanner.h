#pragma once

#include <QStringView>
#include <QtGlobal>

#include <vector>

// Finds the words of a field that proofreading checks. A word is a run of
// letters, with hyphens and apostrophes inside it ("Kossuth-díj", "MTA-n"),
// since the dictionaries know such forms whole. Left out, because no
// dictionary can judge them and flagging them would bury the real typos:
// - anything touching a digit ("1848-ban", "B12"), and record names
//   ("Ka.000123.00");
// - Roman numerals ("XIX", "III-ik");
// - abbreviations: a word of at most four letters before a full stop
//   ("évf.", "sz.", "p."), or any word before a full stop that does not end a
//   sentence ("kath. egyház");
// - single letters (initials) and words all in capitals (acronyms, also
//   with a suffix: "MTA-n");
// - links and e-mail addresses.
namespace WordScanner {

struct Span
{
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const Span&) const = default;
};

std::vector<Span> words(QStringView text);

// A Roman numeral in capitals, I to MMMCMXCIX.
bool isRomanNumeral(QStringView word);

} // namespace WordScanner
