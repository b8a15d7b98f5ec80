#include "ui/search/SearchDialog.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/search/HitEntry.h"
#include "core/search/SearchEngine.h"
#include "ui/common/BusyCursor.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/common/WindowPlacement.h"
#include "ui/search/HitsPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStringListModel>

namespace {

constexpr int kClientWidth = 765;
constexpr int kClientHeight = 451;
constexpr int kMaxProgress = 1 << 30;

struct TermFieldBox
{
    const char* name;
    const char16_t* caption;
};
constexpr TermFieldBox kTermFields[SearchCriteria::TermFieldCount] = {
    {"cb21", u"Tárgykör"},
    {"cb22", u"Alkotó"},
    {"cb23", u"Cím"},
    {"cb24", u"Kiadvány"},
    {"cb25", u"Kiadó"},
    {"cb26", u"Könyvsorozat"},
    {"cb27", u"Kötetszám"},
    {"cb28", u"Oldalszám"},
    {"cb29", u"Év"},
    {"cb30", u"Évfolyam"},
    {"cb31", u"Megjelenés helye"},
    {"cb32", u"Megjegyzés"},
};

struct RestrictionRow
{
    const char16_t* caption; // check box cbN
    const QString* pickFile; // pick list in the start directory
    const char16_t* heading; // lab_listanev while the pick list is shown
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

QString str(const char16_t* text)
{
    return QString::fromUtf16(text);
}

// Delivers the hits into the main window's page as they come, and keeps the
// progress bar moving; nothing else is processed while the search runs.
class DialogSink final : public SearchSink
{
public:
    DialogSink(HitsPage* page, QStringList roleNames, QProgressBar* progress)
        : m_page(page), m_roleNames(std::move(roleNames)), m_progress(progress)
    {
    }

    void hit(QByteArrayView recordName, const FieldGrid* record) override
    {
        if (!m_page)
            return;
        m_page->appendHit(recordName);
        if (record)
            m_page->appendEntry(HitEntry::build(*record, m_roleNames));
    }

    void chunkFinished() override
    {
        if (m_page)
            m_page->showAppendedHits();
    }

    void progress(qint64 done, qint64 total) override
    {
        // Very large chunks are scaled down to the bar's integer range.
        const qint64 scale = total > kMaxProgress ? total / kMaxProgress + 1 : 1;
        m_progress->setMaximum(int(qMax<qint64>(1, total / scale)));
        m_progress->setValue(int(done / scale));
        m_progress->repaint();
    }

private:
    HitsPage* m_page;
    QStringList m_roleNames;
    QProgressBar* m_progress;
};

} // namespace

SearchDialog::SearchDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("keresform"));
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
    reset();
}

