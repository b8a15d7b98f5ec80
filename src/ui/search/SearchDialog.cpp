#include "ui/search/SearchDialog.h"

#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/search/HitEntry.h"
#include "core/search/SearchEngine.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/common/WindowPlacement.h"
#include "ui/search/HitsPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <utility>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr const char* Dialog = "keresform";
constexpr const char* ModeBox = "rg_keres";
constexpr const char* ModeButtons[] = {"rg_keres_0", "rg_keres_1"}; // by SearchCriteria::Mode
constexpr const char* MatchBox = "rg_mod";
constexpr const char* MatchButtons[] = {"rg_mod_0", "rg_mod_1"}; // by SearchCriteria::MatchKind
constexpr const char* FoldedCheck = "cb_ekezet";
constexpr const char* OneTermBox = "rg_1";
constexpr const char* OneTermLabel = "lab1";
constexpr const char* TermEdit = "edit_1";
constexpr const char* SeveralTermsBox = "rg_2";
constexpr const char* SeveralTermsLabel = "lab2";
constexpr const char* NewTermEdit = "edit_2";
constexpr const char* AddTermButton = "gomb_hozza";
constexpr const char* TermList = "lb_keres";
constexpr const char* RemoveTermButton = "gomb_elvesz";
constexpr const char* ConnectiveLabel = "lab3";
constexpr const char* AndButton = "rb21";
constexpr const char* OrButton = "rb22";
constexpr const char* TermFieldBox = "rg_miben";
constexpr const char* TermFields[SearchCriteria::TermFieldCount] = {
    "cb21", "cb22", "cb23", "cb24", "cb25", "cb26", "cb27", "cb28", "cb29", "cb30", "cb31", "cb32",
};
constexpr const char* RestrictionBox = "rg_lista";
// The text restrictions, then the translation.
constexpr const char* RestrictionChecks[] = {"cb1", "cb2", "cb3", "cb4", "cb5", "cb6", "cb7", "cb8", "cb9"};
constexpr const char* RestrictionEdits[SearchCriteria::TextRestrictionCount] = {
    "edit1", "edit2", "edit3", "edit4", "edit5", "edit6", "edit7", "edit8",
};
constexpr const char* TranslationYes = "rb_lista1";
constexpr const char* TranslationNo = "rb_lista2";
constexpr const char* PickListHeading = "lab_listanev";
constexpr const char* PickList = "lb_fo";
constexpr const char* Progress = "csikkeres";
constexpr const char* OutcomeBox = "gb_talalat";
constexpr const char* Outcome = "Memo_talalat";
constexpr const char* ResetButton = "gomb_alap";
constexpr const char* HitsButton = "gomb_talalatok";
constexpr const char* SearchButton = "gomb_keres";
constexpr const char* CancelButton = "gomb_megsem";
} // namespace ObjectName

// Two columns: the terms on the left, the restrictions and the outcome on
// the right. Wide enough for every caption at the usual desktop fonts, and for
// the longer names of the pick list.
constexpr int kLeftWidth = 420;
constexpr int kRightX = 8 + kLeftWidth + 8;
constexpr int kRightWidth = 512;
constexpr int kClientWidth = kRightX + kRightWidth + 8;
constexpr int kClientHeight = 451;
constexpr int kMaxProgress = 1 << 30;
constexpr int kIdleProgressMaximum = 100;
constexpr int kModeCount = 2;      // SearchCriteria::Mode
constexpr int kMatchKindCount = 2; // SearchCriteria::MatchKind

// The term fields stand in columns of four check boxes.
constexpr int kTermFieldsPerColumn = 4;
constexpr int kTermFieldColumnWidth = 136;
constexpr int kTermFieldRowHeight = 20;
// The restriction rows: a check box, and for text restrictions an edit beside it.
constexpr int kRestrictionRowHeight = 24;
constexpr int kRestrictionCheckWidth = 156;
constexpr int kRestrictionEditX = 8 + kRestrictionCheckWidth + 2;
constexpr int kRestrictionEditWidth = 140;
constexpr int kPickListX = kRestrictionEditX + kRestrictionEditWidth + 8;
constexpr int kPickListWidth = kRightWidth - kPickListX - 8;
// The radio buttons of the two top groups, one under the other.
constexpr int kRadioRowHeight = 22;

