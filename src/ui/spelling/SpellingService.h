#pragma once

#include "core/spelling/Dictionaries.h"
#include "core/spelling/FieldJudge.h"
#include "core/spelling/SpellingLexicon.h"
#include "core/spelling/WordList.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <optional>

// What every proofreading control of the program shares: the dictionaries
// (each loaded once), the working folder's word list and word tables (see
// SpellingLexicon), the words skipped until the program closes, and the
// old-spelling year of the settings.
//
// A dictionary is loaded on a thread of its own the first time a field asks
// for it; the field goes unchecked until dictionaryLoaded() says it is
// there, so the user types on while the dictionary loads.
class SpellingService final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpellingService)

public:
    // `folder` is the working folder: its settings file and its word list.
    explicit SpellingService(const QString& folder, QObject* parent = nullptr);
    // With the dictionaries given (tests bring their own folders).
    SpellingService(const QString& folder, std::shared_ptr<Dictionaries> dictionaries,
                    QObject* parent = nullptr);
    ~SpellingService() override;

    Dictionaries& dictionaries() { return *m_dictionaries; }
    const WordList& wordList() const { return m_words; }
    const SpellingLexicon& lexicon() const { return m_lexicon; }
    const QSet<QString>& skippedWords() const { return m_skipped; }
    int oldSpellingBefore() const { return m_oldSpellingBefore; }
    const QString& folder() const { return m_folder; }

    // The language's dictionary when it is loaded; otherwise null, and the
    // load starts in the background (when the language has a dictionary).
    Dictionaries::Engine engineFor(const QString& language);
    // Every language a field of a record in `language` may be in, once all
    // their dictionaries are loaded; until then none, and the loads start.
    std::optional<FieldJudge::Languages> languagesFor(const QString& language);
    // Blocks until every load started so far has ended (tests, shutdown).
    void waitForLoads();

    // Reads the folder's word tables and the index set's names again (a
    // proofreading run starts with them as they are now).
    void reloadLexicon();
    // Into the folder's word list; throws NorlaError when the file cannot be written.
    void acceptWords(const QStringList& words);
    // Not flagged again until the program closes.
    void skipWord(const QString& word);

Q_SIGNALS:
    void dictionaryLoaded();
    // A word was accepted or skipped: the fields judge their words again.
    void wordsChanged();

private:
    QString m_folder;
    std::shared_ptr<Dictionaries> m_dictionaries;
    WordList m_words;
    SpellingLexicon m_lexicon;
    QSet<QString> m_skipped;
    int m_oldSpellingBefore = 0;
    QSet<QString> m_loading;
    QThreadPool m_loader;
};
