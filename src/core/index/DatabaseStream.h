#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringView>

#include <string>

// Reads a database file block by block, with the same rules as reading a whole
// Unicode text file (byte-order-mark detection; CR LF, CR, LF and U+2028 end a
// line; a final line break adds no empty line), so that a file of any size is
// read with a small, fixed amount of memory. A UTF-16LE file, the form the
// editor saves, is mapped instead and its lines are views into the mapping:
// nothing is copied, and counting the lines before reading them costs no
// second read of the file.
class DatabaseStream final
{
    Q_DISABLE_COPY_MOVE(DatabaseStream)

public:
    // Throws NorlaError "Cannot open file <absolute path>", or the refusal
    // of a file that is no database (a picture, an archive, binary data).
    explicit DatabaseStream(const QString& path);

    // The next line, valid until the next call; false after the last line.
    // A read error throws "Cannot open file".
    bool next(QStringView* line);
    // Back to the first line.
    void restart();
    // Counts the lines from the current position to the end.
    qint64 countRemaining();
    // The line last returned by next() with its line break, exactly as the
    // file holds them, when those bytes are also the line in UTF-16LE
    // followed by CR LF; empty otherwise. Valid as long as the stream.
    QByteArrayView storedLine() const { return m_storedLine; }

private:
    enum class Encoding
    {
        Utf16LE,
        Utf16BE,
        Utf8,
        Win1250
    };

    void checkIsDatabase();
    bool fill();
    void readBlock();
    void detectEncoding();
    void decodeBlock();
    void decodeUtf16(bool littleEndian);
    void decodeUtf8();
    [[noreturn]] void fail() const;
    bool mapUtf16LE();
    bool nextMapped(QStringView* line);
    void releaseMappedBehind();

    QFile m_file;
    Encoding m_encoding = Encoding::Win1250;
    QByteArray m_block;
    QByteArray m_carry;
    bool m_hasOddByte = false;
    char m_oddByte = 0;
    bool m_atEnd = false;
    std::u16string m_units;
    std::size_t m_pos = 0;
    std::size_t m_scanned = 0;
    // The mapped text (after the byte-order mark), or null when streaming.
    const char16_t* m_mapped = nullptr;
    std::size_t m_mappedUnits = 0;
    std::size_t m_released = 0; // bytes at the start of the mapping given back
    QByteArrayView m_storedLine;
};
