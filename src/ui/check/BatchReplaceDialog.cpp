#include "ui/check/BatchReplaceDialog.h"

#include "core/record/OperationCancelled.h"
#include "core/record/RecordLine.h"
#include "core/session/EditingSession.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/JobButtonRow.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <tuple>

namespace {

// Beyond this many rows the table shows the first ones; every row is still applied.
constexpr int ShownRows = 20000;

constexpr QRgb ChangedBackground = 0xffffe08a;

// Where `before` and `after` differ: the part between their common start and common end.
std::pair<QPoint, QPoint> changedParts(const QString& before, const QString& after)
{
    qsizetype start = 0;
    const qsizetype shorter = qMin(before.size(), after.size());
    while (start < shorter && before[start] == after[start])
        ++start;
    qsizetype end = 0;
    while (end < shorter - start && before[before.size() - 1 - end] == after[after.size() - 1 - end])
        ++end;
    return {QPoint(int(start), int(before.size() - start - end)),
            QPoint(int(start), int(after.size() - start - end))};
}

// The whole value, the changed part marked, for a tooltip (which wraps it).
QString markedHtml(const QString& text, QPoint part)
{
    return QStringLiteral("<qt>%1<b style=\"background:%4\">%2</b>%3</qt>")
        .arg(text.left(part.x()).toHtmlEscaped(), text.mid(part.x(), part.y()).toHtmlEscaped(),
             text.mid(part.x() + part.y()).toHtmlEscaped(), QColor(ChangedBackground).name());
}

// Draws a before or after cell with its changed part in bold on a light
// background. When the value is wider than the cell, the text before and
// after the change is cut, so the change itself stays in sight.
class ChangedPartDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QVariant part = index.data(BatchReplaceDialog::ChangedPartRole);
        if (!part.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const QPoint range = part.toPoint();
        const QRect area =
            style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(2, 0, -2, 0);
        QFont bold = opt.font;
        bold.setBold(true);
        const QFontMetrics plainMetrics(opt.font);
        const QFontMetrics boldMetrics(bold);
        QString head = text.left(range.x());
        QString changed = text.mid(range.x(), range.y());
        QString tail = text.mid(range.x() + range.y());
        int changedWidth = boldMetrics.horizontalAdvance(changed);
        const int room = area.width();
        const int headWanted = plainMetrics.horizontalAdvance(head);
        const int tailWanted = plainMetrics.horizontalAdvance(tail);
        if (headWanted + changedWidth + tailWanted > room) {
            // The change takes what its context leaves, at least two thirds of the cell.
            const int changedRoom = room - qMin(headWanted, room / 6) - qMin(tailWanted, room / 6);
            changed = boldMetrics.elidedText(changed, Qt::ElideMiddle, changedRoom);
            changedWidth = boldMetrics.horizontalAdvance(changed);
            const int left = room - changedWidth;
            const int headRoom = qMin(headWanted, left - qMin(tailWanted, left / 2));
            head = plainMetrics.elidedText(head, Qt::ElideLeft, qMax(0, headRoom));
            tail = plainMetrics.elidedText(tail, Qt::ElideRight,
                                           qMax(0, left - plainMetrics.horizontalAdvance(head)));
        }
        painter->save();
        const bool selected = opt.state & QStyle::State_Selected;
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        int x = area.left();
        const auto draw = [&](const QString& piece, const QFont& font, int width) {
            painter->setFont(font);
            painter->drawText(QRect(x, area.top(), width, area.height()), Qt::AlignVCenter | Qt::AlignLeft,
                              piece);
            x += width;
        };
        draw(head, opt.font, plainMetrics.horizontalAdvance(head));
        if (!changed.isEmpty()) {
            painter->fillRect(QRect(x, area.top() + 1, changedWidth, area.height() - 2),
                              QColor(ChangedBackground));
            painter->setPen(Qt::black);
            draw(changed, bold, changedWidth);
            painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        } else {
            // Text taken away with nothing put in its place: a thin mark where it was.
            painter->fillRect(QRect(x, area.top() + 2, 2, area.height() - 4),
                              QColor(ChangedBackground).darker(140));
        }
        draw(tail, opt.font, qMax(0, area.right() - x));
        painter->restore();
    }
};

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
    m_table->setTextElideMode(Qt::ElideMiddle);
    for (const int column : {2, 3})
        m_table->setItemDelegateForColumn(column, new ChangedPartDelegate(m_table));
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
        const auto [beforePart, afterPart] = changedParts(row.before, row.after);
        for (const auto& [column, text, part] :
             {std::tuple(2, &row.before, beforePart), std::tuple(3, &row.after, afterPart)}) {
            auto* cell = new QTableWidgetItem(*text);
            cell->setData(ChangedPartRole, part);
            cell->setToolTip(markedHtml(*text, part));
            m_table->setItem(i, column, cell);
        }
        m_table->setItem(i, 4, new QTableWidgetItem(row.refusal));
        if (!row.canApply())
            ++refused;
    }
    for (size_t i = size_t(shown); i < m_rows.size(); ++i)
        refused += m_rows[i].canApply() ? 0 : 1;
    m_table->resizeColumnsToContents();
    // A long value would push the other columns out of sight; it shows whole in its tooltip.
    for (const int column : {2, 3})
        m_table->setColumnWidth(column, qMin(m_table->columnWidth(column), 320));
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
