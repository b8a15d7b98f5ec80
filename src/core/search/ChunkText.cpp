#include "core/search/ChunkText.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ChunkText {

namespace {

// Rough share of each byte in the low half of a record's UTF-16 units; the
// rarest byte of a needle is the one searched for with memchr.
int byteCommonness(unsigned char low, unsigned char high)
{
    if (high != 0)
        return 12; // accented letters beyond Latin-1, sharing their low byte with rare ASCII
    if (low == 0)
        return 1000;
    static const std::array<int, 128> ascii = [] {
        std::array<int, 128> table{};
        table.fill(3);
        const auto set = [&table](const char* chars, int value) {
            for (const char* c = chars; *c; ++c)
                table[static_cast<unsigned char>(*c)] = value;
        };
        set("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 6);
        set("23456789", 15);
        set("fcupjhwxq", 9);
        set("vbdy", 20);
        set("gm1.", 28);
        set("ioz", 40);
        set("tlnskr", 50);
        set("ea0", 85);
        set(" *", 150);
        return table;
    }();
    if (low < 0x80)
        return ascii[low];
    return 25; // accented Latin-1 letters: common in Hungarian text
}

// Win1250::fromUnicodeChar for every UTF-16 unit, as one flat table.
const std::array<char, 0x10000>& codePageTable()
{
    static const std::array<char, 0x10000> table = [] {
        std::array<char, 0x10000> t{};
        for (int c = 0; c < 0x10000; ++c)
            t[size_t(c)] = Win1250::fromUnicodeChar(char16_t(c));
        return t;
    }();
    return table;
}

const unsigned char* asBytes(const char* p)
{
    return reinterpret_cast<const unsigned char*>(p);
}

} // namespace

QByteArrayView utf16Body(QByteArrayView fileBytes, QByteArray& storage)
{
    const unsigned char* b = asBytes(fileBytes.data());
    if (fileBytes.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE && fileBytes.size() % 2 == 0)
        return fileBytes.sliced(2);
    // Big-endian, UTF-8, no mark, or a dangling odd byte: rare, so decode the
    // general way and re-encode.
    const QString text = TextFile::decodeUnicodeToString(fileBytes);
    storage.resize(text.size() * 2);
    char* out = storage.data();
    for (const QChar c : text) {
        *out++ = char(c.unicode() & 0xFF);
        *out++ = char(c.unicode() >> 8);
    }
    return storage;
}

LineReader FileReader::read(const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw NorlaError::cannotOpen(path);
    const qint64 size = file.size();
    if (size > qint64(m_file.size()))
        m_file.resize(size_t(size));
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(m_file.data() + got, size - got);
        if (n < 0)
            throw NorlaError::cannotOpen(path);
        if (n == 0)
            break; // shrunk while being read: take what is there
        got += n;
    }
    m_fileSize = got;
    m_storage.clear();
    return LineReader(utf16Body(QByteArrayView(m_file.data(), m_fileSize), m_storage));
}

Needle::Needle(QByteArrayView text8)
{
    m_units = text8.size();
    m_utf16le.resize(m_units * 2);
    int best = 1 << 30;
    for (qsizetype i = 0; i < m_units; ++i) {
        const char16_t c = Win1250::toUnicodeChar(static_cast<unsigned char>(text8[i]));
        const auto low = static_cast<unsigned char>(c & 0xFF);
        const auto high = static_cast<unsigned char>(c >> 8);
        m_utf16le[2 * i] = char(low);
        m_utf16le[2 * i + 1] = char(high);
        const int commonness = byteCommonness(low, high);
        if (commonness < best) {
            best = commonness;
            m_rareUnit = i;
            m_rareLow = low;
            m_rareHigh = high;
        }
    }
}

LineReader::LineReader(QByteArrayView utf16le) : m_bytes(asBytes(utf16le.data())), m_units(utf16le.size() / 2)
{
}

void LineBuffer::reserveMore(qsizetype more)
{
    if (m_size + more <= m_capacity)
        return;
    const qsizetype capacity = qMax(m_size + more, qMax<qsizetype>(1024, m_capacity * 2));
    auto grown = std::make_unique<char[]>(size_t(capacity));
    if (m_size)
        std::memcpy(grown.get(), m_data.get(), size_t(m_size));
    m_data = std::move(grown);
    m_capacity = capacity;
}

void LineBuffer::append(QByteArrayView bytes)
{
    reserveMore(bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(m_data.get() + m_size, bytes.data(), size_t(bytes.size()));
    m_size += bytes.size();
}

qsizetype LineReader::convertLine(qsizetype start, LineBuffer& out) const
{
    const char* const table = codePageTable().data();
    out.clear();
    qsizetype i = start;
#if defined(__SSE2__)
    // Eight units at a time: packed to bytes as they are, then the units
    // outside printable ASCII are looked up one by one. Subtracting 0x20 and
    // saturating-subtracting 0x5F leaves zero exactly for 0x20 … 0x7F.
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i span = _mm_set1_epi16(0x5F);
    const __m128i zero = _mm_setzero_si128();
    while (i + 8 <= m_units) {
        out.reserveMore(256);
        char* dst = out.m_data.get() + out.m_size;
        char* const limit = out.m_data.get() + out.m_capacity;
        for (; i + 8 <= m_units && dst + 8 <= limit; dst += 8, i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_bytes + 2 * i));
            const __m128i over = _mm_subs_epu16(_mm_sub_epi16(v, space), span);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(v, v));
            unsigned others = ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(over, zero))) & 0x5555u;
            while (others) {
                const int k = __builtin_ctz(others) / 2;
                const char16_t c = unit(i + k);
                if (isLineBreak(c)) {
                    out.m_size = dst + k - out.m_data.get();
                    return i + k;
                }
                dst[k] = table[c];
                others &= others - 1;
            }
        }
        out.m_size = dst - out.m_data.get();
    }
