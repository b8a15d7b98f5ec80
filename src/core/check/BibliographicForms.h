#pragma once

#include <QString>
#include <QStringView>

#include <span>

// The forms a year and a page field take in Hungarian bibliographic
// practice, as one table a bibliographer can read (the user guide shows the
// same table). A value of one of these forms is judged by its numbers only:
// an impossible year, a range that runs backwards. A value of none of them is
// reported only when it is plainly wrong: a letter among the digits ("19O7"),
// a number that cannot be a year, no year (or no page number) at all.
namespace BibliographicForms {

enum class Subject
{
    Year,
    Pages,
};

// One accepted form. In `form` the names in braces stand for numbers:
//   {év}           a year, four digits from EarliestYear to next year
//   {évvég}        a year's last two digits after another year ("1998/99")
//   {évtized}      a year's first three digits ("[190-]")
//   {évszázad}     a year's first two digits ("[19--]")
//   {század}       a century in digits, {római század} in Roman numerals
//   {római év}     a year in Roman numerals ("MCMVII")
//   {szám}         a page or other count, {római szám} in Roman numerals
// Every other character stands for itself, letter case aside; a "–" stands
// for any dash ("-", "–", "—"), a blank for one or more, and the blank after
// a full stop may be left out ("é.n."). A full stop that ends the value, as
// it ends an element of a description, is never required. Two numbers joined
// by "–", "/" or "és" are a range, which may not run backwards.
struct Form
{
    Subject subject;
    const char16_t* form;
    const char16_t* example;
    const char16_t* meaning;
};

inline constexpr int EarliestYear = 1450; // the first printed books

// The accepted forms, years first, in the order the guide lists them.
std::span<const Form> table();

// What is plainly wrong with a year field, in a few Hungarian words ("„O”
// betű számjegy helyett", "2027 utáni év"); empty when nothing is. `latestYear` is the
// latest year a record may carry.
QString yearProblem(QStringView value, int latestYear);
// The same for a page field, whose parts are separated by ", ", ";", " : "
// or "+" ("XII, 300 p., 12 t.", "300 p. : ill. ; 24 cm").
QString pagesProblem(QStringView value);

} // namespace BibliographicForms
