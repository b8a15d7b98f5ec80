#pragma once

// The check the RIS and BibTeX fuzz targets share: the file (after a first
// byte that picks the volume) decoded and converted both as lines and as one
// text, the way the conversion reads a file. Both give the same records and
// notes, every record line keeps its fields in place, broken entries are
// reported with a line number inside the file, and nothing is thrown.

#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/record/Utf8Text.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <cstdint>
#include <cstdlib>

namespace FuzzSupport {

// The record lines and the left-out notes of a conversion, checked on the
// way: every record line keeps its fields in place.
inline std::pair<QStringList, QStringList> convertChecked(const SourceFormat* format,
                                                          const ConversionInput& input)
{
    QStringList records;
    format->convert(input, [&](const QString& line) {
        if (RecordLine::split(line).size() != RecordLine::FieldCount ||
            RecordLine::split(line).last().isEmpty())
            std::abort(); // a value moved the fields after it
        records.append(line);
    });
    return {records, format->leftOutNotes(input)};
}

inline void checkExchangeImport(SourceKind kind, const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const int volume = int(data[0] % 8);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    // The fast decoder gives what the library's gives, or finds the bytes
    // malformed when it does.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = utf8.decode(bytes);
    const std::optional<QString> fast = Utf8Text::decodeValidText(bytes);
    if (utf8.hasError() ? fast.has_value() : fast != decoded)
        std::abort();
    const QStringList lines = TextFile::splitUnicodeLines(decoded);
    const DbfTable closedTable;
    const SourceFormat* format = SourceFormat::forKind(kind);
    const ConversionInput byLines{closedTable, lines, volume};
    ConversionInput byText{closedTable, lines, volume};
    byText.text = &decoded;
    try {
        // Read as lines and read as one text (as the conversion reads a
        // file), the same records and notes come out.
        const auto [records, notes] = convertChecked(format, byLines);
        if (convertChecked(format, byText) != std::pair(records, notes))
            std::abort();
        static const QRegularExpression lineNumber(QStringLiteral("^A\\(z\\) (\\d+)\\. sorban"));
        for (const QString& note : notes) {
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
