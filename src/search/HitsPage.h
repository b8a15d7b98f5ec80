#pragma once

#include <QWidget>

// A page of the main window's page control (filled in by its own change).
class HitsPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HitsPage)

public:
    explicit HitsPage(QWidget* parent = nullptr);
};
