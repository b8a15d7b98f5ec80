#include "ui/search/BrowsePage.h"

#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "ui/common/UserDialogs.h"
#include "ui/search/NameListModel.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollArea>
#include <QSplitter>

namespace {

constexpr int kListPanelWidth = 185;
constexpr int kCaptionX = 8;
constexpr int kEditX = 120;
constexpr int kRowHeight = 21;
constexpr int kShortEditWidth = 193;
constexpr int kTranslationWidth = 65;
// Long edits leave kLongEditMargin of Panel14's width for the captions and
// the right margin; the creator group leaves 8 pixels on either side.
constexpr int kLongEditMargin = 128;
constexpr int kGroupMargin = 16;
constexpr int kGroupTop = 108;
constexpr int kGroupEditX = 104;
constexpr int kGroupHeight = 120;
constexpr int kPanelHeight = 485;

QString text(const FieldGrid& record, int row)
{
    return Win1250::toUnicode(record[row]);
}

} // namespace

BrowsePage::BrowsePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lap_tallozas"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    auto* panel = new QWidget(splitter);
    panel->setObjectName(QStringLiteral("Panel_talloz"));
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_names = new QListView(panel);
    m_names->setObjectName(QStringLiteral("lb_talloz1"));
    m_names->setUniformItemSizes(true);
    m_names->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new NameListModel(&m_list.names(), this);
    m_names->setModel(m_model);
    panelLayout->addWidget(m_names);

    auto* scroll = new QScrollArea(splitter);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_panel14 = new QWidget;
    m_panel14->setObjectName(QStringLiteral("Panel14"));
    m_panel14->setMinimumSize(kEditX + kShortEditWidth + 16 + 60 + kTranslationWidth + 8, kPanelHeight);
    scroll->setWidget(m_panel14);
    buildRecordView();
    m_panel14->installEventFilter(this);

    splitter->addWidget(panel);
    splitter->addWidget(scroll);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kListPanelWidth, 600});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    // A click shows the record even when it is already selected (the chunk is
    // read again, so the view follows the files); moving with the keyboard
    // shows each record it reaches.
    connect(m_names->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_selecting || !current.isValid())
                    return;
                m_changedByPress = current.row();
                lb_talloz1Click();
            });
    connect(m_names, &QListView::clicked, this, [this](const QModelIndex& index) {
        const bool alreadyShown = index.row() == m_changedByPress;
        m_changedByPress = -1;
        if (!alreadyShown)
            lb_talloz1Click();
    });
}

QLineEdit* BrowsePage::addRow(const QString& caption, const QString& editName, int y, bool longEdit,
                              QLabel** label)
{
    auto* captionLabel = new QLabel(caption, m_panel14);
    captionLabel->setGeometry(kCaptionX, y + 3, kEditX - kCaptionX - 4, kRowHeight - 4);
    auto* edit = new QLineEdit(m_panel14);
    edit->setObjectName(editName);
    edit->setReadOnly(true);
    edit->setGeometry(kEditX, y, kShortEditWidth, kRowHeight);
    if (longEdit)
        m_longEdits.append(edit);
    if (label)
        *label = captionLabel;
    return edit;
}

void BrowsePage::buildRecordView()
{
    m_rowEdits[FieldGrid::Name] =
        addRow(QStringLiteral("Rekordszám:"), QStringLiteral("edit_talrekord"), 8, false);
    m_rowEdits[FieldGrid::VolumeName] =
        addRow(QStringLiteral("Kötet:"), QStringLiteral("edit_talkotet"), 32, false);
    m_rowEdits[FieldGrid::RecordType] =
        addRow(QStringLiteral("Rekord típusa:"), QStringLiteral("edit_talrektip"), 56, false);
    const int translationX = kEditX + kShortEditWidth + 16;
    auto* translationLabel = new QLabel(QStringLiteral("Fordítás:"), m_panel14);
    translationLabel->setGeometry(translationX, 59, 60, kRowHeight - 4);
    m_translation = new QLineEdit(m_panel14);
    m_translation->setObjectName(QStringLiteral("edit_talforditas"));
    m_translation->setReadOnly(true);
    m_translation->setGeometry(translationX + 60, 56, kTranslationWidth, kRowHeight);
    m_rowEdits[FieldGrid::Subject] =
        addRow(QStringLiteral("Tárgykör:"), QStringLiteral("edit_taltargykor"), 80, true);

    m_creatorGroup = new QGroupBox(QStringLiteral(" Alkotók "), m_panel14);
    m_creatorGroup->setObjectName(QStringLiteral("gb_talalkoto"));
    m_creatorGroup->setGeometry(kCaptionX, kGroupTop, 400, kGroupHeight);
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(m_creatorGroup);
        label->setObjectName(QStringLiteral("lab_talszerz%1").arg(i + 1));
        label->setGeometry(8, 23 + i * 24, kGroupEditX - 12, kRowHeight - 4);
        auto* edit = new QLineEdit(m_creatorGroup);
        edit->setObjectName(QStringLiteral("edit_talszerz%1").arg(i + 1));
        edit->setReadOnly(true);
        edit->setGeometry(kGroupEditX, 20 + i * 24, kShortEditWidth, kRowHeight);
        m_creatorLabels[i] = label;
        m_creatorEdits[i] = edit;
        m_longEdits.append(edit);
        label->hide();
        edit->hide();
    }

    int y = kGroupTop + kGroupHeight + 8;
    const auto next = [&y] {
        const int at = y;
        y += 24;
        return at;
    };
    m_rowEdits[FieldGrid::Title] =
        addRow(QStringLiteral("Cím:"), QStringLiteral("edit_talcim"), next(), true);
    m_rowEdits[FieldGrid::Publication] = addRow(
        QStringLiteral("Kiadvány:"), QStringLiteral("edit_talkiadvany"), next(), true, &m_publicationLabel);
    m_publicationLabel->setObjectName(QStringLiteral("lab_talkiadvany"));
    m_rowEdits[FieldGrid::Publisher] =
        addRow(QStringLiteral("Kiadó:"), QStringLiteral("edit_talkiado"), next(), true);
    m_rowEdits[FieldGrid::VolumeRun] =
        addRow(QStringLiteral("Évfolyam:"), QStringLiteral("edit_talevfolyam"), next(), true, &m_volumeLabel);
    m_volumeLabel->setObjectName(QStringLiteral("lab_talevfolyam"));
    m_rowEdits[FieldGrid::Year] = addRow(QStringLiteral("Év:"), QStringLiteral("edit_talev"), next(), true);
    m_rowEdits[FieldGrid::Pages] =
        addRow(QStringLiteral("Oldalszám:"), QStringLiteral("edit_taloldal"), next(), true);
    m_rowEdits[FieldGrid::Place] =
        addRow(QStringLiteral("Megjelenés helye:"), QStringLiteral("edit_talmegjhely"), next(), true);
    m_rowEdits[FieldGrid::Note] =
        addRow(QStringLiteral("Megjegyzés:"), QStringLiteral("edit_talmegj"), next(), true);
    m_rowEdits[FieldGrid::Medium] =
        addRow(QStringLiteral("Adathordozó:"), QStringLiteral("edit_taladath"), next(), false);
    m_rowEdits[FieldGrid::Language] =
        addRow(QStringLiteral("Nyelv:"), QStringLiteral("edit_talnyelv"), next(), false);
}

