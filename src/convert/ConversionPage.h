#pragma once

#include <QWidget>

// A page of the main window's page control (filled in by its own change).
class ConversionPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConversionPage)

public:
    explicit ConversionPage(QWidget* parent = nullptr);

    // Entering the page through "Műveletek" > "Konvertálás" resets its controls.
    void resetForMenuEntry();
};