#endif
    // The rest one unit at a time.
    for (; i < m_units; ++i) {
        const char16_t c = unit(i);
        if (isLineBreak(c))
            break;
        if (out.m_size == out.m_capacity)
            out.reserveMore(256);
        out.m_data[size_t(out.m_size++)] = table[c];
    }
    return i;
}

qsizetype LineReader::convertLineFolded(qsizetype start, LineBuffer& out,
                                        const std::array<Folding::Folded, 0x10000>& table,
                                        bool lowerAscii) const
{
    out.clear();
    qsizetype i = start;
    const auto appendUnit = [&out, &table](char16_t c) {
        const Folding::Folded& f = table[c];
        if (out.m_size + 2 > out.m_capacity)
            out.reserveMore(256);
        out.m_data[size_t(out.m_size)] = f.bytes[0];
        out.m_data[size_t(out.m_size + 1)] = f.bytes[1];
        out.m_size += f.size;
    };
#if defined(__SSE2__)
    // Eight units at a time: packed to bytes, capitals lowered by adding 0x20
    // where the byte lies in 'A' … 'Z'. The printable ASCII units before the
    // first other unit are kept; that unit goes through the table, and the
    // next block starts after it.
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i span = _mm_set1_epi16(0x5F);
    const __m128i zero = _mm_setzero_si128();
    const __m128i beforeA = _mm_set1_epi8('A' - 1);
    const __m128i afterZ = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    while (i + 8 <= m_units) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_bytes + 2 * i));
        const __m128i over = _mm_subs_epu16(_mm_sub_epi16(v, space), span);
        const unsigned plain = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(over, zero)));
        __m128i packed = _mm_packus_epi16(v, v);
        if (lowerAscii) {
            const __m128i upper =
                _mm_and_si128(_mm_cmpgt_epi8(packed, beforeA), _mm_cmplt_epi8(packed, afterZ));
            packed = _mm_add_epi8(packed, _mm_and_si128(upper, caseBit));
        }
        out.reserveMore(8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out.m_data.get() + out.m_size), packed);
        if (plain == 0xFFFF) {
            out.m_size += 8;
            i += 8;
            continue;
        }
        const int kept = __builtin_ctz(~plain) / 2;
        out.m_size += kept;
        i += kept;
        const char16_t c = unit(i);
        if (isLineBreak(c))
            return i;
        appendUnit(c);
        ++i;
    }
#endif
    for (; i < m_units; ++i) {
        const char16_t c = unit(i);
        if (isLineBreak(c))
            break;
        appendUnit(c);
    }
    return i;
}

char LineReader::toCodePage(char16_t unit)
{
    return codePageTable()[unit];
}

const std::array<char, 0x10000>& LineReader::codePage()
{
    return codePageTable();
}

qsizetype LineReader::lineEnd(qsizetype start) const
{
    qsizetype i = start;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    const __m128i ls = _mm_set1_epi16(short(0x2028));
    for (; i + 8 <= m_units; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_bytes + 2 * i));
        const __m128i breaks = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)),
                                            _mm_cmpeq_epi16(v, ls));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(breaks)))
            return i + __builtin_ctz(mask) / 2;
    }
#endif
    while (i < m_units && !isLineBreak(unit(i)))
        ++i;
    return i;
}

qsizetype LineReader::nextLineStart(qsizetype end) const
{
    if (end < m_units && unit(end) == u'\r' && end + 1 < m_units && unit(end + 1) == u'\n')
        return end + 2;
    return end + 1;
}

qsizetype LineReader::lineStartBefore(qsizetype at, qsizetype floor) const
{
#if defined(__SSE2__)
    // Eight units at a time, looking for CR, LF or U+2028 from the right.
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    const __m128i ls = _mm_set1_epi16(short(0x2028));
    while (at - 8 >= floor) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_bytes + 2 * (at - 8)));
        const __m128i breaks = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)),
                                            _mm_cmpeq_epi16(v, ls));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(breaks)))
            return at - 8 + (31 - __builtin_clz(mask)) / 2 + 1;
        at -= 8;
    }
#endif
    while (at > floor && !isLineBreak(unit(at - 1)))
        --at;
    return at;
}

qsizetype LineReader::find(const Needle& needle, qsizetype from) const
{
    if (needle.m_units == 0)
        return from <= m_units ? from : -1;
    const size_t total = size_t(m_units) * 2;
    size_t pos = size_t(from + needle.m_rareUnit) * 2;
    while (pos < total) {
        const void* hit = std::memchr(m_bytes + pos, needle.m_rareLow, total - pos);
        if (!hit)
            return -1;
        const size_t off = size_t(static_cast<const unsigned char*>(hit) - m_bytes);
        if (off % 2 != 0) {
            pos = off + 1;
            continue;
        }
        pos = off + 2;
        if (m_bytes[off + 1] != needle.m_rareHigh)
            continue;
        const qsizetype start = qsizetype(off / 2) - needle.m_rareUnit;
        if (start + needle.m_units > m_units)
            return -1;
        if (std::memcmp(m_bytes + 2 * start, needle.m_utf16le.constData(), size_t(needle.m_units) * 2) == 0)
            return start;
    }
    return -1;
}

} // namespace ChunkText
