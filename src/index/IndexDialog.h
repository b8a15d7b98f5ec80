#pragma once

#include <QDialog>

// "Adatbázis indexelése" (filled in by its own change).
class Tindexform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tindexform)

public:
    explicit Tindexform(QWidget* parent = nullptr);
};
