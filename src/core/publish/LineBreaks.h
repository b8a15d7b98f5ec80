#pragma once

#include <QString>

// Where a line of the book may break, set in the text itself before layout:
// no-break spaces and word joiners keep together what a typesetter keeps
// together, soft hyphens mark where a long word may be hyphenated, and
// zero-width spaces let an address break after its slashes and dots.
namespace LineBreaks {

// Binds a number to its unit ("442 p.", "3. sz.", "p. 12") with a no-break
// space, and a number range ("384–389.") with a word joiner after its dash.
QString bind(const QString& text);

// Soft hyphens (U+00AD) at the Hungarian hyphenation points of every word of
// `minLetters` letters or more, by the hyphen-hu patterns through libhyphen,
// and zero-width spaces after the slashes, dots and other separators of
// web and mail addresses. A word in another script, or any word when the
// patterns are not installed, is left as it is.
QString hyphenate(const QString& text, int minLetters = 7);

// Both, in the order the book needs them: what every run of an entry passes through.
QString prepare(const QString& text);

// True when the Hungarian patterns could be loaded.
bool hyphenationAvailable();

} // namespace LineBreaks
