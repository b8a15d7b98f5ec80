#pragma once

#include "core/publish/Bibliography.h"
#include "core/publish/PublishOptions.h"

#include <QPageLayout>

class JobControl;
class QPagedPaintDevice;

// Lays a book out page by page on a paged device (a PDF writer, a printer, a
// print preview) and paints the pages with their numbers in the footer; the
// title page carries none. The book is laid out a part at a time: a part's
// paragraphs go into a document of their own, its full pages are painted,
// and the paragraphs of its last, unfinished page start the next part, so
// the pages come out as one long document would give them.
class PagePainter final
{
public:
    explicit PagePainter(const Bibliography& book);

    // The page layout of a paper size: portrait, 2 cm margins (1.8 cm on B5).
    static QPageLayout pageLayout(PaperSize paper);

    // Paints every page on `device`, which already has its page layout.
    // Progress counts paragraphs; a stop ends the run with OperationCancelled.
    void paint(QPagedPaintDevice& device, JobControl& control);
    int pageCount() const { return m_pages; }

    // Paragraphs a part takes to begin with (tests use small parts).
    void setPartSize(qsizetype paragraphs) { m_partSize = qMax<qsizetype>(1, paragraphs); }

private:
    const Bibliography& m_book;
    qsizetype m_partSize = 400;
    int m_pages = 0;
};
