#pragma once

#include "core/search/HitEntry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The text of one bibliography entry, without its number, in the order the
// results page lists a record's fields: the creators with their roles, the
// title, the publication with its volume or annual run, year and pages, the
// publisher and place, and the note. A stand-alone work (a book, an offprint,
// a thesis) has its title in italics; an article, a chapter or a review has
// the publication it appeared in in italics.
namespace EntryText {

// `fields`: a split record line (all 19). `roleNames`: the role list; the
// first role (author) is not named after a creator, the others are, in
// parentheses, by the browse view's rule for unknown codes.
QList<HitRun> build(const QStringList& fields, const QStringList& roleNames);

// True for the record types that appeared inside another publication.
bool isArticleType(QStringView recordType);

// The filled creator slots' names in slot order, each with its blanks
// evened out; empty names are left out.
QStringList creatorNames(const QStringList& fields);

// A name or a place as the indexes list it: blanks evened out.
QString indexForm(QStringView text);

} // namespace EntryText
