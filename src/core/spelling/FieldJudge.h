#pragma once

#include "core/spelling/Dictionaries.h"
#include "core/spelling/SpellingLexicon.h"
#include "core/spelling/WordScanner.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class SpellingLanguages;
class WordList;

// Decides which words of one field are reported, and as what. The record's
// language says what the described work is in, not what its title is typed
// in: a "német" record may have a Hungarian title, a Hungarian one a Latin
// title, a Danish quotation or a German subtitle. So every part of a field
// (the text between colons, full stops, brackets, quotation marks and
// dashes) is judged in the installed language whose dictionary knows most of
// its words, the record's own language winning a tie; a part most of whose
// words are Latin, or that no dictionary fits, is not judged at all.
//
// Within the chosen language a word is not reported when it is
// - in the folder's word list or skipped for the session;
// - a listed abbreviation or siglum ("szerk.", "MKsz");
// - a known name's word, or written with a capital and either right beside
//   a name ("Somlyai Dénes") or with no dictionary word one edit from it (a
//   name, far likelier than a typo);
// - a word of another installed language or a Latin word (a quotation),
//   or written with letters the language does not have ("Ærø");
// A mistyped abbreviation ("Bbiliogr.", one edit from a listed one) is
// reported too, though no dictionary judges abbreviations. And a reported
// word of a record older than the old-spelling year is an
// old form when an old-spelling rule makes a dictionary word of it.
//
// It remembers the dictionaries' verdicts, so it is meant for one thread.
class FieldJudge final
{
public:
    // A language a field may be in: its name as the records write it and its loaded dictionary.
    struct Language
    {
        QString name;
        Dictionaries::Engine engine;
    };
    using Languages = std::vector<Language>;

    struct Finding
    {
        WordScanner::Span span;
        int language = 0; // in the Languages given
        bool oldForm = false;
    };

    struct Verdict
    {
        std::vector<Finding> findings;
        // Some part of the field was Latin, or in no installed language.
        bool latin = false;
        bool unrecognised = false;
    };

    explicit FieldJudge(const SpellingLexicon& lexicon, const WordList* accepted = nullptr,
                        const QSet<QString>* skipped = nullptr);

    // The languages a field of a record in `recordLanguage` may be in, in the
    // order they win ties: the record's own (when it has a dictionary), then
    // Hungarian, German and English, each when installed.
    static QStringList candidateLanguages(const SpellingLanguages& languages, const QString& recordLanguage);

    Verdict judge(QStringView text, const Languages& languages, bool oldRecord);

    const SpellingLexicon& lexicon() const { return m_lexicon; }

private:
    struct Word;
    enum Choice : int
    {
        Latin = -1,
        Unrecognised = -2,
    };

    bool isKnown(const SpellEngine& engine, QStringView word);
    bool hasNearWord(const SpellEngine& engine, QStringView word);
    bool isOldForm(const SpellEngine& engine, QStringView word);
    int choose(const std::vector<const Word*>& words, const Languages& languages);
    void findMistypedAbbreviations(QStringView text, const Languages& languages,
                                   const QSet<qsizetype>& scannedWords, Verdict& verdict);
    bool besideGivenName(QStringView text, const std::vector<Word>& words, const Word* word,
                         const SpellEngine& engine);

    const SpellingLexicon& m_lexicon;
    const WordList* m_accepted;
    const QSet<QString>* m_skipped;
    QHash<const SpellEngine*, QHash<QString, bool>> m_known;
    QHash<const SpellEngine*, QHash<QString, bool>> m_near;
    QHash<const SpellEngine*, QHash<QString, bool>> m_old;
    qsizetype m_remembered = 0;
};
