// A BibTeX file as the conversion reads it: every well-formed entry becomes a record
// line of the chosen volume (taken from the first byte); broken entries are
// reported with a line number inside the file, never thrown.
#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int volume = int(data[0] % 8);
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList lines = TextFile::splitUnicodeLines(QString::fromUtf8(bytes));
    const DbfTable closedTable;
    const SourceFormat* format = SourceFormat::forKind(SourceKind::BibTeX);
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
    return 0;
}
