#include "ui/publish/PublishDialog.h"

#include "core/index/DatabaseStream.h"
#include "core/job/JobControl.h"
#include "core/publish/BookWriter.h"
#include "core/publish/PagePainter.h"
#include "core/record/LookupList.h"
#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/WorkFolder.h"
#include "core/search/SearchEngine.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/BusyCursor.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Hands the search's hits to the book.
class BookSink final : public SearchSink
{
public:
    explicit BookSink(BibliographyBuilder& builder) : m_builder(builder) {}
    void hit(QByteArrayView, const FieldGrid*) override {}
    void hitLine(QStringView line) override { m_builder.add(line); }

private:
    BibliographyBuilder& m_builder;
};

QString filterOf(PublishFormat format)
{
    switch (format) {
    case PublishFormat::Pdf:
        return QStringLiteral("PDF|*.pdf");
    case PublishFormat::Odt:
        return QStringLiteral("OpenDocument szöveg|*.odt");
    case PublishFormat::Html:
        break;
    }
    return QStringLiteral("HTML|*.html");
}

} // namespace

PublishDialog::PublishDialog(QWidget* parent) : QDialog(parent), m_job(new BackgroundJob(this))
{
    setObjectName(QStringLiteral("PublishDialog"));
    setWindowTitle(QStringLiteral("Bibliográfia kiadása"));
    buildControls();
}

PublishDialog::~PublishDialog() = default;

