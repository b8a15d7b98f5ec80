#include "core/exchange/CsvFormat.h"

#include "core/record/FieldCursor.h"
#include "core/record/RecordSchema.h"

namespace {

bool needsCsvQuotes(QStringView value)
{
    for (const QChar c : value)
        if (c == u'"' || c == u',' || c == u'\n' || c == u'\r')
            return true;
    return false;
}

void appendCsvField(QString& out, QStringView value)
{
    if (!needsCsvQuotes(value)) {
        out.append(value);
        return;
    }
    out.append(u'"');
    for (const QChar c : value) {
        if (c == u'"')
            out.append(u'"');
        out.append(c);
    }
    out.append(u'"');
}

class CsvWriter final : public RecordWriter
{
public:
    void begin(QString& out) override
    {
        // The mark tells spreadsheets that the text is UTF-8.
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
};

} // namespace

std::unique_ptr<RecordWriter> CsvFormat::writer() const
{
    return std::make_unique<CsvWriter>();
}
