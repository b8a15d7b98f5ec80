#pragma once

#include "core/publish/Bibliography.h"
#include "core/publish/PublishOptions.h"

#include <QPageLayout>
#include <QString>

#include <vector>

class JobControl;
class QPagedPaintDevice;

// Sets a book on the pages of a paged device (a PDF writer, a printer, a
// print preview) as a typesetter would: a centred title page, the table of
// contents, the entries under their headings with the current main heading
// above them, and the indexes in two columns under their letters; the page
// number below. Every paragraph is broken into lines once, with Hungarian
// hyphenation, and the lines are placed on the pages by the rules of the
// trade: a heading never ends a page, an entry split over two pages leaves
// at least two lines on each, and no line leaves the text area. Paragraphs
// are laid out just ahead of the page being filled and let go once it is
// painted, so a book of any length takes little memory.
class PagePainter final
{
public:
    explicit PagePainter(const Bibliography& book);

    // The paper of a page layout; the margins are the book's own, set by the painter.
    static QPageLayout pageLayout(PaperSize paper);

    // Margins in millimetres: top, bottom, and the two sides; with
    // `twoSided`, the inner and the outer side of a leaf.
    struct Margins
    {
        qreal top = 0;
        qreal bottom = 0;
        qreal inner = 0; // left on a one-sided book and on a right-hand page
        qreal outer = 0;
    };
    static Margins margins(PaperSize paper, bool twoSided);

    // Inner and outer margins, blank backs after the title page and before
    // each part, so that every part begins on a right-hand page.
    void setTwoSided(bool twoSided) { m_twoSided = twoSided; }
    // The contents pages are painted after the index instead of after the
    // title page, so the pages are laid out once; the one who writes the
    // file moves them to contentsPosition() (see contentsPages()). Without
    // it the pages are laid out twice, the first time to learn the headings' pages.
    void setContentsLast(bool last) { m_contentsLast = last; }

    // Paints every page on `device`, which already has its paper size;
    // false when the device cannot be painted on. Progress counts
    // paragraphs; a stop ends the run with OperationCancelled.
    bool paint(QPagedPaintDevice& device, JobControl& control);
    int pageCount() const { return m_pages; }

    // Paragraphs laid out ahead of the page being filled, at a time (tests use small batches).
    void setPartSize(qsizetype paragraphs) { m_partSize = qMax<qsizetype>(1, paragraphs); }

    // A heading of the book where it stands, for the PDF's bookmarks.
    struct Mark
    {
        QString title;
        int depth = 1;
        int page = 0;  // in the finished book, from 0
        qreal top = 0; // points below the paper's top edge
    };
    const std::vector<Mark>& marks() const { return m_marks; }
    // With setContentsLast: the last contentsPages() pages painted belong
    // before the page numbered contentsPosition() (from 0).
    int contentsPages() const { return m_contentsPages; }
    int contentsPosition() const { return m_contentsPosition; }

private:
    const Bibliography& m_book;
    qsizetype m_partSize = 200;
    bool m_twoSided = false;
    bool m_contentsLast = false;
    int m_pages = 0;
    std::vector<Mark> m_marks;
    int m_contentsPages = 0;
    int m_contentsPosition = 0;
};
