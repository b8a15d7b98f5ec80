#include "ui/convert/LinePane.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int kMargin = 4;
// Keeps the scroll range far inside int, whatever a line's estimated width.
constexpr qint64 kMaxLineWidth = 1 << 24;
// The arrow keys scroll sideways by a few characters at a time.
constexpr int kCharactersPerStep = 4;

} // namespace

LinePane::LinePane(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
}

void LinePane::setLines(const QStringList& lines)
{
    m_lines = lines;
    m_anchor = m_cursor = -1;
    // Measuring every line would take as long as a text control's layout;
    // the longest by characters, and the average width for the others, is
    // enough for the scroll range.
    const QFontMetrics metrics(font());
    qsizetype longest = -1;
    qsizetype longestSize = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].size() > longestSize) {
            longestSize = m_lines[i].size();
            longest = i;
        }
    }
    m_widestLine = 0;
    if (longest >= 0) {
        const qint64 estimate = qint64(longestSize) * metrics.averageCharWidth();
        const qint64 measured = metrics.horizontalAdvance(m_lines[longest]);
        m_widestLine = int(std::min<qint64>(std::max(estimate, measured) + 2 * kMargin, kMaxLineWidth));
    }
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

int LinePane::lineHeight() const
{
    return std::max(1, QFontMetrics(font()).lineSpacing());
}

int LinePane::visibleLineCount() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

int LinePane::lineAt(int y) const
{
    return verticalScrollBar()->value() + std::max(0, y) / lineHeight();
}

void LinePane::updateScrollBars()
{
    const int pageLines = visibleLineCount();
    verticalScrollBar()->setRange(0, std::max(0, int(m_lines.size()) - pageLines));
    verticalScrollBar()->setPageStep(pageLines);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, m_widestLine - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(QFontMetrics(font()).averageCharWidth() * kCharactersPerStep);
}

void LinePane::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QFontMetrics metrics(font());
    const int height = lineHeight();
    const int first = verticalScrollBar()->value();
    const int last = std::min(int(m_lines.size()) - 1, first + visibleLineCount());
    const int x = kMargin - horizontalScrollBar()->value();
    painter.setFont(font());
    for (int line = first; line <= last; ++line) {
        const int top = (line - first) * height;
        const bool selected = m_cursor >= 0 && line >= selectionStart() && line <= selectionEnd();
        if (selected)
            painter.fillRect(QRect(0, top, viewport()->width(), height),
                             palette().brush(group, QPalette::Highlight));
        painter.setPen(palette().color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(QPoint(x, top + metrics.ascent()), m_lines[line]);
    }
}

void LinePane::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LinePane::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setLines(m_lines);
    } else if (event->type() == QEvent::EnabledChange) {
        viewport()->update();
    }
}

void LinePane::moveCursorTo(int line, bool extend)
{
    if (m_lines.isEmpty())
        return;
    line = std::clamp(line, 0, int(m_lines.size()) - 1);
    m_cursor = line;
    if (!extend || m_anchor < 0)
        m_anchor = line;
    QScrollBar* bar = verticalScrollBar();
    if (line < bar->value())
        bar->setValue(line);
    else if (line >= bar->value() + visibleLineCount())
        bar->setValue(line - visibleLineCount() + 1);
    viewport()->update();
}

void LinePane::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && lineAt(int(event->position().y())) < m_lines.size())
        moveCursorTo(lineAt(int(event->position().y())), event->modifiers() & Qt::ShiftModifier);
}

void LinePane::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        moveCursorTo(lineAt(int(event->position().y())), true);
}

void LinePane::selectAll()
{
    if (m_lines.isEmpty())
        return;
    m_anchor = 0;
    m_cursor = int(m_lines.size()) - 1;
    viewport()->update();
}

void LinePane::copy() const
{
    if (m_cursor < 0)
        return;
    QApplication::clipboard()->setText(
        m_lines.mid(selectionStart(), selectionEnd() - selectionStart() + 1).join(u'\n'));
}

void LinePane::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const int page = visibleLineCount();
    switch (event->key()) {
    case Qt::Key_Up:
        moveCursorTo(m_cursor - 1, extend);
        return;
    case Qt::Key_Down:
        moveCursorTo(m_cursor + 1, extend);
        return;
    case Qt::Key_PageUp:
        moveCursorTo(m_cursor - page, extend);
        return;
    case Qt::Key_PageDown:
        moveCursorTo(m_cursor + page, extend);
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            moveCursorTo(0, extend);
            return;
        }
        horizontalScrollBar()->setValue(0);
        return;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            moveCursorTo(int(m_lines.size()) - 1, extend);
            return;
        }
        horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
        return;
    case Qt::Key_Left:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return;
    case Qt::Key_Right:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}
