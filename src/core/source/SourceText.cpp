#include "core/source/SourceText.h"

#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include <QStringDecoder>

namespace SourceText {

QString decodePlain(QByteArrayView bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const bool hasMark =
        (bytes.size() >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) ||
        (bytes.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF);
    if (hasMark)
        return TextFile::decodeUnicodeToString(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return Win1250::toUnicode(bytes);
}

QString firstLine(QStringView selection)
{
    // A rich-text selection ends its lines with U+2029 (paragraph) or U+2028
    // (line break) where a plain one has CR or LF.
    qsizetype end = 0;
    while (end < selection.size()) {
        const char16_t c = selection[end].unicode();
        if (c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029)
            break;
        ++end;
    }
    return selection.first(end).toString();
}

} // namespace SourceText
