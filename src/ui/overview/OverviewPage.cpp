#include "ui/overview/OverviewPage.h"

#include "core/job/JobControl.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Page = "lap_attekintes";
constexpr auto IndexSource = "overviewIndexSource";
constexpr auto DatabaseSource = "overviewDatabaseSource";
constexpr auto RefreshButton = "overviewRefresh";
constexpr auto CsvButton = "overviewSaveCsv";
constexpr auto StopButton = "overviewStop";
constexpr auto Progress = "overviewProgress";
constexpr auto Status = "overviewStatus";
constexpr auto Completeness = "overviewCompleteness";
constexpr auto FoldedDialog = "overviewFoldedValues";
constexpr auto FoldedList = "overviewFoldedValuesList";
} // namespace ObjectName

// "overviewChart_volume", "overviewSaveChart_volume", …
QString chartName(Overview::Dimension dimension)
{
    return QStringLiteral("overviewChart_") + Overview::key(dimension);
}
QString saveChartName(Overview::Dimension dimension)
{
    return QStringLiteral("overviewSaveChart_") + Overview::key(dimension);
}

enum SourceChoice
{
    IndexChoice,
    DatabaseChoice
};

// A chart shows this many bars, one of them the rows added up.
constexpr int kMaxBars = 15;
constexpr int kBarHeight = 22;
constexpr int kChartFrameHeight = 110;
constexpr int kChartMinimumWidth = 420;
constexpr int kChartMargin = 6;
constexpr int kProgressSteps = 1000;

QLocale hungarian()
{
    return QLocale(QLocale::Hungarian, QLocale::Hungary);
}

QString percent(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return QStringLiteral("–");
    return hungarian().toString(100.0 * double(part) / double(whole), 'f', 1) + QStringLiteral(" %");
}

// Writes through a file that replaces `path` only once it is whole.
void writeAtomically(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !write(file) || !file.commit())
        throw NorlaError::cannotCreate(QFileInfo(path).absoluteFilePath());
}

} // namespace

OverviewPage::OverviewPage(QWidget* parent) : QWidget(parent)
{
    named(this, ObjectName::Page);
    buildControls();
    m_job = new BackgroundJob(this);
    m_job->setStopControls({m_stopButton});
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_job->requestStop(); });
}

OverviewPage::~OverviewPage() = default;

void OverviewPage::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Forrás:"), this));
    m_sourceGroup = new QButtonGroup(this);
    auto* indexSource = named(new QRadioButton(QStringLiteral("index"), this), ObjectName::IndexSource);
    auto* databaseSource =
        named(new QRadioButton(QStringLiteral("megnyitott adatbázis"), this), ObjectName::DatabaseSource);
    indexSource->setChecked(true);
    m_sourceGroup->addButton(indexSource, IndexChoice);
    m_sourceGroup->addButton(databaseSource, DatabaseChoice);
    bar->addWidget(indexSource);
    bar->addWidget(databaseSource);
    connect(m_sourceGroup, &QButtonGroup::idClicked, this, [this] { refresh(); });
    m_refreshButton = named(new QPushButton(QStringLiteral("Frissítés"), this), ObjectName::RefreshButton);
    connect(m_refreshButton, &QPushButton::clicked, this, &OverviewPage::refresh);
    bar->addWidget(m_refreshButton);
    m_csvButton = named(new QPushButton(QStringLiteral("Mentés CSV-be..."), this), ObjectName::CsvButton);
    m_csvButton->setEnabled(false);
    connect(m_csvButton, &QPushButton::clicked, this, &OverviewPage::saveCsv);
    bar->addWidget(m_csvButton);
    m_progress = named(new QProgressBar(this), ObjectName::Progress);
    m_progress->setRange(0, kProgressSteps);
    m_progress->hide();
    bar->addWidget(m_progress);
    m_stopButton = named(new QPushButton(QStringLiteral("Leállítás"), this), ObjectName::StopButton);
    m_stopButton->hide();
    bar->addWidget(m_stopButton);
    bar->addStretch(1);
    layout->addLayout(bar);

    m_status = named(new QLabel(this), ObjectName::Status);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    m_chartArea = new QWidget(scroll);
    m_chartGrid = new QGridLayout(m_chartArea);
    scroll->setWidget(m_chartArea);
    layout->addWidget(scroll, 1);

    m_completeness = named(new QTableWidget(0, 3, m_chartArea), ObjectName::Completeness);
    m_completeness->setHorizontalHeaderLabels(
        {QStringLiteral("Mező"), QStringLiteral("Üresen hagyja"), QStringLiteral("Kitöltve")});
    m_completeness->verticalHeader()->hide();
    m_completeness->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_completeness->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void OverviewPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Counted anew at every showing, after the page is on screen: the index
    // or the database may have changed since.
    if (!m_job->isRunning())
        QTimer::singleShot(0, this, &OverviewPage::refresh);
}

