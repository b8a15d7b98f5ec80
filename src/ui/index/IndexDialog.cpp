#include "ui/index/IndexDialog.h"

#include "core/index/IndexBuilder.h"
#include "core/record/OperationCancelled.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/common/WindowPlacement.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include <atomic>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Dialog = "indexform";
constexpr auto DatabaseBox = "GroupBox1";
constexpr auto DatabaseList = "clbox1";
constexpr auto CheckAllButton = "gomb_mindbe";
constexpr auto UncheckAllButton = "gomb_mindki";
constexpr auto RecordsPerFileLabel = "Label1";
constexpr auto RecordsPerFile = "cb_maxrekordszam";
constexpr auto IndexButton = "gomb_index";
constexpr auto CancelButton = "gomb_bezar";
constexpr auto DatabaseProgress = "csik1";
constexpr auto RecordProgress = "csik2";
} // namespace ObjectName

constexpr int kClientWidth = 459;
constexpr int kClientHeight = 304;
constexpr int kVisibleChoices = 14; // the drop-down shows every records-per-file choice at once
constexpr int kDefaultChoice = 0;

// The worker stores where the run is; the dialog's refresh moves the bars
// from it. Every record is reported, so storing must cost next to nothing.
class RunProgress final : public IndexProgress
{
public:
    explicit RunProgress(const BackgroundJob& job) : m_job(job) {}

    void runStarted(int databaseCount) override
    {
        m_databaseCount.store(databaseCount, std::memory_order_relaxed);
        m_started.store(true, std::memory_order_release);
    }
    void databaseStarted(int done, const QString&) override
    {
        m_databasesDone.store(done, std::memory_order_relaxed);
    }
    void databaseSized(qint64 lineCount) override { m_lineCount.store(lineCount, std::memory_order_relaxed); }
    void recordIndexed(qint64 k) override { m_record.store(k, std::memory_order_relaxed); }
    bool cancelRequested() const override { return m_job.cancelRequested(); }

    // On the dialog's thread.
    void showOn(QProgressBar* databases, QProgressBar* records) const
    {
        if (!m_started.load(std::memory_order_acquire))
            return;
        databases->setRange(0, m_databaseCount.load(std::memory_order_relaxed));
        databases->setValue(m_databasesDone.load(std::memory_order_relaxed));
        // Until the first database is sized the bar keeps its range and goes back to the start.
        if (const qint64 lines = m_lineCount.load(std::memory_order_relaxed); lines > 0)
            records->setMaximum(int(qMin<qint64>(lines, INT_MAX)));
        records->setValue(int(qMin<qint64>(m_record.load(std::memory_order_relaxed), INT_MAX)));
    }

private:
    const BackgroundJob& m_job;
    std::atomic<bool> m_started{false};
    std::atomic<int> m_databaseCount{0};
    std::atomic<int> m_databasesDone{0};
    std::atomic<qint64> m_lineCount{0};
    std::atomic<qint64> m_record{0};
};

// A bar as it stood before a run, to put back when the run is stopped.
struct BarState
{
    explicit BarState(const QProgressBar* bar)
        : minimum(bar->minimum()), maximum(bar->maximum()), value(bar->value())
    {
    }
    void restore(QProgressBar* bar) const
    {
        bar->setRange(minimum, maximum);
        bar->setValue(value);
    }
    int minimum, maximum, value;
};

} // namespace

IndexDialog::IndexDialog(QWidget* parent) : QDialog(parent), m_startDir(QDir::currentPath())
{
    named(this, ObjectName::Dialog);
    setWindowTitle(QStringLiteral("Adatbázis indexelése"));
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
    m_job = new BackgroundJob(this);
    m_job->setStopControls({m_cancelButton});
}

