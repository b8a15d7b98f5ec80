#include "core/spelling/Proofreader.h"

#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/search/SearchEngine.h"
#include "core/spelling/Dictionaries.h"
#include "core/spelling/FieldJudge.h"
#include "core/spelling/SpellingLexicon.h"
#include "core/spelling/TextSpelling.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// How often a worker asks whether to stop and reports progress.
constexpr int ProgressEvery = 256;
// Records that must name a publication before its words count as names.
constexpr int MinPublicationRecords = 2;

struct Occurrences
{
    QList<int> records;
    bool allOld = true;
};

// language -> word -> the records where it was reported.
using WordTable = QHash<QString, QHash<QString, Occurrences>>;

// What one worker gathers from its share of the records.
struct Gathered
{
    WordTable words;
    QHash<QString, int> unchecked; // language -> records
    int unrecognised = 0;
    QStringList names;                // of the records' creators, publishers and places
    QHash<QString, int> publications; // record counts
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

// How the list names a record's language: as nyelv.zda writes it, an empty
// one as the Hungarian it is read in.
QString shownLanguage(const QString& language)
{
    const QString normalized = SpellingLanguages::normalized(language);
    return normalized.isEmpty() ? QStringLiteral("magyar") : normalized;
}

void addNamesOf(const QStringList& fields, QStringList& names)
{
    for (Field field : {Field::Creator1, Field::Creator2, Field::Creator3, Field::Creator4}) {
        const QString& creator = RecordSchema::value(fields, field);
        if (creator.size() > 2)
            names.append(creator.mid(2)); // after the role code
    }
    for (Field field : {Field::Publisher, Field::Place})
        if (!RecordSchema::value(fields, field).isEmpty())
            names.append(RecordSchema::value(fields, field));
}

} // namespace

Proofreader::Proofreader(Dictionaries& dictionaries, const WordList& accepted, Options options)
    : m_dictionaries(dictionaries), m_accepted(accepted), m_options(std::move(options))
{
}

