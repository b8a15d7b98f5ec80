#pragma once

#include "core/check/NameTally.h"
#include "core/job/JobControl.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/RecordSchema.h"

#include <QList>
#include <QStringList>

#include <utility>
#include <vector>

// Names that are probably one person, publisher or place written in several
// ways:
// - forms equal once letter case and accents are folded away
//   ("Kovács János", "KOVACS Janos");
// - a form whose given name is an initial, when exactly one full form fits
//   it ("Kovács J." and "Kovács János");
// - forms one edit apart, both longer than 8 characters ("Kovács Jánoss");
// - places that the table of place names (PlaceNames) knows for one:
//   "Bp." and "Budapest", "Pozsony" and "Pressburg".
// An initial that several full forms fit ("Szabó I." beside "Szabó István"
// and "Szabó Ilona") groups none of them: it is listed as its own, ambiguous
// group, never offered for a replacement. A "-né" name ("Kovács Jánosné",
// the wife of Kovács János) is a name of its own and no initial stands for it.
namespace NameVariants {

struct Group
{
    NameKind kind = NameKind::Creator;
    std::vector<NameForm> forms; // most used first
    bool ambiguous = false;

    qint64 recordCount() const;
};

// How a form of a group differs from the form chosen as the authorised one,
// beyond what the grouping allows (case, accents, initials, abbreviations).
// A form that differs so may name someone or something else: it starts
// unticked, and the user ticks it when it is the same after all.
enum class Difference
{
    None,
    FamilyName,    // "Kováts János" beside "Kovács János": a family name of its own
    GivenName,     // "Kovács Jánoss" beside "Kovács János"
    OtherLanguage, // "Pressburg" beside "Pozsony": the same place, a name of its own
};

Difference differenceFrom(NameKind kind, QStringView authorised, QStringView form);
// The form offered as the authorised one at first: the most used whole form
// (a name spelt out, not one with initials; a place's name, not its abbreviation).
size_t firstAuthorised(const Group& group);
// The mark the lists show beside such a form ("más családnév"); empty for None.
QString differenceText(Difference difference);

// The groups of one kind, the most used first. Throws OperationCancelled.
std::vector<Group> find(NameKind kind, const std::vector<NameForm>& forms, JobControl& control);

// The fields a kind of name stands in.
std::vector<Field> fieldsOf(NameKind kind);

// The lines of `document` that hold one of `forms` as a whole field value
// (a creator's name after its role code), with that value replaced by
// `chosen`; every other character of each line stays as it was.
QList<std::pair<int, QString>> uniformChanges(const DatabaseDocument& document, NameKind kind,
                                              const QStringList& forms, const QString& chosen);

} // namespace NameVariants
