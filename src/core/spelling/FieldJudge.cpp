#include "core/spelling/FieldJudge.h"

#include "core/spelling/SpellingLanguages.h"
#include "core/spelling/Suggestions.h"
#include "core/spelling/WordList.h"

#include <algorithm>

namespace {

// Verdicts remembered before they are forgotten all at once.
constexpr qsizetype MaxRemembered = 200000;
// A word of another language is taken for a quotation only from this length:
// a short Hungarian typo too often spells a short English or German word.
constexpr qsizetype MinForeignWord = 4;

const QStringList FallbackLanguages{QStringLiteral("magyar"), QStringLiteral("német"),
                                    QStringLiteral("angol")};

// Where one part of a field ends and the next begins.
bool isPartBreak(QChar c)
{
    switch (c.unicode()) {
    case u'.':
    case u':':
    case u';':
    case u'=':
    case u'/':
    case u'(':
    case u')':
    case u'[':
    case u']':
    case u'"':
    case u'\u201E': // „
    case u'\u201D': // ”
    case u'\u201C': // “
    case u'\u00AB': // «
    case u'\u00BB': // »
    case u'\u2013': // –
    case u'\u2014': // —
    case u'|':
    case u'?':
    case u'!':
        return true;
    default:
        return false;
    }
}

bool startsWithCapital(QStringView word)
{
    return !word.isEmpty() && word.front().isUpper();
}

qsizetype letterCount(QStringView word)
{
    return std::count_if(word.begin(), word.end(), [](QChar c) { return c.isLetter(); });
}

bool isLatinScript(QStringView word)
{
    for (QChar c : word)
        if (c.isLetter())
            return c.script() == QChar::Script_Latin;
    return false;
}

} // namespace

struct FieldJudge::Word
{
    WordScanner::Span span;
    QStringView text;
    int part = 0;
    bool latin = false;
    // Written with a capital, and a known name or no dictionary's word.
    bool mayBeName = false;
    // Bit i: language i knows the word; only bits below `asked` are set.
    quint32 known = 0;
};

FieldJudge::FieldJudge(const SpellingLexicon& lexicon, const WordList* accepted, const QSet<QString>* skipped)
    : m_lexicon(lexicon), m_accepted(accepted), m_skipped(skipped)
{
}

QStringList FieldJudge::candidateLanguages(const SpellingLanguages& languages, const QString& recordLanguage)
{
    QStringList names;
    QStringList paths;
    const auto add = [&](const QString& name) {
        const QString path = languages.affixPath(name);
        if (!path.isEmpty() && !paths.contains(path)) {
            paths.append(path);
            const QString normalized = SpellingLanguages::normalized(name);
            names.append(normalized.isEmpty() ? QStringLiteral("magyar") : normalized);
        }
    };
    add(recordLanguage);
    for (const QString& name : FallbackLanguages)
        add(name);
    return names;
}

bool FieldJudge::isKnown(const SpellEngine& engine, QStringView word)
{
    QHash<QString, bool>& verdicts = m_known[&engine];
    const QString key = word.toString();
    const auto found = verdicts.constFind(key);
    if (found != verdicts.cend())
        return *found;
    if (++m_remembered > MaxRemembered) {
        m_known.clear();
        m_near.clear();
        m_old.clear();
        m_remembered = 0;
        return isKnown(engine, word);
    }
    const bool correct = engine.isCorrect(word);
    verdicts.insert(key, correct);
    return correct;
}

bool FieldJudge::hasNearWord(const SpellEngine& engine, QStringView word)
{
    QHash<QString, bool>& verdicts = m_near[&engine];
    const QString key = word.toString();
    const auto found = verdicts.constFind(key);
    if (found != verdicts.cend())
        return *found;
    const bool near = Suggestions::hasSingleEdit(engine, word);
    verdicts.insert(key, near);
    return near;
}

bool FieldJudge::isOldForm(const SpellEngine& engine, QStringView word)
{
    QHash<QString, bool>& verdicts = m_old[&engine];
    const QString key = word.toString();
    const auto found = verdicts.constFind(key);
    if (found != verdicts.cend())
        return *found;
    const bool old = !Suggestions::modernForms(engine, word, m_lexicon.rulesFor(engine.name()), 1).isEmpty();
    verdicts.insert(key, old);
    return old;
}

