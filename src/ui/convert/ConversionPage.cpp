#include "ui/convert/ConversionPage.h"

#include "core/record/CodeTables.h"
#include "core/record/OperationCancelled.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/convert/LinePane.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <exception>

namespace {

// The names the tests and users' scripts find the controls by.
namespace ObjectName {
constexpr auto Page = "lap_konvertal";
constexpr auto StepsPanel = "Panel5";
constexpr auto KindGroup = "rg_konvtipus"; // its radio buttons are named "rg_konvtipus_<n>"
constexpr auto VolumeGroup = "rg_kotet2";
constexpr auto OpenButton = "gkonv1";
constexpr auto ConvertButton = "gkonv2";
constexpr auto SaveButton = "gkonv3";
constexpr auto Status = "konv_allapot";
constexpr auto StopButton = "gkonv_megsem";
constexpr auto PanesPanel = "Panel6";
constexpr auto SourcePane = "re103";
constexpr auto ResultPane = "re104";
} // namespace ObjectName

constexpr int kPanelWidth = 210;
constexpr int kPanesWidth = 700; // at first; the panes take what the window gives
constexpr int kControlWidth = 180;
constexpr int kSourcePaneHeight = 89;
constexpr int kResultPaneHeight = 10 * kSourcePaneHeight; // at first; the result takes the rest
// The captions were made for kControlWidth pixels at this size.
constexpr int kPanelPointSize = 8;
constexpr int kPanePointSize = 8;

// The kinds in the order of the kind group's radio buttons.
constexpr SourceKind kKinds[] = {SourceKind::DBase, SourceKind::Zdb, SourceKind::Director, SourceKind::Ris,
                                 SourceKind::BibTeX};

const QString kOpenTitle = QStringLiteral("Forrásfájl megnyitása");
const QString kSaveTitle = QStringLiteral("Adatok mentése");
const QString kSaveFilter = QStringLiteral("RTF|*.rtf");

QGroupBox* radioGroup(const char* name, const QString& caption, const QStringList& items,
                      QButtonGroup*& buttons, QWidget* parent)
{
    auto* box = named(new QGroupBox(caption, parent), name);
    box->setFixedWidth(kControlWidth);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 0, 2);
    buttons = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = named(new QRadioButton(items[i], box),
                           QStringLiteral("%1_%2").arg(QLatin1StringView(name)).arg(i));
        buttons->addButton(item, i);
        layout->addWidget(item);
    }
    return box;
}

void selectNone(QButtonGroup* buttons)
{
    buttons->setExclusive(false);
    for (QAbstractButton* button : buttons->buttons())
        button->setChecked(false);
    buttons->setExclusive(true);
}

LinePane* textPane(const char* name, QWidget* parent)
{
    auto* pane = named(new LinePane(parent), name);
    pane->setFont(QFont(QStringLiteral("Lucida Sans Unicode"), kPanePointSize));
    return pane;
}

// The worker asks the page's job whether to stop.
class StepProgress final : public ConversionProgress
{
public:
    explicit StepProgress(const BackgroundJob& job) : m_job(job) {}
    bool cancelRequested() const override { return m_job.cancelRequested(); }

private:
    const BackgroundJob& m_job;
};

} // namespace

ConversionPage::ConversionPage(QWidget* parent) : QWidget(parent)
{
    named(this, ObjectName::Page);
    buildControls();
    m_job = new BackgroundJob(this);
    m_job->setStopControls({m_stopButton});
}

ConversionPage::~ConversionPage() = default;