const QColor kHitsFoundColour = Qt::darkGreen;
const QColor kNoHitColour = Qt::red;

constexpr const char16_t* kTermFieldCaptions[SearchCriteria::TermFieldCount] = {
    u"Tárgykör",  u"Alkotó", u"Cím",      u"Kiadvány",         u"Kiadó",      u"Könyvsorozat", u"Kötetszám",
    u"Oldalszám", u"Év",     u"Évfolyam", u"Megjelenés helye", u"Megjegyzés",
};

struct RestrictionRow
{
    const char16_t* caption; // the check box
    const QString* pickFile; // pick list in the start directory
    const char16_t* heading; // above the pick list while it is shown
};
constexpr RestrictionRow kRestrictions[SearchCriteria::TextRestrictionCount] = {
    {u"Kötet:", &WorkFolder::VolumesFile, u"Kötet:"},
    {u"Rekord típusa:", &WorkFolder::RecordTypesFile, u"Rekord típusa:"},
    {u"Alkotó:", &WorkFolder::CreatorsFile, u"Alkotó:"},
    {u"Közreműködés:", &WorkFolder::RolesFile, u"Közreműködés:"},
    {u"Kiadó:", &WorkFolder::PublishersFile, u"Kiadó:"},
    {u"Megjelenési hely:", &WorkFolder::PlacesFile, u"Megjelenési hely:"},
    {u" Adathordozó típusa:", &WorkFolder::MediaFile, u"Adathordozó típusa:"},
    {u"Nyelv:", &WorkFolder::LanguagesFile, u"Nyelv:"},
};
constexpr const char16_t* kTranslationCaption = u"Fordítás:";

QString str(const char16_t* text)
{
    return QString::fromUtf16(text);
}

// Batches are handed to the window at most this big, so that taking one in
// is a short step for it: the text entries cost far more than the names.
constexpr qsizetype kBatchNames = 4096;
constexpr qsizetype kBatchEntries = 8;

// What the search found since the last batch.
struct HitBatch
{
    ByteStringList names;
    std::vector<int> chunkNumbers;
    QList<QList<HitRun>> entries;
};

// Runs on the worker: gathers the hits as the search delivers them and hands
// them to the page in batches, in hit order, so the list fills while the
// search goes; keeps where the scan is for the dialog's progress bar.
class StreamingSink final : public SearchSink
{
public:
    StreamingSink(BackgroundJob& job, HitsPage* page, QStringList roleNames)
        : m_job(job), m_page(page), m_collect(page != nullptr), m_roleNames(std::move(roleNames))
    {
    }

    void hit(QByteArrayView recordName, const FieldGrid* record) override
    {
        if (!m_collect)
            return;
        m_batch->names.append(recordName);
        m_batch->chunkNumbers.push_back(m_chunkNumber);
        if (record)
            m_batch->entries.append(HitEntry::build(*record, m_roleNames));
        if (m_batch->names.size() >= kBatchNames || m_batch->entries.size() >= kBatchEntries)
            flush();
    }

    void chunkStarted(int chunkNumber) override { m_chunkNumber = chunkNumber; }
    void chunkFinished() override { flush(); }

    void progress(qint64 done, qint64 total) override
    {
        m_total.store(total, std::memory_order_relaxed);
        m_done.store(done, std::memory_order_relaxed);
    }

    // Posted after every batch before it, so the page drops exactly what
    // this search had delivered.
    bool restart() override
    {
        m_batch = std::make_shared<HitBatch>();
        m_chunkNumber = -1;
        if (m_collect)
            m_job.post([page = m_page] {
                if (page)
                    page->clearDelivered();
            });
        return true;
    }

