#pragma once

#include <QObject>

class QAction;
class QLineEdit;

// The undo and redo keys belong to a focused field while it has typing of its
// own to take back or make again; when it has none, they reach the window's
// commands, which undo and redo the changes of the document. So typing keeps
// the field's own undo, and the keys still work with the cursor in a field.
class FieldUndoKeys final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FieldUndoKeys)

public:
    FieldUndoKeys(QAction* undo, QAction* redo, QObject* parent);

    void watch(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* m_undo;
    QAction* m_redo;
};
