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

// Proofreads a whole database: every checked field of every record in the
// dictionary of the record's language. Each unknown word is listed once per
// language, with the records that hold it, most widespread first.
//
// The records are read in two halves side by side, the distinct words then
// checked on both threads against the shared dictionaries: a database holds
// far fewer distinct words than words, so each is judged once.
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
    };

    struct Word
    {
        QString word;
        QString language;   // as the records name it ("magyar"; an empty language reads as its dictionary's)
        QList<int> records; // line indexes, ascending
        // Every record that holds it was published before the old-spelling year.
        bool oldSpelling = false;
        // Records of the index set that use the word, -1 without an index set.
        int indexSetRecords = -1;
        int count() const { return int(records.size()); }
    };

    struct Result
    {
        std::vector<Word> words;
        // Languages whose records were left unchecked, with their record counts.
        QList<std::pair<QString, int>> uncheckedLanguages;
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
