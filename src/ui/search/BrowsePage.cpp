#include "ui/search/BrowsePage.h"

#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "ui/common/Named.h"
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
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Page = "lap_tallozas";
constexpr auto ListPanel = "Panel_talloz";
constexpr auto NameList = "lb_talloz1";
constexpr auto RecordPanel = "Panel14";
constexpr auto Name = "edit_talrekord";
constexpr auto VolumeName = "edit_talkotet";
constexpr auto RecordType = "edit_talrektip";
constexpr auto Translation = "edit_talforditas";
constexpr auto Subject = "edit_taltargykor";
constexpr auto CreatorGroup = "gb_talalkoto";
constexpr auto CreatorLabel = "lab_talszerz%1"; // numbered from 1
constexpr auto CreatorEdit = "edit_talszerz%1";
constexpr auto Title = "edit_talcim";
constexpr auto PublicationLabel = "lab_talkiadvany";
constexpr auto Publication = "edit_talkiadvany";
constexpr auto Publisher = "edit_talkiado";
constexpr auto VolumeRunLabel = "lab_talevfolyam";
constexpr auto VolumeRun = "edit_talevfolyam";
constexpr auto Year = "edit_talev";
constexpr auto Pages = "edit_taloldal";
constexpr auto Place = "edit_talmegjhely";
constexpr auto Note = "edit_talmegj";
constexpr auto Medium = "edit_taladath";
constexpr auto Language = "edit_talnyelv";
constexpr auto NoIndexNote = "browseNoIndexNote";
constexpr auto NoIndexText = "browseNoIndexText";
constexpr auto IndexButton = "browseIndexButton";
} // namespace ObjectName

constexpr int kListPanelWidth = 185;
constexpr int kRecordPanelWidth = 600; // at first; the record view takes what the window gives
constexpr int kCaptionX = 8;
constexpr int kEditX = 126; // the captions need 114 pixels ("Megjelenés helye:")
constexpr int kRowHeight = 21;
constexpr int kRowPitch = 24;
constexpr int kFirstRowY = 8;
constexpr int kCaptionOffset = 3; // a caption's text lines up with its edit's text
constexpr int kShortEditWidth = 193;
constexpr int kTranslationGap = 16;
constexpr int kTranslationCaptionWidth = 60;
constexpr int kTranslationWidth = 65;
constexpr int kRightMargin = 8;
// Long edits leave kLongEditMargin of the panel's width for the captions and
// the right margin; the creator group leaves 8 pixels on either side.
constexpr int kLongEditMargin = 134;
constexpr int kGroupMargin = 16;
constexpr int kGroupTop = 108;
constexpr int kGroupWidth = 400; // before the first resize
constexpr int kGroupEditX = 104;
constexpr int kGroupHeight = 120;
constexpr int kGroupFirstRowY = 20;
constexpr int kPanelHeight = 485;

constexpr char kTranslated[] = "1"; // the translation field of a translated record

QString text(const FieldGrid& record, int row)
{
    return Win1250::toUnicode(record[row]);
}

// Neither file of the record directory: the folder was never indexed.
bool hasNoIndex(const QString& startDir)
{
    const QDir dir(startDir);
    return !QFileInfo::exists(dir.filePath(WorkFolder::ChunkNumbersFile)) &&
           !QFileInfo::exists(dir.filePath(WorkFolder::RecordNamesFile));
}

} // namespace

BrowsePage::BrowsePage(QWidget* parent) : QWidget(parent)
{
    named(this, ObjectName::Page);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    auto* panel = named(new QWidget(splitter), ObjectName::ListPanel);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_names = named(new QListView(panel), ObjectName::NameList);
    m_names->setUniformItemSizes(true);
    m_names->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new NameListModel(&m_list.names(), this);
    m_names->setModel(m_model);
    panelLayout->addWidget(m_names);

    auto* scroll = new QScrollArea(splitter);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_recordPanel = named(new QWidget, ObjectName::RecordPanel);
    m_recordPanel->setMinimumSize(kEditX + kShortEditWidth + kTranslationGap + kTranslationCaptionWidth +
                                      kTranslationWidth + kRightMargin,
                                  kPanelHeight);
    scroll->setWidget(m_recordPanel);
    buildRecordView();
    m_recordPanel->installEventFilter(this);

    splitter->addWidget(panel);
    splitter->addWidget(scroll);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kListPanelWidth, kRecordPanelWidth});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildNoIndexNote());
    layout->addWidget(splitter, 1);

    // A click shows the record even when it is already selected (the chunk is
    // read again, so the view follows the files); moving with the keyboard
    // shows each record it reaches.
    connect(m_names->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_selecting || !current.isValid())
                    return;
                m_changedByPress = current.row();
                showClickedRecord();
            });
    connect(m_names, &QListView::clicked, this, [this](const QModelIndex& index) {
        const bool alreadyShown = index.row() == m_changedByPress;
        m_changedByPress = NoRow;
        if (!alreadyShown)
            showClickedRecord();
    });
}

