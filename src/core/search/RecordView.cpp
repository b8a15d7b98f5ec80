#include "core/search/RecordView.h"

#include "core/record/CodeTables.h"
#include "core/record/FieldCursor.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"
#include "core/record/Win1250.h"

#include <cstring>

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

} // namespace

void RecordView::decode(QByteArrayView padded)
{
    m_rows.fill(QByteArrayView());
    m_creatorCount = 0;
    m_creatorRow.clear();

    m_rows[FieldGrid::Name] = RecordSchema::recordName(padded);
    if (padded.size() >= 2) {
        const VolumeTable& table = volumes();
        const quint16 code = twoBytes(padded);
        for (int i = 0; i < CodeTables::VolumeCount; ++i)
            if (code == table.codes[i])
                m_rows[FieldGrid::VolumeName] = table.names[i];
    }

    FieldCursor8 fields(padded, RecordLine::MaxReadLength);
    fields.skip();
    m_rows[FieldGrid::RecordType] = fields.next();
    m_rows[FieldGrid::Subject] = fields.next();
    for (int slot = 0; slot < MaxCreators; ++slot) {
        const QByteArrayView value = fields.next();
        if (value.size() <= CreatorSlot8::RoleLength)
            continue;
        m_creators[m_creatorCount++] = value;
        m_creatorRow.append(value.data(), size_t(value.size())).append("**");
    }
    m_rows[FieldGrid::Creators] = QByteArrayView(m_creatorRow.data(), qsizetype(m_creatorRow.size()));
    for (int at = RecordSchema::position(Field::Title); at < RecordSchema::FieldCount; ++at)
        m_rows[RecordSchema::gridRow(RecordSchema::fieldAt(at))] = fields.next();
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
