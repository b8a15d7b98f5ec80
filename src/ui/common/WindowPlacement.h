#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// The shell's dialogs open in the middle of the screen they are on, whatever
// the position of the main window; a window not yet on a screen takes the
// primary one.
inline void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
