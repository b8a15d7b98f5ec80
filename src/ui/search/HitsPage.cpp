#include "ui/search/HitsPage.h"

#include "core/record/Win1250.h"
#include "ui/search/NameListModel.h"

#include <QHBoxLayout>
#include <QListView>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Page = "lap_talalatok";
constexpr auto ListPanel = "Panel_talalat";
constexpr auto HitList = "lb_talalat";
constexpr auto ResultsText = "re_tal";
} // namespace ObjectName

constexpr int kListPanelWidth = 185;
constexpr int kTextPanelWidth = 600; // at first; the text takes what the window gives
constexpr int kResultsPointSize = 12;

QString resultsFontFamily()
{
    return QStringLiteral("Times New Roman");
}

QTextCharFormat runFormat(const HitRun& run)
{
    QTextCharFormat format;
    format.setFontFamilies({resultsFontFamily()});
    format.setFontPointSize(kResultsPointSize);
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic);
    return format;
}

} // namespace

HitsPage::HitsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(ObjectName::Page);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    auto* panel = new QWidget(splitter);
    panel->setObjectName(ObjectName::ListPanel);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListView(panel);
    m_list->setObjectName(ObjectName::HitList);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new NameListModel(&m_names, this);
    m_list->setModel(m_model);
    panelLayout->addWidget(m_list);

    m_text = new QTextEdit(splitter);
    m_text->setObjectName(ObjectName::ResultsText);
    m_text->setReadOnly(true);
    m_text->setUndoRedoEnabled(false);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->document()->setDefaultFont(QFont(resultsFontFamily(), kResultsPointSize));

    splitter->addWidget(panel);
    splitter->addWidget(m_text);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kListPanelWidth, kTextPanelWidth});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    // A click and the arrow keys alike show the hit they reach; a click on
    // the hit already current shows it again.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, &HitsPage::openHit);
    connect(m_list, &QListView::pressed, this,
            [this](const QModelIndex& index) { m_pressedCurrent = index == m_list->currentIndex(); });
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (std::exchange(m_pressedCurrent, false))
            openHit(index);
    });
}

void HitsPage::clearHitList()
{
    m_names.clear();
    m_chunkNumbers.clear();
    m_model->reset();
}

void HitsPage::clearResultsText()
{
    m_text->clear();
}

void HitsPage::appendHit(QByteArrayView recordName, int chunkNumber)
{
    m_names.append(recordName);
    m_chunkNumbers.push_back(chunkNumber);
}

void HitsPage::showAppendedHits()
{
    m_model->showAppended();
}

void HitsPage::appendEntry(const QList<HitRun>& entry)
{
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const HitRun& run : entry) {
        if (run.lineBreak)
            cursor.insertBlock();
        else
            cursor.insertText(run.text, runFormat(run));
    }
    cursor.endEditBlock();
}

void HitsPage::openHit(const QModelIndex& index)
{
    if (!index.isValid() || !m_list->selectionModel()->isSelected(index))
        return;
    Q_EMIT openHitRequested(Win1250::toUnicode(m_names.at(index.row())), m_chunkNumbers[size_t(index.row())]);
}
