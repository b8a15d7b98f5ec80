#include "ui/common/WholeTextTips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QStyleOptionComboBox>
#include <QToolTip>

namespace {

struct Tip
{
    QString text;
    QRect area; // where the tip stays, in the watched widget's coordinates
};

// The entry under the pointer when its column shows only part of it.
Tip itemTip(const QAbstractItemView* view, const QPoint& at)
{
    const QModelIndex index = view->indexAt(at);
    if (!index.isValid() || index.data(Qt::ToolTipRole).isValid())
        return {};
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect shown = view->visualRect(index).intersected(view->viewport()->rect());
    if (text.isEmpty() || view->sizeHintForIndex(index).width() <= shown.width())
        return {};
    return {text, shown};
}

Tip comboTip(const QComboBox* combo)
{
    const QString text = combo->currentText();
    if (text.isEmpty())
        return {};
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    const QRect field =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    if (combo->fontMetrics().horizontalAdvance(text) <= field.width())
        return {};
    return {text, combo->rect()};
}

Tip labelTip(const QLabel* label)
{
    if (label->text().isEmpty() || label->wordWrap() || label->sizeHint().width() <= label->width())
        return {};
    return {label->text().trimmed(), label->rect()};
}

Tip tipFor(QObject* watched, const QPoint& at)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->toolTip().isEmpty())
        return {};
    if (auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget());
        view && view->viewport() == widget)
        return itemTip(view, at);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return comboTip(combo);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return labelTip(label);
    return {};
}

} // namespace

void WholeTextTips::install()
{
    if (!qApp || qApp->findChild<WholeTextTips*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new WholeTextTips(qApp));
}

bool WholeTextTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    const Tip tip = tipFor(watched, help->pos());
    if (tip.text.isEmpty())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    QToolTip::showText(help->globalPos(), tip.text, widget, tip.area);
    return true;
}
