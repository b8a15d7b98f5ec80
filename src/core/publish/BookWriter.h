#pragma once

#include "core/publish/Bibliography.h"
#include "core/publish/PublishOptions.h"

class JobControl;
class QIODevice;

// Writes a bibliography as a PDF, an OpenDocument text or one HTML page.
// The target is replaced only once the whole book is written: it is written
// beside the target first and renamed over it at the end, so a failure or a
// stop leaves the previous file as it was, and a stopped run writes nothing.
namespace BookWriter {

// Throws NorlaError "Cannot create file" and OperationCancelled. Progress
// counts paragraphs laid out. `twoSided`: a PDF for printing on both sides
// of the paper, with inner and outer margins.
void write(const Bibliography& book, PublishFormat format, PaperSize paper, const QString& path,
           JobControl& control, bool twoSided = false);

// The HTML page: the same paragraphs, with an inline style sheet.
void writeHtml(const Bibliography& book, QIODevice& device, const JobControl& control);

} // namespace BookWriter
