#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QSaveFile;

// The two text file kinds of the program.
//
// Unicode text file (databases, chunk files, name lists): written as UTF-16LE
// with the mark FF FE and CR LF after every line; read with byte-order-mark
// detection (FF FE, FE FF, EF BB BF, else Windows-1250) and CR LF, CR, LF and
// U+2028 as line ends.
//
// 8-bit text file (settings, lookup lists, subject tree, record directory):
// Windows-1250, CR LF written; CR LF, CR and LF read; a NUL byte ends the text.
//
// In both, a final line break adds no empty line. Readers throw NorlaError
// "Cannot open file <path>", writers "Cannot create file <path>"; writers
// replace the file atomically, so a failed write leaves the old file whole.
namespace TextFile {

QStringList readUnicode(const QString& path);
QStringList decodeUnicode(QByteArrayView bytes);
QString decodeUnicodeToString(QByteArrayView bytes);
QStringList splitUnicodeLines(QStringView text);
QByteArray encodeUnicode(const QStringList& lines);
void writeUnicode(const QString& path, const QStringList& lines);

QStringList read8Bit(const QString& path);
QStringList decode8Bit(QByteArrayView bytes);
// The raw Windows-1250 lines, for readers that stay in 8-bit text.
QList<QByteArray> split8BitLines(QByteArrayView bytes);
QByteArray encode8Bit(const QStringList& lines);
void write8Bit(const QString& path, const QStringList& lines);

// Reads a whole file; throws "Cannot open file".
QByteArray readBytes(const QString& path);
// Reads a whole file in pieces of a few megabytes, showing `afterPiece` the
// bytes read so far after each one, so a caller can work on them while they
// are still in the cache, or stop the read by throwing. Throws "Cannot open file".
using PieceHandler = std::function<void(QByteArrayView bytesSoFar)>;
QByteArray readBytes(const QString& path, const PieceHandler& afterPiece);
// Atomic replace through a temporary file beside the target; throws "Cannot create file".
void writeBytes(const QString& path, const QByteArray& bytes);
// Finishes a write through a QSaveFile opened on `path` so that the earlier
// file is replaced only when every byte reached the disk; throws "Cannot
// create file" (the earlier file untouched) otherwise. Use it instead of
// QSaveFile::commit(), which misses a failure to write its last buffer.
void commit(QSaveFile& file, const QString& path);

} // namespace TextFile
