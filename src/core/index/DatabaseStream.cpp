#include "core/index/DatabaseStream.h"

#include "core/index/TextScan.h"
#include "core/record/DatabaseFormat.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"

#include <QFileInfo>

#include <cstring>

#if defined(Q_OS_UNIX)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 kBlockSize = 1 << 20;

} // namespace

DatabaseStream::DatabaseStream(const QString& path) : m_file(path)
{
    if (QFileInfo(path).isDir() || !m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        fail();
    checkIsDatabase();
    if (!mapUtf16LE())
        restart();
}

// The start and the end of the file decide whether it is a database at all,
// before a line of it is read as a record.
void DatabaseStream::checkIsDatabase()
{
    const qint64 size = m_file.size();
    QByteArray head(qMin<qint64>(size, DatabaseFormat::SampleBytes), Qt::Uninitialized);
    QByteArray tail(qMin<qint64>(size, 2), Qt::Uninitialized);
    if (m_file.read(head.data(), head.size()) != head.size() || !m_file.seek(size - tail.size()) ||
        m_file.read(tail.data(), tail.size()) != tail.size() || !m_file.seek(0))
        fail();
    DatabaseFormat::check(m_file.fileName(), head, tail, size);
}

// Only a UTF-16LE file with the mark and whole units is mapped; everything
// else (and a file system that cannot map) is streamed and decoded.
bool DatabaseStream::mapUtf16LE()
{
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return false;
    const qint64 size = m_file.size();
    if (size < 4 || size % 2 != 0)
        return false;
    char mark[2] = {};
    if (m_file.read(mark, 2) != 2 || mark[0] != '\xFF' || mark[1] != '\xFE')
        return false;
    const uchar* map = m_file.map(0, size);
    if (!map)
        return false;
    m_encoding = Encoding::Utf16LE;
    m_mapped = reinterpret_cast<const char16_t*>(map + 2);
    m_mappedUnits = std::size_t(size - 2) / 2;
    m_pos = 0;
    return true;
}

void DatabaseStream::fail() const
{
    throw NorlaError::cannotOpen(QFileInfo(m_file.fileName()).absoluteFilePath());
}

void DatabaseStream::restart()
{
    m_storedLine = {};
    if (m_mapped) {
        m_pos = 0;
        m_released = 0;
        return;
    }
    if (!m_file.seek(0))
        fail();
    m_units.clear();
    m_pos = m_scanned = 0;
    m_atEnd = false;
    m_hasOddByte = false;
    m_carry.clear();
    readBlock();
    detectEncoding();
    decodeBlock();
}

void DatabaseStream::readBlock()
{
    m_block.resize(kBlockSize);
    qint64 got = 0;
    while (got < kBlockSize) {
        const qint64 n = m_file.read(m_block.data() + got, kBlockSize - got);
        if (n < 0)
            fail();
        if (n == 0) {
            m_atEnd = true;
            break;
        }
        got += n;
    }
    m_block.resize(got);
}

void DatabaseStream::detectEncoding()
{
    const auto* b = reinterpret_cast<const unsigned char*>(m_block.constData());
    const qsizetype n = m_block.size();
    if (n >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        m_encoding = Encoding::Utf16LE;
        m_block.remove(0, 2);
    } else if (n >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        m_encoding = Encoding::Utf16BE;
        m_block.remove(0, 2);
    } else if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        m_encoding = Encoding::Utf8;
        m_block.remove(0, 3);
    } else {
        m_encoding = Encoding::Win1250;
    }
}

void DatabaseStream::decodeUtf16(bool littleEndian)
{
    const char* src = m_block.constData();
    qsizetype n = m_block.size();
    QByteArray joined;
    if (m_hasOddByte && n > 0) {
        joined.reserve(n + 1);
        joined.append(m_oddByte).append(m_block);
        src = joined.constData();
        n = joined.size();
        m_hasOddByte = false;
    }
    const qsizetype units = n / 2;
    const std::size_t old = m_units.size();
    m_units.resize(old + std::size_t(units));
    char16_t* dst = m_units.data() + old;
    if (littleEndian && QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        std::memcpy(dst, src, std::size_t(units) * 2);
    } else {
        const auto* s = reinterpret_cast<const unsigned char*>(src);
        for (qsizetype i = 0; i < units; ++i, s += 2)
            dst[i] = littleEndian ? char16_t(s[0] | (s[1] << 8)) : char16_t(s[1] | (s[0] << 8));
    }
    if (n % 2) {
        m_hasOddByte = true;
        m_oddByte = src[n - 1];
    }
    // A dangling last byte shows as a replacement character rather than vanishing.
    if (m_atEnd && m_hasOddByte) {
        m_units.push_back(char16_t(QChar::ReplacementCharacter));
        m_hasOddByte = false;
    }
}

