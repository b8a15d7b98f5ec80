#pragma once

// The check the RIS and BibTeX fuzz targets share: the file (after a first
// byte that picks the volume) converted as the conversion reads it. Every
// record line keeps its fields in place, broken entries are reported with a
// line number inside the file, and nothing is thrown.

#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>

namespace FuzzSupport {

inline void checkExchangeImport(SourceKind kind, const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const int volume = int(data[0] % 8);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList lines = TextFile::splitUnicodeLines(QString::fromUtf8(bytes));
    const DbfTable closedTable;
    const SourceFormat* format = SourceFormat::forKind(kind);
    const ConversionInput input{closedTable, lines, volume};
    try {
        format->convert(input, [&](const QString& line) {
            if (RecordLine::split(line).size() != RecordLine::FieldCount ||
                RecordLine::split(line).last().isEmpty())
                std::abort(); // a value moved the fields after it
        });
        static const QRegularExpression lineNumber(QStringLiteral("^A\\(z\\) (\\d+)\\. sorban"));
        for (const QString& note : format->leftOutNotes(input)) {
            const QRegularExpressionMatch match = lineNumber.match(note);
            if (!match.hasMatch() || match.captured(1).toInt() < 1 ||
                match.captured(1).toInt() > qMax(1, int(lines.size())))
                std::abort();
        }
    } catch (const NorlaError&) {
        std::abort(); // a chosen volume leaves nothing to fail
    }
}

} // namespace FuzzSupport
