#pragma once

#include <QWidget>

// A page of the main window's page control (filled in by its own change).
class BrowsePage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowsePage)

public:
    explicit BrowsePage(QWidget* parent = nullptr);

    // Loads the record directory (fsz1.zda, fsz0.zda) of the start directory and
    // shows the first record. With quietWhenAbsent a folder without any index
    // (neither file exists) leaves the page empty without a message.
    void loadBrowseList(const QString& startDir, bool quietWhenAbsent);
    // Selects the first entry equal to the name (letter case ignored) and shows
    // it; false when there is none.
    bool openRecord(const QString& recordName);
};
