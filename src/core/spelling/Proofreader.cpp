#include "core/spelling/Proofreader.h"

#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/search/SearchEngine.h"
#include "core/spelling/Dictionaries.h"
#include "core/spelling/TextSpelling.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace {

// How often a worker asks whether to stop and reports progress.
constexpr int ProgressEvery = 256;

struct Occurrences
{
    QList<int> records;
    bool allOld = true;
};

// The words of one dictionary: word -> the records holding it.
using WordTable = QHash<QString, Occurrences>;

// What one worker gathers from its share of the records.
struct Gathered
{
    QHash<QString, WordTable> byDictionary; // dictionary path -> words
    QHash<QString, QString> languageOfDictionary;
    QHash<QString, int> unchecked; // language -> records
    int checkedRecords = 0;
};

// Runs work(0 … threads-1) each on its own thread; the first exception of a
// worker (a stop, say) comes out here once all have ended.
template <typename Work> void onThreads(int threads, Work work)
{
    std::vector<std::exception_ptr> errors(static_cast<size_t>(threads));
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back([&, t] {
            try {
                work(t);
            } catch (...) {
                errors[size_t(t)] = std::current_exception();
            }
        });
    try {
        work(0);
    } catch (...) {
        errors[0] = std::current_exception();
    }
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

// The distinct words of a record's checked fields, each once.
QSet<QString> recordWords(const QStringList& fields)
{
    QSet<QString> words;
    for (Field field : TextSpelling::CheckedFields) {
        const QString& text = RecordSchema::value(fields, field);
        for (const WordScanner::Span& span : WordScanner::words(text))
            words.insert(text.sliced(span.start, span.length));
    }
    return words;
}

// How the list names a language: as nyelv.zda writes it, an empty one as
// the Hungarian it is read in.
QString shownLanguage(const QString& language)
{
    const QString normalized = SpellingLanguages::normalized(language);
    return normalized.isEmpty() ? QStringLiteral("magyar") : normalized;
}

} // namespace

Proofreader::Proofreader(Dictionaries& dictionaries, const WordList& accepted, Options options)
    : m_dictionaries(dictionaries), m_accepted(accepted), m_options(std::move(options))
{
}

