#include "core/record/LookupList.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

namespace LookupList {

QList<QByteArray> read8Bit(const QString& path)
{
    return TextFile::split8BitLines(TextFile::readBytes(path));
}

QStringList read(const QString& path)
{
    QStringList entries;
    for (const QByteArray& entry : read8Bit(path))
        entries.append(Win1250::toUnicode(entry));
    return entries;
}

QStringList readOrEmpty(const QString& path)
{
    try {
        return read(path);
    } catch (const NorlaError&) {
        return {};
    }
}

} // namespace LookupList