    // On the dialog's thread.
    void showProgressOn(QProgressBar* bar) const
    {
        const qint64 total = m_total.load(std::memory_order_relaxed);
        if (total <= 0)
            return;
        // Very large chunks are scaled down to the bar's integer range.
        const qint64 scale = total > kMaxProgress ? total / kMaxProgress + 1 : 1;
        bar->setMaximum(int(qMax<qint64>(1, total / scale)));
        bar->setValue(int(qMin(m_done.load(std::memory_order_relaxed), total) / scale));
    }

private:
    void flush()
    {
        if (m_batch->names.isEmpty())
            return;
        std::shared_ptr<const HitBatch> batch = std::exchange(m_batch, std::make_shared<HitBatch>());
        m_job.post([page = m_page, batch = std::move(batch)] {
            if (!page)
                return;
            for (qsizetype i = 0; i < batch->names.size(); ++i)
                page->appendHit(batch->names.at(i), batch->chunkNumbers[size_t(i)]);
            for (const QList<HitRun>& entry : std::as_const(batch->entries))
                page->appendEntry(entry);
            page->showAppendedHits();
        });
    }

    BackgroundJob& m_job;
    QPointer<HitsPage> m_page; // read on the dialog's thread only
    const bool m_collect;
    QStringList m_roleNames;
    int m_chunkNumber = -1;
    std::shared_ptr<HitBatch> m_batch = std::make_shared<HitBatch>();
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
};

// The message area and the progress bar as a search found them, to put back
// when it is stopped.
struct OutcomeState
{
    OutcomeState(const QPlainTextEdit* outcome, const QProgressBar* progress)
        : text(outcome->toPlainText()), palette(outcome->palette()), progressMaximum(progress->maximum()),
          progressValue(progress->value())
    {
    }
    void restore(QPlainTextEdit* outcome, QProgressBar* progress) const
    {
        outcome->setPlainText(text);
        outcome->setPalette(palette);
        progress->setMaximum(progressMaximum);
        progress->setValue(progressValue);
    }

    QString text;
    QPalette palette;
    int progressMaximum;
    int progressValue;
};

} // namespace