Proofreader::Result Proofreader::run(int lineCount, const LineAt& lineAt, JobControl& job) const
{
    const int threads = std::clamp(m_options.threads, 1, 16);
    const qint64 total = qMax(lineCount, 1);
    std::atomic<qint64> recordsDone{0};
    job.setProgress(0, total);
    static const SpellingLexicon shipped = SpellingLexicon::builtIn();
    const SpellingLexicon& lexicon = m_options.lexicon ? *m_options.lexicon : shipped;

    std::vector<Gathered> gathered(static_cast<size_t>(threads));
    const SpellingLanguages& languages = m_dictionaries.languages();
    // The languages every field may be in are loaded here, once, rather than
    // by both workers at the same moment.
    for (const QString& name : FieldJudge::candidateLanguages(languages, QString()))
        m_dictionaries.forLanguage(name);
    std::mutex errorsMutex;
    QStringList dictionaryErrors;
    onThreads(threads, [&](int t) {
        Gathered& mine = gathered[size_t(t)];
        FieldJudge judge(lexicon, &m_accepted);
        // The languages of each record language, looked up once: the file look-up is the costly part.
        QHash<QString, std::pair<FieldJudge::Languages, bool>> languagesOf;
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
            auto known = languagesOf.constFind(language);
            if (known == languagesOf.cend()) {
                FieldJudge::Languages candidates;
                for (const QString& name : FieldJudge::candidateLanguages(languages, language)) {
                    if (Dictionaries::Engine engine = m_dictionaries.forLanguage(name)) {
                        candidates.push_back({name, engine});
                    } else {
                        const std::lock_guard guard(errorsMutex);
                        const QString error = m_dictionaries.loadError(name);
                        if (!error.isEmpty() && !dictionaryErrors.contains(error))
                            dictionaryErrors.append(error);
                    }
                }
                known = languagesOf.insert(language, {candidates, languages.affixPath(language).isEmpty()});
            }
            const FieldJudge::Languages& candidates = known->first;
            const bool withoutDictionary = known->second;
            addNamesOf(fields, mine.names);
            if (const QString& publication = RecordSchema::value(fields, Field::Publication);
                !publication.isEmpty())
                ++mine.publications[publication];
            if (candidates.empty()) {
                ++mine.unchecked[shownLanguage(language)];
                recordsDone.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            ++mine.checkedRecords;
            const bool old = TextSpelling::isOldSpelling(RecordSchema::value(fields, Field::Year),
                                                         m_options.oldSpellingBefore);
            bool latin = false;
            bool unrecognised = false;
            QSet<std::pair<QString, QString>> reported; // a word once per record
            for (Field field : TextSpelling::CheckedFields) {
                const QString& text = RecordSchema::value(fields, field);
                if (text.isEmpty())
                    continue;
                const FieldJudge::Verdict verdict = judge.judge(text, candidates, old);
                latin = latin || verdict.latin;
                unrecognised = unrecognised || verdict.unrecognised;
                for (const FieldJudge::Finding& finding : verdict.findings) {
                    const QString& shown = candidates[size_t(finding.language)].name;
                    QString word = text.sliced(finding.span.start, finding.span.length);
                    Occurrences& occurrences = mine.words[shown][word];
                    if (!reported.contains({shown, word})) {
                        occurrences.records.append(i);
                        reported.insert({shown, std::move(word)});
                    }
                    occurrences.allOld = occurrences.allOld && finding.oldForm;
                }
            }
            if (latin)
                ++mine.unchecked[QStringLiteral("latin")];
            if (unrecognised) {
                if (withoutDictionary)
                    ++mine.unchecked[shownLanguage(language)];
                else
                    ++mine.unrecognised;
            }
            recordsDone.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // The halves joined in record order, so every record list stays ascending.
    Gathered all = std::move(gathered[0]);
    for (size_t t = 1; t < gathered.size(); ++t) {
        Gathered& part = gathered[t];
        all.checkedRecords += part.checkedRecords;
        all.unrecognised += part.unrecognised;
        all.names += part.names;
        for (auto it = part.publications.cbegin(); it != part.publications.cend(); ++it)
            all.publications[it.key()] += it.value();
        for (auto it = part.unchecked.cbegin(); it != part.unchecked.cend(); ++it)
            all.unchecked[it.key()] += it.value();
        for (auto language = part.words.begin(); language != part.words.end(); ++language) {
            auto& into = all.words[language.key()];
            for (auto word = language->begin(); word != language->end(); ++word) {
                Occurrences& target = into[word.key()];
                target.records += word->records;
                target.allOld = target.allOld && word->allOld;
            }
        }
    }

    Result result;
    result.checkedRecords = all.checkedRecords;
    result.unrecognisedRecords = all.unrecognised;
    result.dictionaryErrors = dictionaryErrors;
    for (auto it = all.unchecked.cbegin(); it != all.unchecked.cend(); ++it)
        result.uncheckedLanguages.append({it.key(), it.value()});
    std::sort(result.uncheckedLanguages.begin(), result.uncheckedLanguages.end());

    SpellingLexicon ownNames;
    // A journal or series that several records name ("Tiszatáj",
    // "Ethnographia") is a title, its words names; a typo in one record's
    // copy of it stays unknown.
    for (auto it = all.publications.cbegin(); it != all.publications.cend(); ++it)
        if (it.value() >= MinPublicationRecords)
            all.names.append(it.key());
    all.names.removeDuplicates();
    ownNames.addNames(all.names);
    QSet<QString> unknownWords;
    for (auto language = all.words.cbegin(); language != all.words.cend(); ++language) {
        for (auto it = language->cbegin(); it != language->cend(); ++it) {
            if (ownNames.isName(it.key()))
                continue;
            Word word;
            word.word = it.key();
            word.language = language.key();
            word.records = it->records;
            word.oldSpelling = it->allOld;
            result.words.push_back(std::move(word));
            unknownWords.insert(it.key());
        }
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
