#pragma once

#include <QObject>

// A text that does not fit its control shows whole in a tooltip while the
// pointer rests on it: a list or tree entry wider than its column (a long
// creator, a record name, a path), the entry a combo box shows in its box,
// a label that a long path outgrows. Controls with a tooltip of their own
// and item data that bring one keep theirs.
//
// One filter serves the whole application: install() puts it on the
// QApplication, where it sees the tooltip request of every widget.
class WholeTextTips final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WholeTextTips)

public:
    explicit WholeTextTips(QObject* parent = nullptr) : QObject(parent) {}

    // Installs a filter owned by the application; once is enough.
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
