// A zdb file as the conversion reads it: its lines (Unicode text file rules),
// the key table, and a record line per row.
#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = TextFile::decodeUnicode(bytes);
    const DbfTable closedTable;
    qsizetype produced = 0;
    try {
        SourceFormat::forKind(SourceKind::Zdb)->convert({closedTable, lines, -1}, [&](const QString& line) {
            ++produced;
            if (RecordLine::split(line).size() != RecordLine::FieldCount)
                std::abort();
        });
    } catch (const NorlaError&) {
        // A bad field number stops the conversion before any line is built.
        if (produced != 0)
            std::abort();
    }
    // No more rows than lines.
    if (produced > lines.size())
        std::abort();
    return 0;
}
