#pragma once

#include "core/search/DuplicateFinder.h"
#include "ui/common/BackgroundJob.h"

#include <QDialog>

#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Duplikátumok keresése": runs the duplicate finder over the index set off
// the user-interface thread and lists the groups with their reason; a click
// on a record asks the main window to open it on "Tallózás".
class DuplicatesDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DuplicatesDialog)

public:
    explicit DuplicatesDialog(QWidget* parent = nullptr);

    void setStartDir(const QString& startDir) { m_startDir = startDir; }
    void setRoleNames(const QStringList& roleNames) { m_roleNames = roleNames; }
    // Starts a run unless one is running.
    void startSearch();
    void cancelSearch();
    bool isRunning() const { return m_job.isRunning(); }

Q_SIGNALS:
    void openRecordRequested(const QString& recordName, int chunkNumber);
    // A run ended: finished, cancelled or failed.
    void searchEnded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showOutcome(std::exception_ptr failure);
    void openClicked(QTreeWidgetItem* item);

    QString m_startDir;
    QStringList m_roleNames;
    QTreeWidget* m_groups = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    // Written by the run, read once it has ended.
    std::optional<std::vector<DuplicateFinder::Group>> m_result;
    // Last, so that it is gone first: it stops and waits for a run still
    // going before what the run writes into goes away.
    BackgroundJob m_job;
};
