#include "workspace/RtfReader.h"

#include <QTextCursor>
#include <QTextDocument>

namespace Rtf {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool looksLikeRtf(QByteArrayView bytes)
{
    qsizetype i = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < bytes.size() && isSpace(bytes[i]))
        ++i;
    return bytes.sliced(i).startsWith("{\\rtf");
}

void loadInto(QByteArrayView bytes, QTextDocument& document)
{
    // First cut: text only, skipping starred groups.
    document.clear();
    QString text;
    int depth = 0;
    int skipFrom = -1;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const char c = bytes[i++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (skipFrom == depth)
                skipFrom = -1;
            --depth;
        } else if (c == '\\' && i < n) {
            const char d = bytes[i];
            if ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z')) {
                qsizetype start = i;
                while (i < n &&
                       ((bytes[i] >= 'a' && bytes[i] <= 'z') || (bytes[i] >= 'A' && bytes[i] <= 'Z')))
                    ++i;
                const QByteArrayView word = bytes.sliced(start, i - start);
                if (i < n && bytes[i] == '-')
                    ++i;
                while (i < n && bytes[i] >= '0' && bytes[i] <= '9')
                    ++i;
                if (i < n && bytes[i] == ' ')
                    ++i;
                if (skipFrom < 0 &&
                    (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info"))
                    skipFrom = depth;
                else if (skipFrom < 0 && word == "par")
                    text += u'\n';
            } else {
                ++i;
                if (d == '*' && skipFrom < 0)
                    skipFrom = depth;
                else if (skipFrom < 0 && (d == '{' || d == '}' || d == '\\'))
                    text += QLatin1Char(d);
            }
        } else if (c != '\r' && c != '\n' && skipFrom < 0) {
            text += QLatin1Char(c);
        }
    }
    QTextCursor(&document).insertText(text);
}

} // namespace Rtf
