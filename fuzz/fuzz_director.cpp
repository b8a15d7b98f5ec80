// A Director export as the conversion reads it: blocks of 16 lines, each
// made into a record line of the chosen volume (taken from the first byte).
#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int volume = int(data[0] % 10) - 1; // -1 … 8: none, the eight volumes, one out of range
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList lines = TextFile::decodeUnicode(bytes);
    const DbfTable closedTable;
    qsizetype produced = 0;
    try {
        SourceFormat::forKind(SourceKind::Director)
            ->convert({closedTable, lines, volume}, [&](const QString& line) {
                ++produced;
                if (RecordLine::split(line).size() != RecordLine::FieldCount)
                    std::abort();
            });
    } catch (const NorlaError&) {
        if (volume >= 0 && volume < 8)
            std::abort(); // only a missing volume is an error
    }
    if (produced > lines.size() / 16)
        std::abort();
    return 0;
}
