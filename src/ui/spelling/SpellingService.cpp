#include "ui/spelling/SpellingService.h"

#include "core/record/NorlaError.h"
#include "core/spelling/SpellingSettings.h"

namespace {

std::shared_ptr<Dictionaries> dictionariesOf(const SpellingSettings& settings)
{
    SpellingLanguages languages;
    settings.applyTo(languages);
    return std::make_shared<Dictionaries>(languages);
}

} // namespace

SpellingService::SpellingService(const QString& folder, QObject* parent)
    : SpellingService(folder, dictionariesOf(SpellingSettings::read(folder)), parent)
{
}

SpellingService::SpellingService(const QString& folder, std::shared_ptr<Dictionaries> dictionaries,
                                 QObject* parent)
    : QObject(parent), m_folder(folder), m_dictionaries(std::move(dictionaries)),
      m_words(WordList::ofFolder(folder)), m_lexicon(SpellingLexicon::ofFolder(folder)),
      m_oldSpellingBefore(SpellingSettings::read(folder).oldSpellingBefore)
{
    // One dictionary at a time: two loads at once would only share the disk.
    m_loader.setMaxThreadCount(1);
    try {
        m_words.reload();
    } catch (const NorlaError&) {
        // An unreadable list accepts nothing; adding a word reports the file.
    }
}

SpellingService::~SpellingService()
{
    waitForLoads();
}

void SpellingService::waitForLoads()
{
    m_loader.waitForDone();
}

Dictionaries::Engine SpellingService::engineFor(const QString& language)
{
    if (Dictionaries::Engine engine = m_dictionaries->loadedForLanguage(language))
        return engine;
    const QString path = m_dictionaries->languages().affixPath(language);
    if (path.isEmpty() || m_loading.contains(path))
        return {};
    m_loading.insert(path);
    // The service outlives the task: its destructor waits for the pool.
    m_loader.start([this, dictionaries = m_dictionaries, language] {
        dictionaries->forLanguage(language);
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT dictionaryLoaded(); }, Qt::QueuedConnection);
    });
    return {};
}

std::optional<FieldJudge::Languages> SpellingService::languagesFor(const QString& language)
{
    FieldJudge::Languages languages;
    bool ready = true;
    for (const QString& name : FieldJudge::candidateLanguages(m_dictionaries->languages(), language)) {
        if (Dictionaries::Engine engine = engineFor(name))
            languages.push_back({name, engine});
        else if (m_dictionaries->loadError(name).isEmpty())
            ready = false; // still loading
    }
    if (!ready)
        return std::nullopt;
    return languages;
}

void SpellingService::reloadLexicon()
{
    m_lexicon = SpellingLexicon::ofFolder(m_folder);
}

void SpellingService::acceptWords(const QStringList& words)
{
    m_words.add(words);
    Q_EMIT wordsChanged();
}

void SpellingService::skipWord(const QString& word)
{
    m_skipped.insert(word);
    Q_EMIT wordsChanged();
}
