#include "ui/workspace/DataEntryPage.h"

#include "core/record/CodeTables.h"
#include "ui/common/Named.h"
#include "ui/workspace/DropBox.h"
#include "ui/workspace/RadioGroup.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include <limits>

namespace {

constexpr int FieldPanelHeight = 360;
constexpr int SidePanelWidth = 158;
constexpr int LabelWidth = 110; // the least; the column grows to its widest caption or role
constexpr int FieldWidth = 457;
constexpr int NarrowFieldWidth = 329;
constexpr int SubjectFieldWidth = 497;
constexpr int NumberFieldWidth = 89;

struct FieldRow
{
    Field field;
    const char16_t* label; // nullptr: a role list stands in its place
};

constexpr FieldRow kRows[] = {
    {Field::Subject, u"Tárgykör:"},     {Field::Creator1, nullptr},
    {Field::Creator2, nullptr},         {Field::Creator3, nullptr},
    {Field::Creator4, nullptr},         {Field::Title, u"Cím:"},
    {Field::Publication, u"Kiadvány:"}, {Field::Publisher, u"Kiadó:"},
    {Field::VolumeRun, u"Évfolyam:"},   {Field::Year, u"Év:"},
    {Field::Pages, u"Oldalszám:"},      {Field::Place, u"Megj. helye:"},
    {Field::Note, u"Megjegyzés:"},
};

// The controls of a field are named by the number of its edit (Edit7, cb7,
// re7, Label7 for the title).
int editNumber(Field field)
{
    return RecordSchema::entry(field).editNumber;
}

int creatorSlot(Field field)
{
    return RecordSchema::position(field) - RecordSchema::position(Field::Creator1);
}

// Volume, year and pages hold short values and get narrower edits.
bool isNarrowField(Field field)
{
    return field == Field::VolumeRun || field == Field::Year || field == Field::Pages;
}

// A list filled from a lookup list is never narrower than its longest entry:
// the window rather gives way than a role or a record type being cut off.
void widenToLongestEntry(QComboBox* list, int leastWidth)
{
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setMinimumWidth(leastWidth);
    const auto widen = [list, leastWidth] {
        list->setMinimumWidth(qMax(leastWidth, list->sizeHint().width()));
    };
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list, widen);
    QObject::connect(list->model(), &QAbstractItemModel::rowsRemoved, list, widen);
    QObject::connect(list->model(), &QAbstractItemModel::modelReset, list, widen);
}

QLabel* rightAlignedLabel(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = named(new QLabel(text, parent), name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(LabelWidth);
    return label;
}

} // namespace

DataEntryPage::DataEntryPage(QToolBar* toolBar, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lap_rogzites"));

    sourceWindow = named(new QTextEdit(this), QStringLiteral("re1"));
    sourceWindow->setFont(QFont(QStringLiteral("Arial"), 8));
    sourceWindow->setAcceptRichText(true);

    m_leftColumn = new QVBoxLayout;
    m_leftColumn->setContentsMargins(0, 0, 0, 0);
    m_leftColumn->setSpacing(2);
    m_leftColumn->addWidget(sourceWindow, 1);
    m_leftColumn->addWidget(buildFieldPanel());

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->addLayout(m_leftColumn, 1);
    body->addWidget(buildSidePanel());

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(2, 0, 2, 2);
    page->setSpacing(2);
    toolBar->setParent(this);
    page->addWidget(toolBar);
    accessBar = named(new QLabel(this), QStringLiteral("lab_hozzaferes"));
    accessBar->setWordWrap(true);
    accessBar->setMargin(4);
    accessBar->setAutoFillBackground(true);
    QPalette barColours = accessBar->palette();
    barColours.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));
    barColours.setColor(QPalette::WindowText, QColor(0x3D, 0x2E, 0x00));
    accessBar->setPalette(barColours);
    accessBar->hide();
    page->addWidget(accessBar);
    page->addLayout(body, 1);

    m_toolBar = toolBar;
    // Tab goes through the source window rather than into it.
    sourceWindow->setTabChangesFocus(true);
}

void DataEntryPage::setTabOrderByLayout()
{
    QList<QWidget*> order;
    // Only the bar's own controls: the record list's drop-down is a window of its own.
    for (QWidget* control : m_toolBar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control->focusPolicy() & Qt::TabFocus && !control->isWindow())
            order.append(control);
    order << sourceWindow << edit(Field::RecordName) << suffixList;
    for (const FieldRow& row : kRows) {
        if (!row.label)
            order.append(roleLists[size_t(creatorSlot(row.field))]);
        order << keepBox(row.field) << edit(row.field);
    }
    order << translation << link << recordType << language;
    for (const RadioGroup* group : {medium, volume})
        for (int i = 0; i < group->count(); ++i)
            order.append(group->button(i));
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void DataEntryPage::addNotice(QWidget* notice)
{
    m_leftColumn->addWidget(notice);
}

QWidget* DataEntryPage::buildRecordNameRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    shownNamePanel = named(new QWidget(row), QStringLiteral("pan101"));
    auto* nameLayout = new QHBoxLayout(shownNamePanel);
    nameLayout->setContentsMargins(0, 0, 0, 0);
    recordNameLabel = named(new QLabel(shownNamePanel), QStringLiteral("lab_reknev"));
    QFont bold = recordNameLabel->font();
    bold.setBold(true);
    recordNameLabel->setFont(bold);
    nameLayout->addWidget(recordNameLabel);

    auto* edit1 = named(new QLineEdit(row), QStringLiteral("Edit1"));
    edit1->setFixedWidth(NumberFieldWidth);
    edit1->setFont(QFont(QStringLiteral("Arial Unicode MS"), 8));
    m_edits[slotOf(Field::RecordName)] = edit1;

    newNamePanel = named(new QWidget(row), QStringLiteral("pan102"));
    auto* suffixLayout = new QHBoxLayout(newNamePanel);
    suffixLayout->setContentsMargins(0, 0, 0, 0);
    suffixLayout->setSpacing(4);
    suffixCaption = named(new QLabel(QStringLiteral("rec.:"), newNamePanel), QStringLiteral("lab_rec"));
    suffixList = named(new QComboBox(newNamePanel), QStringLiteral("cb_recszam"));
    suffixList->addItems(CodeTables::suffixes());
    suffixList->setCurrentIndex(0);
    recordCount = named(new QLabel(newNamePanel), QStringLiteral("labrek"));
    suffixLayout->addWidget(suffixCaption);
    suffixLayout->addWidget(suffixList);
    suffixLayout->addSpacing(12);
    suffixLayout->addWidget(recordCount, 1);

    layout->addWidget(shownNamePanel, 1);
    layout->addWidget(edit1);
    layout->addWidget(newNamePanel, 1);
    return row;
}

