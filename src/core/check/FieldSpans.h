#pragma once

#include "core/record/RecordSchema.h"

#include <QString>
#include <QStringView>

#include <array>
#include <vector>

// Where each of the 19 fields of a line lies, by the splitting rule of every
// reader, so that an edit can change one field and leave every other
// character of the line as it was: a line with too few separators, or text
// after a 19th one, is kept exactly, not rebuilt from its split fields.
class FieldSpans final
{
public:
    explicit FieldSpans(QStringView line);

    // The field's text; empty for a field the line lacks.
    QStringView value(Field field) const;
    bool exists(Field field) const { return m_spans[size_t(RecordSchema::position(field))].start >= 0; }

    // The line with the given fields replaced. A field the line lacks is
    // not written (its record has no place for it).
    struct Edit
    {
        Field field;
        QString text;
    };
    QString apply(const std::vector<Edit>& edits) const;

private:
    struct Span
    {
        qsizetype start = -1;
        qsizetype length = 0;
    };
    QStringView m_line;
    std::array<Span, RecordSchema::FieldCount> m_spans;
};
