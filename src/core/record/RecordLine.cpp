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
    static const char16_t* const captions[FieldCount] = {u"Rekordnév",  u"Rekord típusa",
                                                         u"Tárgykör",   u"1. alkotó",
                                                         u"2. alkotó",  u"3. alkotó",
                                                         u"4. alkotó",  u"Cím",
                                                         u"Kiadvány",   u"Kiadó",
                                                         u"Évfolyam",   u"Év",
                                                         u"Oldalszám",  u"Megjelenés helye",
                                                         u"Megjegyzés", u"Link",
                                                         u"Fordítás",   u"Nyelv",
                                                         u"Adathordozó"};
    return index >= 0 && index < FieldCount ? QString::fromUtf16(captions[index]) : QString();
}

QString dottedName(QStringView name)
{
    QString out = name.mid(0, 2).toString();
    out.append(u'.').append(name.mid(2, 6)).append(u'.').append(name.mid(8, 2));
    return out;
}

QString undottedName(QStringView dotted)
{
    QString out = dotted.mid(0, 2).toString();
    out.append(dotted.mid(3, 6)).append(dotted.mid(10, 2));
    return out;
}

} // namespace RecordLine