void SearchDialog::buildSearchGroups()
{
    auto* rg_keres = named(new QGroupBox(QStringLiteral(" Keresés "), this), "rg_keres");
    rg_keres->setGeometry(8, 8, 180, 64);
    m_modeGroup = new QButtonGroup(this);
    const char* modeNames[] = {"rg_keres_0", "rg_keres_1"};
    const QString modeCaptions[] = {QStringLiteral("egy kifejezésre"), QStringLiteral("több kifejezésre")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = named(new QRadioButton(modeCaptions[i], rg_keres), modeNames[i]);
        radio->setGeometry(10, 18 + i * 22, 160, 20);
        m_modeGroup->addButton(radio, i);
    }
    connect(m_modeGroup, &QButtonGroup::idClicked, this, &SearchDialog::rg_keresClick);

    auto* rg_mod = named(new QGroupBox(QStringLiteral(" Keresés módja "), this), "rg_mod");
    rg_mod->setGeometry(196, 8, 181, 64);
    m_matchGroup = new QButtonGroup(this);
    const char* matchNames[] = {"rg_mod_0", "rg_mod_1"};
    const QString matchCaptions[] = {QStringLiteral("szóra"), QStringLiteral("szótöredékre")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = named(new QRadioButton(matchCaptions[i], rg_mod), matchNames[i]);
        radio->setGeometry(10, 18 + i * 22, 160, 20);
        m_matchGroup->addButton(radio, i);
    }

    rg_1 = named(new QGroupBox(QStringLiteral(" Keresés egy kifejezésre "), this), "rg_1");
    rg_1->setGeometry(8, 78, 369, 52);
    lab1 = named(new QLabel(QStringLiteral("Keresendő:"), rg_1), "lab1");
    lab1->setGeometry(10, 22, 68, 17);
    edit_1 = named(new QLineEdit(rg_1), "edit_1");
    edit_1->setGeometry(80, 19, 279, 23);
    connect(edit_1, &QLineEdit::textChanged, this, &SearchDialog::updateSearchButton);

    rg_2 = named(new QGroupBox(QStringLiteral(" Keresés több kifejezésre "), this), "rg_2");
    rg_2->setGeometry(8, 136, 369, 160);
    lab2 = named(new QLabel(QStringLiteral("Keresendő:"), rg_2), "lab2");
    lab2->setGeometry(10, 22, 68, 17);
    edit_2 = named(new QLineEdit(rg_2), "edit_2");
    edit_2->setGeometry(80, 19, 191, 23);
    gomb_hozza = named(new QPushButton(QStringLiteral("Hozzáad"), rg_2), "gomb_hozza");
    gomb_hozza->setGeometry(277, 18, 82, 25);
    lb_keres = named(new QListWidget(rg_2), "lb_keres");
    lb_keres->setGeometry(80, 48, 191, 76);
    gomb_elvesz = named(new QPushButton(QStringLiteral("Töröl"), rg_2), "gomb_elvesz");
    gomb_elvesz->setGeometry(277, 48, 82, 25);
    lab3 = named(new QLabel(QStringLiteral("A kifejezések közötti kapcsolat:"), rg_2), "lab3");
    lab3->setGeometry(10, 132, 190, 17);
    rb21 = named(new QRadioButton(QStringLiteral("és"), rg_2), "rb21");
    rb21->setGeometry(204, 130, 50, 20);
    rb22 = named(new QRadioButton(QStringLiteral("vagy"), rg_2), "rb22");
    rb22->setGeometry(258, 130, 60, 20);
    connect(edit_2, &QLineEdit::textChanged, this, &SearchDialog::edit_2Change);
    connect(gomb_hozza, &QPushButton::clicked, this, &SearchDialog::gomb_hozzaClick);
    connect(lb_keres, &QListWidget::itemSelectionChanged, this, &SearchDialog::lb_keresClick);
    connect(gomb_elvesz, &QPushButton::clicked, this, &SearchDialog::gomb_elveszClick);
}

void SearchDialog::buildTermFields()
{
    auto* rg_miben = named(new QGroupBox(QStringLiteral(" Miben keressen "), this), "rg_miben");
    rg_miben->setGeometry(8, 302, 369, 104);
    for (int i = 0; i < SearchCriteria::TermFieldCount; ++i) {
        auto* box = named(new QCheckBox(str(kTermFields[i].caption), rg_miben), kTermFields[i].name);
        box->setGeometry(10 + (i / 4) * 120, 20 + (i % 4) * 20, 118, 20);
        m_termFields[i] = box;
    }
}

