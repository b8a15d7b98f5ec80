#pragma once

#include <QString>

// The converters work on 8-bit Windows-1250 text: a source line crosses into
// it (what the code page lacks becomes "?") before it is parsed.
namespace EightBitText {

// The line as it comes back from the crossing. A line the code page holds
// whole, by far the usual case, is returned as it is, without a copy.
QString fromSourceLine(const QString& line);

} // namespace EightBitText
