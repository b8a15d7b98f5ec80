#pragma once

#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"

#include <QStringList>

#include <initializer_list>
#include <utility>

// A sound record, with the fields given changed: every check passes on it
// unless a test says otherwise.
inline QString recordLine(std::initializer_list<std::pair<Field, QString>> changes = {})
{
    QStringList fields = RecordLine::split(
        u"Ka00012300**könyv**Helytörténet**01Kovács János**02**03**04**A régi Pest**Kis könyvtár**Nádas "
        u"Kiadó****1998**123 p.**Budapest**Jegyzet****0**magyar**papír");
    for (const auto& [field, value] : changes)
        RecordSchema::value(fields, field) = value;
    return RecordLine::join(fields);
}
