#pragma once

#include <QWidget>

// A page of the main window's page control (filled in by its own change).
class BrowsePage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowsePage)

public:
    explicit BrowsePage(QWidget* parent = nullptr);
};
