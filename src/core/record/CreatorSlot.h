#pragma once

#include "core/record/FieldCursor.h"
#include "core/record/RecordSchema.h"

// One of the four creator slots of a record (fields 4 to 7): the first two
// characters are the role code, the rest is the creator's name.
template <typename View> struct BasicCreatorSlot
{
    static constexpr int Count = RecordSchema::CreatorCount;
    static constexpr int FirstField = RecordSchema::position(Field::Creator1);
    static constexpr qsizetype RoleLength = RecordSchema::RoleCodeLength;

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
