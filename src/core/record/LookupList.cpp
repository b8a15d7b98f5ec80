#include "core/record/LookupList.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

namespace LookupList {

QStringList read(const QString& path)
{
    return TextFile::read8Bit(path);
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
