#pragma once

#include <QAbstractScrollArea>
#include <QStringList>

// A read-only plain-text pane without word wrap for the conversion's source
// and result: it keeps the lines as a list (shared, not copied) and paints
// only the visible ones, so a million lines appear at once. Whole lines are
// selected with the mouse or Shift and the arrow keys, Ctrl+A selects all,
// Ctrl+C copies the selection.
class LinePane final : public QAbstractScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinePane)

public:
    explicit LinePane(QWidget* parent = nullptr);

    void setLines(const QStringList& lines);
    void clear() { setLines({}); }
    const QStringList& lines() const { return m_lines; }
    // The lines joined by line feeds, as a text control would give them.
    QString toPlainText() const { return m_lines.join(u'\n'); }

    // The selected lines, first and last included; both -1 when none.
    int selectionStart() const { return std::min(m_anchor, m_cursor); }
    int selectionEnd() const { return std::max(m_anchor, m_cursor); }
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int lineHeight() const;
    int visibleLineCount() const;
    int lineAt(int y) const;
    void updateScrollBars();
    void moveCursorTo(int line, bool extend);

    QStringList m_lines;
    int m_widestLine = 0; // pixels
    int m_anchor = -1;
    int m_cursor = -1;
};
