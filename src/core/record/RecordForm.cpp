#include "core/record/RecordForm.h"

#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/FieldCursor.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordNumber.h"
#include "core/record/RecordSchema.h"
#include "core/record/Win1250.h"

QString RecordForm::recordName() const
{
    return Win1250::roundTrip(name);
}

QString RecordForm::volumeCode() const
{
    return RecordSchema::volumeCodeOf(QStringView(recordName())).toString();
}

QString RecordForm::suffix() const
{
    return RecordSchema::suffixOf(QStringView(recordName())).toString();
}

QString RecordForm::dottedName() const
{
    return RecordSchema::dottedName(recordName());
}

RecordForm RecordForm::fromLine(QStringView line)
{
    RecordForm form;
    form.name = RecordSchema::recordName(line).toString();

    auto fields = FieldCursor::asIfSeparatorAppended(line);
    form.nameField = fields.next().toString();
    form.recordType = Win1250::roundTrip(fields.next());
    form.subject = fields.next().toString();
    for (int slot = 0; slot < CreatorSlots; ++slot) {
        const CreatorSlot creator = CreatorSlot::of(fields.next());
        form.roleCodes[slot] = creator.role.toString();
        form.creatorNames[slot] = creator.name.toString();
    }
    for (QString& text : form.texts)
        text = fields.next().toString();
    form.link = Win1250::roundTrip(fields.next());
    form.translation = fields.next() != u"0";
    const bool languageStartsWithAsterisk = fields.restStartsWithStar();
    const QStringView language = fields.next();
    form.languageAsStored = Win1250::roundTrip(language);
    form.language = languageStartsWithAsterisk ? QString() : form.languageAsStored;
    const QStringView medium = fields.next();
    form.medium = Win1250::roundTrip(medium);
    return form;
}

QStringList RecordForm::toFields(const QString& nameField) const
{
    QStringList fields;
    fields.reserve(RecordLine::FieldCount);
    fields.append(Win1250::roundTrip(nameField));
    fields.append(Win1250::roundTrip(recordType));
    fields.append(subject);
    for (int slot = 0; slot < CreatorSlots; ++slot)
        fields.append(roleCodes[slot] + creatorNames[slot]);
    for (const QString& text : texts)
        fields.append(text);
    fields.append(Win1250::roundTrip(link));
    fields.append(translation ? QStringLiteral("1") : QStringLiteral("0"));
    fields.append(Win1250::roundTrip(language));
    fields.append(Win1250::roundTrip(medium));
    for (QString& field : fields)
        field = RecordLine::singleLine(field);
    return fields;
}

QString RecordForm::toLine(const QString& nameField) const
{
    return RecordLine::join(toFields(nameField));
}

QString RecordForm::separatorFault(const QStringList& fields)
{
    const int field = RecordLine::firstShiftingField(fields);
    if (field < 0)
        return {};
    return QStringLiteral(
               "A rekord nem menthető: a(z) „%1” mező „**” jelet tartalmaz vagy „*” jelre végződik, "
               "ami a mezőhatárt jelöli, így a mentés a további mezőket elcsúsztatná. Javítsa a "
               "mezőt, majd mentse újra a rekordot.")
        .arg(RecordLine::fieldCaption(field));
}

namespace RecordNaming {

QString newRecordName(int volumePosition, QStringView typedNumber, QStringView suffix)
{
    return CodeTables::volumeCode(volumePosition) +
           RecordNumber::fixWidth(Win1250::roundTrip(typedNumber), int(RecordSchema::NumberLength)) +
           suffix.toString();
}

QString nextTypedNumber(QStringView typedNumber)
{
    return RecordNumber::next(
        RecordNumber::fixWidth(Win1250::roundTrip(typedNumber), int(RecordSchema::NumberLength)));
}

} // namespace RecordNaming
