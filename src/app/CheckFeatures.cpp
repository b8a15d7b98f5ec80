#include "app/CheckFeatures.h"

#include "core/check/DatabaseCheck.h"
#include "core/record/RecordLine.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/session/EditingSession.h"
#include "ui/check/BatchReplaceDialog.h"
#include "ui/check/CheckNotice.h"
#include "ui/check/CheckReportDialog.h"
#include "ui/check/NameCompleter.h"
#include "ui/check/NameVariantsDialog.h"
#include "ui/common/UserDialogs.h"
#include "ui/search/BrowsePage.h"
#include "ui/search/HitsPage.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RecordEditor.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QThread>

namespace {

// The form's edits and the kind of name each offers.
struct CompletedField
{
    const char16_t* edit;
    NameKind kind;
};
constexpr CompletedField kCompletedFields[] = {
    {u"Edit3", NameKind::Creator}, {u"Edit4", NameKind::Creator},     {u"Edit5", NameKind::Creator},
    {u"Edit6", NameKind::Creator}, {u"Edit8", NameKind::Publication}, {u"Edit9", NameKind::Publisher},
    {u"Edit13", NameKind::Place},
};

QDateTime indexTime(const QString& startDir)
{
    return QFileInfo(QDir(startDir).filePath(WorkFolder::ChunkNumbersFile)).lastModified();
}

RecordChecker checkerFor(const EditingSession& session)
{
    RecordChecker checker;
    checker.setLists(session.recordTypes(), session.roles(), session.languages());
    return checker;
}

} // namespace

CheckFeatures::CheckFeatures(MainWindow& main) : QObject(&main), m_main(main)
{
    attachCompleters();
    addMenuEntries();
    placeNotice();
    RecordEditor& editor = m_main.editor();
    EditingSession& session = editor.session();
    connect(&session, &EditingSession::documentReplaced, this, [this] {
        m_notice->clearFindings();
        refreshIndexLists();
        refreshDocumentLists();
    });
    connect(&session, &EditingSession::lineChanged, this,
            [this](int index, EditingSession::LineChange change) { lineChanged(index, int(change)); });
    connect(&editor, &RecordEditor::recordSaved, this, &CheckFeatures::checkSavedRecord);
    refreshIndexLists();
}

