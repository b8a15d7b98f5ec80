#include "core/record/Win1250.h"

#include "core/record/CodePages.h"

namespace {

using CodePages::CodePage;

const CodePages::Table& table()
{
    return CodePages::toUnicodeTable(CodePage::Windows1250);
}

} // namespace

namespace Win1250 {

char16_t toUnicodeChar(unsigned char b)
{
    return table()[b];
}

char fromUnicodeChar(char16_t c)
{
    return char(CodePages::fromUnicode(CodePage::Windows1250, c).value_or('?'));
}

QByteArray fromUnicode(QStringView text)
{
    return CodePages::fromUnicode(CodePage::Windows1250, text, '?');
}

QString toUnicode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    const CodePages::Table& codes = table();
    for (const char b : bytes)
        *dst++ = QChar(codes[static_cast<unsigned char>(b)]);
    return out;
}

QString roundTrip(QStringView text)
{
    return toUnicode(fromUnicode(text));
}

} // namespace Win1250
