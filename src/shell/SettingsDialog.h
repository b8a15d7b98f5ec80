#pragma once

#include <QDialog>

// "Beállítások" (filled in by its own change).
class Tconfigform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tconfigform)

public:
    explicit Tconfigform(QWidget* parent = nullptr);
};
