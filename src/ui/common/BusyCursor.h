#pragma once

#include <QCursor>
#include <QGuiApplication>

// The wait cursor for the length of a long run (a search, an indexing, a
// conversion), restored however the run ends, an exception included.
class BusyCursor final
{
    Q_DISABLE_COPY_MOVE(BusyCursor)

public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};
