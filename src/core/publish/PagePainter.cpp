#include "core/publish/PagePainter.h"

#include "core/job/JobControl.h"
#include "core/publish/BookComposer.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <numeric>

namespace {

using Role = BookComposer::Role;

constexpr qreal Tolerance = 0.01; // device pixels a line may overhang a frame's foot by rounding
constexpr qreal ColumnGap = 14;   // points between the index's columns
constexpr qreal NumberRoom = 36;  // points kept for the page numbers of the contents

// How a kind of paragraph is set, in points.
struct Style
{
    qreal size = 10;
    bool bold = false;
    bool italic = false;
    Qt::Alignment alignment = Qt::AlignLeft;
    qreal indent = 0; // lines after the first
    qreal before = 0;
    qreal after = 0;
};

Style styleOf(Role role, int depth)
{
    switch (role) {
    case Role::Title: {
        static constexpr Style Lines[] = {{24, true, false, Qt::AlignHCenter, 0, 0, 14},
                                          {15, false, true, Qt::AlignHCenter, 0, 0, 0},
                                          {12, false, false, Qt::AlignHCenter, 0, 0, 0},
                                          {12, false, false, Qt::AlignHCenter, 0, 0, 0}};
        return Lines[qBound(1, depth, 4) - 1];
    }
    case Role::Heading: {
        static constexpr Style Levels[] = {{13.5, true, false, Qt::AlignLeft, 0, 16, 7},
                                           {12, true, false, Qt::AlignLeft, 0, 12, 5},
                                           {11, true, false, Qt::AlignLeft, 0, 10, 4},
                                           {10.5, true, true, Qt::AlignLeft, 0, 8, 3},
                                           {10, false, true, Qt::AlignLeft, 0, 8, 3}};
        return Levels[qBound(1, depth, 5) - 1];
    }
    case Role::Entry:
        return {10, false, false, Qt::AlignJustify, 18, 0, 3.5};
    case Role::IndexHeading:
        return {15, true, false, Qt::AlignHCenter, 0, 0, 16};
    case Role::IndexLetter:
        return {10, true, false, Qt::AlignLeft, 0, 8, 2.5};
    case Role::IndexLine:
        break;
    }
    return {9, false, false, Qt::AlignLeft, 12, 0, 0.6};
}

Style contentsStyle(int depth)
{
    return {10, depth == 1, false, Qt::AlignLeft, 12, depth == 1 ? 5.0 : 1.0, 1};
}

QFont bookFont(const Style& style)
{
    QFont font(BookComposer::fontFamily());
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(style.size);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    // Any letter spacing turns the "fi" and "ff" ligatures off, so that the
    // PDF's text holds the letters themselves for searching and copying.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.02);
    return font;
}

// A paragraph broken into lines.
struct Laid
{
    std::unique_ptr<QTextLayout> layout;
    std::unique_ptr<QTextLayout> lead; // drawn at the start of the first line
    std::vector<qreal> heights;
    qreal before = 0;
    qreal after = 0;
    Role role = Role::Entry;
    int depth = 1;
    QString text;
    QString trailer;  // a contents line's page number, set once it is known
    qreal indent = 0; // of the paragraph as a whole (contents levels)
    qreal trailerRoom = 0;

    int lineCount() const { return int(heights.size()); }
    qreal height(int first, int count) const
    {
        return std::accumulate(heights.begin() + first, heights.begin() + first + count, qreal(0));
    }
    qreal total() const { return height(0, lineCount()); }
    bool isHeading() const { return role != Role::Entry && role != Role::IndexLine; }
};
using LaidPtr = std::shared_ptr<Laid>;

// Where the text goes on a page, in device pixels from the paper's corner.
class Geometry
{
public:
    Geometry(const QPagedPaintDevice& device, const PagePainter::Margins& margins, bool twoSided)
        : m_dpi(device.logicalDpiY()), m_twoSided(twoSided)
    {
        const QPageLayout layout = device.pageLayout();
        m_paper = layout.fullRectPixels(device.logicalDpiX());
        m_origin = layout.paintRectPixels(device.logicalDpiX()).topLeft();
        m_top = mm(margins.top);
        m_bottom = mm(margins.bottom);
        m_inner = mm(margins.inner);
        m_outer = mm(margins.outer);
    }

