#include "ui/check/NameVariantsDialog.h"

#include "core/session/EditingSession.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/JobButtonRow.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int GroupRole = Qt::UserRole + 1;
constexpr int FormRole = Qt::UserRole + 2;
constexpr int NoteColumn = 3;

// „A”, „B” and „C”: the forms a question names, the first few of them.
QString quotedList(const QStringList& forms)
{
    constexpr qsizetype Named = 6;
    QStringList quoted;
    for (qsizetype i = 0; i < qMin(forms.size(), Named); ++i)
        quoted.append(QStringLiteral("„%1”").arg(forms[i]));
    QString text = quoted.join(QStringLiteral(", "));
    if (forms.size() > Named)
        text += QStringLiteral(" és további %1 forma").arg(forms.size() - Named);
    return text;
}

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
    m_list->setHeaderLabels({QStringLiteral("Forma"), QStringLiteral("Rekordok"),
                             QStringLiteral("Adatbázisok"), QStringLiteral("Megjegyzés")});
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list, 1);
    m_uniformButton =
        named(new QPushButton(QStringLiteral("Egységesítés"), this), QStringLiteral("gomb_egysegesites"));
    m_uniformButton->setEnabled(false);
    m_uniformButton->setToolTip(
        QStringLiteral("A csoport bepipált formáit az egységes formára cseréli a megnyitott "
                       "adatbázis minden rekordjában"));
    m_authorisedButton =
        named(new QPushButton(QStringLiteral("Egységes forma"), this), QStringLiteral("gomb_egyseges_forma"));
    m_authorisedButton->setEnabled(false);
    m_authorisedButton->setToolTip(
        QStringLiteral("A kiválasztott forma lesz a csoport egységes formája (dupla kattintás is)"));
    auto* row = new JobButtonRow(this, {m_authorisedButton, m_uniformButton});
    layout->addLayout(row);
    m_summary = row->summary();
    m_stopButton = row->stopButton();
    m_job = row->job();
    connect(m_kind, &QComboBox::currentIndexChanged, this, &NameVariantsDialog::search);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &NameVariantsDialog::selectionChanged);
    connect(m_uniformButton, &QPushButton::clicked, this, &NameVariantsDialog::makeUniform);
    connect(m_authorisedButton, &QPushButton::clicked, this, &NameVariantsDialog::chooseAuthorised);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        m_list->setCurrentItem(item);
        chooseAuthorised();
    });
}

NameKind NameVariantsDialog::chosenKind() const
{
    return NameKind(qBound(0, m_kind->currentIndex(), NameKindCount - 1));
}

void NameVariantsDialog::search()
{
    m_list->clear();
    m_groups.clear();
    m_authorised.clear();
    m_uniformButton->setEnabled(false);
    m_authorisedButton->setEnabled(false);
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
    m_authorised.clear();
    QList<QTreeWidgetItem*> items;
    for (size_t g = 0; g < m_groups.size(); ++g) {
        const NameVariants::Group& group = m_groups[g];
        m_authorised.push_back(group.ambiguous ? 0 : NameVariants::firstAuthorised(group));
        auto* top = new QTreeWidgetItem({QString(), QString::number(group.recordCount()),
                                         QStringLiteral("%1 forma").arg(group.forms.size())});
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
            child->setToolTip(0, form.text);
        }
        showAuthorised(top);
        items.append(top);
    }
    m_list->addTopLevelItems(items);
    m_list->expandAll();
    m_list->resizeColumnToContents(0);
    m_summary->setText(m_groups.empty() ? QStringLiteral("Nem találtam változatokat.")
                                        : QStringLiteral("%1 csoport").arg(m_groups.size()));
}

