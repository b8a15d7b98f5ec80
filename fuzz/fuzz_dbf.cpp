// A dBase table through shapelib and our wrapper: written to a file, opened by
// its path, every record read and mapped to a record line.
#include "FuzzSupport.h"

#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = FuzzSupport::writeScratchFile(QStringLiteral("forras.dbf"), bytes);
    DbfTable table;
    try {
        table.open(path);
    } catch (const NorlaError&) {
        if (table.isOpen())
            std::abort();
        return 0;
    }
    try {
        SourceFormat::forKind(SourceKind::DBase)->convert({table, {}, -1}, [](const QString& line) {
            // A line break inside a value would split the record over two lines.
            if (line.contains(u'\r') || line.contains(u'\n'))
                std::abort();
            if (RecordLine::split(line).size() != RecordLine::FieldCount)
                std::abort();
        });
    } catch (const NorlaError&) {
    }
    return 0;
}
