#pragma once

#include <QTextEdit>

// A small box in front of a field that takes text dragged out of the source
// window; plain text only, one unwrapped line visible.
class DropBox final : public QTextEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DropBox)

public:
    explicit DropBox(QWidget* parent = nullptr);

    // The text before the first line break.
    QString firstLine() const;
};