void IndexDialog::buildControls()
{
    m_group =
        named(new QGroupBox(QStringLiteral(" Indexelendő adatbázisok "), this), ObjectName::DatabaseBox);
    m_group->setGeometry(8, 6, 282, 222);

    m_databaseList = named(new QListWidget(m_group), ObjectName::DatabaseList);
    m_databaseList->setGeometry(10, 22, 262, 158);
    connect(m_databaseList, &QListWidget::itemChanged, this, &IndexDialog::updateIndexButton);

    m_checkAllButton =
        named(new QPushButton(QStringLiteral("Összes be"), m_group), ObjectName::CheckAllButton);
    m_checkAllButton->setGeometry(10, 186, 126, 26);
    m_uncheckAllButton =
        named(new QPushButton(QStringLiteral("Összes ki"), m_group), ObjectName::UncheckAllButton);
    m_uncheckAllButton->setGeometry(146, 186, 126, 26);
    m_checkAllButton->setAutoDefault(false);
    m_uncheckAllButton->setAutoDefault(false);
    connect(m_checkAllButton, &QPushButton::clicked, this, [this] { setAllChecked(Qt::Checked); });
    connect(m_uncheckAllButton, &QPushButton::clicked, this, [this] { setAllChecked(Qt::Unchecked); });

    auto* label = named(new QLabel(QStringLiteral("Fájlonkénti rekordok száma:"), this),
                        ObjectName::RecordsPerFileLabel);
    label->setGeometry(298, 8, 153, 38);
    label->setWordWrap(true);
    m_recordsPerFile = named(new QComboBox(this), ObjectName::RecordsPerFile);
    m_recordsPerFile->setGeometry(298, 48, 153, 26);
    m_recordsPerFile->setMaxVisibleItems(kVisibleChoices);
    for (const RecordsPerFileChoice& choice : IndexBuilder::recordsPerFileChoices())
        m_recordsPerFile->addItem(choice.caption, choice.limit);
    label->setBuddy(m_recordsPerFile);

    m_indexButton = named(new QPushButton(QStringLiteral("Indexelés"), this), ObjectName::IndexButton);
    m_indexButton->setGeometry(298, 162, 153, 28);
    m_indexButton->setAutoDefault(false);
    connect(m_indexButton, &QPushButton::clicked, this, &IndexDialog::runIndexing);

    m_cancelButton = named(new QPushButton(QStringLiteral("Mégsem"), this), ObjectName::CancelButton);
    m_cancelButton->setGeometry(298, 198, 153, 28);
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    m_databaseProgress = named(new QProgressBar(this), ObjectName::DatabaseProgress);
    m_databaseProgress->setGeometry(8, 240, 443, 22);
    m_databaseProgress->setValue(0);
    m_recordProgress = named(new QProgressBar(this), ObjectName::RecordProgress);
    m_recordProgress->setGeometry(8, 272, 443, 22);
    m_recordProgress->setValue(0);
}

void IndexDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised window is no new showing: keep what the user set.
    if (!event->spontaneous()) {
        centreOnScreen(this);
        prepareForShowing();
    }
}

// Every showing starts afresh: the default records per file, the databases
// the folder holds now, none of them checked.
void IndexDialog::prepareForShowing()
{
    m_recordsPerFile->setCurrentIndex(kDefaultChoice);
    {
        const QSignalBlocker blocker(m_databaseList);
        m_databaseList->clear();
        for (const QString& name : IndexBuilder::offeredDatabases(m_startDir)) {
            auto* item = new QListWidgetItem(name, m_databaseList);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    updateIndexButton();
}

int IndexDialog::checkedCount() const
{
    int count = 0;
    for (int i = 0; i < m_databaseList->count(); ++i)
        count += m_databaseList->item(i)->checkState() == Qt::Checked ? 1 : 0;
    return count;
}

QStringList IndexDialog::checkedNames() const
{
    QStringList names;
    for (int i = 0; i < m_databaseList->count(); ++i) {
        if (m_databaseList->item(i)->checkState() == Qt::Checked)
            names.append(m_databaseList->item(i)->text());
    }
    return names;
}

void IndexDialog::updateIndexButton()
{
    m_indexButton->setEnabled(checkedCount() > 0);
}

void IndexDialog::setAllChecked(Qt::CheckState state)
{
    {
        const QSignalBlocker blocker(m_databaseList);
        for (int i = 0; i < m_databaseList->count(); ++i)
            m_databaseList->item(i)->setCheckState(state);
    }
    // The view missed the changes while its signals were blocked.
    m_databaseList->viewport()->update();
    updateIndexButton();
}

void IndexDialog::reject()
{
    if (m_job->isRunning()) {
        m_job->requestCancel();
        return;
    }
    QDialog::reject();
}

// What the run reads stays as it is while it goes; "Mégsem" stays to stop it.
void IndexDialog::setRunning(bool running)
{
    m_group->setEnabled(!running);
    m_recordsPerFile->setEnabled(!running);
    if (running)
        m_indexButton->setEnabled(false);
    else
        updateIndexButton();
}

void IndexDialog::runIndexing()
{
    const QStringList names = checkedNames();
    if (names.isEmpty() || m_job->isRunning())
        return;
    IndexBuilder builder(m_startDir);
    builder.setRecordsPerFile(m_recordsPerFile->currentData().toInt());
    RunProgress progress(*m_job);
    builder.setProgress(&progress);
    const BarState databasesBefore(m_databaseProgress);
    const BarState recordsBefore(m_recordProgress);
    m_job->setRefresh([&] { progress.showOn(m_databaseProgress, m_recordProgress); });
    setRunning(true);
    bool cancelled = false;
    const bool completed = runGuarded(this, [&] {
        try {
            m_job->run([&] { builder.build(names); });
        } catch (const OperationCancelled&) {
            cancelled = true;
        }
    });
    m_job->setRefresh({});
    setRunning(false);
    if (cancelled) {
        // The builder put the earlier set back; the dialog goes back to where the run began.
        databasesBefore.restore(m_databaseProgress);
        recordsBefore.restore(m_recordProgress);
        return;
    }
    if (!completed)
        return;
    repaint();
    m_indexingFinished = true;
    accept();
}
