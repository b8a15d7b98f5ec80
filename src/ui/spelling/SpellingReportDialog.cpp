#include "ui/spelling/SpellingReportDialog.h"

#include "core/record/RecordSchema.h"
#include "core/session/EditingSession.h"
#include "core/spelling/Suggestions.h"
#include "core/spelling/TextSpelling.h"
#include "ui/common/BackgroundJob.h"
#include "ui/common/Named.h"
#include "ui/common/UserDialogs.h"
#include "ui/spelling/SpellingService.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

namespace ObjectName {
const QString Dialog = QStringLiteral("helyesirasform");
const QString Words = QStringLiteral("tv_helyesszavak");
const QString Records = QStringLiteral("lb_helyesrekordok");
const QString Suggestions = QStringLiteral("lb_helyesjavaslatok");
const QString Replacement = QStringLiteral("edit_helyescsere");
const QString Progress = QStringLiteral("pb_helyesiras");
const QString Status = QStringLiteral("lab_helyesallapot");
const QString CheckButton = QStringLiteral("gomb_helyesellenoriz");
const QString CancelButton = QStringLiteral("gomb_helyesmegsem");
const QString JumpButton = QStringLiteral("gomb_helyesugras");
const QString AcceptButton = QStringLiteral("gomb_helyesfelvetel");
const QString ReplaceButton = QStringLiteral("gomb_helyescsere");
const QString CloseButton = QStringLiteral("gomb_helyesbezar");
} // namespace ObjectName

enum Column
{
    WordColumn,
    CountColumn,
    IndexSetColumn,
    LanguageColumn,
    SuggestionColumn,
};

constexpr int WordIndexRole = Qt::UserRole;
constexpr int MaxSuggestions = 6;
constexpr int RecordIndexRole = Qt::UserRole;

QString listedNameOf(QStringView line)
{
    return RecordSchema::listedName(line);
}

QString uncheckedNotice(const Proofreader::Result& result)
{
    QStringList languages;
    for (const auto& [language, records] : result.uncheckedLanguages)
        languages.append(QStringLiteral("%1 (%2)")
                             .arg(language.isEmpty() ? QStringLiteral("üres") : language)
                             .arg(records));
    QString notice;
    if (!languages.isEmpty())
        notice = QStringLiteral(" Nincs hozzá szótár, ezért nincs ellenőrizve az ilyen nyelvű szöveg: %1.")
                     .arg(languages.join(u", "));
    if (result.unrecognisedRecords > 0)
        notice +=
            QStringLiteral(" %1 rekordban olyan szöveg van, amelyre egyik telepített szótár sem illik; ez "
                           "nincs ellenőrizve.")
                .arg(result.unrecognisedRecords);
    for (const QString& error : result.dictionaryErrors)
        notice += u' ' + error;
    return notice;
}

} // namespace

SpellingReportDialog::SpellingReportDialog(EditingSession& session, SpellingService& service, QWidget* parent)
    : QDialog(parent), m_session(session), m_service(service)
{
    named(this, ObjectName::Dialog);
    setWindowTitle(QStringLiteral("Helyesírás-ellenőrzés"));
    resize(820, 520);
    buildControls();
    m_job = new BackgroundJob(this);
    m_job->setStopControls({m_cancelButton});
}

SpellingReportDialog::~SpellingReportDialog()
{
    stopSuggestions();
}

