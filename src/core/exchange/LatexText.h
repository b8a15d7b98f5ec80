#pragma once

#include <QString>
#include <QStringView>

// The LaTeX of BibTeX values: accents, escapes, a few named letters and
// symbols, and grouping braces, turned into Unicode text.
namespace LatexText {

// No real value nests groups deeper; a reader refuses a deeper one before
// it decodes it, and the decoder stops nesting there, so no input can use
// up the stack.
inline constexpr int MaxBraceDepth = 100;

// Whether a text holds anything to decode (a brace or a backslash).
bool hasLatex(QStringView text);
// Text with its LaTeX commands, escapes and grouping braces resolved.
QString toUnicode(QStringView text);
// The same, sharing plain text rather than copying it.
QString decoded(const QString& text);

} // namespace LatexText