    qreal pt(qreal points) const { return points * m_dpi / 72.0; }
    qreal mm(qreal millimetres) const { return millimetres * m_dpi / 25.4; }
    qreal toPoints(qreal pixels) const { return pixels * 72.0 / m_dpi; }
    // The device paints from the corner of its printable area; the book measures from the paper's.
    QPointF origin() const { return m_origin; }
    QRectF paper() const { return m_paper; }
    qreal bodyWidth() const { return m_paper.width() - m_inner - m_outer; }
    qreal bodyHeight() const { return m_paper.height() - m_top - m_bottom; }
    qreal columnWidth() const { return (bodyWidth() - pt(ColumnGap)) / 2; }
    // `number` counts from 1; odd numbers are right-hand pages.
    QRectF body(int number) const
    {
        const bool leftHand = m_twoSided && number % 2 == 0;
        return {leftHand ? m_outer : m_inner, m_top, bodyWidth(), bodyHeight()};
    }

private:
    qreal m_dpi;
    bool m_twoSided;
    QRectF m_paper;
    QPointF m_origin;
    qreal m_top = 0;
    qreal m_bottom = 0;
    qreal m_inner = 0;
    qreal m_outer = 0;
};

LaidPtr layOut(const QString& text, const QList<QTextLayout::FormatRange>& formats, const Style& style,
               qreal width, const Geometry& geometry, QPaintDevice* device, const QString& lead = QString())
{
    auto laid = std::make_shared<Laid>();
    // The lead (an entry's number) is a line of its own before the first
    // line, a space's width apart, so that justifying never widens its gap.
    qreal leadWidth = 0;
    if (!lead.isEmpty()) {
        Style bold = style;
        bold.bold = true;
        laid->lead = std::make_unique<QTextLayout>(lead, bookFont(bold), device);
        laid->lead->beginLayout();
        QTextLine line = laid->lead->createLine();
        line.setPosition(QPointF(0, 0));
        laid->lead->endLayout();
        leadWidth = line.naturalTextWidth() + QFontMetricsF(bookFont(style), device).horizontalAdvance(u' ');
    }
    laid->before = geometry.pt(style.before);
    laid->after = geometry.pt(style.after);
    laid->layout = std::make_unique<QTextLayout>(text, bookFont(style), device);
    QTextOption option(style.alignment);
    // A word longer than the line, with no hyphenation point left, breaks
    // where it must rather than run into the margin.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    laid->layout->setTextOption(option);
    laid->layout->setFormats(formats);
    laid->layout->beginLayout();
    const qreal indent = geometry.pt(style.indent);
    for (;;) {
        QTextLine line = laid->layout->createLine();
        if (!line.isValid())
            break;
        const qreal x = laid->heights.empty() ? leadWidth : indent;
        line.setLineWidth(qMax<qreal>(1, width - x));
        line.setPosition(QPointF(x, 0));
        laid->heights.push_back(line.height());
    }
    laid->layout->endLayout();
    return laid;
}

void drawLines(QPainter& painter, const Laid& laid, QPointF at)
{
    for (int i = 0; i < laid.lineCount(); ++i) {
        laid.layout->lineAt(i).draw(&painter, at);
        at.ry() += laid.heights[size_t(i)];
    }
}

struct Placed
{
    LaidPtr laid;
    int first = 0;
    int count = 0;
    qreal x = 0; // from the body's corner
    qreal y = 0;
};

struct Page
{
    std::vector<Placed> items;
    QString head;
    bool opening = false; // a part or a main heading begins at its top: no running head
    bool blank = false;
};

// Fills pages with lines, frame by frame: one frame a page, or two columns.
class Flow
{
public:
    using Sink = std::function<void(Page&, int number)>;
    using MarkSink = std::function<void(const Laid&, int number, qreal y)>;

    Flow(const Geometry& geometry, int firstNumber, Sink sink, MarkSink marks)
        : m_geometry(geometry), m_number(firstNumber), m_sink(std::move(sink)), m_marks(std::move(marks))
    {
        resetFrames(0);
    }

    int number() const { return m_number; }
    bool pageEmpty() const { return m_page.items.empty(); }
    // The running head from the next page on, and of this one while it is empty.
    void setHead(const QString& head)
    {
        m_head = head;
        if (m_page.items.empty())
            m_page.head = head;
    }

