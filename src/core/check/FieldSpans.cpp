#include "core/check/FieldSpans.h"

#include "core/record/FieldCursor.h"

#include <algorithm>

FieldSpans::FieldSpans(QStringView line) : m_line(line)
{
    qsizetype from = 0;
    for (int k = 0; k < RecordSchema::FieldCount; ++k) {
        if (from > line.size())
            break;
        const qsizetype at = FieldSeparator::find(line.sliced(from));
        // The last field ends before a further separator, as readers cut it.
        const qsizetype length = at < 0 ? line.size() - from : at;
        m_spans[size_t(k)] = {from, length};
        if (at < 0)
            break;
        from += at + 2;
    }
}

QStringView FieldSpans::value(Field field) const
{
    const Span& span = m_spans[size_t(RecordSchema::position(field))];
    return span.start < 0 ? QStringView() : m_line.sliced(span.start, span.length);
}

QString FieldSpans::apply(const std::vector<Edit>& edits) const
{
    std::vector<const Edit*> ordered;
    for (const Edit& edit : edits)
        if (exists(edit.field))
            ordered.push_back(&edit);
    std::sort(ordered.begin(), ordered.end(), [](const Edit* a, const Edit* b) {
        return RecordSchema::position(a->field) < RecordSchema::position(b->field);
    });
    QString out;
    out.reserve(m_line.size() + 16);
    qsizetype copied = 0;
    for (const Edit* edit : ordered) {
        const Span& span = m_spans[size_t(RecordSchema::position(edit->field))];
        if (span.start < copied)
            continue; // the same field twice: the first edit wins
        out.append(m_line.sliced(copied, span.start - copied));
        out.append(edit->text);
        copied = span.start + span.length;
    }
    out.append(m_line.sliced(copied));
    return out;
}
