#pragma once

#include "core/record/CodePages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The code page of a dBase table's character data and the way from its bytes
// to the program's 8-bit text.
namespace DbfCodePage {

// iconv name of the code page a language driver byte (byte 29 of the table
// header) stands for; empty for 0 and for drivers of multi-byte or unknown
// code pages, which then go through detect().
QByteArray forLanguageDriver(unsigned char driver);

// Tells code page 852 from 1250 by the bytes themselves: Hungarian text read
// in the wrong one of the two turns into box-drawing, symbol and control
// characters, while read in the right one it gives letters.
class Detector
{
public:
    void feed(QByteArrayView bytes);
    // "CP852" when the bytes clearly read better that way, else "CP1250".
    QByteArray verdict() const;

private:
    qint64 m_score = 0; // > 0 favours 852
};

// Byte -> character of a single-byte code page (ASCII below 0x80; a byte the
// code page leaves unassigned keeps its own value as code point). Throws
// NorlaError when the system has no converter for it.
using Table = CodePages::Table;
Table toUnicodeTable(const QByteArray& codePage);

// Byte -> the character it becomes after the crossing into the program's
// 8-bit Windows-1250 text and back ("?" for what 1250 lacks).
Table toWin1250RoundTripTable(const QByteArray& codePage);

// The bytes through a table.
QString decode(QByteArrayView bytes, const Table& table);

} // namespace DbfCodePage
