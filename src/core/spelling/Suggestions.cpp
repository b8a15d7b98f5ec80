#include "core/spelling/Suggestions.h"

#include "core/spelling/SpellEngine.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// The order single edits are offered in, likeliest typo first.
enum class EditKind
{
    Capital,       // "anjou-kor" for "Anjou-kor"
    Accent,        // "kőnyv" for "könyv"
    Swap,          // "kövny"
    DoubledLetter, // "bibliográfiia", "kozépkor"→ no; a letter doubled or undoubled
    Missing,       // "könyvtártörtnet"
    Extra,         // "könyvtárrtörténet"
    Changed,       // "könyvtártörtémet"
};

struct Candidate
{
    QString word;
    EditKind kind;
    int order; // as generated
    // Where the edit lies in `word`: [editStart, editEnd).
    qsizetype editStart = 0;
    qsizetype editEnd = 0;
};

// The longest stem the dictionary lists that holds the whole edit.
qsizetype stemAround(const SpellEngine& engine, const Candidate& candidate)
{
    constexpr qsizetype MaxStem = 24;
    const QString lower = candidate.word.toLower();
    const qsizetype start = qBound(qsizetype(0), candidate.editStart, lower.size());
    const qsizetype end = qBound(start, candidate.editEnd, lower.size());
    qsizetype best = 0;
    for (qsizetype from = qMax(qsizetype(0), end - MaxStem); from <= start; ++from)
        for (qsizetype to = qMin(lower.size(), from + MaxStem); to >= end && to - from > best; --to)
            if (engine.isListedStem(lower.mid(from, to - from)))
                best = to - from;
    return best;
}

QChar baseLetter(QChar c)
{
    const QString decomposed = c.decomposition();
    return decomposed.isEmpty() ? c : decomposed.front();
}

// Calls `take` for every string one edit from `word`, cheap kinds first;
// stops when `take` returns false.
template <typename Take> void eachSingleEdit(const SpellEngine& engine, QStringView word, Take take)
{
    const QString& letters = engine.letters();
    const QString w = word.toString();
    const qsizetype n = w.size();
    const bool capital = n > 0 && word.front().isUpper();
    const auto letterAt = [&](qsizetype position, QChar lower) {
        return capital && position == 0 ? lower.toUpper() : lower;
    };
    const auto at = [&](qsizetype i) { return word[i]; };
    // A name written small.
    if (n > 0 && w[0].isLower()) {
        QString edited = w;
        edited[0] = edited[0].toUpper();
        if (!take(edited, EditKind::Capital, 0, 1))
            return;
    }
    // Accents.
    for (qsizetype i = 0; i < n; ++i) {
        const QChar lower = at(i).toLower();
        for (QChar c : letters) {
            if (c == lower || baseLetter(c) != baseLetter(lower))
                continue;
            QString edited = w;
            edited[i] = letterAt(i, c);
            if (!take(edited, EditKind::Accent, i, i + 1))
                return;
        }
    }
    // Swaps.
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (at(i) == at(i + 1))
            continue;
        QString edited = w;
        std::swap(edited[i], edited[i + 1]);
        if (i == 0 && capital) {
            edited[0] = edited[0].toUpper();
            edited[1] = edited[1].toLower();
        }
        if (!take(edited, EditKind::Swap, i, i + 2))
            return;
    }
    // A doubled letter undoubled, a letter doubled.
    for (qsizetype i = 1; i < n; ++i)
        if (at(i) == at(i - 1) && !take(w.left(i) + w.mid(i + 1), EditKind::DoubledLetter, i - 1, i + 1))
            return;
    for (qsizetype i = 0; i < n; ++i)
        if (at(i).isLetter() && (i + 1 >= n || at(i + 1) != at(i)) &&
            !take(w.left(i + 1) + at(i).toLower() + w.mid(i + 1), EditKind::DoubledLetter, i, i + 2))
            return;
    // A letter missing.
    for (qsizetype i = 0; i <= n; ++i)
        for (QChar c : letters)
            if (!take(w.left(i) + letterAt(i, c) + w.mid(i), EditKind::Missing, i, i + 1))
                return;
    // A letter too many.
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && at(i) == at(i - 1))
            continue; // tried as undoubling
        QString edited = w.left(i) + w.mid(i + 1);
        if (i == 0 && capital && !edited.isEmpty())
            edited[0] = edited[0].toUpper();
        if (!take(edited, EditKind::Extra, i - 1, i + 1))
            return;
    }
    // A letter changed.
    for (qsizetype i = 0; i < n; ++i) {
        const QChar lower = at(i).toLower();
        for (QChar c : letters) {
            if (c == lower || baseLetter(c) == baseLetter(lower))
                continue;
            QString edited = w;
            edited[i] = letterAt(i, c);
            if (!take(edited, EditKind::Changed, i, i + 1))
                return;
        }
    }
}

