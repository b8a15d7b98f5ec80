#include "core/exchange/CsvFormat.h"

#include "core/record/CsvText.h"
#include "core/record/FieldCursor.h"
#include "core/record/RecordSchema.h"

namespace {

void appendCsvField(QString& out, QStringView value)
{
    CsvText::appendCell(out, value, u',');
}

class CsvWriter final : public RecordWriter
{
public:
    explicit CsvWriter(CsvText::Mark mark) : m_mark(mark) {}

    void begin(QString& out) override
    {
        // The mark tells spreadsheets that the text is UTF-8.
        if (m_mark == CsvText::Mark::ByteOrderMark)
            out.append(QChar(0xFEFF));
        for (const RecordSchema::FieldEntry& entry : RecordSchema::Table) {
            if (entry.field != Field::RecordName)
                out.append(u',');
            appendCsvField(out, RecordSchema::caption(entry.field));
        }
        out.append(u"\r\n");
    }

    void write(QStringView line, QString& out) override
    {
        FieldCursor cursor(line);
        for (int i = 0; i < RecordSchema::FieldCount; ++i) {
            if (i > 0)
                out.append(u',');
            appendCsvField(out, cursor.next());
        }
        out.append(u"\r\n");
    }

private:
    const CsvText::Mark m_mark;
};

} // namespace

std::unique_ptr<RecordWriter> CsvFormat::writer(const ExportOptions& options) const
{
    return std::make_unique<CsvWriter>(options.csvMark);
}
