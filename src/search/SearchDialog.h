#pragma once

#include <QDialog>

// "Összetett keresés" (filled in by its own change).
class Tkeresform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tkeresform)

public:
    explicit Tkeresform(QWidget* parent = nullptr);
};
