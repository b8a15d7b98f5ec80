#include "ui/search/HitsPage.h"

#include "core/exchange/RecordExporter.h"
#include "core/record/OperationCancelled.h"
#include "core/record/Win1250.h"
#include "core/search/SearchEngine.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/ExportChoice.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/search/NameListModel.h"

#include <QHBoxLayout>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include <exception>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Page = "lap_talalatok";
constexpr auto ListPanel = "Panel_talalat";
constexpr auto HitList = "lb_talalat";
constexpr auto ResultsText = "re_tal";
constexpr auto ExportButton = "hitsExportButton";
constexpr auto ExportStopButton = "hitsExportStop";
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
    named(this, ObjectName::Page);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    auto* panel = named(new QWidget(splitter), ObjectName::ListPanel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_list = named(new QListView(panel), ObjectName::HitList);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new NameListModel(&m_names, this);
    m_list->setModel(m_model);
    panelLayout->addWidget(m_list);
    m_exportButton =
        named(new QPushButton(QStringLiteral("Találatok exportálása..."), panel), ObjectName::ExportButton);
    m_exportButton->setToolTip(QStringLiteral("Az utolsó keresés összes találatának mentése BibTeX, RIS vagy "
                                              "CSV formában"));
    m_exportButton->setEnabled(false);
    panelLayout->addWidget(m_exportButton);
    m_exportStopButton =
        named(new QPushButton(QStringLiteral("Mégsem"), panel), ObjectName::ExportStopButton);
    m_exportStopButton->setToolTip(QStringLiteral("Az exportálás leállítása; a fájl nem készül el"));
    m_exportStopButton->hide();
    panelLayout->addWidget(m_exportStopButton);
    m_job = new BackgroundJob(this);
    m_job->setStopControls({m_exportStopButton});

    m_text = named(new QTextEdit(splitter), ObjectName::ResultsText);
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
    connect(m_exportButton, &QPushButton::clicked, this, &HitsPage::exportHits);
    connect(m_exportStopButton, &QPushButton::clicked, this, [this] { m_job->requestStop(); });
}

void HitsPage::setLastSearch(const SearchCriteria& criteria, const QList<QByteArray>& roles,
                             const QString& startDir)
{
    m_lastSearch = LastSearch{criteria, roles, startDir};
    m_exportButton->setEnabled(true);
}

namespace {

class ExportSink final : public SearchSink
{
public:
    explicit ExportSink(ExportFile& file) : m_file(file) {}
    void hit(QByteArrayView, const FieldGrid*) override {}
    void hitLine(QStringView line) override { m_file.add(line); }

private:
    ExportFile& m_file;
};

} // namespace

// The search runs again for the export: the page keeps only the names, and
// the export takes every hit with every character of its record. It runs on
// a worker thread; stopped, it leaves no file and the earlier one untouched.
void HitsPage::exportHits()
{
    if (!m_lastSearch || m_job->isRunning())
        return;
    ExportFormat format;
    const QString path = chooseExportFile(this, QStringLiteral("talalatok"), &format);
    if (path.isEmpty())
        return;
    const LastSearch search = *m_lastSearch;
    std::exception_ptr failure;
    {
        const DisabledControls busy({m_exportButton});
        m_exportStopButton->show();
        try {
            m_job->run([&](const JobControl& control) {
                SearchEngine engine(search.criteria, search.roles);
                engine.setKeepLines(true);
                ExportFile file(path, format);
                ExportSink sink(file);
                engine.run(search.startDir, sink, control);
                file.commit();
            });
        } catch (const OperationCancelled&) {
        } catch (...) {
            failure = std::current_exception();
        }
        m_exportStopButton->hide();
    }
    if (failure)
        runGuarded(this, [&] { std::rethrow_exception(failure); });
}

void HitsPage::beginSearch(const SearchCriteria& criteria, const QList<QByteArray>& roles,
                           const QString& startDir)
{
    endSearch(true);
    Earlier earlier;
    earlier.currentHit = m_list->currentIndex().row();
    earlier.textScroll = m_text->verticalScrollBar()->value();
    std::swap(earlier.names, m_names);
    std::swap(earlier.chunkNumbers, m_chunkNumbers);
    m_model->reset();
    // The earlier text is kept whole by taking its document away from the view.
    earlier.text = m_text->document();
    earlier.text->setParent(this);
    auto* fresh = new QTextDocument(m_text);
    fresh->setDefaultFont(earlier.text->defaultFont());
    fresh->setUndoRedoEnabled(false);
    m_text->setDocument(fresh);
    earlier.lastSearch = m_lastSearch;
    earlier.exportEnabled = m_exportButton->isEnabled();
    m_earlier = std::move(earlier);
    setLastSearch(criteria, roles, startDir);
}

void HitsPage::endSearch(bool keep)
{
    if (!m_earlier)
        return;
    Earlier earlier = std::move(*m_earlier);
    m_earlier.reset();
    if (keep) {
        delete earlier.text;
        return;
    }
    std::swap(earlier.names, m_names);
    std::swap(earlier.chunkNumbers, m_chunkNumbers);
    m_model->reset();
    // The view deletes the search's document, its own child, and shows the earlier one again.
    m_text->setDocument(earlier.text);
    earlier.text->setParent(m_text);
    m_lastSearch = earlier.lastSearch;
    m_exportButton->setEnabled(earlier.exportEnabled);
    m_text->verticalScrollBar()->setValue(earlier.textScroll);
    if (earlier.currentHit >= 0) {
        // Back where the user was, without opening that hit again.
        {
            const QSignalBlocker blocker(m_list->selectionModel());
            m_list->selectionModel()->setCurrentIndex(m_model->index(earlier.currentHit),
                                                      QItemSelectionModel::ClearAndSelect);
        }
        m_list->viewport()->update();
    }
}

void HitsPage::appendHit(QByteArrayView recordName, int chunkNumber)
{
    m_names.append(recordName);
    m_chunkNumbers.push_back(chunkNumber);
}

void HitsPage::clearDelivered()
{
    m_names.clear();
    m_chunkNumbers.clear();
    m_model->reset();
    m_text->document()->clear();
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