bool BrowsePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel14 && event->type() == QEvent::Resize)
        Panel14Resize();
    return QWidget::eventFilter(watched, event);
}

void BrowsePage::Panel14Resize()
{
    const int width = m_panel14->width();
    m_creatorGroup->resize(width - kGroupMargin, m_creatorGroup->height());
    for (QWidget* edit : std::as_const(m_longEdits))
        edit->resize(width - kLongEditMargin, edit->height());
}

bool BrowsePage::loadBrowseList(const QString& startDir, bool quietWhenAbsent)
{
    m_startDir = startDir;
    m_list.clear();
    m_model->reset();
    const QDir dir(startDir);
    // A folder that was never indexed is not an error at start-up.
    if (quietWhenAbsent && !QFileInfo::exists(dir.filePath(WorkFolder::ChunkNumbersFile)) &&
        !QFileInfo::exists(dir.filePath(WorkFolder::RecordNamesFile)))
        return true;
    const bool loaded = runGuarded(this, [this] {
        try {
            m_list.load(m_startDir);
        } catch (...) {
            m_model->reset(); // the names read before the failure stay listed
            throw;
        }
        m_model->reset();
        if (m_list.names().isEmpty())
            return;
        selectRow(0);
        showSelectedRecord();
    });
    return loaded;
}

bool BrowsePage::openRecord(const QString& recordName)
{
    const qsizetype row = m_list.findName(recordName);
    if (row < 0)
        return false;
    selectRow(int(row));
    bool shown = false;
    runGuarded(this, [&] {
        showSelectedRecord();
        shown = true;
    });
    return shown;
}

void BrowsePage::selectRow(int row)
{
    m_selecting = true;
    const QModelIndex index = m_model->index(row);
    m_names->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_names->scrollTo(index);
    m_selecting = false;
}

void BrowsePage::lb_talloz1Click()
{
    runGuarded(this, [this] { showSelectedRecord(); });
}

void BrowsePage::showSelectedRecord()
{
    // The list selects one entry at a time: the current one.
    const QModelIndex current = m_names->selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    const int chunk = m_list.chunkNumberAt(row);
    QByteArray line;
    if (!BrowseList::findRecordLine(BrowseList::chunkPath(m_startDir, chunk), m_list.names().at(row), line))
        return;
    fillRecordView(FieldGrid::decode(line));
}

void BrowsePage::fillRecordView(const FieldGrid& record)
{
    for (int row = 0; row < FieldGrid::RowCount; ++row)
        if (m_rowEdits[row])
            m_rowEdits[row]->setText(text(record, row));
    m_translation->setText(record[FieldGrid::Translation] == "1" ? QStringLiteral("igen")
                                                                 : QStringLiteral("nem"));
    showCreators(record[FieldGrid::Creators]);
    m_publicationLabel->setText(QStringLiteral("Kiadvány:"));
    m_volumeLabel->setText(QStringLiteral("Évfolyam:"));
    const CodeTables::TypeCaptions captions = CodeTables::typeCaptions(text(record, FieldGrid::RecordType));
    m_publicationLabel->setText(captions.publicationLabel);
    m_volumeLabel->setText(captions.volumeLabel);
}

// Row 3 lists the filled creator slots, each ended by "**": role code, then name.
void BrowsePage::showCreators(QByteArrayView creators)
{
    for (int i = 0; i < CreatorSlot8::Count; ++i) {
        m_creatorLabels[i]->hide();
        m_creatorEdits[i]->hide();
        m_creatorEdits[i]->clear();
    }
    const QStringList roles = LookupList::readOrEmpty(QDir(m_startDir).filePath(WorkFolder::RolesFile));
    CreatorRow row(creators);
    CreatorSlot8 slot;
    for (int i = 0; i < CreatorSlot8::Count && row.next(slot); ++i) {
        m_creatorLabels[i]->setText(CodeTables::roleName(Win1250::toUnicode(slot.role), roles) + u':');
        m_creatorEdits[i]->setText(Win1250::toUnicode(slot.name));
        m_creatorLabels[i]->show();
        m_creatorEdits[i]->show();
    }
}