QWidget* DataEntryPage::buildFieldPanel()
{
    auto* panel = named(new QWidget(this), QStringLiteral("pan_mezok"));
    panel->setFixedHeight(FieldPanelHeight);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(0);

    recordNameCaption = rightAlignedLabel(QStringLiteral("Rekordnév:"), QStringLiteral("Label1"), panel);
    grid->addWidget(recordNameCaption, 0, 0);
    grid->addWidget(buildRecordNameRow(panel), 0, 1, 1, 4);

    int gridRow = 1;
    for (const FieldRow& row : kRows) {
        const Field field = row.field;
        const int n = editNumber(field);
        const std::size_t slot = slotOf(field);
        if (row.label) {
            m_fieldLabels[slot] =
                rightAlignedLabel(QString::fromUtf16(row.label), QStringLiteral("Label%1").arg(n), panel);
            grid->addWidget(m_fieldLabels[slot], gridRow, 0);
        } else {
            const int creator = creatorSlot(field);
            auto* roles = named(new QComboBox(panel), QStringLiteral("cbox%1").arg(creator + 1));
            widenToLongestEntry(roles, LabelWidth);
            roleLists[size_t(creator)] = roles;
            grid->addWidget(roles, gridRow, 0);
        }
        m_keepBoxes[slot] = named(new QCheckBox(panel), QStringLiteral("cb%1").arg(n));
        grid->addWidget(m_keepBoxes[slot], gridRow, 1);

        auto* edit = named(new QLineEdit(panel), QStringLiteral("Edit%1").arg(n));
        // A field holds whatever the record holds; a cut-off value would be
        // saved cut off.
        edit->setMaxLength(std::numeric_limits<int>::max());
        m_edits[slot] = edit;
        if (field == Field::Subject) {
            edit->setFixedWidth(SubjectFieldWidth);
            grid->addWidget(edit, gridRow, 2, 1, 2, Qt::AlignLeft);
        } else {
            m_dropBoxes[slot] = named(new DropBox(panel), QStringLiteral("re%1").arg(n));
            grid->addWidget(m_dropBoxes[slot], gridRow, 2);
            edit->setFixedWidth(isNarrowField(field) ? NarrowFieldWidth : FieldWidth);
            grid->addWidget(edit, gridRow, 3, Qt::AlignLeft);
        }
        ++gridRow;
    }
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(gridRow, 1); // the rows keep together at the top
    return panel;
}

QWidget* DataEntryPage::buildSidePanel()
{
    auto* panel = named(new QWidget(this), QStringLiteral("pan_oldal"));
    // Wider only where a caption or the longest record type or language needs it.
    panel->setMinimumWidth(SidePanelWidth);
    panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    translation = named(new QCheckBox(QStringLiteral("Fordítás"), panel), QStringLiteral("cb_forditas"));
    linkCaption = named(new QLabel(QStringLiteral("Link:"), panel), QStringLiteral("lab_link"));
    link = named(new QLineEdit(panel), QStringLiteral("edit_link"));
    recordTypeCaption =
        named(new QLabel(QStringLiteral("Rekord típusa:"), panel), QStringLiteral("lab_rektipus"));
    recordType = named(new QComboBox(panel), QStringLiteral("cb_rektipus"));
    languageCaption = named(new QLabel(QStringLiteral("Nyelv:"), panel), QStringLiteral("lab_nyelv"));
    language = named(new QComboBox(panel), QStringLiteral("cb_nyelv"));
    medium = named(new RadioGroup(QStringLiteral(" Adathordozó típusa "), CodeTables::media(), panel),
                   QStringLiteral("rg_adathordozo"));
    medium->setItemIndex(0);
    volume = named(new RadioGroup(QStringLiteral(" Kötet "), CodeTables::volumeCaptions(), panel),
                   QStringLiteral("rg_kotet"));
    for (QComboBox* list : {recordType, language})
        widenToLongestEntry(list, 0);

    for (QWidget* w : std::initializer_list<QWidget*>{translation, linkCaption, link, recordTypeCaption,
                                                      recordType, languageCaption, language, medium, volume})
        layout->addWidget(w);
    layout->addStretch(1);
    return panel;
}
