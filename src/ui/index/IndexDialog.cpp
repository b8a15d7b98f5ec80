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

constexpr int kClientWidth = 459;
constexpr int kClientHeight = 304;

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
    setObjectName(QStringLiteral("indexform"));
    setWindowTitle(QStringLiteral("Adatbázis indexelése"));
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
}

void IndexDialog::buildControls()
{
    m_group = new QGroupBox(QStringLiteral(" Indexelendő adatbázisok "), this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_group->setGeometry(8, 6, 282, 222);

    m_clbox1 = new QListWidget(m_group);
    m_clbox1->setObjectName(QStringLiteral("clbox1"));
    m_clbox1->setGeometry(10, 22, 262, 158);
    connect(m_clbox1, &QListWidget::itemChanged, this, &IndexDialog::recount);

    m_gomb_mindbe = new QPushButton(QStringLiteral("Összes be"), m_group);
    m_gomb_mindbe->setObjectName(QStringLiteral("gomb_mindbe"));
    m_gomb_mindbe->setProperty("tag", 1);
    m_gomb_mindbe->setGeometry(10, 186, 126, 26);
    m_gomb_mindki = new QPushButton(QStringLiteral("Összes ki"), m_group);
    m_gomb_mindki->setObjectName(QStringLiteral("gomb_mindki"));
    m_gomb_mindki->setProperty("tag", 0);
    m_gomb_mindki->setGeometry(146, 186, 126, 26);
    for (QPushButton* button : {m_gomb_mindbe, m_gomb_mindki}) {
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, button] { gomb_mindbeClick(button); });
    }

    auto* label = new QLabel(QStringLiteral("Fájlonkénti rekordok száma:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(298, 8, 153, 38);
    label->setWordWrap(true);
    m_cb_maxrekordszam = new QComboBox(this);
    m_cb_maxrekordszam->setObjectName(QStringLiteral("cb_maxrekordszam"));
    m_cb_maxrekordszam->setGeometry(298, 48, 153, 26);
    m_cb_maxrekordszam->setMaxVisibleItems(14);
    for (const RecordsPerFileChoice& choice : IndexBuilder::recordsPerFileChoices())
        m_cb_maxrekordszam->addItem(choice.caption, choice.limit);
    label->setBuddy(m_cb_maxrekordszam);

    m_gomb_index = new QPushButton(QStringLiteral("Indexelés"), this);
    m_gomb_index->setObjectName(QStringLiteral("gomb_index"));
    m_gomb_index->setGeometry(298, 162, 153, 28);
    m_gomb_index->setAutoDefault(false);
    connect(m_gomb_index, &QPushButton::clicked, this, &IndexDialog::gomb_indexClick);

    m_gomb_bezar = new QPushButton(QStringLiteral("Mégsem"), this);
    m_gomb_bezar->setObjectName(QStringLiteral("gomb_bezar"));
    m_gomb_bezar->setGeometry(298, 198, 153, 28);
    m_gomb_bezar->setAutoDefault(false);
    connect(m_gomb_bezar, &QPushButton::clicked, this, &QDialog::reject);

    m_csik1 = new QProgressBar(this);
    m_csik1->setObjectName(QStringLiteral("csik1"));
    m_csik1->setGeometry(8, 240, 443, 22);
    m_csik1->setValue(0);
    m_csik2 = new QProgressBar(this);
    m_csik2->setObjectName(QStringLiteral("csik2"));
    m_csik2->setGeometry(8, 272, 443, 22);
    m_csik2->setValue(0);
}

void IndexDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised window is no new showing: keep what the user set.
    if (!event->spontaneous()) {
        centreOnScreen(this);
        activate();
    }
}

void IndexDialog::activate()
{
    m_cb_maxrekordszam->setCurrentIndex(0);
    {
        const QSignalBlocker blocker(m_clbox1);
        m_clbox1->clear();
        for (const QString& name : IndexBuilder::offeredDatabases(m_startDir)) {
            auto* item = new QListWidgetItem(name, m_clbox1);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    recount();
}

int IndexDialog::checkedCount() const
{
    int count = 0;
    for (int i = 0; i < m_clbox1->count(); ++i)
        count += m_clbox1->item(i)->checkState() == Qt::Checked ? 1 : 0;
    return count;
}

QStringList IndexDialog::checkedNames() const
{
    QStringList names;
    for (int i = 0; i < m_clbox1->count(); ++i) {
        if (m_clbox1->item(i)->checkState() == Qt::Checked)
            names.append(m_clbox1->item(i)->text());
    }
    return names;
}

void IndexDialog::recount()
{
    m_gomb_index->setEnabled(checkedCount() > 0);
}

void IndexDialog::gomb_mindbeClick(QPushButton* button)
{
    const Qt::CheckState state = button->property("tag").toInt() == 1 ? Qt::Checked : Qt::Unchecked;
    {
        const QSignalBlocker blocker(m_clbox1);
        for (int i = 0; i < m_clbox1->count(); ++i)
            m_clbox1->item(i)->setCheckState(state);
    }
    // The view missed the changes while its signals were blocked.
    m_clbox1->viewport()->update();
    recount();
}

void IndexDialog::gomb_indexClick()
{
    const QStringList names = checkedNames();
    if (names.isEmpty())
        return;
    IndexBuilder builder(m_startDir);
    builder.setRecordsPerFile(m_cb_maxrekordszam->currentData().toInt());
    DialogProgress progress(this, m_csik1, m_csik2);
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
