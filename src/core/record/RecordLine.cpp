#include "core/record/RecordLine.h"

#include "core/record/FieldCursor.h"

namespace RecordLine {

QStringList split(QStringView line)
{
    QStringList fields;
    fields.reserve(FieldCount);
    FieldCursor cursor(line);
    for (int k = 0; k < FieldCount; ++k)
        fields.append(cursor.next().toString());
    return fields;
}

QString join(const QStringList& fields)
{
    return fields.join(Separator);
}

QString singleLine(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029) {
            out.append(u' ');
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

int firstShiftingField(const QStringList& fields)
{
    for (int i = 0; i + 1 < fields.size(); ++i)
        if (fields[i].contains(Separator) || fields[i].endsWith(u'*'))
            return i;
    return -1;
}

QString fieldCaption(int index)
{
    return index >= 0 && index < FieldCount ? RecordSchema::caption(RecordSchema::fieldAt(index)) : QString();
}

} // namespace RecordLine