SearchDialog::SearchDialog(QWidget* parent) : QDialog(parent)
{
    named(this, ObjectName::Dialog);
    setWindowTitle(QStringLiteral("Összetett keresés"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);
    m_startDir = QDir::currentPath();

    buildSearchGroups();
    buildTermFields();
    buildRestrictions();
    buildResultArea();
    resetControls();
    m_job = new BackgroundJob(this);
    m_job->setStopControls({m_cancelButton});
}

void SearchDialog::buildSearchGroups()
{
    auto* modeBox = named(new QGroupBox(QStringLiteral(" Keresés "), this), ObjectName::ModeBox);
    modeBox->setGeometry(8, 8, 180, 64);
    m_modeGroup = new QButtonGroup(this);
    const QString modeCaptions[kModeCount] = {QStringLiteral("egy kifejezésre"),
                                              QStringLiteral("több kifejezésre")};
    for (int i = 0; i < kModeCount; ++i) {
        auto* radio = named(new QRadioButton(modeCaptions[i], modeBox), ObjectName::ModeButtons[i]);
        radio->setGeometry(10, 18 + i * kRadioRowHeight, 160, 20);
        m_modeGroup->addButton(radio, i);
    }
    connect(m_modeGroup, &QButtonGroup::idClicked, this,
            [this](int id) { applyMode(SearchCriteria::Mode(id)); });

    auto* matchBox = named(new QGroupBox(QStringLiteral(" Keresés módja "), this), ObjectName::MatchBox);
    matchBox->setGeometry(196, 8, kLeftWidth - 188, 64);
    m_matchGroup = new QButtonGroup(this);
    const QString matchCaptions[kMatchKindCount] = {QStringLiteral("szóra"), QStringLiteral("szótöredékre")};
    // The two match kinds share the first row, so the folded search fits below them.
    const int matchWidths[kMatchKindCount] = {62, 104};
    for (int i = 0, x = 10; i < kMatchKindCount; x += matchWidths[i], ++i) {
        auto* radio = named(new QRadioButton(matchCaptions[i], matchBox), ObjectName::MatchButtons[i]);
        radio->setGeometry(x, 18, matchWidths[i], 20);
        m_matchGroup->addButton(radio, i);
    }
    m_foldedCheck = named(new QCheckBox(QStringLiteral("ékezet és kis/nagybetű nélkül"), matchBox),
                          ObjectName::FoldedCheck);
    m_foldedCheck->setGeometry(10, 18 + kRadioRowHeight, kLeftWidth - 206, 20);
    m_foldedCheck->setToolTip(QStringLiteral("A kifejezések és a szűkítések szövege a kis- és nagybetűktől "
                                             "és az ékezetektől függetlenül illeszkedik (Sandor = Sándor)."));

    m_oneTermBox =
        named(new QGroupBox(QStringLiteral(" Keresés egy kifejezésre "), this), ObjectName::OneTermBox);
    m_oneTermBox->setGeometry(8, 78, kLeftWidth, 52);
    m_oneTermLabel = named(new QLabel(QStringLiteral("Keresendő:"), m_oneTermBox), ObjectName::OneTermLabel);
    m_oneTermLabel->setGeometry(10, 22, 68, 17);
    m_termEdit = named(new QLineEdit(m_oneTermBox), ObjectName::TermEdit);
    m_termEdit->setGeometry(80, 19, kLeftWidth - 90, 23);
    connect(m_termEdit, &QLineEdit::textChanged, this, &SearchDialog::updateSearchButton);

    m_severalTermsBox =
        named(new QGroupBox(QStringLiteral(" Keresés több kifejezésre "), this), ObjectName::SeveralTermsBox);
    m_severalTermsBox->setGeometry(8, 136, kLeftWidth, 160);
    m_severalTermsLabel =
        named(new QLabel(QStringLiteral("Keresendő:"), m_severalTermsBox), ObjectName::SeveralTermsLabel);
    m_severalTermsLabel->setGeometry(10, 22, 68, 17);
    m_newTermEdit = named(new QLineEdit(m_severalTermsBox), ObjectName::NewTermEdit);
    m_newTermEdit->setGeometry(80, 19, kLeftWidth - 178, 23);
    m_addTermButton =
        named(new QPushButton(QStringLiteral("Hozzáad"), m_severalTermsBox), ObjectName::AddTermButton);
    m_addTermButton->setGeometry(kLeftWidth - 92, 18, 82, 25);
    m_termList = named(new QListWidget(m_severalTermsBox), ObjectName::TermList);
    m_termList->setGeometry(80, 48, kLeftWidth - 178, 76);
    m_removeTermButton =
        named(new QPushButton(QStringLiteral("Töröl"), m_severalTermsBox), ObjectName::RemoveTermButton);
    m_removeTermButton->setGeometry(kLeftWidth - 92, 48, 82, 25);
    m_connectiveLabel =
        named(new QLabel(QStringLiteral("A kifejezések közötti kapcsolat:"), m_severalTermsBox),
              ObjectName::ConnectiveLabel);
    m_connectiveLabel->setGeometry(10, 132, 190, 17);
    m_andButton = named(new QRadioButton(QStringLiteral("és"), m_severalTermsBox), ObjectName::AndButton);
    m_andButton->setGeometry(204, 130, 50, 20);
    m_orButton = named(new QRadioButton(QStringLiteral("vagy"), m_severalTermsBox), ObjectName::OrButton);
    m_orButton->setGeometry(258, 130, 60, 20);
    m_criteriaBoxes += {modeBox, matchBox, m_oneTermBox, m_severalTermsBox};
    connect(m_newTermEdit, &QLineEdit::textChanged, this, &SearchDialog::updateAddButton);
    connect(m_addTermButton, &QPushButton::clicked, this, &SearchDialog::addTerm);
    connect(m_termList, &QListWidget::itemSelectionChanged, this, &SearchDialog::updateRemoveButton);
    connect(m_removeTermButton, &QPushButton::clicked, this, &SearchDialog::removeTerm);
}

void SearchDialog::buildTermFields()
{
    auto* box = named(new QGroupBox(QStringLiteral(" Miben keressen "), this), ObjectName::TermFieldBox);
    box->setGeometry(8, 302, kLeftWidth, 104);
    m_criteriaBoxes.append(box);
    for (int i = 0; i < SearchCriteria::TermFieldCount; ++i) {
        auto* check = named(new QCheckBox(str(kTermFieldCaptions[i]), box), ObjectName::TermFields[i]);
        check->setGeometry(10 + (i / kTermFieldsPerColumn) * kTermFieldColumnWidth,
                           20 + (i % kTermFieldsPerColumn) * kTermFieldRowHeight, kTermFieldColumnWidth - 2,
                           kTermFieldRowHeight);
        m_termFields[i] = check;
    }
}

void SearchDialog::buildRestrictions()
{
    auto* box = named(new QGroupBox(QStringLiteral(" Keresés szűkítése "), this), ObjectName::RestrictionBox);
    box->setGeometry(kRightX, 8, kRightWidth, 252);
    m_criteriaBoxes.append(box);
    for (int i = 0; i < RestrictionCheckCount; ++i) {
        const QString caption =
            i == TranslationCheck ? str(kTranslationCaption) : str(kRestrictions[i].caption);
        auto* check = named(new QCheckBox(caption, box), ObjectName::RestrictionChecks[i]);
        check->setGeometry(8, 20 + i * kRestrictionRowHeight, kRestrictionCheckWidth, 20);
        connect(check, &QCheckBox::clicked, this, [this, i] { selectRestriction(i); });
        m_restrictionChecks[i] = check;
        if (i == TranslationCheck)
            break;
        auto* edit = named(new QLineEdit(box), ObjectName::RestrictionEdits[i]);
        edit->setGeometry(kRestrictionEditX, 18 + i * kRestrictionRowHeight, kRestrictionEditWidth, 23);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &SearchDialog::updateSearchButton);
        m_restrictionEdits[i] = edit;
    }
    m_translationYes = named(new QRadioButton(QStringLiteral("igen"), box), ObjectName::TranslationYes);
    m_translationYes->setGeometry(kRestrictionEditX, 212, 60, 20);
    m_translationNo = named(new QRadioButton(QStringLiteral("nem"), box), ObjectName::TranslationNo);
    m_translationNo->setGeometry(kRestrictionEditX + 64, 212, 60, 20);

    m_pickListHeading = named(new QLabel(box), ObjectName::PickListHeading);
    m_pickListHeading->setGeometry(kPickListX, 20, kPickListWidth, 17);
    m_pickListView = named(new QListView(box), ObjectName::PickList);
    m_pickListView->setGeometry(kPickListX, 40, kPickListWidth, 204);
    m_pickListView->setUniformItemSizes(true);
    m_pickListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pickList = new QStringListModel(this);
    m_pickListView->setModel(m_pickList);
    connect(m_pickListView, &QListView::clicked, this, &SearchDialog::takePickedEntry);
}

