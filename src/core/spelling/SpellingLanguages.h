#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Which dictionary checks a record of a given language. The record's
// language field holds an entry of nyelv.zda ("magyar", "német", …); the
// table below names the Debian dictionary for each, and the user adds or
// overrides entries in the settings file (see SpellingSettings). A language
// without an installed dictionary is not checked at all: a Hungarian
// dictionary would flag every foreign word.
class SpellingLanguages final
{
public:
    // Where Debian's hunspell-* packages put their .aff/.dic pairs.
    static QStringList defaultDictionaryFolders();

    SpellingLanguages();
    explicit SpellingLanguages(QStringList dictionaryFolders);

    // Maps a language (compared without letter case and surrounding blanks)
    // to a dictionary name such as "de_DE", over the built-in table.
    void setDictionary(const QString& language, const QString& dictionaryName);
    // The dictionary name for a record's language, empty when the table has
    // none. An empty language is read as Hungarian, the bibliography's own.
    QString dictionaryName(const QString& language) const;
    // The .aff file of the language's dictionary, empty when none is installed.
    QString affixPath(const QString& language) const;

    static QString normalized(const QString& language);

private:
    QStringList m_folders;
    QHash<QString, QString> m_table;
};