Proofreader::Result Proofreader::run(int lineCount, const LineAt& lineAt, JobControl& job) const
{
    const int threads = std::clamp(m_options.threads, 1, 16);
    // Progress: the records first, then the distinct words, in equal halves.
    const qint64 total = 2 * qint64(qMax(lineCount, 1));
    std::atomic<qint64> recordsDone{0};
    job.setProgress(0, total);

    std::vector<Gathered> gathered(static_cast<size_t>(threads));
    const SpellingLanguages& languages = m_dictionaries.languages();
    onThreads(threads, [&](int t) {
        Gathered& mine = gathered[size_t(t)];
        QHash<QString, QString> pathOfLanguage; // the file look-up is the costly part
        const int first = int(qint64(lineCount) * t / threads);
        const int last = int(qint64(lineCount) * (t + 1) / threads);
        for (int i = first; i < last; ++i) {
            if ((i - first) % ProgressEvery == 0) {
                job.throwIfStopped();
                if (t == 0)
                    job.setProgress(recordsDone.load(), total);
            }
            const QStringView line = lineAt(i);
            const QStringList fields =
                RecordLine::split(line.first(qMin(line.size(), qsizetype(RecordLine::MaxReadLength))));
            const QString& language = RecordSchema::value(fields, Field::Language);
            auto known = pathOfLanguage.constFind(language);
            if (known == pathOfLanguage.cend())
                known = pathOfLanguage.insert(language, languages.affixPath(language));
            if (known->isEmpty()) {
                ++mine.unchecked[SpellingLanguages::normalized(language)];
                recordsDone.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            ++mine.checkedRecords;
            if (!mine.languageOfDictionary.contains(*known))
                mine.languageOfDictionary.insert(*known, shownLanguage(language));
            const bool old = TextSpelling::isOldSpelling(RecordSchema::value(fields, Field::Year),
                                                         m_options.oldSpellingBefore);
            WordTable& table = mine.byDictionary[*known];
            for (const QString& word : recordWords(fields)) {
                Occurrences& occurrences = table[word];
                occurrences.records.append(i);
                occurrences.allOld = occurrences.allOld && old;
            }
            recordsDone.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // The halves joined in record order, so every record list stays ascending.
    Gathered all = std::move(gathered[0]);
    for (size_t t = 1; t < gathered.size(); ++t) {
        Gathered& part = gathered[t];
        all.checkedRecords += part.checkedRecords;
        for (auto it = part.unchecked.cbegin(); it != part.unchecked.cend(); ++it)
            all.unchecked[it.key()] += it.value();
        for (auto it = part.languageOfDictionary.cbegin(); it != part.languageOfDictionary.cend(); ++it)
            if (!all.languageOfDictionary.contains(it.key()))
                all.languageOfDictionary.insert(it.key(), it.value());
        for (auto dict = part.byDictionary.begin(); dict != part.byDictionary.end(); ++dict) {
            WordTable& into = all.byDictionary[dict.key()];
            for (auto word = dict->begin(); word != dict->end(); ++word) {
                Occurrences& target = into[word.key()];
                target.records += word->records;
                target.allOld = target.allOld && word->allOld;
            }
        }
    }

    Result result;
    result.checkedRecords = all.checkedRecords;
    for (auto it = all.unchecked.cbegin(); it != all.unchecked.cend(); ++it)
        result.uncheckedLanguages.append({it.key(), it.value()});
    std::sort(result.uncheckedLanguages.begin(), result.uncheckedLanguages.end());

    // Every distinct word of every dictionary, judged once.
    struct Candidate
    {
        const QString* dictionaryPath;
        const QString* word;
        const Occurrences* occurrences;
        const SpellEngine* engine;
    };
    std::vector<Candidate> candidates;
    QHash<QString, Dictionaries::Engine> engines;
    for (auto dict = all.byDictionary.cbegin(); dict != all.byDictionary.cend(); ++dict) {
        const QString& language = all.languageOfDictionary.value(dict.key());
        Dictionaries::Engine engine = m_dictionaries.forLanguage(language);
        if (!engine) {
            result.dictionaryErrors.append(m_dictionaries.loadError(language));
            continue;
        }
        engines.insert(dict.key(), engine);
        for (auto word = dict->cbegin(); word != dict->cend(); ++word)
            candidates.push_back({&dict.key(), &word.key(), &word.value(), engine.get()});
    }
    job.throwIfStopped();

    std::vector<char> unknown(candidates.size(), 0);
    std::atomic<size_t> next{0};
    std::atomic<qint64> judged{0};
    onThreads(threads, [&](int t) {
        for (size_t i = next.fetch_add(1); i < candidates.size(); i = next.fetch_add(1)) {
            const Candidate& c = candidates[i];
            unknown[i] =
                c.engine->judges(*c.word) && !m_accepted.contains(*c.word) && !c.engine->isCorrect(*c.word);
            const qint64 done = judged.fetch_add(1, std::memory_order_relaxed) + 1;
            if (done % ProgressEvery == 0) {
                job.throwIfStopped();
                if (t == 0)
                    job.setProgress(qMax<qint64>(1, lineCount) +
                                        done * qMax(lineCount, 1) / qint64(candidates.size()),
                                    total);
            }
        }
    });

    QSet<QString> unknownWords;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (!unknown[i])
            continue;
        const Candidate& c = candidates[i];
        Word word;
        word.word = *c.word;
        word.language = all.languageOfDictionary.value(*c.dictionaryPath);
        word.records = c.occurrences->records;
        word.oldSpelling = c.occurrences->allOld;
        result.words.push_back(std::move(word));
        unknownWords.insert(*c.word);
    }

    if (!m_options.indexFolder.isEmpty()) {
        const QHash<QString, int> counts = indexSetCounts(m_options.indexFolder, unknownWords, threads, job);
        if (!SearchEngine::chunkFiles(m_options.indexFolder).isEmpty())
            for (Word& word : result.words)
                word.indexSetRecords = counts.value(word.word);
    }

    std::sort(result.words.begin(), result.words.end(), [](const Word& a, const Word& b) {
        if (a.count() != b.count())
            return a.count() > b.count();
        if (a.word != b.word)
            return a.word < b.word;
        return a.language < b.language;
    });
    job.setProgress(total, total);
    return result;
}

QHash<QString, int> Proofreader::indexSetCounts(const QString& folder, const QSet<QString>& words,
                                                int threads, const JobControl& job)
{
    QHash<QString, int> counts;
    if (words.isEmpty())
        return counts;
    const QStringList chunks = SearchEngine::chunkFiles(folder);
    threads = std::clamp(threads, 1, int(qMax<qsizetype>(1, chunks.size())));
    std::vector<QHash<QString, int>> partial(static_cast<size_t>(threads));
    std::atomic<qsizetype> next{0};
    onThreads(threads, [&](int t) {
        for (qsizetype c = next.fetch_add(1); c < chunks.size(); c = next.fetch_add(1)) {
            job.throwIfStopped();
            for (const QString& line : TextFile::readUnicode(chunks.at(c))) {
                for (const QString& word : recordWords(RecordLine::split(line)))
                    if (words.contains(word))
                        ++partial[size_t(t)][word];
            }
        }
    });
    for (const QHash<QString, int>& part : partial)
        for (auto it = part.cbegin(); it != part.cend(); ++it)
            counts[it.key()] += it.value();
    return counts;
}
