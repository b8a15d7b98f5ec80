#pragma once

#include "core/source/RtfParser.h"

#include <QByteArrayView>

class QTextDocument;

// Shows RTF sources in a text document: the core's parser reads them, a thin
// sink here turns what it reads into blocks and character formats.
namespace Rtf {

// Replaces the document's content with the RTF's text and formatting. When
// a stop is asked meanwhile (from another thread) it throws
// OperationCancelled, the document half filled.
void loadInto(QByteArrayView bytes, QTextDocument& document, const JobControl& control = JobControl::none());

} // namespace Rtf