std::vector<Candidate> knownSingleEdits(const SpellEngine& engine, QStringView word, int limit)
{
    std::vector<Candidate> found;
    QSet<QString> seen;
    eachSingleEdit(engine, word, [&](const QString& edited, EditKind kind, qsizetype start, qsizetype end) {
        if (edited.isEmpty() || seen.contains(edited))
            return true;
        seen.insert(edited);
        if (engine.isCorrect(edited))
            found.push_back({edited, kind, int(found.size()), start, end});
        return int(found.size()) < limit;
    });
    return found;
}

// Applies `rule` at every place of `word` in turn, and at all places at once.
void applyRule(const QString& word, const SpellingLexicon::Rule& rule, QStringList& into)
{
    qsizetype at = word.indexOf(rule.oldForm);
    if (at < 0)
        return;
    QString all = word;
    all.replace(rule.oldForm, rule.newForm);
    into.append(all);
    for (; at >= 0; at = word.indexOf(rule.oldForm, at + 1)) {
        QString one = word;
        one.replace(at, rule.oldForm.size(), rule.newForm);
        if (one != all)
            into.append(one);
    }
}

} // namespace

QStringList Suggestions::singleEdits(const SpellEngine& engine, QStringView word, int limit)
{
    QStringList words;
    for (const Candidate& candidate : knownSingleEdits(engine, word, limit))
        words.append(candidate.word);
    return words;
}

bool Suggestions::hasSingleEdit(const SpellEngine& engine, QStringView word)
{
    return !knownSingleEdits(engine, word, 1).empty();
}

QStringList Suggestions::modernForms(const SpellEngine& engine, QStringView word,
                                     const QList<SpellingLexicon::Rule>& rules, int limit)
{
    if (rules.isEmpty() || word.isEmpty())
        return {};
    // The rules are written in lower case; a capital first letter comes back after.
    const bool capital = word.front().isUpper();
    const QString lower = word.toString().toLower();
    constexpr qsizetype MaxTried = 400;
    QStringList once;
    for (const SpellingLexicon::Rule& rule : rules)
        applyRule(lower, rule, once);
    QStringList tried = once;
    for (const QString& first : std::as_const(once)) {
        if (tried.size() >= MaxTried)
            break;
        for (const SpellingLexicon::Rule& rule : rules)
            applyRule(first, rule, tried);
    }
    QStringList found;
    QSet<QString> seen;
    for (QString form : std::as_const(tried)) {
        if (capital && !form.isEmpty())
            form[0] = form[0].toUpper();
        if (form == word || seen.contains(form))
            continue;
        seen.insert(form);
        if (engine.isCorrect(form)) {
            found.append(form);
            if (found.size() >= limit)
                break;
        }
    }
    return found;
}

QStringList Suggestions::forWord(const SpellEngine& engine, QStringView word, int limit,
                                 const QList<SpellingLexicon::Rule>& rules, const Frequency& frequency)
{
    constexpr int MaxEdits = 40;
    constexpr qsizetype MinTrustedStem = 4;
    QStringList result = modernForms(engine, word, rules, limit);
    const QStringList fromEngine = engine.suggestions(word, qMax(limit, 8));
    std::vector<Candidate> edits = knownSingleEdits(engine, word, MaxEdits);
    const auto engineRank = [&](const QString& candidate) {
        const qsizetype at = fromEngine.indexOf(candidate);
        return at < 0 ? qsizetype(fromEngine.size()) : at;
    };
    QHash<QString, qsizetype> stems;
    for (const Candidate& candidate : edits)
        stems.insert(candidate.word, stemAround(engine, candidate));
    std::stable_sort(edits.begin(), edits.end(), [&](const Candidate& a, const Candidate& b) {
        // An edit inside a listed stem of some length ("történet") beats one
        // that only compounding accepts; then the likelier kind of typo.
        const bool stemA = stems.value(a.word) >= MinTrustedStem;
        const bool stemB = stems.value(b.word) >= MinTrustedStem;
        if (stemA != stemB)
            return stemA;
        if (a.kind != b.kind)
            return a.kind < b.kind;
        const qsizetype rankA = engineRank(a.word);
        const qsizetype rankB = engineRank(b.word);
        if (rankA != rankB)
            return rankA < rankB;
        if (frequency) {
            const int countA = frequency(a.word);
            const int countB = frequency(b.word);
            if (countA != countB)
                return countA > countB;
        }
        return a.order < b.order;
    });
    for (const Candidate& candidate : edits)
        if (!result.contains(candidate.word))
            result.append(candidate.word);
    for (const QString& candidate : fromEngine)
        if (!result.contains(candidate))
            result.append(candidate);
    if (result.size() > limit)
        result.resize(limit);
    return result;
}
