#pragma once

#include <QWidget>

class QLabel;

// The status-bar notice that the index misses saved edits: search and browse
// read the index set, not the databases, so a database saved after the last
// indexing is named here, with the way to bring it in one click away.
class StaleIndexNotice final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StaleIndexNotice)

public:
    explicit StaleIndexNotice(QWidget* parent = nullptr);

    // Looks at the databases the index of `startDir` was built from (a few
    // stat calls) and shows or hides the notice.
    void check(const QString& startDir);

Q_SIGNALS:
    void reindexRequested();

private:
    QLabel* m_text = nullptr;
};
