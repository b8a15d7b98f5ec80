#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

// The words the users of a working folder accepted, kept in its
// WorkFolder::AcceptedWordsFile: UTF-8, one word a line. Several people (or
// the editor and norla-cli) may add words at the same moment, so every
// addition locks the file, reads what is there now, adds its words and
// replaces the file atomically: nobody's word is lost and a failed write
// leaves the previous list whole.
class WordList final
{
public:
    WordList() = default;
    explicit WordList(QString path) : m_path(std::move(path)) {}
    // The list of a working folder.
    static WordList ofFolder(const QString& folder);

    const QString& path() const { return m_path; }

    // Reads the file again; a missing file is an empty list. Throws
    // NorlaError "Cannot open file" when it exists but cannot be read.
    void reload();
    // A word is accepted as written, or with its first letter in lower case
    // (a listed word opening a title).
    bool contains(QStringView word) const;
    const QSet<QString>& words() const { return m_words; }
    bool isEmpty() const { return m_words.isEmpty(); }

    // Adds words to the file and to this list (blank ones and ones already
    // there are passed over). Throws NorlaError when the file cannot be
    // locked, read or written; the file is then as it was.
    void add(const QStringList& words);

    static QStringList parse(QByteArrayView bytes);

private:
    QString m_path;
    QSet<QString> m_words;
};
