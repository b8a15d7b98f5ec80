#pragma once

#include "core/record/CreatorSlot.h"
#include "core/record/FieldGrid.h"

#include <QByteArrayView>

#include <array>
#include <string>

// The FieldGrid of one record as views into the 8-bit line, so a search over
// a million records decodes without allocating per record. Gives exactly the
// values of FieldGrid::decode.
class RecordView final
{
public:
    static constexpr int MaxCreators = CreatorSlot8::Count;

    // `padded` is the 8-bit line followed by "**"; the views point into it
    // (and into this object for the creator row), so both must outlive them.
    void decode(QByteArrayView padded);

    QByteArrayView row(int index) const { return m_rows[index]; }
    // The filled creator slots (role code + name) that make up the creator row.
    int creatorCount() const { return m_creatorCount; }
    QByteArrayView creator(int index) const { return m_creators[index]; }

    FieldGrid toFieldGrid() const;

private:
    std::array<QByteArrayView, FieldGrid::RowCount> m_rows;
    std::array<QByteArrayView, MaxCreators> m_creators;
    int m_creatorCount = 0;
    std::string m_creatorRow;
};

namespace Bytes {

// Position of the first occurrence of `needle` in `haystack` at or after
// `from`, or -1. An empty needle is found at `from`.
qsizetype find(QByteArrayView haystack, QByteArrayView needle, qsizetype from = 0);
inline bool contains(QByteArrayView haystack, QByteArrayView needle)
{
    return find(haystack, needle) >= 0;
}

} // namespace Bytes
