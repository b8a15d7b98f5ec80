#pragma once

#include "core/spelling/SpellEngine.h"
#include "core/spelling/SpellingLanguages.h"

#include <QHash>
#include <QString>

#include <memory>
#include <mutex>

// The dictionaries loaded so far, by dictionary name, shared by everything
// that proofreads in this process: loading the Hungarian one takes a good
// part of a second and some twenty megabytes, so it happens once. Safe to
// use from several threads; a load runs outside the lock, so asking for an
// already loaded dictionary never waits for another one loading.
class Dictionaries final
{
    Q_DISABLE_COPY_MOVE(Dictionaries)

public:
    using Engine = std::shared_ptr<const SpellEngine>;

    explicit Dictionaries(SpellingLanguages languages = {});

    const SpellingLanguages& languages() const { return m_languages; }

    // The dictionary of a record's language, loaded now when needed; null
    // when the language has none installed, or its files could not be read
    // (the reason is in loadError()).
    Engine forLanguage(const QString& language);
    // The same, but only when it is already loaded: never waits for a load.
    Engine loadedForLanguage(const QString& language) const;
    bool hasDictionary(const QString& language) const { return !m_languages.affixPath(language).isEmpty(); }
    QString loadError(const QString& language) const;

private:
    struct Slot
    {
        Engine engine;
        QString error;
        bool tried = false;
    };

    SpellingLanguages m_languages;
    mutable std::mutex m_mutex;
    QHash<QString, Slot> m_byPath;
};
