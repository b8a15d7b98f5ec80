#pragma once

#include "core/record/FieldGrid.h"

#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

// The one numbering of a record's fields. A record line holds them in this
// order; the FieldGrid rows and the data-entry form's numbered edits (Edit1 …
// Edit14) are mapped to it in one table below, so no other code needs to
// know where a field sits.
enum class Field : int
{
    RecordName,
    RecordType,
    Subject,
    Creator1,
    Creator2,
    Creator3,
    Creator4,
    Title,
    Publication,
    Publisher,
    VolumeRun,
    Year,
    Pages,
    Place,
    Note,
    Link,
    Translation,
    Language,
    Medium,
};

namespace RecordSchema {

inline constexpr int FieldCount = 19;
inline constexpr int CreatorCount = 4;
// The form's edits are numbered Edit1 … Edit14; 0 says the field has none.
inline constexpr int NoEdit = 0;

struct FieldEntry
{
    Field field;
    FieldGrid::Row gridRow;
    int editNumber;
};

// clang-format off
inline constexpr std::array<FieldEntry, FieldCount> Table{{
    {Field::RecordName,  FieldGrid::Name,        1},
    {Field::RecordType,  FieldGrid::RecordType,  NoEdit},
    {Field::Subject,     FieldGrid::Subject,     2},
    {Field::Creator1,    FieldGrid::Creators,    3},
    {Field::Creator2,    FieldGrid::Creators,    4},
    {Field::Creator3,    FieldGrid::Creators,    5},
    {Field::Creator4,    FieldGrid::Creators,    6},
    {Field::Title,       FieldGrid::Title,       7},
    {Field::Publication, FieldGrid::Publication, 8},
    {Field::Publisher,   FieldGrid::Publisher,   9},
    {Field::VolumeRun,   FieldGrid::VolumeRun,   10},
    {Field::Year,        FieldGrid::Year,        11},
    {Field::Pages,       FieldGrid::Pages,       12},
    {Field::Place,       FieldGrid::Place,       13},
    {Field::Note,        FieldGrid::Note,        14},
    {Field::Link,        FieldGrid::Link,        NoEdit},
    {Field::Translation, FieldGrid::Translation, NoEdit},
    {Field::Language,    FieldGrid::Language,    NoEdit},
    {Field::Medium,      FieldGrid::Medium,      NoEdit},
}};
// clang-format on

// The 0-based position of a field in a split record line.
constexpr int position(Field field)
{
    return static_cast<int>(field);
}
constexpr Field fieldAt(int position)
{
    return static_cast<Field>(position);
}
constexpr const FieldEntry& entry(Field field)
{
    return Table[std::size_t(position(field))];
}
constexpr FieldGrid::Row gridRow(Field field)
{
    return entry(field).gridRow;
}

// Creator slot 0 … 3.
constexpr Field creator(int slot)
{
    return fieldAt(position(Field::Creator1) + slot);
}
constexpr bool isCreator(Field field)
{
    return position(field) >= position(Field::Creator1) && position(field) <= position(Field::Creator4);
}

constexpr std::optional<Field> fieldOfEdit(int editNumber)
{
    for (const FieldEntry& e : Table)
        if (e.editNumber != NoEdit && e.editNumber == editNumber)
            return e.field;
    return std::nullopt;
}

// A field of a split line (RecordLine::split always gives all 19).
inline const QString& value(const QStringList& fields, Field field)
{
    return fields.at(position(field));
}
inline QString& value(QStringList& fields, Field field)
{
    return fields[position(field)];
}

static_assert(entry(Field::Medium).field == Field::Medium, "the table follows the line's order");
static_assert(fieldOfEdit(14) == Field::Note && fieldOfEdit(3) == Field::Creator1);

} // namespace RecordSchema
