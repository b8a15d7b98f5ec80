#include "core/search/RecordView.h"

#include "core/record/CodeTables.h"
#include "core/record/RecordLine.h"
#include "core/record/Win1250.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

quint16 twoBytes(QByteArrayView text)
{
    return quint16(static_cast<unsigned char>(text[0]) << 8 | static_cast<unsigned char>(text[1]));
}

struct VolumeTable
{
    std::array<quint16, CodeTables::VolumeCount> codes{};
    std::array<QByteArray, CodeTables::VolumeCount> names;
    VolumeTable()
    {
        for (int i = 0; i < CodeTables::VolumeCount; ++i) {
            codes[i] = twoBytes(Win1250::fromUnicode(CodeTables::volumeCode(i)));
            names[i] = Win1250::fromUnicode(CodeTables::volumeName(i));
        }
    }
};

const VolumeTable& volumes()
{
    static const VolumeTable table;
    return table;
}

qsizetype findSeparator(QByteArrayView text)
{
    // Also keeps the pointer steps below off an empty view's null data.
    if (text.size() < 2)
        return -1;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a separator is a star whose next byte is a star.
    const __m128i star = _mm_set1_epi8('*');
    for (; p + 16 <= end; p += 16) {
        const unsigned stars = unsigned(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), star)));
        if (const unsigned pairs = stars & (stars >> 1))
            return p - begin + __builtin_ctz(pairs);
        if ((stars & 0x8000u) && p + 16 < end && p[16] == '*')
            return p - begin + 15;
    }
#endif
    for (; p + 1 < end; ++p)
        if (p[0] == '*' && p[1] == '*')
            return p - begin;
    return -1;
}

// Takes the text before the first "**" and leaves the rest, cut to the
// length a reader keeps, in `rest`; without a "**" the value is everything.
QByteArrayView takeField(QByteArrayView& rest)
{
    const qsizetype at = findSeparator(rest);
    QByteArrayView value;
    if (at < 0) {
        value = rest;
        rest = {};
    } else {
        value = rest.first(at);
        rest = rest.sliced(at + 2);
    }
    if (rest.size() > RecordLine::MaxReadLength)
        rest = rest.first(RecordLine::MaxReadLength);
    return value;
}

} // namespace

void RecordView::decode(QByteArrayView padded)
{
    m_rows.fill(QByteArrayView());
    m_creatorCount = 0;
    m_creatorRow.clear();

    QByteArrayView rest = padded;
    m_rows[FieldGrid::Name] = rest.first(qMin<qsizetype>(10, rest.size()));
    if (rest.size() >= 2) {
        const VolumeTable& table = volumes();
        const quint16 code = twoBytes(rest);
        for (int i = 0; i < CodeTables::VolumeCount; ++i)
            if (code == table.codes[i])
                m_rows[FieldGrid::VolumeName] = table.names[i];
    }

    takeField(rest);
    m_rows[FieldGrid::RecordType] = takeField(rest);
    m_rows[FieldGrid::Subject] = takeField(rest);
    for (int slot = 0; slot < MaxCreators; ++slot) {
        const QByteArrayView value = takeField(rest);
        if (value.size() <= 2)
            continue;
        m_creators[m_creatorCount++] = value;
        m_creatorRow.append(value.data(), size_t(value.size())).append("**");
    }
    m_rows[FieldGrid::Creators] = QByteArrayView(m_creatorRow.data(), qsizetype(m_creatorRow.size()));
    for (int row = FieldGrid::Title; row <= FieldGrid::Medium; ++row)
        m_rows[row] = takeField(rest);
}

FieldGrid RecordView::toFieldGrid() const
{
    FieldGrid grid;
    for (int row = 0; row < FieldGrid::RowCount; ++row)
        grid.rows[row] = m_rows[row].toByteArray();
    return grid;
}

namespace Bytes {

qsizetype find(QByteArrayView haystack, QByteArrayView needle, qsizetype from)
{
    if (from < 0 || from > haystack.size())
        return -1;
    if (needle.isEmpty())
        return from;
    if (needle.size() > haystack.size() - from)
        return -1;
    // Fields are short: look for the first byte, then compare the rest.
    const char* const begin = haystack.data();
    const char* p = begin + from;
    const char* const last = begin + haystack.size() - needle.size(); // the last possible start
    const char first = needle[0];
    const size_t rest = size_t(needle.size() - 1);
    while (p <= last) {
        p = static_cast<const char*>(std::memchr(p, first, size_t(last - p + 1)));
        if (!p)
            return -1;
        if (std::memcmp(p + 1, needle.data() + 1, rest) == 0)
            return p - begin;
        ++p;
    }
    return -1;
}

} // namespace Bytes
