#include "ui/workspace/FieldUndoKeys.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>

FieldUndoKeys::FieldUndoKeys(QAction* undo, QAction* redo, QObject* parent)
    : QObject(parent), m_undo(undo), m_redo(redo)
{
}

void FieldUndoKeys::watch(QLineEdit* edit)
{
    edit->installEventFilter(this);
}

bool FieldUndoKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    const bool fieldHasNothing = (m_undo->shortcuts().contains(pressed) && !edit->isUndoAvailable()) ||
                                 (m_redo->shortcuts().contains(pressed) && !edit->isRedoAvailable());
    if (!fieldHasNothing)
        return false;
    // Not claimed by the field: the window's shortcut runs.
    event->ignore();
    return true;
}
