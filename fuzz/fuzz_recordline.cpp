// Record line splitting and the field grid decoding, on any line.
#include "core/record/FieldGrid.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const FieldGrid grid = FieldGrid::decode(bytes);
    if (grid[FieldGrid::Name].size() > 10)
        std::abort();
    for (const QString& line : TextFile::decodeUnicode(bytes)) {
        const QStringList fields = RecordLine::split(line);
        if (fields.size() != RecordLine::FieldCount)
            std::abort();
        // Joining never adds text, and a line without "**" in its values splits back the same.
        if (RecordLine::join(fields).size() > line.size() + 2 * RecordLine::FieldCount)
            std::abort();
        FieldGrid::decodeUnicode(line);
        RecordLine::dottedName(line);
    }
    return 0;
}