void SearchDialog::buildRestrictions()
{
    auto* rg_lista = named(new QGroupBox(QStringLiteral(" Keresés szűkítése "), this), "rg_lista");
    rg_lista->setGeometry(385, 8, 372, 252);
    for (int i = 0; i < 9; ++i) {
        const int tag = i + 1;
        const QString caption = i < 8 ? str(kRestrictions[i].caption) : QStringLiteral("Fordítás:");
        auto* box = new QCheckBox(caption, rg_lista);
        box->setObjectName(QStringLiteral("cb%1").arg(tag));
        box->setProperty("Tag", tag);
        box->setGeometry(8, 20 + i * 24, 142, 20);
        connect(box, &QCheckBox::clicked, this, [this, tag] { cb1Click(tag); });
        m_restrictionChecks[i] = box;
        if (i == 8)
            break;
        auto* edit = new QLineEdit(rg_lista);
        edit->setObjectName(QStringLiteral("edit%1").arg(tag));
        edit->setProperty("Tag", tag);
        edit->setGeometry(150, 18 + i * 24, 100, 23);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &SearchDialog::updateSearchButton);
        m_restrictionEdits[i] = edit;
    }
    rb_lista1 = named(new QRadioButton(QStringLiteral("igen"), rg_lista), "rb_lista1");
    rb_lista1->setGeometry(150, 212, 50, 20);
    rb_lista2 = named(new QRadioButton(QStringLiteral("nem"), rg_lista), "rb_lista2");
    rb_lista2->setGeometry(202, 212, 50, 20);

    lab_listanev = named(new QLabel(rg_lista), "lab_listanev");
    lab_listanev->setGeometry(258, 20, 106, 17);
    lb_fo = named(new QListView(rg_lista), "lb_fo");
    lb_fo->setGeometry(258, 40, 106, 204);
    lb_fo->setUniformItemSizes(true);
    lb_fo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pickList = new QStringListModel(this);
    lb_fo->setModel(m_pickList);
    connect(lb_fo, &QListView::clicked, this, &SearchDialog::lb_foDblClick);
}

void SearchDialog::buildResultArea()
{
    csikkeres = named(new QProgressBar(this), "csikkeres");
    csikkeres->setGeometry(385, 266, 372, 16);
    csikkeres->setTextVisible(false);

    auto* gb_talalat = named(new QGroupBox(this), "gb_talalat");
    gb_talalat->setGeometry(385, 288, 372, 118);
    Memo_talalat = named(new QPlainTextEdit(gb_talalat), "Memo_talalat");
    Memo_talalat->setGeometry(8, 10, 356, 100);
    Memo_talalat->setReadOnly(true);

    gomb_alap = named(new QPushButton(QStringLiteral("Alaphelyzet"), this), "gomb_alap");
    gomb_alap->setGeometry(8, 416, 100, 27);
    gomb_talalatok = named(new QPushButton(QStringLiteral("Találatok"), this), "gomb_talalatok");
    gomb_talalatok->setGeometry(441, 416, 100, 27);
    gomb_keres = named(new QPushButton(QStringLiteral("Keresés"), this), "gomb_keres");
    gomb_keres->setGeometry(549, 416, 100, 27);
    gomb_megsem = named(new QPushButton(QStringLiteral("Mégsem"), this), "gomb_megsem");
    gomb_megsem->setGeometry(657, 416, 100, 27);
    for (QPushButton* button : {gomb_alap, gomb_talalatok, gomb_keres, gomb_megsem})
        button->setAutoDefault(false);

    connect(gomb_alap, &QPushButton::clicked, this, &SearchDialog::gomb_alapClick);
    connect(gomb_talalatok, &QPushButton::clicked, this, &SearchDialog::gomb_talalatokClick);
    connect(gomb_keres, &QPushButton::clicked, this, &SearchDialog::gomb_keresClick);
    connect(gomb_megsem, &QPushButton::clicked, this, &QDialog::reject);
}

void SearchDialog::setHitsPage(HitsPage* page)
{
    m_hitsPage = page;
}

void SearchDialog::setStartDir(const QString& startDir)
{
    m_startDir = startDir;
}

