#include "core/record/RecordNumber.h"

namespace RecordNumber {

QString fixWidth(QStringView text, int width)
{
    if (text.size() >= width)
        return text.first(width).toString();
    return QString(width - text.size(), u'0') + text.toString();
}

QString next(QStringView fitted)
{
    qsizetype digits = 0;
    while (digits < fitted.size() && fitted[digits] >= u'0' && fitted[digits] <= u'9')
        ++digits;
    if (digits == 0)
        return QString();
    // Decimal increment on the digit string itself, so any length works.
    QString number = fitted.first(digits).toString();
    int i = int(number.size()) - 1;
    while (i >= 0 && number[i] == u'9')
        number[i--] = u'0';
    if (i < 0)
        number.prepend(u'1');
    else
        number[i] = QChar(number[i].unicode() + 1);
    while (number.size() > 1 && number.startsWith(u'0'))
        number.remove(0, 1);
    return number;
}

} // namespace RecordNumber
