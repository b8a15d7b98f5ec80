#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

// The word tables proofreading reads besides the dictionaries, each shipped
// with the program and extended by a file of the same name in the working
// folder (UTF-8, one entry a line, "#" starts a comment):
// - roviditesek.txt: bibliographic abbreviations and journal sigla
//   ("szerk.", "Különny.", "MKsz"), accepted as written;
// - latin_szavak.txt: common Latin words and endings, by which a Latin title
//   is recognised (no Latin dictionary exists to check it);
// - regi_iras.txt: the old-spelling rules ("cz" for "c"), by which an unknown
//   word of an old record is recognised as an old form;
// and the names of the index set's name lists (alkoto.zda, kiado.zda,
// megjhely.zda), whose words are accepted in titles.
class SpellingLexicon final
{
public:
    static const QString AbbreviationsFile;
    static const QString LatinWordsFile;
    static const QString OldSpellingFile;

    struct Rule
    {
        QString language; // dictionary language code ("hu"), "*" for every one
        QString oldForm;
        QString newForm;
    };

    // The shipped tables only.
    static SpellingLexicon builtIn();
    // The shipped tables, the folder's own files and its index set's names.
    // A missing or unreadable file adds nothing: proofreading goes on.
    static SpellingLexicon ofFolder(const QString& folder);

    // Adds the entries of one table's lines.
    void addAbbreviations(const QStringList& lines);
    void addLatinWords(const QStringList& lines);
    void addRules(const QStringList& lines);
    // Adds the words of names ("Pálfalvi Márton", "Akadémiai Kiadó").
    void addNames(const QStringList& names);
    void addNameWord(QStringView word);

    // `word` is a listed abbreviation or siglum; `fullStop` says a full stop
    // follows it in the text. A lower-case entry also takes a capital first
    // letter, and a siglum its suffix after a hyphen ("MKsz-ben").
    bool isAbbreviation(QStringView word, bool fullStop) const;
    // `word` (before a full stop) is no listed abbreviation, but one edit
    // from a listed one of four or more letters: "Bbiliogr." for "Bibliogr.".
    bool isNearAbbreviation(QStringView word) const;
    // A word of a known name, also with a Hungarian suffix ("Pálfalvinak").
    bool isName(QStringView word) const;
    bool isLatin(QStringView word) const;
    // The rules of a dictionary (by its file name, "hu_HU").
    QList<Rule> rulesFor(const QString& dictionaryName) const;

    qsizetype nameCount() const { return m_names.size(); }

    // The lines of a table file: comments and blank lines left out.
    static QStringList tableLines(QByteArrayView bytes);

private:
    QSet<QString> m_dotted; // "szerk." without its full stop
    QSet<QString> m_sigla;  // "MKsz"
    QSet<QString> m_latin;  // lower case
    QStringList m_latinEndings;
    QSet<QString> m_names;
    QList<Rule> m_rules;
};
