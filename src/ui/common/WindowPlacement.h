#pragma once

#include <QScreen>
#include <QWidget>

// The shell's dialogs open in the middle of the screen they are on, whatever
// the position of the main window.
inline void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}
