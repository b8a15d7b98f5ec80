#include "ui/check/NameVariantsDialog.h"

#include "core/session/EditingSession.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/JobButtonRow.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int GroupRole = Qt::UserRole + 1;
constexpr int FormRole = Qt::UserRole + 2;

} // namespace

NameVariantsDialog::NameVariantsDialog(EditingSession& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("NevvaltozatokDialog"));
    setWindowTitle(QStringLiteral("Névváltozatok"));
    resize(760, 500);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Nevek:"), this));
    m_kind = named(new QComboBox(this), QStringLiteral("cb_fajta"));
    m_kind->addItems({QStringLiteral("Alkotók"), QStringLiteral("Kiadók"),
                      QStringLiteral("Megjelenési helyek"), QStringLiteral("Kiadványok")});
    top->addWidget(m_kind);
    top->addStretch(1);
    layout->addLayout(top);
    m_list = named(new QTreeWidget(this), QStringLiteral("lista_valtozatok"));
    m_list->setHeaderLabels(
        {QStringLiteral("Forma"), QStringLiteral("Rekordok"), QStringLiteral("Adatbázisok")});
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list, 1);
    m_uniformButton =
        named(new QPushButton(QStringLiteral("Egységesítés"), this), QStringLiteral("gomb_egysegesites"));
    m_uniformButton->setEnabled(false);
    m_uniformButton->setToolTip(
        QStringLiteral("A csoport többi formáját a kiválasztott formára cseréli a megnyitott "
                       "adatbázis minden rekordjában"));
    auto* row = new JobButtonRow(this, {m_uniformButton});
    layout->addLayout(row);
    m_summary = row->summary();
    m_stopButton = row->stopButton();
    m_job = row->job();
    connect(m_kind, &QComboBox::currentIndexChanged, this, &NameVariantsDialog::search);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &NameVariantsDialog::selectionChanged);
    connect(m_uniformButton, &QPushButton::clicked, this, &NameVariantsDialog::makeUniform);
}

NameKind NameVariantsDialog::chosenKind() const
{
    return NameKind(qBound(0, m_kind->currentIndex(), NameKindCount - 1));
}

void NameVariantsDialog::search()
{
    m_list->clear();
    m_groups.clear();
    m_uniformButton->setEnabled(false);
    m_stopButton->setEnabled(true);
    m_summary->setText(QStringLiteral("Keresés folyamatban..."));
    const NameKind kind = chosenKind();
    std::vector<NameVariants::Group> found;
    bool stopped = false;
    runGuarded(this, [&] {
        stopped = !m_job->runStoppable([&](JobControl& control) {
            if (!m_tally)
                m_tally = NameTally::fromIndexSet(m_startDir, control);
            found = NameVariants::find(kind, m_tally->forms(kind), control);
        });
    });
    m_stopButton->setEnabled(false);
    m_groups = std::move(found);
    fill();
    if (stopped)
        m_summary->setText(QStringLiteral("A keresés leállítva."));
}

void NameVariantsDialog::fill()
{
    const QStringList databases = m_tally ? m_tally->databases() : QStringList();
    QList<QTreeWidgetItem*> items;
    for (size_t g = 0; g < m_groups.size(); ++g) {
        const NameVariants::Group& group = m_groups[g];
        auto* top = new QTreeWidgetItem(
            {group.forms.front().text + (group.ambiguous
                                             ? QStringLiteral("  (kétértelmű kezdőbetű, nem egységesíthető)")
                                             : QString()),
             QString::number(group.recordCount()), QStringLiteral("%1 forma").arg(group.forms.size())});
        top->setData(0, GroupRole, int(g));
        top->setData(0, FormRole, -1);
        for (size_t f = 0; f < group.forms.size(); ++f) {
            const NameForm& form = group.forms[f];
            QStringList in;
            for (const int d : form.databases)
                if (d >= 0 && d < databases.size())
                    in.append(databases[d]);
            auto* child = new QTreeWidgetItem(
                top, {form.text, QString::number(form.count), in.join(QStringLiteral(", "))});
            child->setData(0, GroupRole, int(g));
            child->setData(0, FormRole, int(f));
        }
        items.append(top);
    }
    m_list->addTopLevelItems(items);
    m_list->expandAll();
    m_list->resizeColumnToContents(0);
    m_summary->setText(m_groups.empty() ? QStringLiteral("Nem találtam változatokat.")
                                        : QStringLiteral("%1 csoport").arg(m_groups.size()));
}

void NameVariantsDialog::selectionChanged()
{
    const QTreeWidgetItem* item = m_list->currentItem();
    bool usable = item && item->data(0, FormRole).toInt() >= 0 && m_session.document().lineCount() > 0;
    if (usable)
        usable = !m_groups[size_t(item->data(0, GroupRole).toInt())].ambiguous;
    m_uniformButton->setEnabled(usable);
}

void NameVariantsDialog::makeUniform()
{
    if (refusedWhileReadOnly(this, m_session))
        return;
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item || item->data(0, FormRole).toInt() < 0)
        return;
    const NameVariants::Group& group = m_groups[size_t(item->data(0, GroupRole).toInt())];
    if (group.ambiguous)
        return;
    const QString chosen = group.forms[size_t(item->data(0, FormRole).toInt())].text;
    QStringList others;
    for (const NameForm& form : group.forms)
        if (form.text != chosen)
            others.append(form.text);
    const QList<std::pair<int, QString>> changes =
        NameVariants::uniformChanges(m_session.document(), group.kind, others, chosen);
    if (changes.isEmpty()) {
        UserDialogs::instance().inform(
            this, QStringLiteral(
                      "A megnyitott adatbázis egyik rekordja sem tartalmazza a csoport többi formáját."));
        return;
    }
    if (!UserDialogs::instance().askYesNo(
            this, QStringLiteral("%1 rekord módosul: a csoport többi formája helyett „%2” áll majd bennük. "
                                 "Folytatja?")
                      .arg(changes.size())
                      .arg(chosen)))
        return;
    m_session.replaceLines(changes);
    QList<int> indexes;
    for (const auto& change : changes)
        indexes.append(change.first);
    Q_EMIT linesReplaced(indexes);
    m_summary->setText(QStringLiteral("%1 rekord módosult.").arg(changes.size()));
}
