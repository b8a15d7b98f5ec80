#pragma once

#include "core/check/DatabaseCheck.h"

#include <QDialog>

#include <vector>

class BackgroundJob;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Ellenőrzés": every check over the open database, run off the window's
// thread, each finding listed with its record, field and check, sorted by
// record. A double-click asks for the record; the list can be saved as CSV.
class CheckReportDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CheckReportDialog)

public:
    explicit CheckReportDialog(QWidget* parent = nullptr);

    // Runs the checks over `lines` and lists what they find; returns when
    // they ended (finished, stopped or failed).
    void run(const DatabaseDocument::Snapshot& lines, const RecordChecker& checker,
             const IndexedWorks* indexed);
    const std::vector<RecordFinding>& findings() const { return m_findings; }

Q_SIGNALS:
    void recordRequested(int line);

private:
    void fill();
    void saveCsv();

    QTreeWidget* m_list = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    BackgroundJob* m_job = nullptr;
    std::vector<RecordFinding> m_findings;
};
