#include "ui/search/DuplicatesDialog.h"

#include "core/record/FieldGrid.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/search/HitEntry.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

namespace ObjectName {
constexpr const char* Dialog = "duplikatumform";
constexpr const char* Groups = "tv_duplikatumok";
constexpr const char* Status = "lab_dupallapot";
constexpr const char* SearchButton = "gomb_dupkeres";
constexpr const char* CancelButton = "gomb_dupmegszakit";
constexpr const char* CloseButton = "gomb_dupbezar";
} // namespace ObjectName

constexpr int kNameRole = Qt::UserRole;
constexpr int kChunkRole = Qt::UserRole + 1;

QString reasonCaption(DuplicateFinder::Reason reason)
{
    return reason == DuplicateFinder::Reason::SameName ? QStringLiteral("Azonos rekordnév")
                                                       : QStringLiteral("Azonos mű");
}

} // namespace

DuplicatesDialog::DuplicatesDialog(QWidget* parent) : QDialog(parent)
{
    named(this, ObjectName::Dialog);
    setWindowTitle(QStringLiteral("Duplikátumok keresése"));
    resize(760, 480);

    m_groups = named(new QTreeWidget(this), ObjectName::Groups);
    m_groups->setHeaderLabels({QStringLiteral("Rekordnév"), QStringLiteral("Találat")});
    m_groups->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_groups->setWordWrap(true);
    connect(m_groups, &QTreeWidget::itemClicked, this, &DuplicatesDialog::openClicked);

    m_status = named(new QLabel(this), ObjectName::Status);
    m_searchButton = named(new QPushButton(QStringLiteral("Keresés"), this), ObjectName::SearchButton);
    m_cancelButton = named(new QPushButton(QStringLiteral("Megszakítás"), this), ObjectName::CancelButton);
    m_cancelButton->setEnabled(false);
    auto* closeButton = named(new QPushButton(QStringLiteral("Bezárás"), this), ObjectName::CloseButton);
    connect(m_searchButton, &QPushButton::clicked, this, &DuplicatesDialog::startSearch);
    connect(m_cancelButton, &QPushButton::clicked, this, &DuplicatesDialog::cancelSearch);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_searchButton);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_groups, 1);
    layout->addLayout(buttons);
}

DuplicatesDialog::~DuplicatesDialog()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
    }
}

void DuplicatesDialog::startSearch()
{
    if (m_thread)
        return;
    m_groups->clear();
    m_result.reset();
    m_error.clear();
    m_cancel = false;
    m_status->setText(QStringLiteral("Keresés folyamatban..."));
    m_searchButton->setEnabled(false);
    m_cancelButton->setEnabled(true);
    const QString startDir = m_startDir;
    m_thread = QThread::create([this, startDir] {
        try {
            m_result = DuplicateFinder().run(startDir, &m_cancel);
        } catch (const NorlaError& error) {
            m_error = error.message();
        }
    });
    connect(m_thread, &QThread::finished, this, &DuplicatesDialog::showOutcome);
    m_thread->start();
}

void DuplicatesDialog::cancelSearch()
{
    m_cancel = true;
}

void DuplicatesDialog::closeEvent(QCloseEvent* event)
{
    cancelSearch();
    QDialog::closeEvent(event);
}

void DuplicatesDialog::showOutcome()
{
    m_thread->deleteLater();
    m_thread = nullptr;
    m_searchButton->setEnabled(true);
    m_cancelButton->setEnabled(false);
    if (!m_error.isEmpty()) {
        m_status->setText(QStringLiteral("A keresés hiba miatt megszakadt."));
        UserDialogs::instance().inform(this, m_error);
    } else if (!m_result) {
        m_status->setText(QStringLiteral("A keresés megszakítva."));
    } else {
        for (const DuplicateFinder::Group& group : *m_result) {
            auto* top = new QTreeWidgetItem(
                m_groups,
                {QStringLiteral("%1 (%2)").arg(reasonCaption(group.reason)).arg(group.members.size())});
            top->setFirstColumnSpanned(true);
            for (const DuplicateFinder::Member& member : group.members) {
                const QString name = Win1250::toUnicode(member.name);
                const QString text =
                    HitEntry::plainText(HitEntry::build(FieldGrid::decode(member.line), m_roleNames))
                        .trimmed();
                auto* item = new QTreeWidgetItem(top, {name, text});
                item->setData(0, kNameRole, name);
                item->setData(0, kChunkRole, member.chunkNumber);
            }
            top->setExpanded(true);
        }
        m_status->setText(m_result->empty() ? QStringLiteral("Nincs valószínű duplikátum.")
                                            : QStringLiteral("%1 csoport.").arg(m_result->size()));
    }
    Q_EMIT searchEnded();
}

void DuplicatesDialog::openClicked(QTreeWidgetItem* item)
{
    if (!item || !item->parent())
        return;
    Q_EMIT openRecordRequested(item->data(0, kNameRole).toString(), item->data(0, kChunkRole).toInt());
}
