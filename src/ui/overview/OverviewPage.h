#pragma once

#include "core/overview/Overview.h"
#include "core/record/DatabaseDocument.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class BackgroundJob;
class JobControl;
class QButtonGroup;
class QDialog;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

QT_BEGIN_NAMESPACE
class QChartView;
QT_END_NAMESPACE

// "Áttekintés": where the bibliography stands, in charts: the records by
// volume, decade, record type, language, medium, subject and database file,
// and a table of how many records leave each field empty. The counts come
// from the index set or from the open database; a click on a bar asks for
// the search that lists the bar's records.
class OverviewPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OverviewPage)

public:
    explicit OverviewPage(QWidget* parent = nullptr);
    ~OverviewPage() override;

    // The open database as the page counts it: its file name and its lines
    // at that moment; none when no database is open.
    struct OpenDatabase
    {
        QString name;
        DatabaseDocument::Snapshot lines;
    };
    using OpenDatabaseSource = std::function<std::optional<OpenDatabase>()>;

    void setStartDir(const QString& startDir) { m_startDir = startDir; }
    // The subject tree whose top two levels the subjects are counted under.
    void setSubjectTreePath(std::function<QString()> path) { m_subjectTreePath = std::move(path); }
    void setOpenDatabase(OpenDatabaseSource source) { m_openDatabase = std::move(source); }

    // Counts again from the chosen source and redraws the charts.
    void refresh();
    const std::optional<Overview::Summary>& summary() const { return m_summary; }

Q_SIGNALS:
    // A bar was clicked: the search that lists its records, set as the
    // search dialog would be for it.
    void searchRequested(const SearchCriteria& criteria);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void showSummary();
    void clearCharts();
    QWidget* chartPanel(Overview::Dimension dimension);
    QChartView* chartView(Overview::Dimension dimension, const QList<Overview::CountRow>& rows);
    void fillCompleteness();
    void saveChart(Overview::Dimension dimension, QChartView* view);
    void saveCsv();
    void barClicked(Overview::Dimension dimension, const Overview::ChartBar& bar);
    // The list of the rows an "egyéb" bar adds up; a click on one searches it.
    void showFoldedRows(Overview::Dimension dimension, const Overview::ChartBar& bar);

    QString m_startDir;
    std::function<QString()> m_subjectTreePath;
    OpenDatabaseSource m_openDatabase;
    std::optional<Overview::Summary> m_summary;

    QButtonGroup* m_sourceGroup = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_csvButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_chartArea = nullptr;
    QGridLayout* m_chartGrid = nullptr;
    QTableWidget* m_completeness = nullptr;
    BackgroundJob* m_job = nullptr;
    QPointer<QDialog> m_foldedDialog;
};
