#include "core/publish/PagePainter.h"

#include "core/job/JobControl.h"
#include "core/publish/BookComposer.h"

#include <QAbstractTextDocumentLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>
#include <vector>

namespace {

struct PageGeometry
{
    QRectF body;   // where the text goes, in device pixels, from the paper's corner
    QRectF footer; // the page number's line
    QFont footerFont;
};

PageGeometry geometryOf(QPagedPaintDevice& device)
{
    const QRect paint = device.pageLayout().paintRectPixels(device.logicalDpiX());
    QFont font(BookComposer::fontFamily());
    font.setPointSizeF(9);
    const qreal footerHeight = 0.8 / 2.54 * device.logicalDpiY(); // 8 mm
    PageGeometry geometry;
    geometry.body = QRectF(paint.left(), paint.top(), paint.width(), paint.height() - footerHeight);
    geometry.footer =
        QRectF(paint.left(), paint.bottom() - footerHeight * 0.6, paint.width(), footerHeight * 0.6);
    geometry.footerFont = font;
    return geometry;
}

int pageOf(qreal y, qreal pageHeight)
{
    return int(std::floor((y + 0.5) / pageHeight));
}

// A heading left alone at the foot of a page goes over to the next page,
// with the headings just above it, so that it stands above its first entry.
void keepHeadingsWithEntries(QTextDocument& part, qreal pageHeight)
{
    QAbstractTextDocumentLayout* layout = part.documentLayout();
    for (QTextBlock block = part.firstBlock(); block.isValid(); block = block.next()) {
        const QTextBlock next = block.next();
        if (block.userState() != BookComposer::HeadingState || !next.isValid())
            continue;
        const int page = pageOf(layout->blockBoundingRect(block).top(), pageHeight);
        if (pageOf(layout->blockBoundingRect(next).top(), pageHeight) == page)
            continue;
        QTextBlock first = block;
        while (first.previous().isValid() && first.previous().userState() == BookComposer::HeadingState &&
               pageOf(layout->blockBoundingRect(first.previous()).top(), pageHeight) == page)
            first = first.previous();
        if (!first.previous().isValid() ||
            first.blockFormat().pageBreakPolicy() != QTextFormat::PageBreak_Auto)
            continue; // already at the top of a page of its own
        QTextBlockFormat format;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(first).mergeBlockFormat(format);
        block = first;
    }
}

// The paragraphs of a laid-out part that go on to the next part: the first
// one that reaches the last page, and every one after it, together with any
// paragraph that shares a page with them. `fullPages` gets the pages before
// them, which are finished. Returns the index of the first within the part.
qsizetype firstCarried(QTextDocument& part, int pages, qreal pageHeight, int* fullPages)
{
    std::vector<qreal> tops;
    std::vector<qreal> bottoms;
    for (QTextBlock block = part.firstBlock(); block.isValid(); block = block.next()) {
        const QRectF rect = part.documentLayout()->blockBoundingRect(block);
        tops.push_back(rect.top());
        bottoms.push_back(rect.bottom());
    }
    const auto firstReaching = [&](qreal y) {
        qsizetype i = 0;
        while (i < qsizetype(bottoms.size()) && bottoms[size_t(i)] <= y + 0.5)
            ++i;
        return i;
    };
    qsizetype carried = firstReaching((pages - 1) * pageHeight);
    for (;;) {
        if (carried >= qsizetype(tops.size())) {
            *fullPages = pages;
            return carried;
        }
        const int page = int(std::floor((tops[size_t(carried)] + 0.5) / pageHeight));
        const qsizetype earlier = firstReaching(page * pageHeight);
        if (earlier == carried) {
            *fullPages = page;
            return carried;
        }
        carried = earlier;
    }
}

} // namespace

PagePainter::PagePainter(const Bibliography& book) : m_book(book) {}

QPageLayout PagePainter::pageLayout(PaperSize paper)
{
    const bool b5 = paper == PaperSize::B5;
    const qreal margin = b5 ? 18 : 20;
    return QPageLayout(QPageSize(b5 ? QPageSize::B5 : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}

void PagePainter::paint(QPagedPaintDevice& device, JobControl& control)
{
    const PageGeometry geometry = geometryOf(device);
    const BookComposer composer(m_book, device.logicalDpiY() / 96.0);
    QPainter painter;
    if (!painter.begin(&device))
        return;
    m_pages = 0;
    const qsizetype total = composer.paragraphCount();
    qsizetype from = 0;
    while (from < total) {
        control.throwIfStopped();
        control.setProgress(from, total);
        qsizetype size = m_partSize;
        std::unique_ptr<QTextDocument> part;
        qsizetype next = 0;
        int fullPages = 0;
        // Grow the part until it fills at least one page, or holds the rest.
        for (;;) {
            const qsizetype to = qMin(total, from + size);
            part = composer.newDocument();
            part->documentLayout()->setPaintDevice(&device);
            part->setPageSize(geometry.body.size());
            composer.compose(*part, from, to);
            keepHeadingsWithEntries(*part, geometry.body.height());
            const int pages = part->pageCount();
            if (to == total) {
                fullPages = pages;
                next = total;
                break;
            }
            const qsizetype carried = firstCarried(*part, pages, geometry.body.height(), &fullPages);
            const qsizetype index = from + carried;
            if (fullPages > 0 && index > from) {
                next = index;
                break;
            }
            size *= 2;
        }
        for (int page = 0; page < fullPages; ++page) {
            if (m_pages > 0)
                device.newPage();
            ++m_pages;
            painter.save();
            const QRectF view(0, page * geometry.body.height(), geometry.body.width(),
                              geometry.body.height());
            painter.translate(geometry.body.left(), geometry.body.top() - view.top());
            painter.setClipRect(view);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = view;
            context.palette.setColor(QPalette::Text, Qt::black);
            part->documentLayout()->draw(&painter, context);
            painter.restore();
            if (m_pages > 1) {
                painter.setFont(geometry.footerFont);
                painter.setPen(Qt::black);
                painter.drawText(geometry.footer, Qt::AlignHCenter | Qt::AlignBottom,
                                 QString::number(m_pages));
            }
        }
        from = next;
    }
    control.setProgress(total, total);
    painter.end();
}