// Decodes the complete sequences of the block; a sequence cut by the block end
// waits for the next block, so the text comes out as if decoded in one piece.
void DatabaseStream::decodeUtf8()
{
    QByteArray bytes = m_carry + m_block;
    m_carry.clear();
    if (!m_atEnd) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
        const qsizetype n = bytes.size();
        for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
            const unsigned char c = b[n - back];
            if ((c & 0xC0) == 0x80)
                continue;
            const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (length > back) {
                m_carry = bytes.right(back);
                bytes.chop(back);
            }
            break;
        }
    }
    const QString text = QString::fromUtf8(bytes);
    m_units.append(reinterpret_cast<const char16_t*>(text.constData()), std::size_t(text.size()));
}

void DatabaseStream::decodeBlock()
{
    switch (m_encoding) {
    case Encoding::Utf16LE:
        decodeUtf16(true);
        break;
    case Encoding::Utf16BE:
        decodeUtf16(false);
        break;
    case Encoding::Utf8:
        DatabaseFormat::checkNoNulByte(m_file.fileName(), m_block);
        decodeUtf8();
        break;
    case Encoding::Win1250: {
        DatabaseFormat::checkNoNulByte(m_file.fileName(), m_block);
        const std::size_t old = m_units.size();
        m_units.resize(old + std::size_t(m_block.size()));
        char16_t* dst = m_units.data() + old;
        for (const char b : std::as_const(m_block))
            *dst++ = Win1250::toUnicodeChar(static_cast<unsigned char>(b));
        break;
    }
    }
}

bool DatabaseStream::fill()
{
    if (m_atEnd)
        return false;
    // Keep only the unfinished line, then append the next block behind it.
    m_units.erase(0, m_pos);
    m_scanned -= m_pos;
    m_pos = 0;
    readBlock();
    decodeBlock();
    return true;
}

bool DatabaseStream::nextMapped(QStringView* line)
{
    const char16_t* data = m_mapped;
    const std::size_t size = m_mappedUnits;
    if (m_pos >= size)
        return false;
    const std::size_t i = TextScan::findLineEnd(data, m_pos, size);
    *line = QStringView(data + m_pos, qsizetype(i - m_pos));
    std::size_t after = i + 1;
    if (i < size && data[i] == u'\r' && after < size && data[after] == u'\n') {
        ++after;
        m_storedLine =
            QByteArrayView(reinterpret_cast<const char*>(data + m_pos), qsizetype(after - m_pos) * 2);
    } else {
        m_storedLine = {};
    }
    m_pos = std::min(after, size);
    releaseMappedBehind();
    return true;
}

// The pages read long ago are given back to the page cache as the reading
// goes, so that the memory of the process stays small whatever the size of
// the database. They stay readable: a view into them that is still held (a
// chunk writer's) only has them brought in again.
void DatabaseStream::releaseMappedBehind()
{
#if defined(Q_OS_UNIX)
    constexpr std::size_t Keep = std::size_t(8) << 20;
    const std::size_t done = m_pos * 2 + 2; // bytes from the start of the file
    if (done < m_released + 2 * Keep)
        return;
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    const std::size_t until = (done - Keep) / page * page;
    auto* base = const_cast<char*>(reinterpret_cast<const char*>(m_mapped) - 2);
    ::madvise(base + m_released, until - m_released, MADV_DONTNEED);
    m_released = until;
#endif
}

bool DatabaseStream::next(QStringView* line)
{
    if (m_mapped)
        return nextMapped(line);
    for (;;) {
        const char16_t* data = m_units.data();
        const std::size_t size = m_units.size();
        const std::size_t i = TextScan::findLineEnd(data, std::max(m_scanned, m_pos), size);
        if (i < size) {
            // A CR at the very end of the decoded text may be the first half of CR LF.
            if (data[i] == u'\r' && i + 1 == size && !m_atEnd) {
                m_scanned = i;
                fill();
                continue;
            }
            *line = QStringView(data + m_pos, qsizetype(i - m_pos));
            std::size_t after = i + 1;
            if (data[i] == u'\r' && after < size && data[after] == u'\n')
                ++after;
            m_pos = m_scanned = after;
            return true;
        }
        m_scanned = size;
        if (fill())
            continue;
        if (m_pos < size) {
            *line = QStringView(data + m_pos, qsizetype(size - m_pos));
            m_pos = m_scanned = size;
            return true;
        }
        return false;
    }
}

qint64 DatabaseStream::countRemaining()
{
    qint64 count = 0;
    QStringView line;
    while (next(&line))
        ++count;
    return count;
}