// "Somlyai Dénes", "Giulia Santorelli": a capitalised word right beside a
// name is part of it. A word the dictionary knows only with its capital
// ("Dénes", but not "Magyar") is a name of the dictionary's.
bool FieldJudge::besideGivenName(QStringView text, const std::vector<Word>& words, const Word* word,
                                 const SpellEngine& engine)
{
    const auto index = word - words.data();
    for (const qsizetype other : {index - 1, index + 1}) {
        if (other < 0 || other >= qsizetype(words.size()))
            continue;
        // A name of the dictionary's may be a family name as well ("Széchényi
        // Könyvtrá"): only the word before one ("Somlyai Dénes") is taken for
        // a name by it, as Hungarian orders names.
        const bool dictionaryNameCounts = other > index;
        const Word& neighbour = words[size_t(other)];
        const Word& left = other < index ? neighbour : *word;
        const Word& right = other < index ? *word : neighbour;
        const qsizetype gapStart = left.span.start + left.span.length;
        if (!startsWithCapital(neighbour.text) ||
            !text.sliced(gapStart, right.span.start - gapStart).trimmed().isEmpty())
            continue;
        if (m_lexicon.isName(neighbour.text))
            return true;
        QString lowered = neighbour.text.toString();
        lowered[0] = lowered[0].toLower();
        if (dictionaryNameCounts && isKnown(engine, neighbour.text) && !isKnown(engine, lowered))
            return true;
    }
    return false;
}

// The language of a set of words: the one that knows most of them (the
// earlier on a tie), Latin when more of them are Latin words, none when the
// best knows fewer than half of two or more words. Names say nothing of the
// language around them, so a capitalised word no dictionary knows is not
// counted ("Orbók Ferenc könyvtára" is Hungarian).
int FieldJudge::choose(const std::vector<const Word*>& candidates, const Languages& languages)
{
    std::vector<const Word*> words;
    for (const Word* word : candidates)
        if (!word->mayBeName)
            words.push_back(word);
    if (words.empty())
        words = candidates;
    if (words.empty())
        return 0;
    int best = 0;
    int bestFit = -1;
    for (int i = 0; i < int(languages.size()); ++i) {
        int fit = 0;
        for (const Word* word : words)
            fit += (word->known >> i) & 1U;
        if (fit > bestFit) {
            best = i;
            bestFit = fit;
        }
    }
    const int latinFit =
        int(std::count_if(words.begin(), words.end(), [](const Word* w) { return w->latin; }));
    if (latinFit > bestFit)
        return Latin;
    if (words.size() >= 2 && 2 * bestFit < int(words.size())) {
        // Few known words may still be the language's, typed or spelt badly
        // ("A czím és a gyüjtemény"): a word of its letters one edit from a
        // word of it counts for it, a word of other letters ("Bøger") never.
        const SpellEngine& engine = *languages[size_t(best)].engine;
        int explained = bestFit;
        for (const Word* word : words)
            if (!((word->known >> best) & 1U) && engine.hasOwnLettersOnly(word->text) &&
                hasNearWord(engine, word->text))
                ++explained;
        if (2 * explained < int(words.size()))
            return Unrecognised;
    }
    if (bestFit == 0 && words.size() == 1) {
        // A lone word no dictionary knows is a typo of the language whose letters it has.
        for (int i = 0; i < int(languages.size()); ++i)
            if (languages[size_t(i)].engine->hasOwnLettersOnly(words.front()->text))
                return i;
    }
    return best;
}

