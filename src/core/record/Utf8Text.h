#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Decoding of UTF-8 that is expected to be valid, as the files of the
// reference managers are: fast for the usual text (ASCII with accented
// letters), and the library's own decoder for everything else, so that what
// counts as valid is exactly what it accepts.
namespace Utf8Text {

// Decodes `bytes` to `out`, which has room for as many characters as
// `bytes` has bytes, and returns the end of what was written; nullptr when
// the bytes are not valid UTF-8. A byte-order mark is a character like any
// other, wherever it stands.
QChar* decodeValid(QByteArrayView bytes, QChar* out);

// The text of valid UTF-8, or nothing. A large text is decoded in two halves
// at once, since decoding takes about as long as reading the file.
std::optional<QString> decodeValidText(QByteArrayView bytes);

} // namespace Utf8Text
