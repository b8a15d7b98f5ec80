#pragma once

#include "core/job/JobControl.h"
#include "core/spelling/WordList.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <utility>
#include <vector>

class Dictionaries;
class SpellingLexicon;

// Proofreads a whole database: every checked field of every record, each
// part of a field in the installed language its words fit (see FieldJudge).
// Each reported word is listed once per language, with the records that
// hold it, most widespread first. A capitalised word that a name of the
// database's own creators, publishers or places holds, or a publication
// that more than one record names, is not reported.
//
// The records are read in two halves side by side, each half with a judge
// of its own that remembers the dictionaries' verdicts: a database holds far
// fewer distinct words than words, so most words cost one look-up a thread.
class Proofreader final
{
public:
    struct Options
    {
        int oldSpellingBefore = 1922;
        // The working folder whose index set (adatb*.ztf) gives each unknown
        // word's record count there; empty for none.
        QString indexFolder;
        int threads = 2;
        // The abbreviations, Latin words, old-spelling rules and names; the
        // shipped tables when none is given.
        const SpellingLexicon* lexicon = nullptr;
    };

    struct Word
    {
        QString word;
        QString language;   // as the records name it ("magyar"; an empty language reads as its dictionary's)
        QList<int> records; // line indexes, ascending
        // Every record that holds it was published before the old-spelling
        // year, and an old-spelling rule makes a dictionary word of it.
        bool oldSpelling = false;
        // Records of the index set that use the word, -1 without an index set.
        int indexSetRecords = -1;
        int count() const { return int(records.size()); }
    };

    struct Result
    {
        std::vector<Word> words;
        // Languages without a dictionary ("latin", or the record's own when no
        // installed dictionary fits its text either), with the number of
        // records where text in them was left unchecked.
        QList<std::pair<QString, int>> uncheckedLanguages;
        // Records with text that no installed dictionary fits (a Danish title
        // in a Hungarian record), left unchecked.
        int unrecognisedRecords = 0;
        // Dictionaries that are installed but could not be loaded.
        QStringList dictionaryErrors;
        int checkedRecords = 0;
    };

    using LineAt = std::function<QStringView(int index)>;

    Proofreader(Dictionaries& dictionaries, const WordList& accepted, Options options);

    // `lineAt` is called from the worker threads, so it must be safe to call
    // concurrently (a DatabaseDocument::Snapshot is). Reports its progress to
    // `job` and stops with OperationCancelled when the job asks.
    Result run(int lineCount, const LineAt& lineAt, JobControl& job) const;

    // How many records of the folder's index set use each of `words`.
    static QHash<QString, int> indexSetCounts(const QString& folder, const QSet<QString>& words, int threads,
                                              const JobControl& job = JobControl::none());

private:
    Dictionaries& m_dictionaries;
    const WordList& m_accepted;
    Options m_options;
};
