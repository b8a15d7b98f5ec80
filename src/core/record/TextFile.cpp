#include "core/record/TextFile.h"

#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace {

QString absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

// UTF-16 read code unit by code unit: a lone surrogate is kept as it is (it
// round-trips on save), and a dangling odd last byte becomes U+FFFD so the
// user sees that something was there instead of losing it silently.
QString decodeUtf16(QByteArrayView body, bool littleEndian)
{
    const qsizetype units = body.size() / 2;
    QString out(units + (body.size() % 2), Qt::Uninitialized);
    QChar* dst = out.data();
    const auto* src = reinterpret_cast<const unsigned char*>(body.data());
    for (qsizetype i = 0; i < units; ++i, src += 2) {
        const char16_t lo = littleEndian ? src[0] : src[1];
        const char16_t hi = littleEndian ? src[1] : src[0];
        *dst++ = QChar(char16_t(lo | (hi << 8)));
    }
    if (body.size() % 2)
        *dst = QChar(QChar::ReplacementCharacter);
    return out;
}

} // namespace

namespace TextFile {

QByteArray readBytes(const QString& path, const PieceHandler& afterPiece)
{
    // Large enough to keep the system calls few, small enough that a piece is
    // still in the cache when `afterPiece` reads it.
    constexpr qint64 PieceSize = qint64(4) << 20;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw NorlaError::cannotOpen(absolute(path));
    const qint64 expected = file.size();
    QByteArray bytes(expected, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < expected) {
        const qint64 got = file.read(bytes.data() + filled, qMin(PieceSize, expected - filled));
        if (got < 0)
            throw NorlaError::cannotOpen(absolute(path));
        if (got == 0)
            break; // the file shrank since its size was taken
        filled += got;
        afterPiece(QByteArrayView(bytes.constData(), filled));
    }
    bytes.truncate(filled);
    // A file that grew meanwhile is read to its end all the same.
    const QByteArray rest = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw NorlaError::cannotOpen(absolute(path));
    if (!rest.isEmpty()) {
        bytes.append(rest);
        afterPiece(bytes);
    }
    return bytes;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw NorlaError::cannotOpen(absolute(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw NorlaError::cannotOpen(absolute(path));
    return bytes;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(absolute(path));
    if (file.write(bytes) != bytes.size())
        throw NorlaError::cannotCreate(absolute(path));
    commit(file, path);
}

void commit(QSaveFile& file, const QString& path)
{
    // QSaveFile::commit() alone reports success when the data still in its
    // buffer cannot be written (a full disk) and then renames the short
    // temporary file over the earlier one. So the data is flushed and synced
    // first; on failure the QSaveFile is left uncommitted, and its destructor
    // removes the temporary file.
    if (!file.flush() || ::fsync(file.handle()) != 0 || !file.commit())
        throw NorlaError::cannotCreate(absolute(path));
}

QString decodeUnicodeToString(QByteArrayView bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        return decodeUtf16(bytes.sliced(2), true);
    if (bytes.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        return decodeUtf16(bytes.sliced(2), false);
    if (bytes.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return QString::fromUtf8(bytes.sliced(3));
    return Win1250::toUnicode(bytes);
}

QStringList splitUnicodeLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n' && c != 0x2028)
            continue;
        lines.append(text.sliced(start, i - start).toString());
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.sliced(start).toString());
    return lines;
}

QStringList decodeUnicode(QByteArrayView bytes)
{
    return splitUnicodeLines(decodeUnicodeToString(bytes));
}

QStringList readUnicode(const QString& path)
{
    return decodeUnicode(readBytes(path));
}

QByteArray encodeUnicode(const QStringList& lines)
{
    qsizetype units = 0;
    for (const QString& line : lines)
        units += line.size() + 2;
    // Written straight into the buffer: a database of 100,000 records is tens
    // of millions of code units, too many for an append per byte.
    QByteArray out(2 + units * 2, Qt::Uninitialized);
    auto* dst = reinterpret_cast<unsigned char*>(out.data());
    *dst++ = 0xFF;
    *dst++ = 0xFE;
    const auto put = [&dst](char16_t c) {
        *dst++ = static_cast<unsigned char>(c & 0xFF);
        *dst++ = static_cast<unsigned char>(c >> 8);
    };
    for (const QString& line : lines) {
        for (const QChar ch : line)
            put(ch.unicode());
        put(u'\r');
        put(u'\n');
    }
    return out;
}

void writeUnicode(const QString& path, const QStringList& lines)
{
    writeBytes(path, encodeUnicode(lines));
}

QList<QByteArray> split8BitLines(QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes = bytes.first(nul);
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.sliced(start).toByteArray());
    return lines;
}

QStringList decode8Bit(QByteArrayView bytes)
{
    QStringList out;
    const QList<QByteArray> lines = split8BitLines(bytes);
    out.reserve(lines.size());
    for (const QByteArray& line : lines)
        out.append(Win1250::toUnicode(line));
    return out;
}

QStringList read8Bit(const QString& path)
{
    return decode8Bit(readBytes(path));
}

QByteArray encode8Bit(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out.append(Win1250::fromUnicode(line)).append("\r\n");
    return out;
}

void write8Bit(const QString& path, const QStringList& lines)
{
    writeBytes(path, encode8Bit(lines));
}

} // namespace TextFile
