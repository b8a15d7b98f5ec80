#pragma once

#include "core/record/FieldCursor.h"

// One of the four creator slots of a record (fields 4 to 7): the first two
// characters are the role code, the rest is the creator's name.
template <typename View> struct BasicCreatorSlot
{
    static constexpr int Count = 4;
    // Field 4 as a 0-based position among the fields of a line.
    static constexpr int FirstField = 3;
    static constexpr qsizetype RoleLength = 2;

    View role; // fewer than two characters when the slot is that short
    View name; // empty when the slot has two characters or fewer

    static BasicCreatorSlot of(View slot)
    {
        return {slot.first(qMin(RoleLength, slot.size())),
                slot.size() > RoleLength ? slot.sliced(RoleLength) : View()};
    }
};

using CreatorSlot = BasicCreatorSlot<QStringView>;
using CreatorSlot8 = BasicCreatorSlot<QByteArrayView>;

// The filled slots a FieldGrid lists in its creator row, each ended by "**",
// one after the other:
//     CreatorRow creators(grid[FieldGrid::Creators]);
//     for (CreatorSlot8 slot; creators.next(slot);) ...
class CreatorRow final
{
public:
    explicit CreatorRow(QByteArrayView row) : m_fields(row) {}

    bool next(CreatorSlot8& slot)
    {
        if (m_fields.atEnd())
            return false;
        slot = CreatorSlot8::of(m_fields.next());
        return true;
    }

private:
    FieldCursor8 m_fields;
};
