#pragma once

#include "core/check/CompletionIndex.h"
#include "core/check/DuplicateKeys.h"
#include "core/check/NameTally.h"
#include "core/job/JobControl.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <array>
#include <memory>

class BatchReplaceDialog;
class CheckNotice;
class CheckReportDialog;
class MainWindow;
class NameCompleter;
class NameVariantsDialog;
class QThread;

// The help the data-entry page gives with the records' consistency, wired
// onto the main window: names completed in the creator, publication,
// publisher and place fields; the checks after each F2 in a notice line; and
// the "Ellenőrzés...", "Névváltozatok..." and "Csere a rekordokban..."
// windows. The completion lists and the keys the duplicate check compares
// are built off the window's thread at start-up, after an index run and when
// a database opens; until they are ready, typing works as it always has.
class CheckFeatures final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CheckFeatures)

public:
    explicit CheckFeatures(MainWindow& main);
    ~CheckFeatures() override;

    // The entries a kind of name offers for `typed`.
    QStringList completions(NameKind kind, const QString& typed) const;
    // Waits for the list builds under way (for tests and the pictures).
    void waitForLists();
    bool listsReady() const { return !m_indexThread && !m_documentThread; }
    CheckNotice* notice() const { return m_notice; }
    const QList<NameCompleter*>& completers() const { return m_completers; }

private:
    struct IndexLists
    {
        std::array<std::shared_ptr<const CompletionIndex>, NameKindCount> names;
        std::shared_ptr<const IndexedWorks> works;
    };
    struct DocumentLists
    {
        std::array<std::shared_ptr<const CompletionIndex>, NameKindCount> names;
        std::shared_ptr<DocumentKeys> keys;
    };

    void attachCompleters();
    void addMenuEntries();
    void placeNotice();
    void refreshIndexLists();
    void refreshDocumentLists();
    void lineChanged(int index, int change);
    void checkSavedRecord(int index);
    void showDocumentRecord(int index);
    void showIndexedRecord(const QString& recordName);
    void noteRecentNames(int index);
    void openCheckReport();
    void openVariants();
    void openReplace();

    MainWindow& m_main;
    IndexLists m_index;
    DocumentLists m_document;
    std::array<QStringList, NameKindCount> m_recent;
    std::array<std::shared_ptr<const CompletionIndex>, NameKindCount> m_recentIndex;
    QDateTime m_indexTime;
    QThread* m_indexThread = nullptr;
    QThread* m_documentThread = nullptr;
    JobControl m_indexControl;
    JobControl m_documentControl;
    int m_documentGeneration = 0;
    QList<NameCompleter*> m_completers;
    CheckNotice* m_notice = nullptr;
    QPointer<CheckReportDialog> m_report;
    QPointer<NameVariantsDialog> m_variants;
    QPointer<BatchReplaceDialog> m_replace;
};
