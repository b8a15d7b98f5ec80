#pragma once

#include <QByteArray>
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

// A file's bytes and, when they are valid UTF-8 without a byte-order mark
// at the start, their text.
struct FileText
{
    QByteArray bytes;
    std::optional<QString> text;
};

// Reads a file and decodes it as it is read: a thread decodes what has come
// in while the rest is read, and the two threads share what is left once it
// is all in. Throws NorlaError when the file cannot be read. `pieceBytes` is
// how much is read at a time.
FileText readValidText(const QString& path, qint64 pieceBytes = qint64(4) << 20);

} // namespace Utf8Text
