#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

// The bibliographic rules a published entry and its place in the book
// follow: where each creator role stands in the entry and how it is
// abbreviated, which leading articles filing passes over in each language,
// and which names are entered forename first. The rules are data, shipped
// with the program (src/core/publish/data) and extended by files of the same
// name in the working folder, so a bibliographer extends them by adding
// lines, not code.
namespace FilingRules {

// Where a creator of a role is named in the entry.
enum class RolePlace
{
    Author,    // the heading, when the work is entered under its authors
    Statement, // the statement of responsibility after the title
    Host,      // the host volume's statement (a chapter's editors), else the work's
    Series,    // inside the series' parentheses
    Note,      // a note of its own: "Témavezető: …"
};

struct Role
{
    RolePlace place = RolePlace::Statement;
    QString abbreviation; // "szerk.", "ford."; empty for an author
};

// One filled creator slot.
struct Creator
{
    QString name; // as typed, blanks evened out
    Role role;
};

class Tables final
{
public:
    // The tables shipped with the program, each extended by a file of the
    // same name (szerepek.tsv, nevelok.tsv, utonevek.tsv) in the working
    // folder, the process's current directory, when there is one. Read once.
    static const Tables& shipped();

    // Reads the three tables from their texts (the formats of the shipped files).
    Tables(QStringView roles, QStringView articles, QStringView givenNames);

    // The role of a role name from szerep.zda; a name the table lacks is
    // named in the statement, in lower case.
    Role role(QStringView roleName) const;

    // The title without a leading article of the record's language (field 18;
    // empty means Hungarian) and without leading punctuation.
    QString filingTitle(QStringView title, QStringView language) const;

    // A name as it is filed and indexed: family name first. A name entered
    // forename first ("Giulia Santorelli") is turned ("Santorelli, Giulia")
    // when its first word is a foreign given name and its last word is no
    // given name; every other name is kept as typed.
    QString filingName(QStringView name) const;

private:
    QHash<QString, Role> m_roles;           // by role name in lower case
    QHash<QString, QStringList> m_articles; // by language name in lower case
    QSet<QString> m_foreignGivenNames;      // lower case
    QSet<QString> m_givenNames;             // lower case, foreign and Hungarian
};

// The filled creator slots of a record in slot order, each with its role.
// `roleNames`: szerep.zda; without it the first four roles are the ones every
// role list starts with (author, editor, translator, introduction).
QList<Creator> creatorsOf(const QStringList& fields, const QStringList& roleNames,
                          const Tables& tables = Tables::shipped());

// The creators the entry is headed and filed by: the authors, when there are
// one to three of them. Empty when the work goes under its title: no author,
// more than three, or editors and other contributors only.
QStringList headingAuthors(const QList<Creator>& creators);

// What a filed name is compared by: the comma after the family name counts
// as a blank, so "Santorelli, Giulia" files before "Santorelli Zita" as the
// given names have it, not by where the comma falls in the collation.
QString filingKey(QStringView filingName);

// The letter an index line is filed under in the Hungarian alphabet: "Cs",
// "Dzs", "Gy", "Ö" (also for "Ő"), "A" (also for "Á"); other scripts by
// their capital letter without accents. Empty for a text without a letter.
QString filingLetter(QStringView text);

} // namespace FilingRules