QLineEdit* BrowsePage::addRow(const QString& caption, const char* editName, int y, bool longEdit,
                              QLabel** label)
{
    auto* captionLabel = new QLabel(caption, m_recordPanel);
    captionLabel->setGeometry(kCaptionX, y + kCaptionOffset, kEditX - kCaptionX - 4, kRowHeight - 4);
    auto* edit = named(new QLineEdit(m_recordPanel), editName);
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
    int y = kFirstRowY;
    const auto nextRow = [&y] {
        const int at = y;
        y += kRowPitch;
        return at;
    };
    m_rowEdits[FieldGrid::Name] = addRow(QStringLiteral("Rekordszám:"), ObjectName::Name, nextRow(), false);
    m_rowEdits[FieldGrid::VolumeName] =
        addRow(QStringLiteral("Kötet:"), ObjectName::VolumeName, nextRow(), false);
    const int recordTypeY = nextRow();
    m_rowEdits[FieldGrid::RecordType] =
        addRow(QStringLiteral("Rekord típusa:"), ObjectName::RecordType, recordTypeY, false);
    // The translation flag stands on the record type's row.
    const int translationX = kEditX + kShortEditWidth + kTranslationGap;
    auto* translationLabel = new QLabel(QStringLiteral("Fordítás:"), m_recordPanel);
    translationLabel->setGeometry(translationX, recordTypeY + kCaptionOffset, kTranslationCaptionWidth,
                                  kRowHeight - 4);
    m_translation = named(new QLineEdit(m_recordPanel), ObjectName::Translation);
    m_translation->setReadOnly(true);
    m_translation->setGeometry(translationX + kTranslationCaptionWidth, recordTypeY, kTranslationWidth,
                               kRowHeight);
    m_rowEdits[FieldGrid::Subject] =
        addRow(QStringLiteral("Tárgykör:"), ObjectName::Subject, nextRow(), true);

    m_creatorGroup =
        named(new QGroupBox(QStringLiteral(" Alkotók "), m_recordPanel), ObjectName::CreatorGroup);
    m_creatorGroup->setGeometry(kCaptionX, kGroupTop, kGroupWidth, kGroupHeight);
    for (int i = 0; i < CreatorSlot8::Count; ++i) {
        const int rowY = kGroupFirstRowY + i * kRowPitch;
        auto* label =
            named(new QLabel(m_creatorGroup), QString::fromLatin1(ObjectName::CreatorLabel).arg(i + 1));
        label->setGeometry(kCaptionX, rowY + kCaptionOffset, kGroupEditX - 12, kRowHeight - 4);
        auto* edit =
            named(new QLineEdit(m_creatorGroup), QString::fromLatin1(ObjectName::CreatorEdit).arg(i + 1));
        edit->setReadOnly(true);
        edit->setGeometry(kGroupEditX, rowY, kShortEditWidth, kRowHeight);
        m_creatorLabels[i] = label;
        m_creatorEdits[i] = edit;
        label->hide();
        edit->hide();
    }

    y = kGroupTop + kGroupHeight + 8;
    m_rowEdits[FieldGrid::Title] = addRow(QStringLiteral("Cím:"), ObjectName::Title, nextRow(), true);
    m_rowEdits[FieldGrid::Publication] =
        addRow(QStringLiteral("Kiadvány:"), ObjectName::Publication, nextRow(), true, &m_publicationLabel);
    named(m_publicationLabel, ObjectName::PublicationLabel);
    m_rowEdits[FieldGrid::Publisher] =
        addRow(QStringLiteral("Kiadó:"), ObjectName::Publisher, nextRow(), true);
    m_rowEdits[FieldGrid::VolumeRun] =
        addRow(QStringLiteral("Évfolyam:"), ObjectName::VolumeRun, nextRow(), true, &m_volumeLabel);
    named(m_volumeLabel, ObjectName::VolumeRunLabel);
    m_rowEdits[FieldGrid::Year] = addRow(QStringLiteral("Év:"), ObjectName::Year, nextRow(), true);
    m_rowEdits[FieldGrid::Pages] = addRow(QStringLiteral("Oldalszám:"), ObjectName::Pages, nextRow(), true);
    m_rowEdits[FieldGrid::Place] =
        addRow(QStringLiteral("Megjelenés helye:"), ObjectName::Place, nextRow(), true);
    m_rowEdits[FieldGrid::Note] = addRow(QStringLiteral("Megjegyzés:"), ObjectName::Note, nextRow(), true);
    m_rowEdits[FieldGrid::Medium] =
        addRow(QStringLiteral("Adathordozó:"), ObjectName::Medium, nextRow(), false);
    m_rowEdits[FieldGrid::Language] =
        addRow(QStringLiteral("Nyelv:"), ObjectName::Language, nextRow(), false);
}