    // Ends the page unless it is empty, and with `rightHand` adds a blank
    // left-hand page where the next one would be one.
    void startPart(bool rightHand)
    {
        if (!pageEmpty())
            newPage();
        if (rightHand && m_number % 2 == 0) {
            m_page.blank = true;
            newPage();
        }
        m_columns = 1;
        resetFrames(0);
        m_page.head = m_head;
    }

    // The rest of this page and the pages after it in `columns` columns.
    void setColumns(int columns)
    {
        m_columns = columns;
        m_balanceFrom = m_page.items.size();
        resetFrames(m_y);
    }

    // `keep`: the height that has to follow a heading on its frame.
    void add(const LaidPtr& laid, qreal keep)
    {
        const int lines = laid->lineCount();
        if (laid->isHeading()) {
            const qreal need = (frameEmpty() ? 0 : laid->before) + laid->total() + keep;
            if (!frameEmpty() && m_y + need > frame().bottom + Tolerance)
                nextFrame();
            place(laid, 0, lines);
        } else {
            int line = 0;
            while (line < lines) {
                const qreal before = line == 0 && !frameEmpty() ? laid->before : 0;
                const qreal room = frame().bottom - m_y - before + Tolerance;
                int fit = 0;
                qreal height = 0;
                while (line + fit < lines && height + laid->heights[size_t(line + fit)] <= room) {
                    height += laid->heights[size_t(line + fit)];
                    ++fit;
                }
                const int rest = lines - line;
                if (fit == rest) {
                    m_y += before;
                    place(laid, line, rest);
                    break;
                }
                // A split leaves two lines at least on either side.
                int take = qMin(fit, rest - 2);
                if (take < 2 && frameEmpty())
                    take = qMax(fit, 1); // taller than a frame and no rule can hold
                if (take >= 2 || (frameEmpty() && take >= 1)) {
                    m_y += before;
                    place(laid, line, take);
                    line += take;
                }
                nextFrame();
            }
        }
        m_y += laid->after;
    }

    void finish()
    {
        if (!pageEmpty() || m_page.blank)
            newPage();
    }

    // The frames of the last page, two columns of even height where the index ends.
    void balanceColumns()
    {
        if (m_columns != 2 || m_page.items.size() <= m_balanceFrom)
            return;
        std::vector<Placed> items(m_page.items.begin() + qsizetype(m_balanceFrom), m_page.items.end());
        m_page.items.resize(m_balanceFrom);
        const qreal top = m_frames.front().top;
        const qreal bottom = m_frames.back().bottom;
        // The lowest foot at which the page's lines still fit into two columns.
        qreal low = top;
        qreal high = bottom;
        const auto fits = [&](qreal foot, std::vector<Placed>* out) {
            std::vector<Placed> placed;
            int column = 0;
            qreal y = top;
            for (const Placed& item : items) {
                const qreal before = y > top ? item.laid->before : 0;
                const qreal height = item.laid->height(item.first, item.count);
                qreal keep = 0;
                if (item.laid->isHeading() && &item != &items.back()) {
                    const Placed& next = *(&item + 1);
                    keep = next.laid->height(next.first, qMin(next.count, 2));
                }
                if (y > top && y + before + height + keep > foot + Tolerance) {
                    if (++column > 1)
                        return false;
                    y = top;
                }
                Placed copy = item;
                y += y > top ? before : 0;
                copy.x = column == 0 ? 0 : m_geometry.columnWidth() + m_geometry.pt(ColumnGap);
                copy.y = y;
                placed.push_back(copy);
                y += height + item.laid->after;
            }
            if (out != nullptr)
                out->insert(out->end(), placed.begin(), placed.end());
            return true;
        };
        for (int step = 0; step < 24; ++step) {
            const qreal middle = (low + high) / 2;
            if (fits(middle, nullptr))
                high = middle;
            else
                low = middle;
        }
        if (!fits(high, &m_page.items))
            m_page.items.insert(m_page.items.end(), items.begin(), items.end());
    }

private:
    struct Frame
    {
        qreal x;
        qreal top;
        qreal bottom;
    };

    const Frame& frame() const { return m_frames[m_frame]; }
    bool frameEmpty() const { return m_y <= frame().top + Tolerance; }

