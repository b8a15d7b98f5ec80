#pragma once

#include "core/record/CreatorSlot.h"
#include "core/record/RecordSchema.h"

#include <QString>
#include <QStringView>

#include <array>

// The values of one record as the data-entry form holds them, and the two
// crossings between a RecordLine and the form: decoding a line for display
// and encoding the form back into a line.
//
// Texts that live in 8-bit controls (record type, link, language, medium,
// record name) are kept as their Windows-1250 round trip, so a character the
// code page lacks is already "?" here, exactly as the controls would hold it.
struct RecordForm
{
    static constexpr int CreatorSlots = CreatorSlot::Count;
    // Fields 8 to 15: title, publication, publisher, volume or annual run,
    // year, pages, place of publication, note (the form's Edit7 … Edit14).
    static constexpr int TextFields =
        RecordSchema::position(Field::Note) - RecordSchema::position(Field::Title) + 1;

    QString name;                                   // Edit1: the first 10 characters of the line
    QString nameField;                              // field 1 as the line holds it, whatever its length
    QString recordType;                             // field 2
    QString subject;                                // field 3
    std::array<QString, CreatorSlots> roleCodes;    // first two characters of fields 4-7
    std::array<QString, CreatorSlots> creatorNames; // the rest of fields 4-7
    std::array<QString, TextFields> texts;          // fields 8-15
    QString link;                                   // field 16
    bool translation = false;
    QString language;         // field 18; empty also when the rest of the line starts with "*"
    QString languageAsStored; // field 18 as the line holds it (8-bit), for keeping what the list lacks
    QString medium;           // field 19

    // 8-bit name n (Windows-1250 round trip of `name`) and its parts.
    QString recordName() const;
    QString volumeCode() const;
    QString suffix() const;
    QString dottedName() const;

    // Decodes a whole line for display, however long it is.
    static RecordForm fromLine(QStringView line);

    // The 19 fields: `nameField` as field 1, the role codes as given, every
    // other value from the form, each on one line (see RecordLine::singleLine).
    QStringList toFields(const QString& nameField) const;
    // The fields joined.
    QString toLine(const QString& nameField) const;
    // Why these fields cannot be saved: a message naming the first field that
    // would shift the ones after it; empty when they can.
    static QString separatorFault(const QStringList& fields);
};

namespace RecordNaming {

// Field 1 of a new record: the volume code, the typed number fitted to six
// characters (as 8-bit text), the suffix.
QString newRecordName(int volumePosition, QStringView typedNumber, QStringView suffix);
// What the number field shows after a new record was appended.
QString nextTypedNumber(QStringView typedNumber);

} // namespace RecordNaming
