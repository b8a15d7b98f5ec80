#include "ui/index/IndexDialog.h"

#include "core/index/IndexBuilder.h"
#include "ui/common/BusyCursor.h"
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

// Moves the two bars as the run goes. Nothing else is painted during a run,
// so each change repaints at once (QProgressBar repaints itself whenever the
// visible bar changes).
class DialogProgress final : public IndexProgress
{
public:
    DialogProgress(QWidget* dialog, QProgressBar* databases, QProgressBar* records)
        : m_dialog(dialog), m_databases(databases), m_records(records)
    {
    }

    void runStarted(int databaseCount) override
    {
        m_databases->setRange(0, databaseCount);
        m_databases->setValue(0);
        m_records->setValue(0);
        m_dialog->repaint();
    }
    void databaseStarted(int done, const QString&) override
    {
        m_databases->setValue(done);
        m_databases->repaint();
    }
    void databaseSized(qint64 lineCount) override
    {
        m_records->setMaximum(int(qMin<qint64>(lineCount, INT_MAX)));
    }
    void recordIndexed(qint64 k) override { m_records->setValue(int(qMin<qint64>(k, INT_MAX))); }

private:
    QWidget* m_dialog;
    QProgressBar* m_databases;
    QProgressBar* m_records;
};

} // namespace

IndexDialog::IndexDialog(QWidget* parent) : QDialog(parent), m_startDir(QDir::currentPath())
{
    setObjectName(ObjectName::Dialog);
    setWindowTitle(QStringLiteral("Adatbázis indexelése"));
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
}

void IndexDialog::buildControls()
{
    m_group = new QGroupBox(QStringLiteral(" Indexelendő adatbázisok "), this);
    m_group->setObjectName(ObjectName::DatabaseBox);
    m_group->setGeometry(8, 6, 282, 222);

    m_databaseList = new QListWidget(m_group);
    m_databaseList->setObjectName(ObjectName::DatabaseList);
    m_databaseList->setGeometry(10, 22, 262, 158);
    connect(m_databaseList, &QListWidget::itemChanged, this, &IndexDialog::updateIndexButton);

    m_checkAllButton = new QPushButton(QStringLiteral("Összes be"), m_group);
    m_checkAllButton->setObjectName(ObjectName::CheckAllButton);
    m_checkAllButton->setGeometry(10, 186, 126, 26);
    m_uncheckAllButton = new QPushButton(QStringLiteral("Összes ki"), m_group);
    m_uncheckAllButton->setObjectName(ObjectName::UncheckAllButton);
    m_uncheckAllButton->setGeometry(146, 186, 126, 26);
    m_checkAllButton->setAutoDefault(false);
    m_uncheckAllButton->setAutoDefault(false);
    connect(m_checkAllButton, &QPushButton::clicked, this, [this] { setAllChecked(Qt::Checked); });
    connect(m_uncheckAllButton, &QPushButton::clicked, this, [this] { setAllChecked(Qt::Unchecked); });

    auto* label = new QLabel(QStringLiteral("Fájlonkénti rekordok száma:"), this);
    label->setObjectName(ObjectName::RecordsPerFileLabel);
    label->setGeometry(298, 8, 153, 38);
    label->setWordWrap(true);
    m_recordsPerFile = new QComboBox(this);
    m_recordsPerFile->setObjectName(ObjectName::RecordsPerFile);
    m_recordsPerFile->setGeometry(298, 48, 153, 26);
    m_recordsPerFile->setMaxVisibleItems(kVisibleChoices);
    for (const RecordsPerFileChoice& choice : IndexBuilder::recordsPerFileChoices())
        m_recordsPerFile->addItem(choice.caption, choice.limit);
    label->setBuddy(m_recordsPerFile);

    m_indexButton = new QPushButton(QStringLiteral("Indexelés"), this);
    m_indexButton->setObjectName(ObjectName::IndexButton);
    m_indexButton->setGeometry(298, 162, 153, 28);
    m_indexButton->setAutoDefault(false);
    connect(m_indexButton, &QPushButton::clicked, this, &IndexDialog::runIndexing);

    m_cancelButton = new QPushButton(QStringLiteral("Mégsem"), this);
    m_cancelButton->setObjectName(ObjectName::CancelButton);
    m_cancelButton->setGeometry(298, 198, 153, 28);
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    m_databaseProgress = new QProgressBar(this);
    m_databaseProgress->setObjectName(ObjectName::DatabaseProgress);
    m_databaseProgress->setGeometry(8, 240, 443, 22);
    m_databaseProgress->setValue(0);
    m_recordProgress = new QProgressBar(this);
    m_recordProgress->setObjectName(ObjectName::RecordProgress);
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

void IndexDialog::runIndexing()
{
    const QStringList names = checkedNames();
    if (names.isEmpty())
        return;
    IndexBuilder builder(m_startDir);
    builder.setRecordsPerFile(m_recordsPerFile->currentData().toInt());
    DialogProgress progress(this, m_databaseProgress, m_recordProgress);
    builder.setProgress(&progress);
    const bool completed = runGuarded(this, [&] {
        const BusyCursor busy;
        builder.build(names);
    });
    if (!completed)
        return;
    repaint();
    m_indexingFinished = true;
    accept();
}