    void resetFrames(qreal top)
    {
        const qreal height = m_geometry.bodyHeight();
        m_frames.clear();
        if (m_columns == 1) {
            m_frames.push_back({0, top, height});
        } else {
            const qreal step = m_geometry.columnWidth() + m_geometry.pt(ColumnGap);
            m_frames.push_back({0, top, height});
            m_frames.push_back({step, top, height});
        }
        m_frame = 0;
        m_y = top;
    }

    void nextFrame()
    {
        if (m_frame + 1 < m_frames.size()) {
            ++m_frame;
            m_y = frame().top;
        } else {
            newPage();
        }
    }

    void newPage()
    {
        m_sink(m_page, m_number);
        ++m_number;
        m_page = Page();
        m_page.head = m_head;
        m_balanceFrom = 0;
        resetFrames(0);
    }

    void place(const LaidPtr& laid, int first, int count)
    {
        const bool main =
            (laid->role == Role::Heading && laid->depth == 1) || laid->role == Role::IndexHeading;
        if (main && m_page.items.empty() && m_frame == 0)
            m_page.opening = true;
        if (first == 0 && laid->isHeading())
            m_marks(*laid, m_number, m_y);
        m_page.items.push_back({laid, first, count, frame().x, m_y});
        m_y += laid->height(first, count);
    }

    const Geometry& m_geometry;
    int m_number;
    Sink m_sink;
    MarkSink m_marks;
    Page m_page;
    QString m_head;
    int m_columns = 1;
    std::vector<Frame> m_frames;
    size_t m_frame = 0;
    size_t m_balanceFrom = 0; // the page's items before its columns
    qreal m_y = 0;
};

// The book's paragraphs laid out a batch ahead of the page being filled.
class Paragraphs
{
public:
    Paragraphs(const BookComposer& composer, const Geometry& geometry, QPaintDevice* device, qsizetype batch)
        : m_composer(composer), m_geometry(geometry), m_device(device), m_batch(batch),
          m_next(composer.bodyStart())
    {
    }

    qsizetype end() const { return m_composer.paragraphCount(); }

    const LaidPtr& at(qsizetype paragraph)
    {
        while (m_next <= paragraph) {
            const qsizetype to = qMin(end(), m_next + m_batch);
            for (; m_next < to; ++m_next)
                m_cache.push_back(layOutOne(m_next));
        }
        return m_cache[size_t(paragraph - m_first)];
    }

    // Lets go of the paragraphs before `paragraph`; pages still hold those they show.
    void release(qsizetype paragraph)
    {
        while (m_first < paragraph && !m_cache.empty()) {
            m_cache.pop_front();
            ++m_first;
        }
    }

    void restart()
    {
        m_cache.clear();
        m_first = m_composer.bodyStart();
        m_next = m_first;
    }

private:
    LaidPtr layOutOne(qsizetype paragraph) const
    {
        const BookComposer::Piece piece = m_composer.piece(paragraph);
        const bool inColumn = piece.role == Role::IndexLine || piece.role == Role::IndexLetter;
        LaidPtr laid = layOut(piece.text, piece.formats, styleOf(piece.role, piece.depth),
                              inColumn ? m_geometry.columnWidth() : m_geometry.bodyWidth(), m_geometry,
                              m_device, piece.lead);
        laid->role = piece.role;
        laid->depth = piece.depth;
        if (piece.role != Role::Entry && piece.role != Role::IndexLine)
            laid->text = piece.text;
        return laid;
    }

