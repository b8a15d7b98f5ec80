#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The one crossing between Unicode text and the 8-bit Windows-1250 text that
// record names, combo boxes, lookup lists and the record directory hold.
namespace Win1250 {

// Every character the code page lacks becomes "?".
QByteArray fromUnicode(QStringView text);
// Total: every byte has a character (the five unassigned bytes map to U+0081 etc.).
QString toUnicode(QByteArrayView bytes);
// The text as it comes back after a trip through the code page ("?" for what is lost).
QString roundTrip(QStringView text);

char fromUnicodeChar(char16_t c);
char16_t toUnicodeChar(unsigned char b);

} // namespace Win1250
