#include "ui/workspace/DropBox.h"

DropBox::DropBox(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setAcceptDrops(true);
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFixedSize(33, 23);
    setTabChangesFocus(true);
    // A target for dragged text, which typing has no use for: Tab passes it
    // by, a click still reaches it.
    setFocusPolicy(Qt::ClickFocus);
    QPalette olive = palette();
    olive.setColor(QPalette::Base, QColor(128, 128, 0));
    setPalette(olive);
}

QString DropBox::firstLine() const
{
    const QString text = toPlainText();
    const qsizetype end = text.indexOf(u'\n');
    return end < 0 ? text : text.first(end);
}
