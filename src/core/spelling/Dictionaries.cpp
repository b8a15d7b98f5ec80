#include "core/spelling/Dictionaries.h"

#include "core/record/NorlaError.h"

Dictionaries::Dictionaries(SpellingLanguages languages) : m_languages(std::move(languages)) {}

Dictionaries::Engine Dictionaries::loadedForLanguage(const QString& language) const
{
    const QString path = m_languages.affixPath(language);
    if (path.isEmpty())
        return {};
    const std::lock_guard guard(m_mutex);
    return m_byPath.value(path).engine;
}

QString Dictionaries::loadError(const QString& language) const
{
    const std::lock_guard guard(m_mutex);
    return m_byPath.value(m_languages.affixPath(language)).error;
}

Dictionaries::Engine Dictionaries::forLanguage(const QString& language)
{
    const QString path = m_languages.affixPath(language);
    if (path.isEmpty())
        return {};
    {
        const std::lock_guard guard(m_mutex);
        const Slot slot = m_byPath.value(path);
        if (slot.tried)
            return slot.engine;
    }
    Slot loaded;
    loaded.tried = true;
    try {
        loaded.engine = SpellEngine::load(path);
    } catch (const NorlaError& error) {
        loaded.error = error.message();
    }
    const std::lock_guard guard(m_mutex);
    // Two threads may have loaded the same dictionary at once; the first one kept wins.
    Slot& slot = m_byPath[path];
    if (!slot.tried)
        slot = loaded;
    return slot.engine;
}
