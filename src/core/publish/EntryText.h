#pragma once

#include "core/search/HitEntry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The text of one bibliography entry, without its number, set the way a
// Hungarian bibliography sets it: ISBD order and punctuation, one rule per
// record type.
//
//     Fehérvári Anna: Császárkor : tanulmányok. – Kolozsvár : Nádas Kiadó,
//     1906. – 252 p. – (Forráskiadványok ; 8). – Bibliográfiával.
//
// The heading names one to three authors, family name first; a work with
// more, or with editors and other contributors only, is entered under its
// title. The other creators follow the title in the statement of
// responsibility ("/ ford. Kiss Anna"), a chapter's editors in its host
// volume's ("In: Emlékkönyv … / szerk. Nagy Béla"), with their roles'
// abbreviations from the role table. A stand-alone work (book, offprint,
// thesis, manuscript) has its title in italics; an article, a chapter or a
// review the journal or volume it appeared in.
namespace EntryText {

// The kinds of entry, each with its own rule; the record type names them.
enum class Kind
{
    Book,
    Offprint,
    Thesis,
    Manuscript,
    JournalArticle,
    Chapter,
    Review,
};

Kind kindOf(QStringView recordType, QStringView volumeRun = {});

// `fields`: a split record line (all 19). `roleNames`: the role list
// (szerep.zda); a creator's role is looked up by its name in the role table.
QList<HitRun> build(const QStringList& fields, const QStringList& roleNames);

// True for the record types that appeared inside another publication.
bool isArticleType(QStringView recordType);

// The filled creator slots' names in slot order, each with its blanks
// evened out; empty names are left out.
QStringList creatorNames(const QStringList& fields);

// A name or a place as the indexes list it: blanks evened out.
QString indexForm(QStringView text);

} // namespace EntryText
