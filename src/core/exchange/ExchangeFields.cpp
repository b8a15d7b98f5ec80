#include "core/exchange/ExchangeFields.h"

namespace ExchangeFields {

Exchange::Creator creatorOf(QStringView slot)
{
    return Exchange::Creator{slot.first(RecordSchema::RoleCodeLength).toString(), nameIn(slot).toString()};
}

void ImportedRecord::take(Place place, const QString& name, const QString& value)
{
    if (const std::optional<Role> role = roleOf(place))
        addCreator(*role, value);
    else if (QString Exchange::Record::*const target = entry(place).value)
        takeFirst(m_record.*target, name, value);
    else if (place == Place::Note)
        Exchange::appendToNote(m_note, value);
    else
        keep(name, value);
}

void ImportedRecord::addCreator(Role role, const QString& name)
{
    // The four codes are made once; an import asks for one per creator.
    static const std::array<QString, RecordSchema::OwnRoleCount> codes = {
        RecordSchema::roleCode(Role::Author), RecordSchema::roleCode(Role::Editor),
        RecordSchema::roleCode(Role::Translator), RecordSchema::roleCode(Role::Introduction)};
    m_record.creators.append(Exchange::Creator{codes[size_t(RecordSchema::slotOf(role))], name});
}

Exchange::Record ImportedRecord::finish()
{
    Exchange::finishImported(m_record, std::move(m_note), m_extras);
    return std::move(m_record);
}

} // namespace ExchangeFields