void ConversionPage::buildControls()
{
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    auto* stepsPanel = named(new QWidget(splitter), ObjectName::StepsPanel);
    QFont panelFont = stepsPanel->font();
    panelFont.setPointSize(kPanelPointSize);
    stepsPanel->setFont(panelFont);
    auto* column = new QVBoxLayout(stepsPanel);
    m_kindGroup = radioGroup(ObjectName::KindGroup, QStringLiteral(" Konvertálandó fájl típusa "),
                             {QStringLiteral("*.dbf fájlból"), QStringLiteral("*.zdb fájlból"),
                              QStringLiteral("Director állományból"), QStringLiteral("RIS fájlból"),
                              QStringLiteral("BibTeX fájlból")},
                             m_kindItems, stepsPanel);
    m_volumeGroup = radioGroup(ObjectName::VolumeGroup, QStringLiteral(" Kötet "),
                               CodeTables::volumeCaptions(), m_volumeItems, stepsPanel);
    m_openButton = named(new QPushButton(QStringLiteral("1. Forrásfájl megnyitása"), stepsPanel),
                         ObjectName::OpenButton);
    m_convertButton =
        named(new QPushButton(QStringLiteral("2. Konvertálás"), stepsPanel), ObjectName::ConvertButton);
    m_saveButton =
        named(new QPushButton(QStringLiteral("3. Adatok mentése"), stepsPanel), ObjectName::SaveButton);
    for (QWidget* control : {static_cast<QWidget*>(m_kindGroup), static_cast<QWidget*>(m_volumeGroup),
                             static_cast<QWidget*>(m_openButton), static_cast<QWidget*>(m_convertButton),
                             static_cast<QWidget*>(m_saveButton)}) {
        control->setFixedWidth(kControlWidth);
        column->addWidget(control);
    }
    m_stopButton = named(new QPushButton(QStringLiteral("Mégsem"), stepsPanel), ObjectName::StopButton);
    m_stopButton->setFixedWidth(kControlWidth);
    m_stopButton->setToolTip(QStringLiteral("A konvertálás vagy a mentés leállítása; semmi sem változik"));
    m_stopButton->hide();
    column->addWidget(m_stopButton);
    m_status = named(new QLabel(stepsPanel), ObjectName::Status);
    m_status->setFixedWidth(kControlWidth);
    m_status->setTextFormat(Qt::PlainText); // record names are not markup
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(m_status);
    column->addStretch(1);

    auto* panesPanel = named(new QWidget(splitter), ObjectName::PanesPanel);
    auto* right = new QVBoxLayout(panesPanel);
    right->setContentsMargins(0, 0, 0, 0);
    auto* panes = new QSplitter(Qt::Vertical, panesPanel);
    right->addWidget(panes);
    m_sourcePane = textPane(ObjectName::SourcePane, panes);
    m_resultPane = textPane(ObjectName::ResultPane, panes);
    panes->setStretchFactor(0, 0);
    panes->setStretchFactor(1, 1);
    panes->setSizes({kSourcePaneHeight, kResultPaneHeight});

    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kPanelWidth, kPanesWidth});

    connect(m_kindItems, &QButtonGroup::idClicked, this, &ConversionPage::selectKind);
    connect(m_openButton, &QPushButton::clicked, this, &ConversionPage::openSource);
    connect(m_convertButton, &QPushButton::clicked, this, &ConversionPage::convert);
    connect(m_saveButton, &QPushButton::clicked, this, &ConversionPage::saveResult);
    connect(m_stopButton, &QPushButton::clicked, this, [this] { m_job->requestCancel(); });
}

void ConversionPage::resetForMenuEntry()
{
    selectNone(m_kindItems);
    selectNone(m_volumeItems);
    for (QWidget* control : {static_cast<QWidget*>(m_volumeGroup), static_cast<QWidget*>(m_openButton),
                             static_cast<QWidget*>(m_convertButton), static_cast<QWidget*>(m_saveButton),
                             static_cast<QWidget*>(m_sourcePane), static_cast<QWidget*>(m_resultPane)})
        control->setEnabled(false);
}

void ConversionPage::selectKind(int item)
{
    const SourceKind kind = kKinds[item];
    const SourceFormat* format = SourceFormat::forKind(kind);
    m_openFilter = format->nameFilter();
    m_volumeGroup->setEnabled(format->needsVolume());
    m_openButton->setEnabled(true);
    m_session.setKind(kind);
}

void ConversionPage::openSource()
{
    const QString path =
        UserDialogs::instance().chooseOpenFile(this, kOpenTitle, m_openFilter, m_session.sourcePath());
    if (path.isEmpty())
        return;
    m_status->clear(); // it spoke of the previous source
    m_convertButton->setEnabled(true);
    const bool textSource = m_session.kind() != SourceKind::DBase;
    if (textSource) {
        m_sourcePane->setEnabled(true);
        m_sourcePane->clear();
    }
    // The window keeps painting while a long file is read.
    runStep([&] { m_session.openSource(path); }, Stop::NotOffered);
    if (textSource)
        showSourceLines();
}

