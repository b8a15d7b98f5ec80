#pragma once

#include "core/search/Folding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QSysInfo>

#include <memory>
#include <vector>

class QString;

// Reading the lines of a chunk file (a Unicode text file) as 8-bit text
// without building a QString per line: the UTF-16LE bytes go straight through
// the Windows-1250 table, giving exactly Win1250::fromUnicode of each line that
// TextFile::decodeUnicode yields.
namespace ChunkText {

// The file's text as UTF-16LE bytes: the file's own bytes after the mark FF FE,
// or, for the other encodings the byte-order mark rules allow, the text
// decoded and re-encoded into `storage`.
QByteArrayView utf16Body(QByteArrayView fileBytes, QByteArray& storage);

// An 8-bit text prepared for searching the UTF-16 lines it came from. Each of
// its bytes stands for exactly one character, so a line's 8-bit form holds the
// text exactly where the line holds these characters; that is why the text
// must not hold "?", which stands for every character the code page lacks.
class Needle final
{
public:
    explicit Needle(QByteArrayView text8);

    bool isEmpty() const { return m_units == 0; }

private:
    friend class LineReader;
    QByteArray m_utf16le;
    qsizetype m_units = 0;
    qsizetype m_rareUnit = 0; // searched for first: the character least common in records
    unsigned char m_rareLow = 0;
    unsigned char m_rareHigh = 0;
};

// A growing byte buffer reused from line to line, so converting a line
// allocates only when a line is longer than every one before it.
class LineBuffer final
{
public:
    QByteArrayView view() const { return QByteArrayView(m_data.get(), m_size); }
    qsizetype size() const { return m_size; }
    void clear() { m_size = 0; }
    void append(QByteArrayView bytes);

private:
    friend class LineReader;
    // Makes room for at least `more` further bytes.
    void reserveMore(qsizetype more);

    std::unique_ptr<char[]> m_data;
    qsizetype m_capacity = 0;
    qsizetype m_size = 0;
};

// Lines of a UTF-16LE body. Line ends are CR LF, CR, LF and U+2028; a final
// line end adds no empty line.
class LineReader final
{
public:
    explicit LineReader(QByteArrayView utf16le);

    qsizetype unitCount() const { return m_units; }
    char16_t unit(qsizetype i) const { return char16_t(m_bytes[2 * i] | (m_bytes[2 * i + 1] << 8)); }

    // Units [start, end) as UTF-16 text, read in place; only on a
    // little-endian processor, where the bytes are the units.
    QStringView text(qsizetype start, qsizetype end) const
    {
        return QStringView(reinterpret_cast<const char16_t*>(m_bytes + 2 * start), end - start);
    }

    // Converts the line starting at unit `start` into `out` (replacing its
    // content); returns the unit index of its end (its line break, or the end).
    qsizetype convertLine(qsizetype start, LineBuffer& out) const;
    // Converts the line starting at `start` through a folding table (one of
    // Folding's unit tables) into `out`; `lowerAscii` tells that the table
    // lowers ASCII capitals, which then skip the table. Returns the unit index
    // of the line's end.
    qsizetype convertLineFolded(qsizetype start, LineBuffer& out,
                                const std::array<Folding::Folded, 0x10000>& table, bool lowerAscii) const;
    // The unit index of the end of the line starting at `start` (its line
    // break, or the end of the text).
    qsizetype lineEnd(qsizetype start) const;
    // The 8-bit form of one unit.
    static char toCodePage(char16_t unit);
    // The 8-bit form of every unit, for a loop that converts many.
    static const std::array<char, 0x10000>& codePage();
    // The unit index where the line after the one ending at `end` starts;
    // unitCount() or more when there is none.
    qsizetype nextLineStart(qsizetype end) const;
    // The start of the line that holds unit `at`, searching back no further than `floor`.
    qsizetype lineStartBefore(qsizetype at, qsizetype floor) const;
    // First occurrence of the needle at or after unit `from`, or -1.
    qsizetype find(const Needle& needle, qsizetype from) const;

private:
    const unsigned char* m_bytes;
    qsizetype m_units;
};

// Reads chunk files one after the other into a buffer reused from file to
// file, so a pass over the index set holds one chunk per reader. Every pass
// over the chunk files (the search, the overview) reads them through it.
class FileReader final
{
public:
    // The lines of the file at `path`, valid until the next read. Throws
    // NorlaError "Cannot open file" when it cannot be read.
    LineReader read(const QString& path);

private:
    std::vector<char> m_file;
    qint64 m_fileSize = 0;
    QByteArray m_storage;
};

inline bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028;
}

} // namespace ChunkText
