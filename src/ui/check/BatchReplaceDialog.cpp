#include "ui/check/BatchReplaceDialog.h"

#include "core/record/OperationCancelled.h"
#include "core/record/RecordLine.h"
#include "core/session/EditingSession.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/JobButtonRow.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Beyond this many rows the table shows the first ones; every row is still applied.
constexpr int ShownRows = 20000;

} // namespace

BatchReplaceDialog::BatchReplaceDialog(EditingSession& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("CsereDialog"));
    setWindowTitle(QStringLiteral("Csere a rekordokban"));
    resize(900, 560);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_field = named(new QComboBox(this), QStringLiteral("cb_mezo"));
    m_field->addItem(QStringLiteral("Minden mező"), -1);
    for (int p = RecordSchema::position(Field::RecordType); p < RecordSchema::FieldCount; ++p)
        m_field->addItem(RecordLine::fieldCaption(p), p);
    form->addRow(QStringLiteral("Mező:"), m_field);
    m_find = named(new QLineEdit(this), QStringLiteral("edit_keres"));
    form->addRow(QStringLiteral("Keresendő:"), m_find);
    m_with = named(new QLineEdit(this), QStringLiteral("edit_csere"));
    form->addRow(QStringLiteral("Csere erre:"), m_with);
    m_regex =
        named(new QCheckBox(QStringLiteral("Reguláris kifejezés (a cserében \\1 … \\9 a csoportok)"), this),
              QStringLiteral("cb_regkif"));
    form->addRow(QString(), m_regex);
    auto* scope = new QHBoxLayout;
    m_allRecords = named(new QRadioButton(QStringLiteral("Az adatbázis minden rekordja"), this),
                         QStringLiteral("rb_mind"));
    m_hitRecords = named(new QRadioButton(QStringLiteral("Az utolsó keresés találatai"), this),
                         QStringLiteral("rb_talalatok"));
    m_allRecords->setChecked(true);
    scope->addWidget(m_allRecords);
    scope->addWidget(m_hitRecords);
    scope->addStretch(1);
    form->addRow(QStringLiteral("Rekordok:"), scope);
    layout->addLayout(form);

    m_table = named(new QTableWidget(0, 5, this), QStringLiteral("tabla_elonezet"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Rekord"), QStringLiteral("Mező"),
                                        QStringLiteral("Előtte"), QStringLiteral("Utána"),
                                        QStringLiteral("Megjegyzés")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    m_previewButton =
        named(new QPushButton(QStringLiteral("Előnézet"), this), QStringLiteral("gomb_elonezet"));
    m_applyButton = named(new QPushButton(QStringLiteral("Csere"), this), QStringLiteral("gomb_csere"));
    auto* row = new JobButtonRow(this, {m_previewButton, m_applyButton});
    layout->addLayout(row);
    m_summary = row->summary();
    m_stopButton = row->stopButton();
    m_job = row->job();

    connect(m_previewButton, &QPushButton::clicked, this, &BatchReplaceDialog::preview);
    connect(m_applyButton, &QPushButton::clicked, this, &BatchReplaceDialog::apply);
    // What the preview shows must be what "Csere" applies: any change of the
    // request takes the preview away.
    const auto stale = [this] {
        m_rows.clear();
        m_table->setRowCount(0);
        m_summary->clear();
        updateButtons();
    };
    connect(m_find, &QLineEdit::textChanged, this, stale);
    connect(m_with, &QLineEdit::textChanged, this, stale);
    connect(m_regex, &QCheckBox::toggled, this, stale);
    connect(m_field, &QComboBox::currentIndexChanged, this, stale);
    connect(m_allRecords, &QRadioButton::toggled, this, stale);
    updateButtons();
}

void BatchReplaceDialog::setLastHits(const QSet<QString>& recordNames)
{
    m_lastHits = recordNames;
    m_hitRecords->setEnabled(!recordNames.isEmpty());
    if (recordNames.isEmpty())
        m_allRecords->setChecked(true);
}

BatchReplace::Request BatchReplaceDialog::request() const
{
    BatchReplace::Request r;
    const int position = m_field->currentData().toInt();
    if (position >= 0)
        r.field = RecordSchema::fieldAt(position);
    r.find = m_find->text();
    r.regex = m_regex->isChecked();
    r.with = m_with->text();
    return r;
}

void BatchReplaceDialog::updateButtons()
{
    m_previewButton->setEnabled(!m_find->text().isEmpty());
    m_applyButton->setEnabled(!m_rows.empty());
}

void BatchReplaceDialog::preview()
{
    const BatchReplace::Request r = request();
    if (const QString problem = BatchReplace::problem(r); !problem.isEmpty()) {
        UserDialogs::instance().inform(this, problem);
        return;
    }
    const DatabaseDocument::Snapshot lines = m_session.document().snapshot();
    std::vector<int> only;
    const bool hitsOnly = m_hitRecords->isChecked();
    if (hitsOnly) {
        for (int i = 0; i < lines.lineCount(); ++i)
            if (m_lastHits.contains(
                    lines.line(i).first(qMin<qsizetype>(10, lines.line(i).size())).toString()))
                only.push_back(i);
    }
    JobControl control;
    control.setCheckpoint([&] {
        if (m_job->control().stopRequested())
            control.requestStop();
    });
    std::vector<BatchReplace::Row> rows;
    m_stopButton->setEnabled(true);
    runGuarded(this, [&] {
        try {
            m_job->run([&](JobControl&) {
                rows = BatchReplace::preview(lines, r, control, hitsOnly ? &only : nullptr);
            });
        } catch (const OperationCancelled&) {
            rows.clear();
        }
    });
    m_stopButton->setEnabled(false);
    m_rows = std::move(rows);
    fill();
}

void BatchReplaceDialog::fill()
{
    m_table->setRowCount(0);
    const int shown = int(qMin<size_t>(m_rows.size(), ShownRows));
    m_table->setRowCount(shown);
    int refused = 0;
    for (int i = 0; i < shown; ++i) {
        const BatchReplace::Row& row = m_rows[size_t(i)];
        auto* name = new QTableWidgetItem(row.recordName);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                       (row.canApply() ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
        name->setCheckState(row.canApply() ? Qt::Checked : Qt::Unchecked);
        m_table->setItem(i, 0, name);
        m_table->setItem(i, 1,
                         new QTableWidgetItem(RecordLine::fieldCaption(RecordSchema::position(row.field))));
        m_table->setItem(i, 2, new QTableWidgetItem(row.before));
        m_table->setItem(i, 3, new QTableWidgetItem(row.after));
        m_table->setItem(i, 4, new QTableWidgetItem(row.refusal));
        if (!row.canApply())
            ++refused;
    }
    for (size_t i = size_t(shown); i < m_rows.size(); ++i)
        refused += m_rows[i].canApply() ? 0 : 1;
    m_table->resizeColumnsToContents();
    m_summary->setText(
        QStringLiteral("%1 mező változna, ebből %2 nem cserélhető.").arg(m_rows.size()).arg(refused));
    updateButtons();
}

void BatchReplaceDialog::apply()
{
    if (refusedWhileReadOnly(this, m_session))
        return;
    std::vector<BatchReplace::Row> ticked;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const QTableWidgetItem* item = i < size_t(m_table->rowCount()) ? m_table->item(int(i), 0) : nullptr;
        if (item && item->checkState() != Qt::Checked)
            continue;
        ticked.push_back(m_rows[i]);
    }
    const QList<std::pair<int, QString>> changes = BatchReplace::changes(m_session.document(), ticked);
    m_session.replaceLines(changes);
    QList<int> indexes;
    for (const auto& change : changes)
        indexes.append(change.first);
    Q_EMIT linesReplaced(indexes);
    m_rows.clear();
    m_table->setRowCount(0);
    m_summary->setText(QStringLiteral("%1 rekord módosult.").arg(changes.size()));
    updateButtons();
}