    const BookComposer& m_composer;
    const Geometry& m_geometry;
    QPaintDevice* m_device;
    qsizetype m_batch;
    std::deque<LaidPtr> m_cache;
    qsizetype m_first = m_composer.bodyStart();
    qsizetype m_next;
};

// What follows a heading on its frame: the headings right under it and two
// lines of text at least: two of the first entry, all of a short one (it is
// not split), and of the next one too when the first has a single line.
qreal keepAfter(Paragraphs& paragraphs, qsizetype heading)
{
    qreal keep = 0;
    int lines = 0;
    for (qsizetype next = heading + 1; next < paragraphs.end() && lines < 2; ++next) {
        const Laid& laid = *paragraphs.at(next);
        if (laid.isHeading()) {
            if (lines > 0 || laid.role == Role::IndexHeading)
                break;
            keep += laid.before + laid.total() + laid.after;
            continue;
        }
        const int taken = laid.lineCount() <= 3 ? laid.lineCount() : 2 - lines;
        lines += taken;
        keep += laid.before + laid.height(0, taken) + (lines < 2 ? laid.after : 0);
    }
    return keep;
}

class PageCanvas
{
public:
    PageCanvas(QPagedPaintDevice& device, QPainter& painter, const Geometry& geometry)
        : m_device(device), m_painter(painter), m_geometry(geometry)
    {
        m_headFont.setFamily(BookComposer::fontFamily());
        m_headFont.setStyleHint(QFont::Serif);
        m_headFont.setPointSizeF(8.5);
        m_headFont.setItalic(true);
        m_headFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.02); // no ligatures, as in bookFont()
        m_numberFont = m_headFont;
        m_numberFont.setItalic(false);
        m_numberFont.setPointSizeF(9);
    }

    int pages() const { return m_pages; }

    void begin()
    {
        if (m_pages++ > 0)
            m_device.newPage();
        m_painter.setPen(Qt::black);
    }

    void paint(const Page& page, int number)
    {
        begin();
        if (page.blank)
            return;
        const QRectF body = m_geometry.body(number).translated(-m_geometry.origin());
        for (const Placed& item : page.items) {
            qreal y = item.y;
            for (int i = item.first; i < item.first + item.count; ++i) {
                const QTextLine line = item.laid->layout->lineAt(i);
                const QPointF at(body.left() + item.x + item.laid->indent, body.top() + y);
                if (i == 0 && item.laid->lead) {
                    const QTextLine lead = item.laid->lead->lineAt(0);
                    lead.draw(&m_painter, at + QPointF(0, line.ascent() - lead.ascent()));
                }
                line.draw(&m_painter, at);
                if (i + 1 == item.laid->lineCount() && !item.laid->trailer.isEmpty())
                    drawTrailer(*item.laid, line, body, body.left() + item.x + item.laid->indent,
                                body.top() + y);
                y += item.laid->heights[size_t(i)];
            }
        }
        if (!page.opening && !page.head.isEmpty())
            drawHead(page.head, body);
        drawNumber(number, body);
    }

private:
    // A contents line's dot leaders and page number, on its last line.
    void drawTrailer(const Laid& laid, const QTextLine& line, const QRectF& body, qreal x, qreal top)
    {
        const QFont font = laid.layout->font();
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, &m_device);
        const qreal baseline = top + line.ascent();
        const qreal numberWidth = metrics.horizontalAdvance(laid.trailer);
        m_painter.drawText(QPointF(body.right() - numberWidth, baseline), laid.trailer);
        const qreal dot = metrics.horizontalAdvance(QStringLiteral(". "));
        const qreal from = x + line.x() + line.naturalTextWidth() + dot / 2;
        const qreal to = body.right() - numberWidth - dot / 2;
        const int dots = int((to - from) / dot);
        if (dots > 1)
            m_painter.drawText(QPointF(to - dots * dot, baseline), QStringLiteral(". ").repeated(dots));
    }

    void drawHead(const QString& head, const QRectF& body)
    {
        m_painter.setFont(m_headFont);
        const QFontMetricsF metrics(m_headFont, &m_device);
        const QString text = metrics.elidedText(head, Qt::ElideRight, body.width());
        const qreal baseline = body.top() - m_geometry.mm(6);
        m_painter.drawText(QPointF(body.center().x() - metrics.horizontalAdvance(text) / 2, baseline), text);
        m_painter.save();
        m_painter.setPen(QPen(Qt::black, m_geometry.pt(0.4)));
        const qreal rule = body.top() - m_geometry.mm(4.5);
        m_painter.drawLine(QPointF(body.left(), rule), QPointF(body.right(), rule));
        m_painter.restore();
    }

    void drawNumber(int number, const QRectF& body)
    {
        m_painter.setFont(m_numberFont);
        const QFontMetricsF metrics(m_numberFont, &m_device);
        const QString text = QString::number(number);
        m_painter.drawText(QPointF(body.center().x() - metrics.horizontalAdvance(text) / 2,
                                   body.bottom() + m_geometry.mm(10)),
                           text);
    }

    QPagedPaintDevice& m_device;
    QPainter& m_painter;
    const Geometry& m_geometry;
    QFont m_headFont;
    QFont m_numberFont;
    int m_pages = 0;
};

