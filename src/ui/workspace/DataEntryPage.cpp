#include "ui/workspace/DataEntryPage.h"

#include "core/record/CodeTables.h"
#include "ui/common/Named.h"
#include "ui/workspace/DropBox.h"
#include "ui/workspace/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
    int field;
    const char16_t* label; // nullptr: a role list stands in its place
};

constexpr FieldRow kRows[] = {
    {2, u"Tárgykör:"},   {3, nullptr},          {4, nullptr},         {5, nullptr},       {6, nullptr},
    {7, u"Cím:"},        {8, u"Kiadvány:"},     {9, u"Kiadó:"},       {10, u"Évfolyam:"}, {11, u"Év:"},
    {12, u"Oldalszám:"}, {13, u"Megj. helye:"}, {14, u"Megjegyzés:"},
};

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

    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(2);
    left->addWidget(sourceWindow, 1);
    left->addWidget(buildFieldPanel());

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->addLayout(left, 1);
    body->addWidget(buildSidePanel());

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(2, 0, 2, 2);
    page->setSpacing(2);
    toolBar->setParent(this);
    page->addWidget(toolBar);
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
    order << sourceWindow << edits[1] << suffixList;
    for (const FieldRow& row : kRows) {
        if (!row.label)
            order.append(roleLists[row.field - 3]);
        order << keepBoxes[row.field] << edits[row.field];
    }
    order << translation << link << recordType << language;
    for (const RadioGroup* group : {medium, volume})
        for (int i = 0; i < group->count(); ++i)
            order.append(group->button(i));
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QWidget* DataEntryPage::buildRecordNameRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    pan101 = named(new QWidget(row), QStringLiteral("pan101"));
    auto* nameLayout = new QHBoxLayout(pan101);
    nameLayout->setContentsMargins(0, 0, 0, 0);
    recordNameLabel = named(new QLabel(pan101), QStringLiteral("lab_reknev"));
    QFont bold = recordNameLabel->font();
    bold.setBold(true);
    recordNameLabel->setFont(bold);
    nameLayout->addWidget(recordNameLabel);

    auto* edit1 = named(new QLineEdit(row), QStringLiteral("Edit1"));
    edit1->setFixedWidth(NumberFieldWidth);
    edit1->setFont(QFont(QStringLiteral("Arial Unicode MS"), 8));
    edits[1] = edit1;

    pan102 = named(new QWidget(row), QStringLiteral("pan102"));
    auto* suffixLayout = new QHBoxLayout(pan102);
    suffixLayout->setContentsMargins(0, 0, 0, 0);
    suffixLayout->setSpacing(4);
    suffixCaption = named(new QLabel(QStringLiteral("rec.:"), pan102), QStringLiteral("lab_rec"));
    suffixList = named(new QComboBox(pan102), QStringLiteral("cb_recszam"));
    suffixList->addItems(CodeTables::suffixes());
    suffixList->setCurrentIndex(0);
    recordCount = named(new QLabel(pan102), QStringLiteral("labrek"));
    suffixLayout->addWidget(suffixCaption);
    suffixLayout->addWidget(suffixList);
    suffixLayout->addSpacing(12);
    suffixLayout->addWidget(recordCount, 1);

    layout->addWidget(pan101, 1);
    layout->addWidget(edit1);
    layout->addWidget(pan102, 1);
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
        const int n = row.field;
        if (row.label) {
            fieldLabels[n] =
                rightAlignedLabel(QString::fromUtf16(row.label), QStringLiteral("Label%1").arg(n), panel);
            grid->addWidget(fieldLabels[n], gridRow, 0);
        } else {
            auto* roles = named(new QComboBox(panel), QStringLiteral("cbox%1").arg(n - 2));
            widenToLongestEntry(roles, LabelWidth);
            roleLists[n - 3] = roles;
            grid->addWidget(roles, gridRow, 0);
        }
        keepBoxes[n] = named(new QCheckBox(panel), QStringLiteral("cb%1").arg(n));
        grid->addWidget(keepBoxes[n], gridRow, 1);

        auto* edit = named(new QLineEdit(panel), QStringLiteral("Edit%1").arg(n));
        // A field holds whatever the record holds; a cut-off value would be
        // saved cut off.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edits[n] = edit;
        if (n == 2) {
            edit->setFixedWidth(SubjectFieldWidth);
            grid->addWidget(edit, gridRow, 2, 1, 2, Qt::AlignLeft);
        } else {
            dropBoxes[n] = named(new DropBox(panel), QStringLiteral("re%1").arg(n));
            grid->addWidget(dropBoxes[n], gridRow, 2);
            edit->setFixedWidth(n >= 10 && n <= 12 ? NarrowFieldWidth : FieldWidth);
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
