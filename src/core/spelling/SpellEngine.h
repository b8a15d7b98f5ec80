#pragma once

#include <QChar>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

// One loaded dictionary, as the rest of the program sees it: is a word
// known, and what might have been meant. The engine behind it is chosen in
// one place (SpellEngine::load), so changing it touches no caller.
//
// isCorrect() and suggestions() may be called from several threads at once:
// the whole-database run shares one loaded dictionary between its workers.
class SpellEngine
{
public:
    virtual ~SpellEngine() = default;

    virtual bool isCorrect(QStringView word) const = 0;
    // At most `limit` candidates, the likeliest first.
    virtual QStringList suggestions(QStringView word, int limit) const = 0;

    // The script the dictionary's language is written in. A word in another
    // script (a Greek word in a Hungarian title) is a foreign word, not a
    // typo, and is not judged by this dictionary at all.
    QChar::Script script() const { return m_script; }
    bool judges(QStringView word) const;
    // The dictionary's file name without its extension ("hu_HU").
    const QString& name() const { return m_name; }
    // The lower-case letters of the language, in the order a typo most likely
    // puts them: what single-edit suggestions try.
    const QString& letters() const { return m_letters; }
    // Whether every letter of `word` is one of the language's own ("ø" is no
    // Hungarian letter, so "Bøger" is a foreign word, not a typo).
    bool hasOwnLettersOnly(QStringView word) const;
    // Whether `lowered` (in lower case) is one of the stems the dictionary
    // lists; the forms it accepts by compounding are not. A suggestion whose
    // edit falls inside a long listed stem is far likelier the meant word
    // than one made of odd compound parts ("könyvtártörtéínt").
    bool isListedStem(const QString& lowered) const { return m_stems.contains(lowered); }

    // Loads the dictionary whose affix file is `affPath` (its word file lies
    // beside it with the extension .dic). Throws NorlaError with a message
    // for the user when either file cannot be read or understood.
    static std::unique_ptr<SpellEngine> load(const QString& affPath);

    // The script of a dictionary by its name ("el_GR" Greek, "ru_RU" Cyrillic, …).
    static QChar::Script scriptOfDictionary(const QString& name);

protected:
    SpellEngine(QChar::Script script, QString name, QString letters);
    void setStems(QSet<QString> stems) { m_stems = std::move(stems); }
    Q_DISABLE_COPY_MOVE(SpellEngine)

private:
    QChar::Script m_script;
    QString m_name;
    QString m_letters;
    // The letters of the language's own alphabet; empty when not known, and
    // then no word is taken for foreign by its letters.
    QString m_ownLetters;
    QSet<QString> m_stems;
};
