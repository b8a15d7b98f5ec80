#include "search/RecordView.h"

#include "record/CodeTables.h"
#include "record/RecordLine.h"
#include "record/Win1250.h"

#include <cstring>

namespace {

struct VolumeTable
{
    std::array<QByteArray, CodeTables::VolumeCount> codes;
    std::array<QByteArray, CodeTables::VolumeCount> names;
    VolumeTable()
    {
        for (int i = 0; i < CodeTables::VolumeCount; ++i) {
            codes[i] = Win1250::fromUnicode(CodeTables::volumeCode(i));
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
    const char* begin = text.data();
    const char* end = begin + text.size();
    for (const char* p = begin; p + 1 < end;) {
        const auto* star = static_cast<const char*>(std::memchr(p, '*', size_t(end - p - 1)));
        if (!star)
            return -1;
        if (star[1] == '*')
            return star - begin;
        p = star + 2; // star[1] is not '*', so no separator starts there
    }
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
        for (int i = 0; i < CodeTables::VolumeCount; ++i)
            if (rest.first(2) == table.codes[i])
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
    const void* at = ::memmem(haystack.data() + from, size_t(haystack.size() - from), needle.data(),
                              size_t(needle.size()));
    return at ? static_cast<const char*>(at) - haystack.data() : -1;
}

} // namespace Bytes
