#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <optional>

// The single-byte code pages the program converts with its own tables: the
// 8-bit text of its files (Windows-1250), the code pages RTF sources name
// most (1250, 1252, 1253) and the DOS code page of Hungarian dBase tables
// (852). Each table exists here once; other code pages go through the
// system's converters.
namespace CodePages {

enum class CodePage
{
    Windows1250,
    Windows1252,
    Windows1253,
    Dos852,
};

// Byte -> character for all 256 bytes: ASCII below 0x80, and a byte the code
// page leaves unassigned keeps its own value as code point.
using Table = std::array<char16_t, 256>;

const Table& toUnicodeTable(CodePage codePage);
char16_t toUnicode(CodePage codePage, unsigned char byte);
// The byte of a character; nullopt for a character the code page lacks (an
// unassigned byte's stand-in character among them).
std::optional<unsigned char> fromUnicode(CodePage codePage, char16_t c);
// The text's bytes, `replacement` for every character the code page lacks.
QByteArray fromUnicode(CodePage codePage, QStringView text, char replacement);

// By the number Windows and RTF use (1250, 852, ...).
std::optional<CodePage> byNumber(int number);
// By the converter name the dBase reader uses ("CP1250", "CP852", ...).
std::optional<CodePage> byName(QByteArrayView name);

} // namespace CodePages
