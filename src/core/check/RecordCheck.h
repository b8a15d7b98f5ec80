#pragma once

#include "core/record/RecordSchema.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// What the checks can find wrong with one record. None of them blocks a save
// or changes a record: they only name what a reader of the printed
// bibliography would otherwise find first.
enum class CheckKind
{
    Duplicate,       // another record is probably the same work, or has the same name
    Year,            // plainly wrong by the table of year forms (BibliographicForms)
    Pages,           // plainly wrong by the table of page forms
    EmptyTitle,      //
    EmptyType,       //
    UnknownType,     // kept because tipus.zda does not hold it
    UnknownLanguage, // kept because nyelv.zda does not hold it
    UnknownRole,     // a role code szerep.zda has no entry for
    LostLetter,      // a "?" between letters: an old conversion lost a character
    DoubleBlank,     //
    EdgeBlank,       // a blank at the start or the end of a field
};

struct Finding
{
    Field field = Field::RecordName;
    CheckKind kind = CheckKind::Year;
    QString detail; // what is wrong with the value, or the other records, for the message
    // For a duplicate: the other lines of the open document, and the dotted
    // names of the other records of the index set.
    QList<int> otherLines;
    QStringList otherIndexed;

    bool operator==(const Finding&) const = default;
};

namespace CheckText {

// The short Hungarian name of a check, as the report's column shows it.
QString kindName(CheckKind kind);
// One line for a user: the check's name and its detail.
QString message(const Finding& finding);
// What the report calls a field.
QString fieldName(Field field);

} // namespace CheckText

// The checks of one record that need nothing but the record and the three
// lookup lists. The duplicate check needs the other records too; see
// DuplicateIndex.
class RecordChecker final
{
public:
    RecordChecker();

    // The entries of tipus.zda, szerep.zda and nyelv.zda.
    void setLists(const QStringList& recordTypes, const QStringList& roles, const QStringList& languages);
    // The latest year a record may carry (next year, unless a test says otherwise).
    void setLatestYear(int year) { m_latestYear = year; }

    // The findings in field order. `fields` is a split line (19 values).
    std::vector<Finding> check(const QStringList& fields) const;

private:
    QStringList m_recordTypes;
    QStringList m_languages;
    int m_roleCount = -1; // -1: no role list known, so codes are not judged
    int m_latestYear = 0;
    bool m_haveTypes = false;
    bool m_haveLanguages = false;
};
