#include "core/convert/EightBitText.h"

#include "core/record/Win1250.h"

namespace EightBitText {

QString fromSourceLine(const QString& line)
{
    for (const QChar ch : line) {
        const char16_t c = ch.unicode();
        if (c >= 0x80 && Win1250::fromUnicodeChar(c) == '?')
            return Win1250::roundTrip(line);
    }
    return line;
}

} // namespace EightBitText