void PublishDialog::buildControls()
{
    auto* sourceBox =
        named(new QGroupBox(QStringLiteral(" Forrás "), this), QStringLiteral("publish_source"));
    m_fromDatabase =
        named(new QRadioButton(QStringLiteral("Megnyitott adatbázis")), QStringLiteral("publish_database"));
    m_fromIndex = named(new QRadioButton(QStringLiteral("Index (minden indexelt rekord)")),
                        QStringLiteral("publish_index"));
    m_fromSearch = named(new QRadioButton(QStringLiteral("Az utolsó keresés találatai")),
                         QStringLiteral("publish_search"));
    auto* sourceLayout = new QVBoxLayout(sourceBox);
    for (QRadioButton* button : {m_fromDatabase, m_fromIndex, m_fromSearch})
        sourceLayout->addWidget(button);

    m_grouping = named(new QComboBox, QStringLiteral("publish_grouping"));
    m_grouping->addItems({QStringLiteral("Tárgykör szerint"), QStringLiteral("Kötet szerint"),
                          QStringLiteral("Nincs csoportosítás")});
    m_title = named(new QLineEdit, QStringLiteral("publish_title"));
    m_title->setPlaceholderText(QStringLiteral("Bibliográfia"));
    m_subtitle = named(new QLineEdit, QStringLiteral("publish_subtitle"));
    m_compiler = named(new QLineEdit, QStringLiteral("publish_compiler"));
    m_place = named(new QLineEdit, QStringLiteral("publish_place"));
    m_year = named(new QLineEdit, QStringLiteral("publish_year"));
    m_year->setMaxLength(20);
    m_paper = named(new QComboBox, QStringLiteral("publish_paper"));
    m_paper->addItems({QStringLiteral("A4"), QStringLiteral("B5")});
    m_format = named(new QComboBox, QStringLiteral("publish_format"));
    m_format->addItems(
        {QStringLiteral("PDF"), QStringLiteral("ODT (szerkeszthető)"), QStringLiteral("HTML")});
    m_placeIndex = named(new QCheckBox(QStringLiteral("Földrajzi mutató a névmutató után")),
                         QStringLiteral("publish_places"));
    m_twoSided = named(new QCheckBox(QStringLiteral("Kétoldalas nyomtatás (belső és külső margó)")),
                       QStringLiteral("publish_two_sided"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Csoportosítás:"), m_grouping);
    form->addRow(QStringLiteral("Cím:"), m_title);
    form->addRow(QStringLiteral("Alcím:"), m_subtitle);
    form->addRow(QStringLiteral("Összeállította:"), m_compiler);
    form->addRow(QStringLiteral("Hely:"), m_place);
    form->addRow(QStringLiteral("Év:"), m_year);
    form->addRow(QStringLiteral("Papírméret:"), m_paper);
    form->addRow(QString(), m_twoSided);
    form->addRow(QStringLiteral("Formátum:"), m_format);
    form->addRow(QString(), m_placeIndex);

    m_progress = named(new QProgressBar, QStringLiteral("publish_progress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_status = named(new QLabel, QStringLiteral("publish_status"));
    m_stop = named(new QPushButton(QStringLiteral("Mégsem")), QStringLiteral("publish_stop"));
    m_stop->hide();
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_stop);

    auto* buttons = new QDialogButtonBox(this);
    m_save = named(buttons->addButton(QStringLiteral("Mentés..."), QDialogButtonBox::AcceptRole),
                   QStringLiteral("publish_save"));
    m_preview = named(buttons->addButton(QStringLiteral("Előnézet"), QDialogButtonBox::ActionRole),
                      QStringLiteral("publish_preview"));
    m_print = named(buttons->addButton(QStringLiteral("Nyomtatás..."), QDialogButtonBox::ActionRole),
                    QStringLiteral("publish_print"));
    m_close = named(buttons->addButton(QStringLiteral("Bezárás"), QDialogButtonBox::RejectRole),
                    QStringLiteral("publish_close"));
    m_save->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceBox);
    layout->addLayout(form);
    layout->addLayout(progressRow);
    layout->addWidget(m_status);
    layout->addWidget(buttons);

    // The buttons close nothing by themselves: each runs its command and the
    // dialog stays open for the next one.
    connect(m_save, &QPushButton::clicked, this, &PublishDialog::saveBook);
    connect(m_preview, &QPushButton::clicked, this, &PublishDialog::previewBook);
    connect(m_print, &QPushButton::clicked, this, &PublishDialog::printBook);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_stop, &QPushButton::clicked, m_job, &BackgroundJob::requestStop);
    m_job->setStopControls({m_stop});
}

void PublishDialog::start()
{
    applySources();
    m_progress->setValue(0);
    setStatus(QString());
    QDialog::open();
}

void PublishDialog::applySources()
{
    m_sources = m_provider ? m_provider() : Sources{};
    m_fromDatabase->setEnabled(m_sources.database.has_value());
    m_fromSearch->setEnabled(m_sources.lastSearch.has_value());
    if (!m_fromDatabase->isEnabled() && m_fromDatabase->isChecked())
        m_fromIndex->setChecked(true);
    if (!m_fromSearch->isEnabled() && m_fromSearch->isChecked())
        m_fromIndex->setChecked(true);
    if (!m_fromDatabase->isChecked() && !m_fromIndex->isChecked() && !m_fromSearch->isChecked())
        (m_sources.database ? m_fromDatabase : m_fromIndex)->setChecked(true);
}

PublishDialog::SourceKind PublishDialog::sourceKind() const
{
    if (m_fromDatabase->isChecked())
        return SourceKind::Database;
    return m_fromSearch->isChecked() ? SourceKind::Search : SourceKind::Index;
}

PublishOptions PublishDialog::options() const
{
    static constexpr Grouping Groupings[] = {Grouping::Subject, Grouping::Volume, Grouping::None};
    PublishOptions options;
    options.grouping = Groupings[qBound(0, m_grouping->currentIndex(), 2)];
    options.title = m_title->text();
    options.subtitle = m_subtitle->text();
    options.compiler = m_compiler->text();
    options.place = m_place->text();
    options.year = m_year->text();
    options.twoSided = m_twoSided->isChecked();
    options.paper = m_paper->currentIndex() == 1 ? PaperSize::B5 : PaperSize::A4;
    options.placeIndex = m_placeIndex->isChecked();
    return options;
}

PublishFormat PublishDialog::format() const
{
    static constexpr PublishFormat Formats[] = {PublishFormat::Pdf, PublishFormat::Odt, PublishFormat::Html};
    return Formats[qBound(0, m_format->currentIndex(), 2)];
}

void PublishDialog::setStatus(const QString& text)
{
    m_status->setText(text);
}

void PublishDialog::collect(BibliographyBuilder& builder, JobControl& control) const
{
    switch (sourceKind()) {
    case SourceKind::Database: {
        const DatabaseDocument::Snapshot& records = *m_sources.database;
        for (int i = 0; i < records.lineCount(); ++i) {
            if (i % 1024 == 0) {
                control.throwIfStopped();
                control.setProgress(i, records.lineCount());
            }
            builder.add(records.line(i));
        }
        return;
    }
    case SourceKind::Index: {
        const QStringList chunks = SearchEngine::chunkFiles(m_sources.startDir);
        for (int i = 0; i < chunks.size(); ++i) {
            control.throwIfStopped();
            control.setProgress(i, chunks.size());
            DatabaseStream stream(chunks[i]);
            QStringView line;
            while (stream.next(&line))
                builder.add(line);
        }
        return;
    }
    case SourceKind::Search: {
        SearchEngine engine(m_sources.lastSearch->criteria, m_sources.lastSearch->roles);
        engine.setKeepLines(true);
        BookSink sink(builder);
        engine.run(m_sources.startDir, sink, control);
        return;
    }
    }
}

bool PublishDialog::runJob(const std::function<void(JobControl&)>& work)
{
    if (m_job->isRunning())
        return false;
    // The runner's stop (the button, Esc, closing the dialog) reaches the
    // run wherever it asks; the run stores its progress beside it.
    m_job->setRefresh([this] {
        const JobControl& control = m_job->control();
        const qint64 total = control.progressTotal();
        m_progress->setValue(total > 0 ? int(100 * control.progressDone() / total) : 0);
    });
    const DisabledControls busy({m_save, m_preview, m_print, m_close});
    m_stop->show();
    m_progress->setValue(0);
    std::exception_ptr failure;
    bool stopped = false;
    try {
        m_job->run(work);
    } catch (const OperationCancelled&) {
        stopped = true;
    } catch (...) {
        failure = std::current_exception();
    }
    m_job->setRefresh({});
    m_stop->hide();
    if (stopped) {
        m_progress->setValue(0);
        setStatus(QStringLiteral("Megszakítva: nem készült fájl."));
        return false;
    }
    if (failure) {
        m_progress->setValue(0);
        setStatus(QString());
        runGuarded(this, [&] { std::rethrow_exception(failure); });
        return false;
    }
    m_progress->setValue(100);
    return true;
}

std::optional<Bibliography> PublishDialog::buildBook()
{
    const PublishOptions chosen = options();
    std::optional<Bibliography> book;
    const bool built = runJob([&](JobControl& control) {
        BibliographyBuilder builder(
            chosen, LookupList::readOrEmpty(QDir(m_sources.startDir).filePath(WorkFolder::RolesFile)));
        if (chosen.grouping == Grouping::Subject)
            builder.setSubjectTree(SubjectTree::Tree::read(m_sources.subjectTreePath));
        collect(builder, control);
        book = builder.build(control);
    });
    if (!built)
        return std::nullopt;
    return book;
}

void PublishDialog::saveBook()
{
    const PublishFormat chosenFormat = format();
    const QString suffix = PublishNames::suffixOf(chosenFormat);
    QString path = UserDialogs::instance().chooseSaveFile(
        this, QStringLiteral("Bibliográfia mentése"), filterOf(chosenFormat),
        QDir(m_sources.startDir).filePath(QStringLiteral("bibliografia") + suffix));
    if (path.isEmpty())
        return;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    if (QFileInfo::exists(path) &&
        !UserDialogs::instance().askYesNo(
            this,
            QStringLiteral("A(z) %1 fájl már létezik. Lecseréljem?").arg(QDir::toNativeSeparators(path))))
        return;
    const PublishOptions chosen = options();
    std::optional<Bibliography> book = buildBook();
    if (!book)
        return;
    if (runJob([&](JobControl& control) {
            BookWriter::write(*book, chosenFormat, chosen.paper, path, control, chosen.twoSided);
        }))
        setStatus(QStringLiteral("Elkészült: %1 tétel, %2")
                      .arg(book->entryCount())
                      .arg(QDir::toNativeSeparators(path)));
}

// Pages are painted on the window's thread: a printer belongs to it.
void PublishDialog::paintPages(const Bibliography& book, QPrinter* printer)
{
    const BusyCursor busy;
    printer->setPageLayout(PagePainter::pageLayout(options().paper));
    PagePainter painter(book);
    painter.setTwoSided(options().twoSided);
    JobControl control;
    if (!painter.paint(*printer, control))
        UserDialogs::instance().inform(
            this, QStringLiteral("A nyomtatás nem indult el: a nyomtató nem fogadta az oldalakat."));
}

void PublishDialog::previewBook()
{
    std::optional<Bibliography> book = buildBook();
    if (!book)
        return;
    setStatus(QStringLiteral("Előnézet: %1 tétel").arg(book->entryCount()));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(PagePainter::pageLayout(options().paper));
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("publish_preview_window"));
    preview.setWindowTitle(QStringLiteral("Előnézet"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this, &book](QPrinter* target) { paintPages(*book, target); });
    preview.exec();
}

void PublishDialog::printBook()
{
    std::optional<Bibliography> book = buildBook();
    if (!book)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(PagePainter::pageLayout(options().paper));
    printer.setDocName(book->title.isEmpty() ? QStringLiteral("Bibliográfia") : book->title);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("publish_print_dialog"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    paintPages(*book, &printer);
    setStatus(QStringLiteral("Nyomtatásra elküldve: %1 tétel").arg(book->entryCount()));
}