// The title page: the title and subtitle a little above the middle, the
// compiler below it, place and year at the foot, each centred on the paper.
void paintTitlePage(PageCanvas& canvas, QPainter& painter, const BookComposer& composer,
                    const Geometry& geometry, QPaintDevice* device)
{
    canvas.begin();
    const QRectF body = geometry.body(1).translated(-geometry.origin());
    const qreal width = geometry.bodyWidth();
    const qreal left = (geometry.paper().width() - width) / 2 - geometry.origin().x();
    qreal titleY = body.top() + body.height() * 0.26;
    for (qsizetype i = 0; i < composer.bodyStart(); ++i) {
        const BookComposer::Piece piece = composer.piece(i);
        const Style style = styleOf(piece.role, piece.depth);
        const LaidPtr laid = layOut(piece.text, {}, style, width, geometry, device);
        qreal y = titleY;
        if (piece.depth == 3)
            y = body.top() + body.height() * 0.55;
        else if (piece.depth == 4)
            y = body.bottom() - laid->total();
        drawLines(painter, *laid, QPointF(left, y));
        if (piece.depth <= 2)
            titleY = y + laid->total() + laid->after + geometry.pt(4);
    }
}

} // namespace

PagePainter::PagePainter(const Bibliography& book) : m_book(book) {}

