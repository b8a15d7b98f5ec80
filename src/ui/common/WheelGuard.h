#pragma once

#include <QObject>

// The mouse wheel changes a combo box or spin box only while that
// control has the keyboard focus. Otherwise Qt hands a wheel notch to
// whatever control is under the pointer, and scrolling over the form would
// silently change a record's role, type or language, or move to another
// record. The notch goes to the control's parent instead, so the page
// around it still scrolls.
//
// One guard serves the whole application: install() puts it on the
// QApplication, where it sees every widget as it is polished.
class WheelGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WheelGuard)

public:
    explicit WheelGuard(QObject* parent = nullptr) : QObject(parent) {}

    // Installs a guard owned by the application; once is enough.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
