#pragma once

#include "core/exchange/ExchangeRecord.h"
#include "core/record/FieldCursor.h"
#include "core/record/RecordSchema.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

// Where the values of a record go in the exchange formats and where they come
// back from: one table for the readers and the writers of every format.
namespace ExchangeFields {

// A place an entry's value takes in a record.
enum class Place : quint8
{
    Other, // none: kept in the note as "name: value"
    Author,
    Editor,
    Translator,
    Introduction,
    Title,
    Publication,
    Publisher,
    Volume,
    Year,
    Date, // the year, when no field gives it
    Pages,
    EndPage,
    City,
    Note,
    Link,
    Language,
    Subject,
    Type,     // the record type beside the entry type
    Medium,   // the medium, when it is one of the known ones
    Addendum, // creator notes
    Name,     // the record name (written only; a read record is named anew)
};

inline constexpr int MaxSpellings = 6;
using Spellings = std::array<QStringView, MaxSpellings>;

struct Entry
{
    Place place;
    // Where a record line holds it, when it holds it in a field of its own.
    std::optional<Field> field;
    // The record value that takes the first value read, when it is a plain one.
    QString Exchange::Record::*value;
    // The names the formats give it; the first is the one written.
    Spellings bibtex;
    Spellings ris;
};

using R = Exchange::Record;

// clang-format off
inline constexpr std::array<Entry, 22> Table{{
    {Place::Other,        std::nullopt,        nullptr,         {},                                                       {}},
    {Place::Author,       std::nullopt,        nullptr,         {u"author"},                                              {u"AU", u"A1"}},
    {Place::Editor,       std::nullopt,        nullptr,         {u"editor"},                                              {u"ED", u"A2"}},
    {Place::Translator,   std::nullopt,        nullptr,         {u"translator"},                                          {u"A4"}},
    {Place::Introduction, std::nullopt,        nullptr,         {u"introduction"},                                        {}},
    {Place::Title,        Field::Title,        &R::title,       {u"title"},                                               {u"TI", u"T1"}},
    {Place::Publication,  Field::Publication,  &R::publication, {u"journal", u"series", u"booktitle", u"journaltitle"},   {u"T2", u"T3", u"JO", u"JF", u"JA", u"BT"}},
    {Place::Publisher,    Field::Publisher,    &R::publisher,   {u"publisher"},                                           {u"PB"}},
    {Place::Volume,       Field::VolumeRun,    &R::volume,      {u"volume"},                                              {u"VL"}},
    {Place::Year,         Field::Year,         &R::year,        {u"year"},                                                {u"PY", u"Y1"}},
    {Place::Date,         std::nullopt,        nullptr,         {u"date"},                                                {}},
    {Place::Pages,        Field::Pages,        &R::pages,       {u"pages"},                                               {u"SP"}},
    {Place::EndPage,      std::nullopt,        nullptr,         {},                                                       {u"EP"}},
    {Place::City,         Field::Place,        &R::place,       {u"address", u"location"},                                {u"CY"}},
    {Place::Note,         Field::Note,         nullptr,         {u"note"},                                                {u"N1"}},
    {Place::Link,         Field::Link,         &R::link,        {u"url"},                                                 {u"UR"}},
    {Place::Language,     Field::Language,     &R::language,    {u"language"},                                            {u"LA"}},
    {Place::Subject,      Field::Subject,      &R::subject,     {u"keywords"},                                            {u"KW"}},
    {Place::Type,         Field::RecordType,   nullptr,         {u"type"},                                                {u"M3"}},
    {Place::Medium,       Field::Medium,       nullptr,         {u"howpublished"},                                        {}},
    {Place::Addendum,     std::nullopt,        nullptr,         {u"addendum"},                                            {}},
    {Place::Name,         Field::RecordName,   nullptr,         {},                                                       {u"ID"}},
}};
// clang-format on

constexpr const Entry& entry(Place place)
{
    return Table[size_t(place)];
}
static_assert(entry(Place::Name).place == Place::Name, "the table follows the places' order");

// The name each format writes.
constexpr QStringView bibtexName(Place place)
{
    return entry(place).bibtex[0];
}
constexpr QStringView risTag(Place place)
{
    return entry(place).ris[0];
}

// The creators' places are the roles of their own.
constexpr std::optional<Role> roleOf(Place place)
{
    if (place < Place::Author || place > Place::Introduction)
        return std::nullopt;
    return static_cast<Role>(int(place) - int(Place::Author) + 1);
}
constexpr Place placeOf(Role role)
{
    return static_cast<Place>(int(Place::Author) + RecordSchema::slotOf(role));
}
static_assert(roleOf(Place::Introduction) == Role::Introduction && placeOf(Role::Editor) == Place::Editor);

// A record line cut into its fields as views into the line: an export reads
// every field of every record once, so none of them is copied.
struct LineFields
{
    std::array<QStringView, RecordSchema::FieldCount> f;

    explicit LineFields(QStringView line)
    {
        FieldCursor cursor(line);
        for (QStringView& value : f)
            value = cursor.next();
    }

    QStringView operator[](Field field) const { return f[size_t(RecordSchema::position(field))]; }
    // Only for a place a line holds in a field of its own.
    QStringView operator[](Place place) const { return (*this)[*entry(place).field]; }
    QStringView slot(int index) const { return (*this)[RecordSchema::creator(index)]; }
};

// A filled creator slot: two characters of role code, then the name.
inline bool isFilledSlot(QStringView slot)
{
    return slot.size() > RecordSchema::RoleCodeLength;
}
// The role of a filled slot when its code is one of the first four roles'.
inline std::optional<Role> ownRole(QStringView slot)
{
    return RecordSchema::roleOfCode(slot.first(RecordSchema::RoleCodeLength));
}
inline QStringView nameIn(QStringView slot)
{
    return slot.sliced(RecordSchema::RoleCodeLength);
}
Exchange::Creator creatorOf(QStringView slot);

// An entry's record as its reader fills it: a value takes the first value
// given for it, and what finds no place is kept for the note as
// "name: value", after the entry's own notes.
class ImportedRecord final
{
public:
    explicit ImportedRecord(Exchange::EntryKind kind) { m_record.type = Exchange::recordTypeOf(kind); }

    Exchange::Record& record() { return m_record; }
    QString& note() { return m_note; }

    // What every format does with a value of a place: a creator of its
    // role, the record value when it has none yet, a part of the note, or
    // kept with its name. A place a reader has a rule of its own for is
    // kept too.
    void take(Place place, const QString& name, const QString& value);
    void takeFirst(QString& target, const QString& name, const QString& value)
    {
        if (target.isEmpty())
            target = value;
        else
            keep(name, value);
    }
    void addCreator(Role role, const QString& name);
    void addCreator(Exchange::Creator creator) { m_record.creators.append(std::move(creator)); }
    void keep(const QString& name, const QString& value)
    {
        m_extras.append(name + QStringLiteral(": ") + value);
    }
    void keep(QString text) { m_extras.append(std::move(text)); }

    // The record with its note, translation flag and medium settled.
    Exchange::Record finish();

private:
    Exchange::Record m_record;
    QString m_note;
    QStringList m_extras;
};

} // namespace ExchangeFields
