#pragma once

#include "core/publish/Bibliography.h"
#include "core/publish/PublishOptions.h"

#include <QByteArray>

class JobControl;

// The book as an OpenDocument text the way a word processor expects it: real
// headings with outline levels and named paragraph styles ("Heading 1",
// "Bibliográfiai tétel", "Névmutató"), so the navigator, a table of contents
// and a change of style work; the page size, Hungarian as the language, page
// numbers in the footer, a table of contents after the title page and the
// name index in two columns. Every index number links to its entry.
namespace OdtWriter {

// The whole package (mimetype, manifest, content, styles, meta) as the bytes
// of a zip archive. Throws OperationCancelled when `control` asks, and
// NorlaError "Cannot create file" with `path` when the archive cannot be
// made. Progress counts entries.
QByteArray package(const Bibliography& book, PaperSize paper, const QString& path, JobControl& control);

} // namespace OdtWriter
