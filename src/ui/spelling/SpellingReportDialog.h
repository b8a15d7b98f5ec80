#pragma once

#include "core/spelling/Proofreader.h"
#include "ui/common/BackgroundJob.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPersistentModelIndex>

#include <optional>

class EditingSession;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SpellingService;

// "Helyesírás-ellenőrzés": proofreads the open database in its records'
// languages and lists every unknown word once, most frequent first, with
// how many records of the index set use it, a suggestion and the records
// that hold it; the words of records older than the old-spelling year are
// listed apart as "régi alak?". From the list the user jumps to a record,
// adds the selected words to the folder's word list, or replaces a word in
// every record that holds it (one step of the undo history). The replacement
// never starts filled in: the user types it or picks one of the word's
// suggestions, and confirms the number of records it changes.
class SpellingReportDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpellingReportDialog)

public:
    SpellingReportDialog(EditingSession& session, SpellingService& service, QWidget* parent = nullptr);
    ~SpellingReportDialog() override;

    // Proofreads the document as it stands now; returns when the run ended
    // (the window repaints meanwhile and "Mégsem" stops it).
    void runCheck();
    const std::optional<Proofreader::Result>& result() const { return m_result; }

Q_SIGNALS:
    // The user asked to see record `index` of the document.
    void showRecordRequested(int index);
    // Lines of the document were replaced (or put back by the caller's undo).
    void recordsReplaced(const QList<int>& indexes);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void showResult();
    void showWord(QTreeWidgetItem* item);
    void acceptSelected();
    void replaceEverywhere();
    void jumpToRecord();
    void startSuggestions();
    void stopSuggestions();
    void showSuggestions(int run, int row, int word, const QStringList& suggestions);
    void showSuggestionsOf(int word);
    const Proofreader::Word* wordOf(const QTreeWidgetItem* item) const;

    EditingSession& m_session;
    SpellingService& m_service;
    BackgroundJob* m_job = nullptr;
    QTreeWidget* m_words = nullptr;
    QListWidget* m_records = nullptr;
    QListWidget* m_suggestions = nullptr;
    QLineEdit* m_replacement = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_jumpButton = nullptr;
    QPushButton* m_acceptButton = nullptr;
    QPushButton* m_replaceButton = nullptr;
    std::optional<Proofreader::Result> m_result;
    // Suggestions are found one word after the other on a thread of their
    // own (one can take a tenth of a second) and fill the list as they come.
    BackgroundJob m_suggester;
    int m_suggestionRun = 0;
    QList<QPersistentModelIndex> m_suggestionRows;
    QHash<int, QStringList> m_suggestionsOfWord; // by index into the result's words
};