// The group's authorised form in bold at the head of the group, and each
// other form ticked unless it may name someone else.
void NameVariantsDialog::showAuthorised(QTreeWidgetItem* top)
{
    const size_t g = size_t(top->data(0, GroupRole).toInt());
    const NameVariants::Group& group = m_groups[g];
    const NameForm& authorised = group.forms[m_authorised[g]];
    top->setText(0, group.ambiguous
                        ? authorised.text + QStringLiteral("  (kétértelmű kezdőbetű, nem egységesíthető)")
                        : authorised.text);
    for (int i = 0; i < top->childCount(); ++i) {
        QTreeWidgetItem* child = top->child(i);
        const size_t f = size_t(child->data(0, FormRole).toInt());
        const bool isAuthorised = !group.ambiguous && f == m_authorised[g];
        QFont font = child->font(0);
        font.setBold(isAuthorised);
        child->setFont(0, font);
        if (group.ambiguous) {
            child->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            continue;
        }
        const NameVariants::Difference difference =
            NameVariants::differenceFrom(group.kind, authorised.text, group.forms[f].text);
        child->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                        (isAuthorised ? Qt::NoItemFlags : Qt::ItemIsUserCheckable));
        child->setCheckState(0, isAuthorised || difference == NameVariants::Difference::None ? Qt::Checked
                                                                                             : Qt::Unchecked);
        child->setText(NoteColumn, isAuthorised ? QStringLiteral("egységes forma")
                                                : NameVariants::differenceText(difference));
    }
}

void NameVariantsDialog::chooseAuthorised()
{
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item || item->data(0, FormRole).toInt() < 0 || !item->parent())
        return;
    const size_t g = size_t(item->data(0, GroupRole).toInt());
    if (m_groups[g].ambiguous)
        return;
    m_authorised[g] = size_t(item->data(0, FormRole).toInt());
    showAuthorised(item->parent());
    selectionChanged();
}

void NameVariantsDialog::selectionChanged()
{
    const QTreeWidgetItem* item = m_list->currentItem();
    const bool usable = item && !m_groups[size_t(item->data(0, GroupRole).toInt())].ambiguous;
    m_uniformButton->setEnabled(usable && m_session.document().lineCount() > 0);
    m_authorisedButton->setEnabled(usable && item->parent() &&
                                   size_t(item->data(0, FormRole).toInt()) !=
                                       m_authorised[size_t(item->data(0, GroupRole).toInt())]);
}

void NameVariantsDialog::makeUniform()
{
    if (refusedWhileReadOnly(this, m_session))
        return;
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const QTreeWidgetItem* top = item->parent() ? item->parent() : item;
    const size_t g = size_t(top->data(0, GroupRole).toInt());
    const NameVariants::Group& group = m_groups[g];
    if (group.ambiguous)
        return;
    const QString chosen = group.forms[m_authorised[g]].text;
    QStringList others;
    for (int i = 0; i < top->childCount(); ++i) {
        const QTreeWidgetItem* child = top->child(i);
        const QString& text = group.forms[size_t(child->data(0, FormRole).toInt())].text;
        if (child->checkState(0) == Qt::Checked && text != chosen)
            others.append(text);
    }
    if (others.isEmpty()) {
        UserDialogs::instance().inform(
            this, QStringLiteral(
                      "A csoportban nincs bepipált forma az egységes formán kívül: nincs mit cserélni."));
        return;
    }
    const QList<std::pair<int, QString>> changes =
        NameVariants::uniformChanges(m_session.document(), group.kind, others, chosen);
    if (changes.isEmpty()) {
        UserDialogs::instance().inform(
            this, QStringLiteral(
                      "A megnyitott adatbázis egyik rekordja sem tartalmazza a csoport bepipált formáit."));
        return;
    }
    if (!UserDialogs::instance().askYesNo(
            this, QStringLiteral("%1 rekord módosul: %2 helyett „%3” áll majd bennük. Folytatja?")
                      .arg(changes.size())
                      .arg(quotedList(others), chosen)))
        return;
    m_session.replaceLines(changes);
    QList<int> indexes;
    for (const auto& change : changes)
        indexes.append(change.first);
    Q_EMIT linesReplaced(indexes);
    m_summary->setText(QStringLiteral("%1 rekord módosult.").arg(changes.size()));
}