void SearchDialog::reset()
{
    m_modeGroup->button(0)->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{rg_1, lab1, edit_1})
        w->setEnabled(true);
    for (QWidget* w : std::initializer_list<QWidget*>{rg_2, lab2, edit_2, lb_keres, gomb_hozza, gomb_elvesz,
                                                      lab3, rb21, rb22})
        w->setEnabled(false);
    edit_1->clear();
    edit_2->clear();
    lb_keres->clear();
    rb21->setChecked(true);
    m_matchGroup->button(1)->setChecked(true);
    for (QCheckBox* box : m_restrictionChecks)
        box->setChecked(false);
    for (QLineEdit* edit : m_restrictionEdits) {
        edit->clear();
        edit->setEnabled(false);
    }
    rb_lista1->setEnabled(false);
    rb_lista2->setEnabled(false);
    rb_lista1->setChecked(true);
    for (QCheckBox* box : m_termFields)
        box->setChecked(true);
    lab_listanev->clear();
    Memo_talalat->clear();
    csikkeres->setMaximum(100);
    csikkeres->setValue(0);
    gomb_alap->setEnabled(true);
    gomb_megsem->setEnabled(true);
    gomb_keres->setEnabled(false);
    gomb_talalatok->setEnabled(false);
}

void SearchDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centreOnScreen(this);
    FormActivate();
}

void SearchDialog::FormActivate()
{
    m_roles.clear();
    const bool read = runGuarded(
        this, [this] { m_roles = readRoleList(QDir(m_startDir).filePath(WorkFolder::RolesFile)); });
    if (!read)
        return;
    (mode() == 0 ? edit_1 : edit_2)->setFocus();
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const int tag = watched->property("Tag").toInt();
        if (tag >= 1 && tag <= SearchCriteria::TextRestrictionCount && watched == m_restrictionEdits[tag - 1])
            cb1Click(tag);
    }
    return QDialog::eventFilter(watched, event);
}

int SearchDialog::mode() const
{
    return m_modeGroup->checkedId() == 1 ? 1 : 0;
}

void SearchDialog::rg_keresClick(int item)
{
    const bool several = item == 1;
    for (QWidget* w : std::initializer_list<QWidget*>{rg_2, lab2, edit_2, lb_keres, lab3, rb21, rb22})
        w->setEnabled(several);
    gomb_hozza->setEnabled(several && !edit_2->text().isEmpty());
    gomb_elvesz->setEnabled(several && !lb_keres->selectedItems().isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{rg_1, lab1, edit_1})
        w->setEnabled(!several);
    (several ? edit_2 : edit_1)->setFocus();
    updateSearchButton();
}

void SearchDialog::cb1Click(int tag)
{
    m_currentRestriction = tag;
    const bool checked = m_restrictionChecks[tag - 1]->isChecked();
    if (tag == 9) {
        rb_lista1->setEnabled(checked);
        rb_lista2->setEnabled(checked);
        updateSearchButton();
        return;
    }
    m_restrictionEdits[tag - 1]->setEnabled(checked);
    updateSearchButton();
    const RestrictionRow& row = kRestrictions[tag - 1];
    lab_listanev->setText(str(row.heading));
    // A pick list that cannot be read leaves the list empty rather than
    // showing the entries of another restriction under this heading.
    m_pickList->setStringList({});
    runGuarded(this, [&] {
        m_pickList->setStringList(TextFile::readUnicode(QDir(m_startDir).filePath(*row.pickFile)));
    });
}

void SearchDialog::lb_foDblClick()
{
    const QModelIndex current = lb_fo->currentIndex();
    if (m_currentRestriction < 1 || m_currentRestriction > SearchCriteria::TextRestrictionCount ||
        !current.isValid() || !lb_fo->selectionModel()->isSelected(current))
        return;
    m_restrictionEdits[m_currentRestriction - 1]->setText(current.data().toString());
    updateSearchButton();
}

void SearchDialog::edit_2Change()
{
    gomb_hozza->setEnabled(!edit_2->text().isEmpty());
}

