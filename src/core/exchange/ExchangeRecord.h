#pragma once

#include "core/record/RecordSchema.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// A record as the reference-manager formats see it: the fields of a record
// line by meaning, and the filled creator slots as (role, name) pairs. The
// exporters read it from a line, the importers build a line from it.
namespace Exchange {

// The entry types the record types go to.
enum class EntryKind
{
    Book,
    Article,
    InCollection,
    Other
};

// "könyv", "folyóiratcikk" and "cikk gyűjt. kötetben" have a type of their
// own; an offprint, a review and a zdb "fordítás" go to the nearest one;
// any other text to Other.
EntryKind entryKindOf(QStringView recordType);
// The record type an entry kind stands for (empty for Other).
QString recordTypeOf(EntryKind kind);
// True when the formats carry the record type beside the entry type, because
// the entry type alone does not give it back.
bool needsTypeNote(QStringView recordType);

struct Creator
{
    QString roleCode; // two characters, as the slot holds it
    QString name;
    // The role when it is one of the four with a field of their own.
    std::optional<Role> ownRole() const { return RecordSchema::roleOfCode(roleCode); }
};

// Creators whose role has no field of its own travel in a note part
// "Alkotó (07): Név"; these two turn such a part into a creator and back.
QString creatorNote(const Creator& creator);
bool parseCreatorNote(QStringView text, Creator* creator);
// "Szerző", "Szerkesztő", "Fordító", "Bevezetést írta" for the first four
// roles, "Alkotó (code)" for the rest.
QString roleCaption(const Creator& creator);

struct Record
{
    QString name;
    QString type;
    QString subject;
    QList<Creator> creators; // the filled slots, in slot order
    QString title;
    QString publication;
    QString publisher;
    QString volume;
    QString year;
    QString pages;
    QString place;
    QString note;
    QString link;
    QString translation;
    QString language;
    QString medium;

    static Record fromLine(QStringView line);

    // The record line. Creators go into the four slots: a creator with one of
    // the first four roles takes the slot of that number when it is free, the
    // others take the free slots in order; slots left empty hold their own
    // role code ("01" … "04"), and creators beyond four slots are added to
    // the note. Line breaks become blanks and "**" inside a value is broken
    // up, so a value never moves the fields after it.
    QString toLine() const;
};

// A record without a medium is on paper; the formats name only the others.
bool isOnPaper(QStringView medium);

// Appends `part` to a note, "; " between the parts.
void appendToNote(QString& note, const QString& part);
// The last step of every import: the note gets the fields that have no place
// of their own, the translation flag follows a named translator, and a record
// without a medium is on paper.
void finishImported(Record& record, QString note, const QStringList& extras);

} // namespace Exchange
