#pragma once

#include "core/record/FieldGrid.h"

#include <QString>
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

// The creator roles that have a field of their own in the exchange formats:
// their place in the role list (szerep.zda) and their slot, so their codes
// are "01" … "04".
enum class Role : int
{
    Author = 1,
    Editor = 2,
    Translator = 3,
    Introduction = 4,
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
    const char16_t* caption; // what users call the field in messages and the CSV header
};

// clang-format off
inline constexpr std::array<FieldEntry, FieldCount> Table{{
    {Field::RecordName,  FieldGrid::Name,        1,      u"Rekordnév"},
    {Field::RecordType,  FieldGrid::RecordType,  NoEdit, u"Rekord típusa"},
    {Field::Subject,     FieldGrid::Subject,     2,      u"Tárgykör"},
    {Field::Creator1,    FieldGrid::Creators,    3,      u"1. alkotó"},
    {Field::Creator2,    FieldGrid::Creators,    4,      u"2. alkotó"},
    {Field::Creator3,    FieldGrid::Creators,    5,      u"3. alkotó"},
    {Field::Creator4,    FieldGrid::Creators,    6,      u"4. alkotó"},
    {Field::Title,       FieldGrid::Title,       7,      u"Cím"},
    {Field::Publication, FieldGrid::Publication, 8,      u"Kiadvány"},
    {Field::Publisher,   FieldGrid::Publisher,   9,      u"Kiadó"},
    {Field::VolumeRun,   FieldGrid::VolumeRun,   10,     u"Évfolyam"},
    {Field::Year,        FieldGrid::Year,        11,     u"Év"},
    {Field::Pages,       FieldGrid::Pages,       12,     u"Oldalszám"},
    {Field::Place,       FieldGrid::Place,       13,     u"Megjelenés helye"},
    {Field::Note,        FieldGrid::Note,        14,     u"Megjegyzés"},
    {Field::Link,        FieldGrid::Link,        NoEdit, u"Link"},
    {Field::Translation, FieldGrid::Translation, NoEdit, u"Fordítás"},
    {Field::Language,    FieldGrid::Language,    NoEdit, u"Nyelv"},
    {Field::Medium,      FieldGrid::Medium,      NoEdit, u"Adathordozó"},
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

inline QString caption(Field field)
{
    return QString::fromUtf16(entry(field).caption);
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

// A creator slot holds a two-character role code, then the name.
inline constexpr qsizetype RoleCodeLength = 2;
// The four roles of their own and the slots they sit in when free.
inline constexpr int OwnRoleCount = 4;
constexpr int rolePosition(Role role)
{
    return static_cast<int>(role);
}
constexpr int slotOf(Role role)
{
    return rolePosition(role) - 1;
}
// The role a code stands for when it is one of the four roles' own codes
// ("01" … "04"); no other code stands for them.
constexpr std::optional<Role> roleOfCode(QStringView code)
{
    if (code.size() != RoleCodeLength || code[0] != u'0')
        return std::nullopt;
    const char16_t digit = code[1].unicode();
    if (digit < u'1' || digit >= u'1' + OwnRoleCount)
        return std::nullopt;
    return static_cast<Role>(digit - u'0');
}
// "01" … "04".
QString roleCode(Role role);

// A record name: the volume code, the record's number within the volume,
// the suffix, ten characters in all and the start of every record line.
inline constexpr qsizetype VolumeCodeLength = 2;
inline constexpr qsizetype NumberLength = 6;
inline constexpr qsizetype SuffixLength = 2;
inline constexpr qsizetype RecordNameLength = VolumeCodeLength + NumberLength + SuffixLength;

// `count` characters from `at`, as many as the text has.
template <typename View> View namePart(View name, qsizetype at, qsizetype count)
{
    if (name.size() <= at)
        return View();
    return name.sliced(at, qMin(count, name.size() - at));
}

// The name of a record line: its first ten characters, fewer when the line
// is shorter. Given the line with the "**" that follows it in a chunk file,
// it is the name search results and duplicate groups show, so that a line
// shorter than a name still has one of its own.
template <typename View> View recordName(View line)
{
    return line.first(qMin(RecordNameLength, line.size()));
}
// The same shown name for a line of `lineLength` characters that is read
// one 8-bit character at a time (`charAt(i)`); returns its length.
template <typename CharAt>
qsizetype writeShownName(qsizetype lineLength, const CharAt& charAt, char (&name)[RecordNameLength])
{
    const qsizetype length = qMin(RecordNameLength, lineLength + 2);
    for (qsizetype i = 0; i < length; ++i)
        name[i] = i < lineLength ? charAt(i) : '*';
    return length;
}

template <typename View> View volumeCodeOf(View name)
{
    return namePart(name, 0, VolumeCodeLength);
}
template <typename View> View numberOf(View name)
{
    return namePart(name, VolumeCodeLength, NumberLength);
}
template <typename View> View suffixOf(View name)
{
    return namePart(name, VolumeCodeLength + NumberLength, SuffixLength);
}
// "Ka00012300" -> "Ka.000123.00", as the record's label shows it.
QString dottedName(QStringView name);
// The reverse, for a label's text.
QString undottedName(QStringView dotted);
// The name of a record line as the record-name list shows it: its first ten
// characters as the 8-bit list holds them ("Ma00002100"). Reports that list
// records name them so, and a name read there is found in the list.
QString listedName(QStringView line);

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
static_assert(slotOf(Role::Introduction) == CreatorCount - 1);
static_assert(fieldOfEdit(14) == Field::Note && fieldOfEdit(3) == Field::Creator1);

} // namespace RecordSchema