void SpellingReportDialog::buildControls()
{
    m_words = named(new QTreeWidget(this), ObjectName::Words);
    m_words->setHeaderLabels({QStringLiteral("Szó"), QStringLiteral("Rekord"), QStringLiteral("Index"),
                              QStringLiteral("Nyelv"), QStringLiteral("Javaslat")});
    m_words->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_words->header()->setSectionResizeMode(WordColumn, QHeaderView::ResizeToContents);
    m_words->setRootIsDecorated(true);
    connect(m_words, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { showWord(item); });

    m_records = named(new QListWidget(this), ObjectName::Records);
    connect(m_records, &QListWidget::itemDoubleClicked, this, &SpellingReportDialog::jumpToRecord);

    // Picking a suggestion puts it in "Csere erre:"; nothing else does.
    m_suggestions = named(new QListWidget(this), ObjectName::Suggestions);
    connect(m_suggestions, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_replacement->setText(item->text()); });
    connect(m_suggestions, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { m_replacement->setText(item->text()); });
    auto* side = new QSplitter(Qt::Vertical, this);
    side->addWidget(m_records);
    side->addWidget(m_suggestions);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_words);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);

    m_replacement = named(new QLineEdit(this), ObjectName::Replacement);
    m_replacement->setPlaceholderText(QStringLiteral("írja be, vagy válasszon javaslatot"));
    m_jumpButton = named(new QPushButton(QStringLiteral("Ugrás a rekordhoz"), this), ObjectName::JumpButton);
    m_acceptButton =
        named(new QPushButton(QStringLiteral("Felvétel a szótárba"), this), ObjectName::AcceptButton);
    m_replaceButton =
        named(new QPushButton(QStringLiteral("Csere mindenhol"), this), ObjectName::ReplaceButton);
    connect(m_jumpButton, &QPushButton::clicked, this, &SpellingReportDialog::jumpToRecord);
    connect(m_acceptButton, &QPushButton::clicked, this, &SpellingReportDialog::acceptSelected);
    connect(m_replaceButton, &QPushButton::clicked, this, &SpellingReportDialog::replaceEverywhere);
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_acceptButton);
    actions->addSpacing(12);
    actions->addWidget(new QLabel(QStringLiteral("Csere erre:"), this));
    actions->addWidget(m_replacement, 1);
    actions->addWidget(m_replaceButton);
    actions->addSpacing(12);
    actions->addWidget(m_jumpButton);

    m_progress = named(new QProgressBar(this), ObjectName::Progress);
    m_status = named(new QLabel(this), ObjectName::Status);
    m_status->setWordWrap(true);
    m_checkButton = named(new QPushButton(QStringLiteral("Ellenőrzés"), this), ObjectName::CheckButton);
    m_cancelButton = named(new QPushButton(QStringLiteral("Mégsem"), this), ObjectName::CancelButton);
    m_cancelButton->setEnabled(false);
    auto* closeButton = named(new QPushButton(QStringLiteral("Bezárás"), this), ObjectName::CloseButton);
    connect(m_checkButton, &QPushButton::clicked, this, &SpellingReportDialog::runCheck);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { m_job->requestStop(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    auto* run = new QHBoxLayout;
    run->addWidget(m_progress, 1);
    run->addWidget(m_checkButton);
    run->addWidget(m_cancelButton);
    run->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(actions);
    layout->addWidget(m_status);
    layout->addLayout(run);
    showWord(nullptr);
}

void SpellingReportDialog::runCheck()
{
    if (m_job->isRunning())
        return;
    if (m_session.mode() == EditingSession::Mode::AwaitingDatabase) {
        m_status->setText(QStringLiteral("Nincs megnyitott adatbázis."));
        return;
    }
    stopSuggestions();
    m_words->clear();
    m_suggestionsOfWord.clear();
    m_result.reset();
    const DatabaseDocument::Snapshot lines = m_session.document().snapshot();
    Proofreader::Options options;
    options.oldSpellingBefore = m_service.oldSpellingBefore();
    options.indexFolder = m_service.folder();
    m_service.reloadLexicon();
    options.lexicon = &m_service.lexicon();
    const WordList accepted = m_service.wordList();
    // The runner's stop (Mégsem, Esc, closing the window) reaches the run
    // at its next look at the control, where the run stores its progress.
    m_job->setRefresh([this] {
        const JobControl& control = m_job->control();
        m_progress->setRange(0, int(qMin<qint64>(control.progressTotal(), INT_MAX)));
        m_progress->setValue(int(qMin<qint64>(control.progressDone(), INT_MAX)));
    });
    m_status->setText(QStringLiteral("Ellenőrzés folyamatban..."));
    m_checkButton->setEnabled(false);
    m_cancelButton->setEnabled(true);
    std::optional<Proofreader::Result> result;
    const bool finished = runGuarded(this, [&] {
        m_job->runStoppable([&](JobControl& control) {
            result = Proofreader(m_service.dictionaries(), accepted, options)
                         .run(
                             lines.lineCount(), [&lines](int i) { return lines.line(i); }, control);
        });
    });
    m_job->setRefresh({});
    m_checkButton->setEnabled(true);
    m_cancelButton->setEnabled(false);
    if (!result) {
        m_progress->setValue(0);
        m_status->setText(finished ? QStringLiteral("Az ellenőrzés megszakítva.")
                                   : QStringLiteral("Az ellenőrzés hiba miatt megszakadt."));
        return;
    }
    m_result = std::move(result);
    showResult();
}

void SpellingReportDialog::showResult()
{
    const Proofreader::Result& result = *m_result;
    int unknownCount = 0;
    for (const Proofreader::Word& word : result.words)
        unknownCount += word.oldSpelling ? 0 : 1;
    const int oldCount = int(result.words.size()) - unknownCount;
    auto* unknownGroup =
        new QTreeWidgetItem(m_words, {QStringLiteral("Ismeretlen szavak (%1)").arg(unknownCount)});
    auto* oldGroup = new QTreeWidgetItem(m_words, {QStringLiteral("régi alak? (%1)").arg(oldCount)});
    for (QTreeWidgetItem* group : {unknownGroup, oldGroup}) {
        group->setFirstColumnSpanned(true);
        group->setFlags(group->flags() & ~Qt::ItemIsSelectable);
    }
    for (int i = 0; i < int(result.words.size()); ++i) {
        const Proofreader::Word& word = result.words[size_t(i)];
        auto* item = new QTreeWidgetItem(
            word.oldSpelling ? oldGroup : unknownGroup,
            {word.word, QString::number(word.count()),
             word.indexSetRecords < 0 ? QStringLiteral("–") : QString::number(word.indexSetRecords),
             word.language, QString()});
        item->setData(WordColumn, WordIndexRole, i);
        item->setTextAlignment(CountColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(IndexSetColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    unknownGroup->setExpanded(true);
    oldGroup->setExpanded(true);
    m_status->setText(QStringLiteral("%1 rekord ellenőrizve, %2 ismeretlen szó.")
                          .arg(result.checkedRecords)
                          .arg(result.words.size()) +
                      uncheckedNotice(result));
    startSuggestions();
}

const Proofreader::Word* SpellingReportDialog::wordOf(const QTreeWidgetItem* item) const
{
    if (!m_result || !item || !item->parent())
        return nullptr;
    const int index = item->data(WordColumn, WordIndexRole).toInt();
    return index >= 0 && index < int(m_result->words.size()) ? &m_result->words[size_t(index)] : nullptr;
}

void SpellingReportDialog::showWord(QTreeWidgetItem* item)
{
    m_records->clear();
    m_suggestions->clear();
    // A replacement in many records is typed or picked, never offered ready.
    m_replacement->clear();
    const Proofreader::Word* word = wordOf(item);
    m_replaceButton->setEnabled(word);
    m_jumpButton->setEnabled(word);
    m_acceptButton->setEnabled(word);
    if (!word)
        return;
    showSuggestionsOf(item->data(WordColumn, WordIndexRole).toInt());
    const DatabaseDocument& document = m_session.document();
    for (int index : word->records) {
        if (index >= document.lineCount())
            continue;
        auto* row = new QListWidgetItem(listedNameOf(document.line(index)), m_records);
        row->setData(RecordIndexRole, index);
    }
    m_records->setCurrentRow(0);
}

void SpellingReportDialog::jumpToRecord()
{
    const QListWidgetItem* row = m_records->currentItem();
    if (row)
        Q_EMIT showRecordRequested(row->data(RecordIndexRole).toInt());
}

void SpellingReportDialog::acceptSelected()
{
    QStringList words;
    QList<QTreeWidgetItem*> items;
    for (QTreeWidgetItem* item : m_words->selectedItems()) {
        if (const Proofreader::Word* word = wordOf(item)) {
            if (!words.contains(word->word))
                words.append(word->word);
            items.append(item);
        }
    }
    if (words.isEmpty())
        return;
    if (!runGuarded(this, [&] { m_service.acceptWords(words); }))
        return;
    for (QTreeWidgetItem* item : std::as_const(items))
        delete item;
    m_status->setText(QStringLiteral("%1 szó a szótárba felvéve.").arg(words.size()));
}

void SpellingReportDialog::replaceEverywhere()
{
    if (refusedWhileReadOnly(this, m_session))
        return;
    QTreeWidgetItem* item = m_words->currentItem();
    const Proofreader::Word* word = wordOf(item);
    if (!word)
        return;
    const QString replacement = m_replacement->text().trimmed();
    if (replacement == word->word)
        return;
    if (replacement.isEmpty()) {
        UserDialogs::instance().inform(
            this,
            QStringLiteral("Írja be a „Csere erre:” mezőbe, mire cserélje a(z) „%1” szót, vagy válasszon "
                           "a javaslatok közül.")
                .arg(word->word));
        return;
    }
    if (!TextSpelling::isValidReplacement(replacement)) {
        UserDialogs::instance().inform(
            this, QStringLiteral("A csere szövege nem lehet üres, és nem lehet benne csillag (*)."));
        return;
    }
    const DatabaseDocument& document = m_session.document();
    QList<std::pair<int, QString>> changes;
    QList<int> indexes;
    for (int index : word->records) {
        if (index >= document.lineCount())
            continue;
        const QString line = TextSpelling::replaceInRecord(document.line(index), word->word, replacement);
        if (line != document.line(index)) {
            changes.append({index, line});
            indexes.append(index);
        }
    }
    if (changes.isEmpty()) {
        UserDialogs::instance().inform(
            this, QStringLiteral("A(z) „%1” szó már egyik rekordban sincs meg.").arg(word->word));
        return;
    }
    if (!UserDialogs::instance().askYesNo(this,
                                          QStringLiteral("A(z) „%1” szó %2 rekordban „%3” szóra cserélődik. "
                                                         "Folytatja?")
                                              .arg(word->word)
                                              .arg(changes.size())
                                              .arg(replacement)))
        return;
    const QString replaced = word->word;
    m_session.replaceLines(changes);
    Q_EMIT recordsReplaced(indexes);
    delete item;
    m_status->setText(
        QStringLiteral("A(z) „%1” szó %2 rekordban kicserélve.").arg(replaced).arg(changes.size()));
}

void SpellingReportDialog::startSuggestions()
{
    m_suggester.stopAndWait();
    ++m_suggestionRun;
    // The rows stay on this thread (a persistent index is the model's); the
    // worker knows them by number only.
    m_suggestionRows.clear();
    struct Job
    {
        int row;
        int word;
        QString text;
        Dictionaries::Engine engine;
        QList<SpellingLexicon::Rule> rules;
    };
    std::vector<Job> jobs;
    for (int g = 0; g < m_words->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = m_words->topLevelItem(g);
        for (int c = 0; c < group->childCount(); ++c) {
            QTreeWidgetItem* item = group->child(c);
            const Proofreader::Word* word = wordOf(item);
            if (Dictionaries::Engine engine = m_service.dictionaries().loadedForLanguage(word->language)) {
                jobs.push_back({int(m_suggestionRows.size()), item->data(WordColumn, WordIndexRole).toInt(),
                                word->word, engine,
                                word->oldSpelling ? m_service.lexicon().rulesFor(engine->name())
                                                  : QList<SpellingLexicon::Rule>{}});
                m_suggestionRows.append(QPersistentModelIndex(m_words->indexFromItem(item)));
            }
        }
    }
    m_suggester.start(
        [this, run = m_suggestionRun, jobs = std::move(jobs)](JobControl& control) {
            for (const Job& job : jobs) {
                if (control.stopRequested())
                    return;
                const QStringList suggestions =
                    Suggestions::forWord(*job.engine, job.text, MaxSuggestions, job.rules);
                QMetaObject::invokeMethod(
                    this,
                    [this, run, row = job.row, word = job.word, suggestions] {
                        showSuggestions(run, row, word, suggestions);
                    },
                    Qt::QueuedConnection);
            }
        },
        {});
}

void SpellingReportDialog::showSuggestions(int run, int row, int word, const QStringList& suggestions)
{
    // A row of an earlier run, or one gone meanwhile (accepted, replaced), is passed over.
    if (run != m_suggestionRun || row >= m_suggestionRows.size() || !m_suggestionRows[row].isValid())
        return;
    QTreeWidgetItem* item = m_words->itemFromIndex(m_suggestionRows[row]);
    item->setText(SuggestionColumn, suggestions.value(0));
    m_suggestionsOfWord.insert(word, suggestions);
    if (item == m_words->currentItem())
        showSuggestionsOf(word);
}

void SpellingReportDialog::showSuggestionsOf(int word)
{
    m_suggestions->clear();
    const auto found = m_suggestionsOfWord.constFind(word);
    if (found == m_suggestionsOfWord.cend())
        return;
    m_suggestions->addItems(*found);
    if (found->isEmpty()) {
        auto* none = new QListWidgetItem(QStringLiteral("(nincs javaslat)"), m_suggestions);
        none->setFlags(Qt::NoItemFlags);
    }
}

void SpellingReportDialog::stopSuggestions()
{
    m_suggester.stopAndWait();
}

void SpellingReportDialog::closeEvent(QCloseEvent* event)
{
    m_job->requestStop();
    stopSuggestions();
    QDialog::closeEvent(event);
}
