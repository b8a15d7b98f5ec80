#include "core/record/RecordSchema.h"

#include "core/record/CodeTables.h"
#include "core/record/Win1250.h"

namespace RecordSchema {

QString roleCode(Role role)
{
    return CodeTables::roleCode(rolePosition(role));
}

QString dottedName(QStringView name)
{
    QString out = volumeCodeOf(name).toString();
    out.append(u'.').append(numberOf(name)).append(u'.').append(suffixOf(name));
    return out;
}

QString listedName(QStringView line)
{
    return Win1250::roundTrip(recordName(line));
}

QString undottedName(QStringView dotted)
{
    // The dots stand after the volume code and after the number.
    constexpr qsizetype numberAt = VolumeCodeLength + 1;
    constexpr qsizetype suffixAt = numberAt + NumberLength + 1;
    QString out = namePart(dotted, 0, VolumeCodeLength).toString();
    out.append(namePart(dotted, numberAt, NumberLength)).append(namePart(dotted, suffixAt, SuffixLength));
    return out;
}

} // namespace RecordSchema
