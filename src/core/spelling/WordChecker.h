#pragma once

#include "core/spelling/Dictionaries.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringView>

class WordList;

// Judges the words of one field as it is typed. A keystroke changes one word
// of a title, so the dictionary's verdicts are remembered and only the new
// word costs a look-up: with the Hungarian dictionary a look-up takes up to
// a tenth of a millisecond, a remembered one next to nothing. The folder's
// word list and the words skipped for this session are asked first, so
// adding a word needs no forgetting. One thread only (the window's).
class WordChecker final
{
public:
    WordChecker() = default;
    WordChecker(Dictionaries::Engine engine, const WordList* accepted, const QSet<QString>* skipped)
        : m_engine(std::move(engine)), m_accepted(accepted), m_skipped(skipped)
    {
    }

    bool hasDictionary() const { return bool(m_engine); }
    const Dictionaries::Engine& engine() const { return m_engine; }
    // True without a dictionary: nothing is flagged then.
    bool isKnown(QStringView word);

private:
    static constexpr qsizetype MaxRemembered = 50000;

    Dictionaries::Engine m_engine;
    const WordList* m_accepted = nullptr;
    const QSet<QString>* m_skipped = nullptr;
    QHash<QString, bool> m_verdicts;
};