void SearchDialog::buildResultArea()
{
    m_progress = named(new QProgressBar(this), ObjectName::Progress);
    m_progress->setGeometry(kRightX, 266, kRightWidth, 16);
    m_progress->setTextVisible(false);

    auto* outcomeBox = named(new QGroupBox(this), ObjectName::OutcomeBox);
    outcomeBox->setGeometry(kRightX, 288, kRightWidth, 118);
    m_outcome = named(new QPlainTextEdit(outcomeBox), ObjectName::Outcome);
    m_outcome->setGeometry(8, 10, kRightWidth - 16, 100);
    m_outcome->setReadOnly(true);

    m_resetButton = named(new QPushButton(QStringLiteral("Alaphelyzet"), this), ObjectName::ResetButton);
    m_resetButton->setGeometry(8, 416, 100, 27);
    m_hitsButton = named(new QPushButton(QStringLiteral("Találatok"), this), ObjectName::HitsButton);
    m_hitsButton->setGeometry(kClientWidth - 324, 416, 100, 27);
    m_searchButton = named(new QPushButton(QStringLiteral("Keresés"), this), ObjectName::SearchButton);
    m_searchButton->setGeometry(kClientWidth - 216, 416, 100, 27);
    m_cancelButton = named(new QPushButton(QStringLiteral("Mégsem"), this), ObjectName::CancelButton);
    m_cancelButton->setGeometry(kClientWidth - 108, 416, 100, 27);
    for (QPushButton* button : {m_resetButton, m_hitsButton, m_searchButton, m_cancelButton})
        button->setAutoDefault(false);
    // Enter searches ("Keresendő:" passes it to the default button); in the
    // new-term edit it adds the term instead.
    m_searchButton->setDefault(true);
    m_newTermEdit->installEventFilter(this);

    connect(m_resetButton, &QPushButton::clicked, this, &SearchDialog::resetByUser);
    connect(m_hitsButton, &QPushButton::clicked, this, &SearchDialog::showHits);
    connect(m_searchButton, &QPushButton::clicked, this, &SearchDialog::runSearch);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void SearchDialog::setHitsPage(HitsPage* page)
{
    m_hitsPage = page;
}

void SearchDialog::setStartDir(const QString& startDir)
{
    m_startDir = startDir;
}

void SearchDialog::resetControls()
{
    m_modeGroup->button(int(SearchCriteria::Mode::OneTerm))->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{m_oneTermBox, m_oneTermLabel, m_termEdit})
        w->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{m_severalTermsBox, m_severalTermsLabel, m_newTermEdit,
                                                      m_termList, m_addTermButton, m_removeTermButton,
                                                      m_connectiveLabel, m_andButton, m_orButton})
        w->setEnabled(false);
    m_termEdit->clear();
    m_newTermEdit->clear();
    m_termList->clear();
    m_andButton->setChecked(true);
    m_matchGroup->button(int(SearchCriteria::MatchKind::Fragment))->setChecked(true);
    m_foldedCheck->setChecked(false);
    for (QCheckBox* check : m_restrictionChecks)
        check->setChecked(false);
    for (QLineEdit* edit : m_restrictionEdits) {
        edit->clear();
        edit->setEnabled(false);
    }
    m_translationYes->setEnabled(false);
    m_translationNo->setEnabled(false);
    m_translationYes->setChecked(true);
    for (QCheckBox* check : m_termFields)
        check->setChecked(true);
    m_pickListHeading->clear();
    m_outcome->clear();
    m_progress->setMaximum(kIdleProgressMaximum);
    m_progress->setValue(0);
    m_resetButton->setEnabled(true);
    m_cancelButton->setEnabled(true);
    m_searchButton->setEnabled(false);
    m_hitsButton->setEnabled(false);
}

void SearchDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centreOnScreen(this);
    prepareForShowing();
}

// The role list may have changed since the last showing; the hits name the
// roles from it.
void SearchDialog::prepareForShowing()
{
    m_roles.clear();
    const bool read = runGuarded(
        this, [this] { m_roles = LookupList::read8Bit(QDir(m_startDir).filePath(WorkFolder::RolesFile)); });
    if (!read)
        return;
    (mode() == SearchCriteria::Mode::OneTerm ? m_termEdit : m_newTermEdit)->setFocus();
}

// Clicking into a restriction's edit brings back its own pick list.
bool SearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const auto edit = std::find(m_restrictionEdits.begin(), m_restrictionEdits.end(), watched);
        if (edit != m_restrictionEdits.end())
            selectRestriction(int(edit - m_restrictionEdits.begin()));
    }
    if (watched == m_newTermEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (m_addTermButton->isEnabled())
                m_addTermButton->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

SearchCriteria::Mode SearchDialog::mode() const
{
    return m_modeGroup->checkedId() == int(SearchCriteria::Mode::SeveralTerms)
               ? SearchCriteria::Mode::SeveralTerms
               : SearchCriteria::Mode::OneTerm;
}

void SearchDialog::applyMode(SearchCriteria::Mode mode)
{
    const bool several = mode == SearchCriteria::Mode::SeveralTerms;
    for (QWidget* w : std::initializer_list<QWidget*>{m_severalTermsBox, m_severalTermsLabel, m_newTermEdit,
                                                      m_termList, m_connectiveLabel, m_andButton, m_orButton})
        w->setEnabled(several);
    m_addTermButton->setEnabled(several && !m_newTermEdit->text().isEmpty());
    m_removeTermButton->setEnabled(several && !m_termList->selectedItems().isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{m_oneTermBox, m_oneTermLabel, m_termEdit})
        w->setEnabled(!several);
    (several ? m_newTermEdit : m_termEdit)->setFocus();
    updateSearchButton();
}

// Follows the check box's state, and for a text restriction shows its pick
// list, which the next pick fills into its edit.
void SearchDialog::selectRestriction(int check)
{
    m_currentRestriction = check;
    const bool checked = m_restrictionChecks[check]->isChecked();
    if (check == TranslationCheck) {
        m_translationYes->setEnabled(checked);
        m_translationNo->setEnabled(checked);
        updateSearchButton();
        return;
    }
    m_restrictionEdits[check]->setEnabled(checked);
    updateSearchButton();
    const RestrictionRow& row = kRestrictions[check];
    m_pickListHeading->setText(str(row.heading));
    // A pick list that cannot be read leaves the list empty rather than
    // showing the entries of another restriction under this heading.
    m_pickList->setStringList({});
    runGuarded(this, [&] {
        m_pickList->setStringList(TextFile::readUnicode(QDir(m_startDir).filePath(*row.pickFile)));
    });
}

void SearchDialog::takePickedEntry()
{
    const QModelIndex current = m_pickListView->currentIndex();
    if (m_currentRestriction < 0 || m_currentRestriction >= SearchCriteria::TextRestrictionCount ||
        !current.isValid() || !m_pickListView->selectionModel()->isSelected(current))
        return;
    m_restrictionEdits[m_currentRestriction]->setText(current.data().toString());
    updateSearchButton();
}

void SearchDialog::updateAddButton()
{
    m_addTermButton->setEnabled(!m_newTermEdit->text().isEmpty());
}

void SearchDialog::addTerm()
{
    if (m_newTermEdit->text().isEmpty())
        return;
    m_termList->addItem(m_newTermEdit->text());
    m_newTermEdit->clear();
    m_addTermButton->setEnabled(false);
    updateSearchButton();
}

void SearchDialog::updateRemoveButton()
{
    m_removeTermButton->setEnabled(!m_termList->selectedItems().isEmpty());
}

void SearchDialog::removeTerm()
{
    const QList<QListWidgetItem*> selected = m_termList->selectedItems();
    if (selected.isEmpty())
        return;
    delete m_termList->takeItem(m_termList->row(selected.first()));
    m_termList->clearSelection();
    m_removeTermButton->setEnabled(false);
    updateSearchButton();
}

void SearchDialog::updateSearchButton()
{
    m_searchButton->setEnabled(criteria().canSearch());
}

SearchCriteria SearchDialog::criteria() const
{
    SearchCriteria c;
    c.mode = mode();
    c.term = m_termEdit->text();
    for (int i = 0; i < m_termList->count(); ++i)
        c.terms.append(m_termList->item(i)->text());
    c.connective =
        m_andButton->isChecked() ? SearchCriteria::Connective::And : SearchCriteria::Connective::Or;
    c.matchKind = m_matchGroup->checkedId() == int(SearchCriteria::MatchKind::Word)
                      ? SearchCriteria::MatchKind::Word
                      : SearchCriteria::MatchKind::Fragment;
    c.folded = m_foldedCheck->isChecked();
    for (int i = 0; i < SearchCriteria::TermFieldCount; ++i)
        c.termFields[i] = m_termFields[i]->isChecked();
    for (int i = 0; i < SearchCriteria::TextRestrictionCount; ++i)
        c.restrictions[i] = {m_restrictionChecks[i]->isChecked(), m_restrictionEdits[i]->text()};
    c.translationChecked = m_restrictionChecks[TranslationCheck]->isChecked();
    c.translationYes = m_translationYes->isChecked();
    return c;
}

void SearchDialog::reject()
{
    if (m_job->isRunning()) {
        m_job->requestStop();
        return;
    }
    QDialog::reject();
}

// Everything the search reads or that would start another action; "Mégsem"
// stays to stop it.
QList<QWidget*> SearchDialog::searchedControls() const
{
    return m_criteriaBoxes + QList<QWidget*>{m_resetButton, m_hitsButton, m_searchButton};
}

bool SearchDialog::runSearch()
{
    if (m_job->isRunning())
        return false;
    const SearchCriteria searched = criteria();
    QStringList roleNames;
    for (const QByteArray& role : std::as_const(m_roles))
        roleNames.append(Win1250::toUnicode(role));
    const SearchEngine engine(searched, m_roles);
    StreamingSink sink(*m_job, m_hitsPage, roleNames);
    const OutcomeState before(m_outcome, m_progress);
    if (m_hitsPage)
        m_hitsPage->beginSearch(searched, m_roles, m_startDir);

    qint64 hits = 0;
    bool cancelled = false;
    std::exception_ptr failure;
    {
        const DisabledControls busy(searchedControls());
        m_job->setRefresh([&] { sink.showProgressOn(m_progress); });
        try {
            m_job->run([&](const JobControl& control) { hits = engine.run(m_startDir, sink, control); });
        } catch (const OperationCancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
        m_job->setRefresh({});
    }
    // A failure keeps the hits found before it; a stop puts back what the
    // page and the dialog showed before the search.
    if (m_hitsPage)
        m_hitsPage->endSearch(!cancelled);
    if (cancelled) {
        before.restore(m_outcome, m_progress);
        return false;
    }
    if (failure) {
        runGuarded(this, [&] { std::rethrow_exception(failure); });
        return false;
    }
    showOutcome(hits);
    return true;
}

bool SearchDialog::searchFor(const SearchCriteria& wanted)
{
    if (m_job->isRunning())
        return false;
    resetControls();
    m_modeGroup->button(int(wanted.mode))->setChecked(true);
    m_termEdit->setText(wanted.term);
    m_termList->addItems(wanted.terms);
    (wanted.connective == SearchCriteria::Connective::And ? m_andButton : m_orButton)->setChecked(true);
    m_matchGroup->button(int(wanted.matchKind))->setChecked(true);
    m_foldedCheck->setChecked(wanted.folded);
    for (int i = 0; i < SearchCriteria::TermFieldCount; ++i)
        m_termFields[i]->setChecked(wanted.termFields[i]);
    for (int i = 0; i < SearchCriteria::TextRestrictionCount; ++i) {
        m_restrictionChecks[i]->setChecked(wanted.restrictions[i].checked);
        m_restrictionEdits[i]->setText(wanted.restrictions[i].text);
        m_restrictionEdits[i]->setEnabled(wanted.restrictions[i].checked);
    }
    m_restrictionChecks[TranslationCheck]->setChecked(wanted.translationChecked);
    (wanted.translationYes ? m_translationYes : m_translationNo)->setChecked(true);
    m_translationYes->setEnabled(wanted.translationChecked);
    m_translationNo->setEnabled(wanted.translationChecked);
    applyMode(wanted.mode);
    // The role list is read at every showing; a search started from outside
    // reads it now.
    m_roles.clear();
    if (!runGuarded(this, [this] {
            m_roles = LookupList::read8Bit(QDir(m_startDir).filePath(WorkFolder::RolesFile));
        }))
        return false;
    return runSearch();
}

void SearchDialog::showOutcome(qint64 hits)
{
    m_outcome->clear();
    QPalette palette = m_outcome->palette();
    if (hits > 0) {
        m_outcome->setPlainText(QStringLiteral("A megadott keresési paramétereknek ") +
                                QString::number(hits) + QStringLiteral(" rekord felelt meg.") +
                                QStringLiteral(" A találatok megtekintéséhez válassza a Találatok gombot."));
        palette.setColor(QPalette::Text, kHitsFoundColour);
    } else {
        m_outcome->setPlainText(
            QStringLiteral("A megadott keresési paramétereknek egyetlen rekord sem felelt meg"));
        palette.setColor(QPalette::Text, kNoHitColour);
    }
    m_outcome->setPalette(palette);
    m_hitsButton->setEnabled(hits > 0);
}

void SearchDialog::showHits()
{
    accept();
    Q_EMIT showHitsRequested();
}

void SearchDialog::resetByUser()
{
    resetControls();
    m_termEdit->setFocus();
}