FieldJudge::Verdict FieldJudge::judge(QStringView text, const Languages& languages, bool oldRecord)
{
    Verdict verdict;
    if (languages.empty())
        return verdict;
    std::vector<Word> words;
    int part = 0;
    qsizetype scanned = 0;
    QSet<qsizetype> scannedWords;
    for (const WordScanner::Span& span : WordScanner::words(text)) {
        scannedWords.insert(span.start);
        for (; scanned < span.start; ++scanned)
            if (isPartBreak(text[scanned]))
                ++part;
        scanned = span.start + span.length;
        const QStringView word = text.sliced(span.start, span.length);
        // A Greek or Cyrillic quotation is no concern of these dictionaries.
        if (!isLatinScript(word))
            continue;
        if ((m_accepted && m_accepted->contains(word)) || (m_skipped && m_skipped->contains(word.toString())))
            continue;
        const qsizetype end = span.start + span.length;
        if (m_lexicon.isAbbreviation(word, end < text.size() && text[end] == u'.'))
            continue;
        words.push_back({span, word, part, false, false, 0});
    }
    findMistypedAbbreviations(text, languages, scannedWords, verdict);
    if (words.empty())
        return verdict;

    // Most fields are all in the first language: then the others are never asked.
    const SpellEngine& first = *languages.front().engine;
    bool allKnown = true;
    for (Word& word : words) {
        if (isKnown(first, word.text))
            word.known |= 1U;
        else
            allKnown = false;
    }
    if (allKnown)
        return verdict;
    for (Word& word : words) {
        for (int i = 1; i < int(languages.size()) && i < 32; ++i)
            if (isKnown(*languages[size_t(i)].engine, word.text))
                word.known |= 1U << i;
        word.latin = m_lexicon.isLatin(word.text);
        // A capitalised word of letters no candidate language has ("Bøger")
        // tells the text is foreign rather than that it is a name.
        const bool ownLetters =
            std::any_of(languages.begin(), languages.end(), [&](const Language& language) {
                return language.engine->hasOwnLettersOnly(word.text);
            });
        word.mayBeName = startsWithCapital(word.text) && !word.latin && ownLetters &&
                         (word.known == 0 || m_lexicon.isName(word.text));
    }

    std::vector<const Word*> all;
    for (const Word& word : words)
        all.push_back(&word);
    const int fieldChoice = choose(all, languages);

    for (size_t start = 0; start < words.size();) {
        size_t end = start;
        std::vector<const Word*> partWords;
        while (end < words.size() && words[end].part == words[start].part)
            partWords.push_back(&words[end++]);
        const int choice = partWords.size() >= 2 ? choose(partWords, languages) : fieldChoice;
        start = end;
        if (choice == Latin) {
            verdict.latin = true;
            continue;
        }
        if (choice == Unrecognised) {
            verdict.unrecognised = true;
            continue;
        }
        const SpellEngine& engine = *languages[size_t(choice)].engine;
        for (const Word* word : partWords) {
            if ((word->known >> choice) & 1U)
                continue;
            if (word->latin || (word->known != 0 && letterCount(word->text) >= MinForeignWord))
                continue;
            if (!engine.hasOwnLettersOnly(word->text))
                continue;
            if (startsWithCapital(word->text) &&
                (m_lexicon.isName(word->text) || besideGivenName(text, words, word, engine) ||
                 !hasNearWord(engine, word->text)))
                continue;
            verdict.findings.push_back({word->span, choice, oldRecord && isOldForm(engine, word->text)});
        }
    }
    std::sort(verdict.findings.begin(), verdict.findings.end(),
              [](const Finding& a, const Finding& b) { return a.span.start < b.span.start; });
    return verdict;
}

// Abbreviations are no words to judge ("Bibliogr."), so the scanner passes
// them over; a mistyped one is still caught when it lies one edit from a
// listed abbreviation and is no word of any language ("Bbiliogr.").
void FieldJudge::findMistypedAbbreviations(QStringView text, const Languages& languages,
                                           const QSet<qsizetype>& scannedWords, Verdict& verdict)
{
    for (qsizetype i = 0; i < text.size();) {
        if (!text[i].isLetter() || (i > 0 && (text[i - 1].isLetterOrNumber() || text[i - 1] == u'-'))) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end].isLetter())
            ++end;
        const QStringView word = text.sliced(i, end - i);
        const bool dotted = end < text.size() && text[end] == u'.';
        const qsizetype start = i;
        i = end;
        // A word the scanner gave is judged as a word.
        if (!dotted || scannedWords.contains(start) || !isLatinScript(word) ||
            !m_lexicon.isNearAbbreviation(word) || (m_accepted && m_accepted->contains(word)))
            continue;
        if (std::any_of(languages.begin(), languages.end(),
                        [&](const Language& language) { return isKnown(*language.engine, word); }))
            continue;
        verdict.findings.push_back({{start, end - start}, 0, false});
    }
}