void OverviewPage::refresh()
{
    if (m_job->isRunning() || !isVisible())
        return;
    const bool fromIndex = m_sourceGroup->checkedId() == IndexChoice;
    std::optional<OpenDatabase> database;
    if (!fromIndex) {
        if (m_openDatabase)
            database = m_openDatabase();
        if (!database) {
            m_summary.reset();
            showSummary();
            m_status->setText(QStringLiteral("Nincs megnyitott adatbázis."));
            return;
        }
    }
    const QString subjects = m_subjectTreePath ? m_subjectTreePath() : QString();
    std::optional<Overview::Summary> counted;
    DisabledControls busy({m_refreshButton, m_csvButton});
    m_progress->setValue(0);
    m_progress->show();
    m_stopButton->show();
    m_job->setRefresh([this] {
        const JobControl& control = m_job->control();
        const qint64 total = control.progressTotal();
        m_progress->setValue(total > 0 ? int(kProgressSteps * control.progressDone() / total) : 0);
    });
    // A stop leaves `counted` empty: the page keeps what it showed.
    const bool ran = runGuarded(this, [&] {
        m_job->runStoppable([&](JobControl& control) {
            counted = fromIndex
                          ? Overview::summariseIndexSet(m_startDir, subjects, control)
                          : Overview::summariseSnapshot(database->lines, database->name, subjects, control);
        });
    });
    m_job->setRefresh({});
    busy.restore(); // before the new counts decide what is enabled
    m_progress->hide();
    m_stopButton->hide();
    if (!ran || !counted)
        return;
    m_summary = std::move(counted);
    showSummary();
}

void OverviewPage::clearCharts()
{
    while (QLayoutItem* item = m_chartGrid->takeAt(0)) {
        if (item->widget() && item->widget() != m_completeness)
            delete item->widget();
        delete item;
    }
}

void OverviewPage::showSummary()
{
    // Its values are those of the counts replaced. Closed, not deleted: a
    // search started from it counts again in an event loop of its own, while
    // its list is still handling the click.
    if (m_foldedDialog)
        m_foldedDialog->close();
    clearCharts();
    m_csvButton->setEnabled(m_summary.has_value());
    if (!m_summary) {
        m_completeness->hide();
        return;
    }
    const Overview::Summary& summary = *m_summary;
    const bool fromIndex = summary.source == Overview::Source::IndexSet;
    QString status = QStringLiteral("%1 rekord (%2). Egy sávra kattintva a hozzá tartozó rekordok keresése "
                                    "indul az indexben.")
                         .arg(Overview::formatCount(summary.records),
                              fromIndex ? QStringLiteral("index") : QStringLiteral("megnyitott adatbázis"));
    if (fromIndex && summary.records == 0)
        status = QStringLiteral("Az index üres, vagy ebben a mappában még nincs index: "
                                "a \"Műveletek\" > \"Indexelés\" menüponttal készíthető.");
    m_status->setText(status);

    int at = 0;
    for (const Overview::Dimension dimension : Overview::Dimensions) {
        m_chartGrid->addWidget(chartPanel(dimension), at / 2, at % 2);
        ++at;
    }
    fillCompleteness();
    m_chartGrid->addWidget(m_completeness, at / 2, at % 2);
    m_completeness->show();
}