QPageLayout PagePainter::pageLayout(PaperSize paper)
{
    return QPageLayout(QPageSize(paper == PaperSize::B5 ? QPageSize::B5 : QPageSize::A4),
                       QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
}

PagePainter::Margins PagePainter::margins(PaperSize paper, bool twoSided)
{
    if (paper == PaperSize::B5)
        return twoSided ? Margins{19, 22, 22, 15} : Margins{19, 22, 18.5, 18.5};
    return twoSided ? Margins{22, 25, 27, 18} : Margins{22, 25, 22.5, 22.5};
}

bool PagePainter::paint(QPagedPaintDevice& device, JobControl& control)
{
    const PaperSize paper =
        device.pageLayout().pageSize().id() == QPageSize::B5 ? PaperSize::B5 : PaperSize::A4;
    const Geometry geometry(device, margins(paper, m_twoSided), m_twoSided);
    const BookComposer composer(m_book);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    PageCanvas canvas(device, painter, geometry);
    m_marks.clear();

    // The contents: a line for every heading, laid out before the pages are
    // counted, so that the pages after them can be numbered at once.
    std::vector<LaidPtr> contents;
    std::vector<qsizetype> contentsOf; // the paragraph each line stands for
    for (qsizetype i = composer.bodyStart(); i < composer.paragraphCount(); ++i) {
        const Role role = composer.roleOf(i);
        if (role != Role::Heading && role != Role::IndexHeading)
            continue;
        const BookComposer::Piece piece = composer.piece(i);
        const int depth = role == Role::Heading ? piece.depth : 1;
        const Style style = contentsStyle(depth);
        const qreal indent = geometry.pt(14) * (depth - 1);
        LaidPtr line = layOut(piece.text, {}, style, geometry.bodyWidth() - indent - geometry.pt(NumberRoom),
                              geometry, &device);
        line->indent = indent;
        line->trailer = QStringLiteral("0"); // its page number, written in once the pages are known
        contents.push_back(line);
        contentsOf.push_back(i);
    }
    const bool hasContents = std::any_of(contentsOf.begin(), contentsOf.end(),
                                         [&](qsizetype i) { return composer.roleOf(i) == Role::Heading; });
    if (!hasContents)
        contents.clear();

    const int firstContentsPage = m_twoSided ? 3 : 2;
    std::vector<std::pair<Page, int>> contentsPages;
    int bodyStart = 2;
    if (!contents.empty()) {
        Flow flow(
            geometry, firstContentsPage,
            [&](Page& page, int number) { contentsPages.emplace_back(std::move(page), number); },
            [](const Laid&, int, qreal) {});
        flow.setHead(BookComposer::contentsHeading());
        Style headingStyle = styleOf(Role::IndexHeading, 1);
        LaidPtr heading = layOut(BookComposer::contentsHeading(), {}, headingStyle, geometry.bodyWidth(),
                                 geometry, &device);
        heading->role = Role::IndexHeading;
        flow.add(heading, contents.front()->total());
        for (const LaidPtr& line : contents)
            flow.add(line, 0);
        flow.finish();
        contentsPages.front().first.opening = true;
        bodyStart = flow.number();
        if (m_twoSided && bodyStart % 2 == 0) {
            Page blank;
            blank.blank = true;
            contentsPages.emplace_back(std::move(blank), bodyStart++);
        }
    } else if (m_twoSided) {
        bodyStart = 3;
    }
    m_contentsPosition = firstContentsPage - 1;
    m_contentsPages = int(contentsPages.size());

    std::vector<int> headingPages(size_t(composer.paragraphCount()), 0);
    std::vector<qreal> headingTops(size_t(composer.paragraphCount()), 0);
    const qsizetype passes = !m_contentsLast && !contents.empty() ? 2 : 1;
    const auto runBody = [&](bool paintIt) {
        Paragraphs paragraphs(composer, geometry, &device, m_partSize);
        qsizetype current = 0;
        Flow flow(
            geometry, bodyStart,
            [&](Page& page, int number) {
                if (paintIt)
                    canvas.paint(page, number);
            },
            [&](const Laid&, int number, qreal y) {
                headingPages[size_t(current)] = number;
                headingTops[size_t(current)] = geometry.toPoints(geometry.body(number).top() + y);
            });
        flow.setHead(composer.title());
        const qsizetype total = composer.paragraphCount();
        bool inIndex = false;
        for (current = composer.bodyStart(); current < total; ++current) {
            if (current % 256 == 0) {
                control.throwIfStopped();
                control.setProgress((paintIt ? passes - 1 : 0) * total + current, passes * total);
            }
            const LaidPtr laid = paragraphs.at(current);
            if (laid->role == Role::IndexHeading) {
                if (inIndex)
                    flow.balanceColumns();
                flow.setHead(laid->text);
                flow.startPart(m_twoSided);
                flow.add(laid, 0);
                flow.setColumns(2);
                inIndex = true;
                paragraphs.release(current + 1);
                continue;
            }
            const qreal keep = laid->isHeading() ? keepAfter(paragraphs, current) : 0;
            if (laid->role == Role::Heading && laid->depth == 1)
                flow.setHead(laid->text);
            flow.add(laid, keep);
            paragraphs.release(current + 1);
        }
        if (inIndex)
            flow.balanceColumns();
        flow.finish();
        return flow.number();
    };

    if (!m_contentsLast && !contents.empty()) {
        // A first run learns the headings' pages; nothing is painted.
        runBody(false);
    }
    const auto fillContents = [&] {
        for (size_t i = 0; i < contents.size(); ++i)
            contents[i]->trailer = QString::number(headingPages[size_t(contentsOf[i])]);
    };

    paintTitlePage(canvas, painter, composer, geometry, &device);
    if (m_twoSided) {
        Page blank;
        blank.blank = true;
        canvas.paint(blank, 2);
    }
    if (!m_contentsLast) {
        fillContents();
        for (const auto& [page, number] : contentsPages)
            canvas.paint(page, number);
    }
    const int end = runBody(true);
    if (m_contentsLast) {
        fillContents();
        for (const auto& [page, number] : contentsPages)
            canvas.paint(page, number);
    }
    m_pages = canvas.pages();
    Q_ASSERT(m_pages == end - 1);

    if (!contents.empty())
        m_marks.push_back({BookComposer::contentsHeading(), 1, firstContentsPage - 1, 0});
    for (qsizetype i = composer.bodyStart(); i < composer.paragraphCount(); ++i) {
        if (headingPages[size_t(i)] == 0)
            continue;
        const BookComposer::Role role = composer.roleOf(i);
        if (role != Role::Heading && role != Role::IndexHeading)
            continue;
        const BookComposer::Piece piece = composer.piece(i);
        m_marks.push_back({piece.text, role == Role::Heading ? piece.depth : 1, headingPages[size_t(i)] - 1,
                           headingTops[size_t(i)]});
    }
    control.setProgress(composer.paragraphCount(), composer.paragraphCount());
    return painter.end();
}
