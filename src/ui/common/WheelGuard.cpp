#include "ui/common/WheelGuard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace {

bool isValueControl(const QObject* object)
{
    return qobject_cast<const QComboBox*>(object) || qobject_cast<const QAbstractSpinBox*>(object);
}

} // namespace

void WheelGuard::install()
{
    if (!qApp || qApp->findChild<WheelGuard*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new WheelGuard(qApp));
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (!isValueControl(watched))
        return false;
    auto* control = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::Polish:
        // Qt's own wheel-focus would give the control the focus at the first
        // notch, and the notch would then change it after all.
        if (control->focusPolicy() == Qt::WheelFocus)
            control->setFocusPolicy(Qt::StrongFocus);
        return false;
    case QEvent::Wheel:
        if (control->hasFocus())
            return false;
        if (QWidget* parent = control->parentWidget())
            QCoreApplication::sendEvent(parent, event);
        return true;
    default:
        return false;
    }
}