QWidget* OverviewPage::chartPanel(Overview::Dimension dimension)
{
    auto* panel = new QWidget(m_chartArea);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    QChartView* view = chartView(dimension, m_summary->of(dimension));
    layout->addWidget(view, 1); // the chart, not its button, takes the room the row gives
    auto* save = named(new QPushButton(QStringLiteral("Mentés képként..."), panel), saveChartName(dimension));
    connect(save, &QPushButton::clicked, this, [this, dimension, view] { saveChart(dimension, view); });
    layout->addWidget(save, 0, Qt::AlignRight);
    return panel;
}

QChartView* OverviewPage::chartView(Overview::Dimension dimension, const QList<Overview::CountRow>& rows)
{
    const QList<Overview::ChartBar> shown = Overview::chartBars(dimension, rows, kMaxBars);
    auto* chart = new QChart;
    chart->setTitle(Overview::caption(dimension));
    chart->legend()->hide();
    chart->setLocalizeNumbers(true);
    chart->setLocale(hungarian());
    chart->setAnimationOptions(QChart::NoAnimation);
    // Without a legend the chart needs no room around the plot and axes.
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(QMargins(kChartMargin, kChartMargin, kChartMargin, kChartMargin));

    // Horizontal bars leave room for long labels; the first row goes on top.
    auto* set = new QBarSet(Overview::caption(dimension));
    QStringList categories;
    qint64 largest = 0;
    for (qsizetype i = shown.size() - 1; i >= 0; --i) {
        const Overview::CountRow& row = shown.at(i).row;
        set->append(qreal(row.count));
        categories.append(QStringLiteral("%1 (%2)").arg(row.label, Overview::formatCount(row.count)));
        largest = qMax(largest, row.count);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto* labels = new QBarCategoryAxis;
    labels->append(categories);
    // Lines between the bars would only cut the labels into odd groups.
    labels->setGridLineVisible(false);
    chart->addAxis(labels, Qt::AlignLeft);
    series->attachAxis(labels);
    auto* counts = new QValueAxis;
    counts->setTitleText(QStringLiteral("Rekordok száma"));
    counts->setLabelFormat(QStringLiteral("%.0f"));
    counts->setRange(0, qMax<qreal>(1, qreal(largest)));
    counts->applyNiceNumbers();
    counts->setGridLinePen(QPen(QColor(0xc8, 0xc8, 0xc8), 1));
    chart->addAxis(counts, Qt::AlignBottom);
    series->attachAxis(counts);

    const qsizetype bars = shown.size();
    connect(set, &QBarSet::clicked, this, [this, dimension, shown, bars](int index) {
        const qsizetype row = bars - 1 - index;
        if (row >= 0 && row < shown.size())
            barClicked(dimension, shown.at(row));
    });

    auto* view = named(new QChartView(chart), chartName(dimension));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(kChartMinimumWidth, kChartFrameHeight + kBarHeight * int(qMax<qsizetype>(1, bars)));
    return view;
}

void OverviewPage::fillCompleteness()
{
    const Overview::Summary& summary = *m_summary;
    m_completeness->setRowCount(int(summary.completeness.size()));
    for (int i = 0; i < summary.completeness.size(); ++i) {
        const Overview::FieldGap& gap = summary.completeness.at(i);
        auto* count = new QTableWidgetItem(Overview::formatCount(gap.empty));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* filled = new QTableWidgetItem(percent(summary.records - gap.empty, summary.records));
        filled->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_completeness->setItem(i, 0, new QTableWidgetItem(Overview::fieldCaption(gap.field)));
        m_completeness->setItem(i, 1, count);
        m_completeness->setItem(i, 2, filled);
    }
    m_completeness->resizeColumnToContents(1);
    m_completeness->resizeColumnToContents(2);
    m_completeness->setMinimumHeight(m_completeness->horizontalHeader()->height() +
                                     m_completeness->rowHeight(0) * (m_completeness->rowCount() + 1));
}

void OverviewPage::barClicked(Overview::Dimension dimension, const Overview::ChartBar& bar)
{
    if (m_job->isRunning())
        return;
    if (const std::optional<SearchCriteria> criteria = Overview::searchFor(dimension, bar.row))
        Q_EMIT searchRequested(*criteria);
    else if (!bar.folded.isEmpty())
        showFoldedRows(dimension, bar);
}

void OverviewPage::showFoldedRows(Overview::Dimension dimension, const Overview::ChartBar& bar)
{
    if (m_foldedDialog)
        m_foldedDialog->close();
    auto* dialog = named(new QDialog(this), ObjectName::FoldedDialog);
    m_foldedDialog = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("%1: %2").arg(Overview::caption(dimension), bar.row.label));
    auto* layout = new QVBoxLayout(dialog);
    const bool searchable = Overview::searchFor(dimension, bar.folded.constFirst()).has_value();
    auto* hint = new QLabel(searchable ? QStringLiteral("Egy értékre kattintva a hozzá tartozó rekordok "
                                                        "keresése indul az indexben.")
                                       : QStringLiteral("Az értékek a rekordjaik számával."),
                            dialog);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* list = named(new QListWidget(dialog), ObjectName::FoldedList);
    for (const Overview::CountRow& row : bar.folded)
        list->addItem(QStringLiteral("%1 (%2)").arg(row.label, Overview::formatCount(row.count)));
    layout->addWidget(list, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Bezárás"));
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    // A click and a style's activation on the same click ask once: the
    // first closes the list.
    const auto search = [this, dialog, dimension, rows = bar.folded](const QListWidgetItem* item) {
        const int at = item->listWidget()->row(item);
        if (!dialog->isVisible() || at < 0 || at >= rows.size())
            return;
        if (const std::optional<SearchCriteria> criteria = Overview::searchFor(dimension, rows.at(at))) {
            dialog->close();
            Q_EMIT searchRequested(*criteria);
        }
    };
    connect(list, &QListWidget::itemClicked, this, search);
    connect(list, &QListWidget::itemActivated, this, search);
    dialog->resize(360, 420);
    dialog->show();
}

void OverviewPage::saveChart(Overview::Dimension dimension, QChartView* view)
{
    const QString suggested = QDir(m_startDir).filePath(Overview::key(dimension) + QStringLiteral(".png"));
    QString path = UserDialogs::instance().chooseSaveFile(
        this, QStringLiteral("Grafikon mentése"), QStringLiteral("PNG-kép|*.png|SVG-rajz|*.svg"), suggested);
    if (path.isEmpty())
        return;
    const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
    if (!svg && !path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    runGuarded(this, [&] {
        writeAtomically(path, [&](QIODevice& device) {
            if (!svg)
                return view->grab().save(&device, "PNG");
            QSvgGenerator generator;
            generator.setOutputDevice(&device);
            generator.setSize(view->size());
            generator.setViewBox(view->rect());
            generator.setTitle(Overview::caption(dimension));
            QPainter painter;
            if (!painter.begin(&generator))
                return false;
            view->render(&painter);
            return painter.end();
        });
    });
}

void OverviewPage::saveCsv()
{
    if (!m_summary)
        return;
    QString path = UserDialogs::instance().chooseSaveFile(
        this, QStringLiteral("Összesítés mentése"), QStringLiteral("CSV|*.csv"),
        QDir(m_startDir).filePath(QStringLiteral("attekintes.csv")));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    runGuarded(this, [&] { TextFile::writeBytes(path, Overview::toCsv(*m_summary)); });
}
