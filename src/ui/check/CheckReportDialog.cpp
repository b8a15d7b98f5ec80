#include "ui/check/CheckReportDialog.h"

#include "core/record/TextFile.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/JobButtonRow.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int LineRole = Qt::UserRole + 1;

} // namespace

CheckReportDialog::CheckReportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EllenorzesDialog"));
    setWindowTitle(QStringLiteral("Ellenőrzés"));
    resize(820, 480);
    auto* layout = new QVBoxLayout(this);
    m_list = named(new QTreeWidget(this), QStringLiteral("lista_ellenorzes"));
    m_list->setHeaderLabels({QStringLiteral("Rekord"), QStringLiteral("Mező"), QStringLiteral("Ellenőrzés"),
                             QStringLiteral("Részlet")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list, 1);
    m_saveButton =
        named(new QPushButton(QStringLiteral("Mentés CSV-be..."), this), QStringLiteral("gomb_csv"));
    m_saveButton->setEnabled(false);
    auto* row = new JobButtonRow(this, {m_saveButton});
    layout->addLayout(row);
    m_summary = row->summary();
    m_stopButton = row->stopButton();
    m_job = row->job();
    connect(m_saveButton, &QPushButton::clicked, this, &CheckReportDialog::saveCsv);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Q_EMIT recordRequested(item->data(0, LineRole).toInt()); });
}

void CheckReportDialog::run(const DatabaseDocument::Snapshot& lines, const RecordChecker& checker,
                            const IndexedWorks* indexed)
{
    m_list->clear();
    m_findings.clear();
    m_saveButton->setEnabled(false);
    m_stopButton->setEnabled(true);
    m_summary->setText(QStringLiteral("Ellenőrzés folyamatban..."));
    std::vector<RecordFinding> found;
    bool stopped = false;
    runGuarded(this, [&] {
        stopped = !m_job->runStoppable(
            [&](JobControl& control) { found = DatabaseCheck::run(lines, checker, indexed, control); });
    });
    m_stopButton->setEnabled(false);
    m_findings = std::move(found);
    fill();
    if (stopped)
        m_summary->setText(QStringLiteral("Az ellenőrzés leállítva."));
}

void CheckReportDialog::fill()
{
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(m_findings.size()));
    for (const RecordFinding& f : m_findings) {
        auto* item = new QTreeWidgetItem({f.recordName, CheckText::fieldName(f.finding.field),
                                          CheckText::kindName(f.finding.kind), f.finding.detail});
        item->setData(0, LineRole, f.line);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    for (int c = 0; c < 3; ++c)
        m_list->resizeColumnToContents(c);
    m_saveButton->setEnabled(!m_findings.empty());
    m_summary->setText(m_findings.empty() ? QStringLiteral("Nem találtam hibát.")
                                          : QStringLiteral("%1 hiba").arg(m_findings.size()));
}

void CheckReportDialog::saveCsv()
{
    QString path =
        UserDialogs::instance().chooseSaveFile(this, QStringLiteral("Ellenőrzés mentése"),
                                               QStringLiteral("CSV|*.csv"), QStringLiteral("ellenorzes.csv"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(u".csv", Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    runGuarded(this, [&] { TextFile::writeBytes(path, DatabaseCheck::toCsv(m_findings)); });
}