// While a step runs its controls rest and "Mégsem" stands beside them; the
// rest of the window takes no input meanwhile.
bool ConversionPage::runStep(const std::function<void()>& work, Stop stop,
                             const std::function<void()>& onFailure)
{
    if (m_job->isRunning())
        return false;
    std::exception_ptr failure;
    bool cancelled = false;
    {
        const DisabledControls busy(
            {m_kindGroup, m_volumeGroup, m_openButton, m_convertButton, m_saveButton});
        m_stopButton->setVisible(stop == Stop::Offered);
        try {
            m_job->run(work);
        } catch (const OperationCancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
        m_stopButton->hide();
    }
    if (failure) {
        if (onFailure)
            onFailure();
        runGuarded(this, [&] { std::rethrow_exception(failure); });
    }
    return !cancelled && !failure;
}

// Built aside and taken over only when the step ends: a stopped conversion
// leaves the result and the page as they were.
void ConversionPage::convert()
{
    m_session.setVolume(m_volumeItems->checkedId());
    QStringList lines;
    const StepProgress progress(*m_job);
    const auto takeLines = [&] {
        m_saveButton->setEnabled(true);
        m_resultPane->setEnabled(true);
        m_resultPane->clear(); // first, so the list below is not shared while it is replaced
        m_resultLines = std::move(lines);
        showResultLines();
    };
    const bool finished =
        runStep([&] { m_session.convert([&lines](const QString& line) { lines.append(line); }, &progress); },
                Stop::Offered,
                // The lines built before the error stay, and are shown before the message.
                [&] {
                    takeLines();
                    reportConversion(false);
                });
    if (!finished)
        return;
    takeLines();
    reportConversion(true);
}

void ConversionPage::saveResult()
{
    const QString chosen =
        UserDialogs::instance().chooseSaveFile(this, kSaveTitle, kSaveFilter, suggestedResultPath());
    if (chosen.isEmpty())
        return;
    const QString fileName = ConversionSession::resultFileName(chosen);
    if (!mayWrite(fileName))
        return;
    const QStringList lines = m_resultLines;
    const StepProgress progress(*m_job);
    QString written;
    if (runStep([&] { written = ConversionSession::saveResult(fileName, lines, &progress); }, Stop::Offered))
        m_lastResultPath = written;
}

// The dialog is pre-filled with the source's name and ".rtf", often the name
// of a database beside it, and Enter would replace that database. The dialog
// cannot ask: ".rtf" is appended after it, so only here is the name known
// that will really be written.
bool ConversionPage::mayWrite(const QString& fileName)
{
    if (!ConversionSession::replacesExistingFile(fileName))
        return true;
    return UserDialogs::instance().askYesNo(
        this, QStringLiteral("A(z) %1 fájl már létezik. Lecseréljem a konvertált adatokra? "
                             "A benne lévő adatok elvesznek.")
                  .arg(fileName));
}

// The count, and whatever of the source the conversion passes over by design,
// so that no record goes missing unnoticed.
void ConversionPage::reportConversion(bool finished)
{
    if (!finished) {
        m_status->setText(QStringLiteral("A konvertálás hiba miatt megszakadt; %1 rekord készült el.")
                              .arg(m_resultLines.size()));
        return;
    }
    const QStringList lines =
        QStringList{QStringLiteral("%1 rekord konvertálva.").arg(m_resultLines.size())} +
        m_session.leftOutNotes();
    m_status->setText(lines.join(u'\n'));
}

// The panes share the lists: nothing is copied, however long the file.
void ConversionPage::showSourceLines()
{
    m_sourcePane->setLines(m_session.sourceLines());
}

void ConversionPage::showResultLines()
{
    m_resultPane->setLines(m_resultLines);
}

// Beside the source, under its name with ".rtf", until something was saved.
QString ConversionPage::suggestedResultPath() const
{
    if (!m_lastResultPath.isEmpty())
        return m_lastResultPath;
    if (m_session.sourcePath().isEmpty())
        return {};
    const QFileInfo source(m_session.sourcePath());
    return source.dir().filePath(source.completeBaseName() + QStringLiteral(".rtf"));
}
