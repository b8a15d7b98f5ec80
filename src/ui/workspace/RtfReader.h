#pragma once

#include <QByteArrayView>

class QTextDocument;

// A compact reader for Rich Text Format, enough to show the sources that
// bibliographers copy from: text, paragraphs and the common character and
// paragraph formatting. It never recurses and does a bounded amount of work
// per input byte, so broken or hostile files cannot crash it or hang it.
namespace Rtf {

// True when the bytes start (after optional whitespace / byte-order mark) with "{\rtf".
bool looksLikeRtf(QByteArrayView bytes);
// Replaces the document's content with the RTF's text and formatting.
void loadInto(QByteArrayView bytes, QTextDocument& document);

} // namespace Rtf
