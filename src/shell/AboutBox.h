#pragma once

#include <QDialog>

// "Névjegy" (filled in by its own change).
class Tnevjform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tnevjform)

public:
    explicit Tnevjform(QWidget* parent = nullptr);
};