CheckFeatures::~CheckFeatures()
{
    m_indexControl.requestStop();
    m_documentControl.requestStop();
    for (QThread* thread : {m_indexThread, m_documentThread}) {
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
}

void CheckFeatures::attachCompleters()
{
    for (const CompletedField& field : kCompletedFields) {
        auto* edit = m_main.findChild<QLineEdit*>(QString::fromUtf16(field.edit));
        if (!edit)
            continue;
        const NameKind kind = field.kind;
        m_completers.append(new NameCompleter(
            edit, [this, kind](const QString& typed) { return completions(kind, typed); }, this));
    }
}

QStringList CheckFeatures::completions(NameKind kind, const QString& typed) const
{
    const size_t k = size_t(kind);
    return CompletionIndex::merged(
        {m_index.names[k].get(), m_document.names[k].get(), m_recentIndex[k].get()}, typed);
}

void CheckFeatures::addMenuEntries()
{
    if (QMenu* operations = m_main.findChild<QMenu*>(QStringLiteral("Mveletek1"))) {
        QAction* check = operations->addAction(QStringLiteral("Ellenőrzés..."));
        check->setObjectName(QStringLiteral("menu_ellenorzes"));
        connect(check, &QAction::triggered, this, &CheckFeatures::openCheckReport);
        QAction* variants = operations->addAction(QStringLiteral("Névváltozatok..."));
        variants->setObjectName(QStringLiteral("menu_nevvaltozatok"));
        connect(variants, &QAction::triggered, this, &CheckFeatures::openVariants);
    }
    if (QMenu* edit = m_main.findChild<QMenu*>(QStringLiteral("menu6"))) {
        QAction* replace = edit->addAction(QStringLiteral("Csere a rekordokban..."));
        replace->setObjectName(QStringLiteral("menu6_csere_rekordokban"));
        connect(replace, &QAction::triggered, this, &CheckFeatures::openReplace);
    }
}

void CheckFeatures::placeNotice()
{
    // Under the fields, where the eye is after F2; the page's own notice
    // column keeps it there whatever else the page's layout holds.
    m_notice = new CheckNotice(&m_main);
    m_main.entryPage()->addNotice(m_notice);
    m_notice->hide();
    connect(m_notice, &CheckNotice::documentRecordRequested, this, &CheckFeatures::showDocumentRecord);
    connect(m_notice, &CheckNotice::indexedRecordRequested, this, &CheckFeatures::showIndexedRecord);
}

void CheckFeatures::refreshIndexLists()
{
    const QString startDir = m_main.startDir();
    const QDateTime built = indexTime(startDir);
    if (m_indexThread || (built == m_indexTime && m_index.works))
        return;
    m_indexTime = built;
    m_indexControl.reset();
    auto result = std::make_shared<IndexLists>();
    m_indexThread = QThread::create([result, startDir, control = &m_indexControl] {
        try {
            auto works = std::make_shared<IndexedWorks>();
            const NameTally tally = NameTally::fromIndexSet(startDir, *control, works.get());
            for (int k = 0; k < NameKindCount; ++k)
                result->names[size_t(k)] = std::make_shared<const CompletionIndex>(tally.forms(NameKind(k)));
            result->works = std::move(works);
        } catch (...) {
            // No index set, an unreadable chunk or a stop: no lists, typing as before.
            *result = IndexLists();
        }
    });
    connect(m_indexThread, &QThread::finished, this, [this, result] {
        if (result->works)
            m_index = *result;
        m_indexThread->deleteLater();
        m_indexThread = nullptr;
    });
    m_indexThread->start(QThread::LowPriority);
}

void CheckFeatures::refreshDocumentLists()
{
    if (m_documentThread) {
        // The build under way reads lines that are gone; it is asked to stop
        // and a new one starts once it has.
        m_documentControl.requestStop();
        ++m_documentGeneration;
        return;
    }
    m_document = DocumentLists();
    m_recent = {};
    m_recentIndex = {};
    m_documentControl.reset();
    const int generation = ++m_documentGeneration;
    auto result = std::make_shared<DocumentLists>();
    const DatabaseDocument::Snapshot lines = m_main.document().snapshot();
    m_documentThread = QThread::create([result, lines, control = &m_documentControl] {
        try {
            const NameTally tally = NameTally::fromLines(lines, *control);
            for (int k = 0; k < NameKindCount; ++k)
                result->names[size_t(k)] = std::make_shared<const CompletionIndex>(tally.forms(NameKind(k)));
            auto keys = std::make_shared<DocumentKeys>();
            keys->build(lines, *control);
            result->keys = std::move(keys);
        } catch (...) {
            *result = DocumentLists();
        }
    });
    connect(m_documentThread, &QThread::finished, this, [this, result, generation] {
        m_documentThread->deleteLater();
        m_documentThread = nullptr;
        if (generation == m_documentGeneration && result->keys)
            m_document = *result;
        else
            refreshDocumentLists();
    });
    m_documentThread->start(QThread::LowPriority);
}

void CheckFeatures::lineChanged(int index, int change)
{
    const auto kind = EditingSession::LineChange(change);
    if (m_documentThread) {
        // The keys being built miss this change: build them again.
        ++m_documentGeneration;
        return;
    }
    DocumentKeys* keys = m_document.keys.get();
    if (!keys)
        return;
    const DatabaseDocument& document = m_main.document();
    switch (kind) {
    case EditingSession::LineChange::Inserted:
        keys->inserted(index, document.line(index));
        break;
    case EditingSession::LineChange::Removed:
        keys->removed(index);
        break;
    case EditingSession::LineChange::Replaced:
        keys->replaced(index, document.line(index));
        break;
    }
}

void CheckFeatures::checkSavedRecord(int index)
{
    const DatabaseDocument& document = m_main.document();
    if (index < 0 || index >= document.lineCount()) {
        m_notice->clearFindings();
        return;
    }
    const QStringView line = document.line(index);
    const DocumentKeys noKeys;
    std::vector<Finding> findings = DatabaseCheck::duplicatesOf(
        document, index, m_document.keys ? *m_document.keys : noKeys, m_index.works.get());
    for (Finding& finding : checkerFor(m_main.editor().session()).check(RecordLine::split(line)))
        findings.push_back(std::move(finding));
    m_notice->showFindings(RecordSchema::listedName(line), findings,
                           [&document](int other) { return RecordSchema::listedName(document.line(other)); });
    noteRecentNames(index);
}

void CheckFeatures::noteRecentNames(int index)
{
    NameTally tally;
    tally.addRecord(m_main.document().line(index), -1);
    for (int k = 0; k < NameKindCount; ++k) {
        bool added = false;
        for (const NameForm& form : tally.forms(NameKind(k))) {
            if (!m_recent[size_t(k)].contains(form.text)) {
                m_recent[size_t(k)].append(form.text);
                added = true;
            }
        }
        if (!added)
            continue;
        std::vector<NameForm> forms;
        for (const QString& text : std::as_const(m_recent[size_t(k)]))
            forms.push_back({text, 1, {}});
        m_recentIndex[size_t(k)] = std::make_shared<const CompletionIndex>(forms);
    }
}

void CheckFeatures::showDocumentRecord(int index)
{
    if (index >= 0 && index < m_main.document().lineCount())
        m_main.editor().goToRecord(index);
}

void CheckFeatures::showIndexedRecord(const QString& recordName)
{
    if (m_main.browsePage()->openRecord(recordName, -1))
        m_main.showPage(MainWindow::BrowsePageIndex);
}

void CheckFeatures::waitForLists()
{
    while (!listsReady())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void CheckFeatures::openCheckReport()
{
    if (m_main.mode() == EditingSession::Mode::AwaitingDatabase) {
        UserDialogs::instance().inform(&m_main, QStringLiteral("Nincs megnyitott adatbázis."));
        return;
    }
    if (!m_report) {
        m_report = new CheckReportDialog(&m_main);
        connect(m_report, &CheckReportDialog::recordRequested, this, &CheckFeatures::showDocumentRecord);
    }
    m_report->show();
    m_report->raise();
    m_report->run(m_main.document().snapshot(), checkerFor(m_main.editor().session()), m_index.works.get());
}

void CheckFeatures::openVariants()
{
    if (!m_variants) {
        m_variants = new NameVariantsDialog(m_main.editor().session(), &m_main);
        connect(m_variants, &NameVariantsDialog::linesReplaced, &m_main.editor(),
                &RecordEditor::followReplacedRecords);
    }
    m_variants->setStartDir(m_main.startDir());
    m_variants->forgetIndex();
    m_variants->show();
    m_variants->raise();
    m_variants->search();
}

void CheckFeatures::openReplace()
{
    if (!m_replace) {
        m_replace = new BatchReplaceDialog(m_main.editor().session(), &m_main);
        connect(m_replace, &BatchReplaceDialog::linesReplaced, &m_main.editor(),
                &RecordEditor::followReplacedRecords);
    }
    QSet<QString> hits;
    if (const HitsPage* page = m_main.hitsPage()) {
        const ByteStringList& names = page->hitNames();
        for (qsizetype i = 0; i < names.size(); ++i)
            hits.insert(Win1250::toUnicode(names.at(i)));
    }
    m_replace->setLastHits(hits);
    m_replace->show();
    m_replace->raise();
}
