#include "record/RecordLine.h"

namespace RecordLine {

QStringList split(QStringView line)
{
    QStringList fields;
    fields.reserve(FieldCount);
    qsizetype from = 0;
    for (int k = 0; k < FieldCount && from >= 0; ++k) {
        const qsizetype at = line.indexOf(Separator, from);
        if (at < 0) {
            fields.append(line.sliced(from).toString());
            from = -1;
        } else {
            fields.append(line.sliced(from, at - from).toString());
            from = at + Separator.size();
        }
    }
    while (fields.size() < FieldCount)
        fields.append(QString());
    return fields;
}

QString join(const QStringList& fields)
{
    return fields.join(Separator);
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