void SearchDialog::gomb_hozzaClick()
{
    if (edit_2->text().isEmpty())
        return;
    lb_keres->addItem(edit_2->text());
    edit_2->clear();
    gomb_hozza->setEnabled(false);
    updateSearchButton();
}

void SearchDialog::lb_keresClick()
{
    gomb_elvesz->setEnabled(!lb_keres->selectedItems().isEmpty());
}

void SearchDialog::gomb_elveszClick()
{
    const QList<QListWidgetItem*> selected = lb_keres->selectedItems();
    if (selected.isEmpty())
        return;
    delete lb_keres->takeItem(lb_keres->row(selected.first()));
    lb_keres->clearSelection();
    gomb_elvesz->setEnabled(false);
    updateSearchButton();
}

void SearchDialog::updateSearchButton()
{
    gomb_keres->setEnabled(criteria().canSearch());
}

SearchCriteria SearchDialog::criteria() const
{
    SearchCriteria c;
    c.mode = mode() == 1 ? SearchCriteria::Mode::SeveralTerms : SearchCriteria::Mode::OneTerm;
    c.term = edit_1->text();
    for (int i = 0; i < lb_keres->count(); ++i)
        c.terms.append(lb_keres->item(i)->text());
    c.connective = rb21->isChecked() ? SearchCriteria::Connective::And : SearchCriteria::Connective::Or;
    c.matchKind = m_matchGroup->checkedId() == 0 ? SearchCriteria::MatchKind::Word
                                                 : SearchCriteria::MatchKind::Fragment;
    for (int i = 0; i < SearchCriteria::TermFieldCount; ++i)
        c.termFields[i] = m_termFields[i]->isChecked();
    for (int i = 0; i < SearchCriteria::TextRestrictionCount; ++i)
        c.restrictions[i] = {m_restrictionChecks[i]->isChecked(), m_restrictionEdits[i]->text()};
    c.translationChecked = m_restrictionChecks[8]->isChecked();
    c.translationYes = rb_lista1->isChecked();
    return c;
}

void SearchDialog::gomb_keresClick()
{
    if (m_hitsPage)
        m_hitsPage->clearHitList();
    runGuarded(this, [this] { runSearch(); });
}

void SearchDialog::runSearch()
{
    if (m_hitsPage)
        m_hitsPage->clearResultsText();
    QStringList roleNames;
    for (const QByteArray& role : std::as_const(m_roles))
        roleNames.append(Win1250::toUnicode(role));
    SearchEngine engine(criteria(), m_roles);
    DialogSink sink(m_hitsPage, roleNames, csikkeres);

    const BusyCursor busy;
    // The hits found before a failure stay listed.
    const auto finish = qScopeGuard([this] {
        if (m_hitsPage)
            m_hitsPage->showAppendedHits();
    });
    const qint64 hits = engine.run(m_startDir, sink);
    showMessage(hits);
}

void SearchDialog::showMessage(qint64 hits)
{
    Memo_talalat->clear();
    QPalette palette = Memo_talalat->palette();
    if (hits > 0) {
        Memo_talalat->setPlainText(
            QStringLiteral("A megadott keresési paramétereknek ") + QString::number(hits) +
            QStringLiteral(" rekord felelt meg.") +
            QStringLiteral(" A találatok megtekintéséhez válassza a Találatok gombot."));
        palette.setColor(QPalette::Text, QColor(0, 128, 0));
    } else {
        Memo_talalat->setPlainText(
            QStringLiteral("A megadott keresési paramétereknek egyetlen rekord sem felelt meg"));
        palette.setColor(QPalette::Text, QColor(255, 0, 0));
    }
    Memo_talalat->setPalette(palette);
    gomb_talalatok->setEnabled(hits > 0);
}

void SearchDialog::gomb_talalatokClick()
{
    accept();
    Q_EMIT showHitsRequested();
}

void SearchDialog::gomb_alapClick()
{
    reset();
    edit_1->setFocus();
}
