#include "core/search/HitEntry.h"

#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/RecordSchema.h"
#include "core/record/Win1250.h"

namespace HitEntry {

namespace {

class EntryWriter
{
public:
    void regular(const QString& text) { add(text, false, false); }
    void bold(const QString& text) { add(text, true, false); }
    void boldItalic(const QString& text) { add(text, true, true); }
    void lineBreak() { m_runs.append(HitRun{QString(), false, false, true}); }
    QList<HitRun> take() { return std::move(m_runs); }

private:
    void add(const QString& text, bool bold, bool italic)
    {
        if (!text.isEmpty())
            m_runs.append(HitRun{text, bold, italic, false});
    }

    QList<HitRun> m_runs;
};

QString text(const FieldGrid& record, int row)
{
    return Win1250::toUnicode(record[row]);
}

void writeCreators(EntryWriter& out, QByteArrayView creators, const QStringList& roleNames)
{
    CreatorRow row(creators);
    for (CreatorSlot8 slot; row.next(slot);) {
        out.regular(CodeTables::roleName(Win1250::toUnicode(slot.role), roleNames) + QStringLiteral(": "));
        out.bold(Win1250::toUnicode(slot.name) + QStringLiteral("   "));
    }
    out.lineBreak();
}

} // namespace

QString recordNumber(QByteArrayView recordName)
{
    QByteArrayView number = RecordSchema::numberOf(recordName);
    while (number.startsWith('0'))
        number = number.sliced(1);
    QString result = Win1250::toUnicode(number);
    const QByteArrayView suffix = RecordSchema::suffixOf(recordName);
    if (suffix != "00") {
        result += u'.';
        result += Win1250::toUnicode(suffix.startsWith('0') ? suffix.sliced(1) : suffix);
    }
    return result;
}

QList<HitRun> build(const FieldGrid& record, const QStringList& roleNames)
{
    EntryWriter out;
    out.boldItalic(text(record, FieldGrid::VolumeName) + QStringLiteral(" - ") +
                   recordNumber(record[FieldGrid::Name]) + QStringLiteral(" - ") +
                   text(record, FieldGrid::RecordType));
    if (!record[FieldGrid::Subject].isEmpty()) {
        out.lineBreak();
        out.bold(text(record, FieldGrid::Subject));
    }
    out.lineBreak();

    if (!record[FieldGrid::Creators].isEmpty())
        writeCreators(out, record[FieldGrid::Creators], roleNames);

    if (record[FieldGrid::Translation] == "1")
        out.regular(QStringLiteral("Ford., "));
    if (!record[FieldGrid::Title].isEmpty())
        out.bold(text(record, FieldGrid::Title) + u':');
    const auto optional = [&](int row, const QString& before, const QString& after) {
        if (!record[row].isEmpty())
            out.regular(before + text(record, row) + after);
    };
    const QString space = QStringLiteral(" ");
    optional(FieldGrid::Publication, space, QStringLiteral(","));
    optional(FieldGrid::Publisher, space, QStringLiteral(","));
    optional(FieldGrid::VolumeRun, space, QStringLiteral("."));
    optional(FieldGrid::Year, space, QStringLiteral("."));
    optional(FieldGrid::Pages, space, QStringLiteral(","));
    optional(FieldGrid::Place, space, QString());
    optional(FieldGrid::Note, space, QString());
    out.lineBreak();

    if (record[FieldGrid::Language].size() > 3)
        out.regular(QStringLiteral("Nyelv: ") + text(record, FieldGrid::Language) + QStringLiteral("     "));
    if (record[FieldGrid::Medium].size() > 3)
        out.regular(QStringLiteral("Adathordozó: ") + text(record, FieldGrid::Medium));
    for (int i = 0; i < 4; ++i)
        out.lineBreak();
    return out.take();
}

QString plainText(const QList<HitRun>& runs)
{
    QString text;
    for (const HitRun& run : runs)
        text += run.lineBreak ? QStringLiteral("\n") : run.text;
    return text;
}

} // namespace HitEntry