bool BrowsePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_recordPanel && event->type() == QEvent::Resize)
        fitEditsToPanel();
    return QWidget::eventFilter(watched, event);
}

// The long fields grow with the panel, so long titles and notes can be read whole.
void BrowsePage::fitEditsToPanel()
{
    const int width = m_recordPanel->width();
    m_creatorGroup->resize(width - kGroupMargin, m_creatorGroup->height());
    for (QWidget* edit : std::as_const(m_longEdits))
        edit->resize(width - kLongEditMargin, edit->height());
    fitCreatorColumns();
}

// The role captions are as wide as the longest one shown needs
// ("Bibliográfiát összeállította:"), the names take the rest of the group.
void BrowsePage::fitCreatorColumns()
{
    int captionWidth = kGroupEditX - 12;
    for (const QLabel* label : m_creatorLabels)
        if (!label->isHidden())
            captionWidth = qMax(captionWidth, label->sizeHint().width());
    const int editX = kCaptionX + captionWidth + 4;
    for (int i = 0; i < CreatorSlot8::Count; ++i) {
        QLabel* label = m_creatorLabels[i];
        label->resize(captionWidth, label->height());
        QLineEdit* edit = m_creatorEdits[i];
        edit->setGeometry(editX, edit->y(), m_creatorGroup->width() - editX - kRightMargin, edit->height());
    }
}

// A user new to the program finds the page empty until the folder is
// indexed; the note says so and leads to the index dialog.
QWidget* BrowsePage::buildNoIndexNote()
{
    m_noIndexNote = named(new QFrame(this), ObjectName::NoIndexNote);
    m_noIndexNote->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(m_noIndexNote);
    auto* text =
        named(new QLabel(QStringLiteral("Ebben a mappában még nincs index. A tallózás és a keresés az "
                                        "indexből dolgozik: az Indexelés ablakban készíthető el "
                                        "a mappa adatbázisaiból."),
                         m_noIndexNote),
              ObjectName::NoIndexText);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    auto* button =
        named(new QPushButton(QStringLiteral("Indexelés..."), m_noIndexNote), ObjectName::IndexButton);
    connect(button, &QPushButton::clicked, this, &BrowsePage::indexRequested);
    layout->addWidget(button);
    m_noIndexNote->hide();
    return m_noIndexNote;
}

bool BrowsePage::loadBrowseList(const QString& startDir, bool quietWhenAbsent)
{
    m_startDir = startDir;
    m_list.clear();
    m_model->reset();
    const bool noIndex = hasNoIndex(startDir);
    m_noIndexNote->setVisible(noIndex);
    // A folder that was never indexed is not an error at start-up.
    if (quietWhenAbsent && noIndex)
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

bool BrowsePage::openRecord(const QString& recordName, int chunkNumber)
{
    const qsizetype row = m_list.findRecord(recordName, chunkNumber);
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

void BrowsePage::showClickedRecord()
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
    m_translation->setText(record[FieldGrid::Translation] == kTranslated ? QStringLiteral("igen")
                                                                         : QStringLiteral("nem"));
    showCreators(record[FieldGrid::Creators]);
    m_publicationLabel->setText(QStringLiteral("Kiadvány:"));
    m_volumeLabel->setText(QStringLiteral("Évfolyam:"));
    const CodeTables::TypeCaptions captions = CodeTables::typeCaptions(text(record, FieldGrid::RecordType));
    m_publicationLabel->setText(captions.publicationLabel);
    m_volumeLabel->setText(captions.volumeLabel);
}

// The creators field lists the filled creator slots, each a role code and a name.
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
    fitCreatorColumns();
}
