#include "core/check/NameVariants.h"

#include "core/check/FieldSpans.h"
#include "core/check/PlaceNames.h"
#include "core/search/Folding.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

constexpr qsizetype EditRuleMinimumLength = 9; // "longer than 8 characters"

// Union of sets over the forms' positions.
class Groups final
{
public:
    explicit Groups(size_t count) : m_parent(count)
    {
        std::iota(m_parent.begin(), m_parent.end(), size_t(0));
    }
    size_t root(size_t i)
    {
        while (m_parent[i] != i)
            i = m_parent[i] = m_parent[m_parent[i]];
        return i;
    }
    void join(size_t a, size_t b)
    {
        a = root(a);
        b = root(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<size_t> m_parent;
};

QList<QByteArray> wordsOf(const QByteArray& folded)
{
    return folded.simplified().split(' ');
}

// "j." or "gy.": a given name cut to its first letter (or Hungarian double letter).
bool isInitial(const QByteArray& word)
{
    return (word.size() == 2 || word.size() == 3) && word.endsWith('.') &&
           std::isalpha(static_cast<unsigned char>(word[0]));
}

bool isWholeWord(const QByteArray& word)
{
    return !word.endsWith('.') && word.size() > 1;
}

// The initials a whole word may be written as: its first letter, and its
// first double letter when it starts with one (Gy., Sz., Zs.).
QList<QByteArray> initialsOf(const QByteArray& word)
{
    QList<QByteArray> out{word.left(1) + '.'};
    static const char* const doubles[] = {"cs", "dz", "gy", "ly", "ny", "sz", "ty", "zs"};
    for (const char* d : doubles)
        if (word.startsWith(d))
            out.append(QByteArray(d) + '.');
    return out;
}

// A word of the original form that ends in "né": a married name, which no initial stands for.
bool isMarriedName(QStringView word)
{
    return word.size() > 3 && word.endsWith(u"né");
}

// Ways a whole form could be written with initials: each given name alone,
// every word but the first, every word but the last.
QList<QByteArray> initialledForms(const QList<QByteArray>& words, const QStringList& originalWords)
{
    QList<QByteArray> out;
    if (words.size() < 2 || words.size() != originalWords.size())
        return out;
    const auto initialisable = [&](qsizetype i) {
        return isWholeWord(words[i]) && !isMarriedName(originalWords[i]);
    };
    const auto expand = [&](const std::vector<bool>& cut) {
        QList<QList<QByteArray>> variants{{}};
        for (qsizetype i = 0; i < words.size(); ++i) {
            QList<QList<QByteArray>> next;
            for (const QList<QByteArray>& v : variants) {
                if (cut[size_t(i)]) {
                    for (const QByteArray& initial : initialsOf(words[i]))
                        next.append(v + QList<QByteArray>{initial});
                } else {
                    next.append(v + QList<QByteArray>{words[i]});
                }
            }
            variants = next;
            if (variants.size() > 16)
                return; // too many given names to be a person
        }
        for (const QList<QByteArray>& v : variants) {
            const QByteArray joined = v.join(' ');
            if (!out.contains(joined))
                out.append(joined);
        }
    };
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (!initialisable(i))
            continue;
        std::vector<bool> cut(size_t(words.size()), false);
        cut[size_t(i)] = true;
        expand(cut);
    }
    std::vector<bool> allButFirst(size_t(words.size()), true);
    allButFirst[0] = false;
    std::vector<bool> allButLast(size_t(words.size()), true);
    allButLast.back() = false;
    for (const std::vector<bool>* cut : {&allButFirst, &allButLast}) {
        bool usable = true;
        for (qsizetype i = 0; i < words.size(); ++i)
            if ((*cut)[size_t(i)] && !initialisable(i))
                usable = false;
        if (usable)
            expand(*cut);
    }
    return out;
}

// Levenshtein distance of at most one.
bool oneEditApart(QByteArrayView a, QByteArrayView b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1)
        return false;
    qsizetype i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() == b.size())
        return a.sliced(qMin(i + 1, a.size())) == b.sliced(qMin(i + 1, b.size()));
    return a.sliced(i) == b.sliced(i + 1);
}

// The hash of a key, and those of every form of it with one character left
// out, each computed in constant time from the key's prefix and suffix
// hashes (a polynomial hash, so a form is never built). A run of equal
// characters gives the same form whichever of them is left out, so a run is
// noted once.
class LeftOutHashes final
{
public:
    static quint64 whole(QByteArrayView key)
    {
        quint64 h = 0;
        for (const char c : key)
            h = h * Base + unit(c);
        return mixed(h);
    }

    template <typename Visit> void forEachLeftOut(QByteArrayView key, Visit visit)
    {
        const qsizetype n = key.size();
        while (m_powers.size() <= size_t(n))
            m_powers.push_back(m_powers.back() * Base);
        m_suffix.assign(size_t(n) + 1, 0);
        for (qsizetype i = n - 1; i >= 0; --i)
            m_suffix[size_t(i)] = m_suffix[size_t(i) + 1] + unit(key[i]) * m_powers[size_t(n - 1 - i)];
        quint64 prefix = 0;
        for (qsizetype leftOut = 0; leftOut < n; ++leftOut) {
            if (leftOut == 0 || key[leftOut] != key[leftOut - 1])
                visit(mixed(prefix * m_powers[size_t(n - 1 - leftOut)] + m_suffix[size_t(leftOut) + 1]));
            prefix = prefix * Base + unit(key[leftOut]);
        }
    }

private:
    static constexpr quint64 Base = 0x100000001b3ULL;
    static quint64 unit(char c) { return quint64(static_cast<unsigned char>(c)) + 1; }
    // Spreads the polynomial's bits, whose low ones depend on little of the text.
    static quint64 mixed(quint64 h)
    {
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ULL;
        h ^= h >> 33;
        return h;
    }

    std::vector<quint64> m_powers{1};
    std::vector<quint64> m_suffix;
};

struct Note
{
    quint64 hash;
    quint32 key;
};

// Which hashes of a set were met twice, in a table of bits much larger than
// the set: a hash met once is then almost always alone in its slot. The two
// bits of a slot share a word, so each note touches one place in memory.
class SeenTwice final
{
public:
    void reset(size_t hashes)
    {
        size_t slotCount = 1024;
        while (slotCount < hashes * 16)
            slotCount *= 2;
        m_mask = slotCount - 1;
        m_words.assign(slotCount / 32, 0);
    }
    void note(quint64 hash)
    {
        const size_t slot = size_t(hash) & m_mask;
        quint64& word = m_words[slot / 32];
        const quint64 once = quint64(1) << (2 * (slot % 32));
        word |= (word & once) << 1;
        word |= once;
    }
    bool twice(quint64 hash) const
    {
        const size_t slot = size_t(hash) & m_mask;
        return (m_words[slot / 32] >> (2 * (slot % 32) + 1)) & 1;
    }

private:
    size_t m_mask = 0;
    std::vector<quint64> m_words;
};

// Unions the keys of every block of notes with one hash that are one edit
// apart; `notes` is sorted by hash.
void joinBlocks(const std::vector<Note>& notes, const std::vector<QByteArray>& keys,
                const std::vector<size_t>& keyForm, Groups& groups)
{
    constexpr size_t MostCompared = 64; // a form that many keys share says little about any two
    for (size_t i = 0; i < notes.size();) {
        size_t j = i + 1;
        while (j < notes.size() && notes[j].hash == notes[i].hash)
            ++j;
        if (j - i > 1 && j - i <= MostCompared) {
            for (size_t a = i; a < j; ++a)
                for (size_t b = a + 1; b < j; ++b)
                    if (notes[a].key != notes[b].key && oneEditApart(keys[notes[a].key], keys[notes[b].key]))
                        groups.join(keyForm[notes[a].key], keyForm[notes[b].key]);
        }
        i = j;
    }
}

// Pairs one edit apart among the folded keys, without comparing every pair:
// each key is noted with the hash of itself and of every form of it with one
// character left out. Two keys one edit apart share such a form (both with
// the changed character left out, or the shorter key itself), so only keys
// whose notes share a hash are compared, and the comparison decides.
// Only forms of one length can be equal, so the notes are made one length
// at a time (the keys of that length whole, those one longer with a
// character left out) into one buffer used again and again, small enough
// to stay in the processor's cache. Nearly every hash is met once: a table
// of bits finds the few met again, and only their notes are sorted.
void joinOneEditApart(const std::vector<QByteArray>& keys, const std::vector<size_t>& keyForm, Groups& groups,
                      JobControl& control)
{
    std::vector<std::vector<quint32>> keysOfLength;
    for (quint32 k = 0; k < quint32(keys.size()); ++k) {
        const qsizetype length = keys[k].size();
        if (length < EditRuleMinimumLength)
            continue;
        if (keysOfLength.size() <= size_t(length))
            keysOfLength.resize(size_t(length) + 1);
        keysOfLength[size_t(length)].push_back(k);
    }
    LeftOutHashes hashes;
    SeenTwice seen;
    std::vector<Note> notes;
    std::vector<Note> shared;
    for (size_t length = EditRuleMinimumLength - 1; length < keysOfLength.size(); ++length) {
        control.throwIfStopped();
        notes.clear();
        for (const quint32 k : keysOfLength[length])
            notes.push_back({LeftOutHashes::whole(keys[k]), k});
        if (length + 1 < keysOfLength.size()) {
            const std::vector<quint32>& longer = keysOfLength[length + 1];
            for (size_t i = 0; i < longer.size(); ++i) {
                if ((i & 0xfff) == 0)
                    control.throwIfStopped();
                hashes.forEachLeftOut(keys[longer[i]], [&](quint64 hash) {
                    notes.push_back({hash, longer[i]});
                });
            }
        }
        seen.reset(notes.size());
        for (const Note& note : notes)
            seen.note(note.hash);
        shared.clear();
        for (const Note& note : notes)
            if (seen.twice(note.hash))
                shared.push_back(note);
        std::sort(shared.begin(), shared.end(), [](const Note& a, const Note& b) {
            return a.hash != b.hash ? a.hash < b.hash : a.key < b.key;
        });
        joinBlocks(shared, keys, keyForm, groups);
    }
}

// The sets of two or more forms, each with its forms in their order in
// `forms`. Most forms stand alone, so sets are counted before any is built.
std::vector<NameVariants::Group> joinedGroups(NameKind kind, const std::vector<NameForm>& forms,
                                              Groups& groups)
{
    constexpr size_t NoGroup = ~size_t(0);
    std::vector<size_t> rootOf(forms.size());
    std::vector<quint32> members(forms.size(), 0);
    for (size_t i = 0; i < forms.size(); ++i)
        ++members[rootOf[i] = groups.root(i)];
    std::vector<size_t> groupOf(forms.size(), NoGroup);
    std::vector<NameVariants::Group> out;
    for (size_t i = 0; i < forms.size(); ++i) {
        const size_t root = rootOf[i];
        if (members[root] < 2)
            continue;
        if (groupOf[root] == NoGroup) {
            groupOf[root] = out.size();
            out.push_back({kind, {}, false});
            out.back().forms.reserve(members[root]);
        }
        out[groupOf[root]].forms.push_back(forms[i]);
    }
    return out;
}

} // namespace

namespace NameVariants {

qint64 Group::recordCount() const
{
    qint64 total = 0;
    for (const NameForm& form : forms)
        total += form.count;
    return total;
}

std::vector<Field> fieldsOf(NameKind kind)
{
    switch (kind) {
    case NameKind::Creator:
        return {Field::Creator1, Field::Creator2, Field::Creator3, Field::Creator4};
    case NameKind::Publisher:
        return {Field::Publisher};
    case NameKind::Place:
        return {Field::Place};
    case NameKind::Publication:
        return {Field::Publication};
    }
    return {};
}

std::vector<Group> find(NameKind kind, const std::vector<NameForm>& forms, JobControl& control)
{
    const size_t count = forms.size();
    Groups groups(count);
    // Forms equal once folded share one key; the key's first form stands for it.
    std::vector<QByteArray> keys;
    std::vector<size_t> keyForm;
    QHash<QByteArray, quint32> keyOf;
    keyOf.reserve(qsizetype(count));
    std::vector<quint32> formKey(count);
    for (size_t i = 0; i < count; ++i) {
        if (i % 4096 == 0)
            control.throwIfStopped();
        const QByteArray folded = Folding::fold(forms[i].text).simplified();
        const auto it = keyOf.constFind(folded);
        if (it != keyOf.cend()) {
            groups.join(keyForm[*it], i);
            formKey[i] = *it;
            continue;
        }
        formKey[i] = quint32(keys.size());
        keyOf.insert(folded, quint32(keys.size()));
        keys.push_back(folded);
        keyForm.push_back(i);
    }

    // Initials: each whole key, written with initials, names the keys it could be.
    std::vector<std::pair<size_t, std::vector<quint32>>> ambiguous;
    if (kind == NameKind::Creator) {
        // Only whole forms that share a whole word with some initialled form
        // can be written as one: the rest need not be spelt out with initials.
        QSet<QByteArray> wordsBesideInitials;
        std::vector<bool> hasInitial(keys.size(), false);
        for (quint32 k = 0; k < quint32(keys.size()); ++k) {
            const QList<QByteArray> words = wordsOf(keys[k]);
            if (!std::any_of(words.begin(), words.end(), isInitial))
                continue;
            hasInitial[k] = true;
            for (const QByteArray& word : words)
                if (!isInitial(word))
                    wordsBesideInitials.insert(word);
        }
        QHash<QByteArray, std::vector<quint32>> fullFormsOf;
        for (quint32 k = 0; k < quint32(keys.size()) && !wordsBesideInitials.isEmpty(); ++k) {
            if ((k & 0xfff) == 0)
                control.throwIfStopped();
            if (hasInitial[k])
                continue;
            const QList<QByteArray> words = wordsOf(keys[k]);
            if (std::none_of(words.begin(), words.end(),
                             [&](const QByteArray& word) { return wordsBesideInitials.contains(word); }))
                continue;
            const QStringList original = forms[keyForm[k]].text.simplified().split(u' ');
            for (const QByteArray& variant : initialledForms(words, original))
                fullFormsOf[variant].push_back(k);
        }
        for (quint32 k = 0; k < quint32(keys.size()); ++k) {
            const auto it = fullFormsOf.constFind(keys[k]);
            if (it == fullFormsOf.cend())
                continue;
            const std::vector<quint32>& full = *it;
            if (full.size() == 1)
                groups.join(keyForm[k], keyForm[full.front()]);
            else
                ambiguous.emplace_back(keyForm[k], full);
        }
    }

    if (kind == NameKind::Place) {
        QHash<int, size_t> formOfPlace;
        for (quint32 k = 0; k < quint32(keys.size()); ++k) {
            const std::optional<PlaceNames::Place> place = PlaceNames::placeOf(forms[keyForm[k]].text);
            if (!place)
                continue;
            const auto it = formOfPlace.constFind(place->place);
            if (it == formOfPlace.cend())
                formOfPlace.insert(place->place, keyForm[k]);
            else
                groups.join(*it, keyForm[k]);
        }
    }

    joinOneEditApart(keys, keyForm, groups, control);

    std::vector<Group> out = joinedGroups(kind, forms, groups);
    const auto byUse = [](const NameForm& a, const NameForm& b) { return a.count > b.count; };
    for (Group& group : out)
        std::stable_sort(group.forms.begin(), group.forms.end(), byUse);
    std::vector<std::vector<size_t>> formsOfKey(ambiguous.empty() ? 0 : keys.size());
    for (size_t i = 0; i < count && !ambiguous.empty(); ++i)
        formsOfKey[formKey[i]].push_back(i);
    for (const auto& [initial, full] : ambiguous) {
        Group group{kind, {forms[initial]}, true};
        for (const quint32 k : full)
            for (const size_t i : formsOfKey[k])
                group.forms.push_back(forms[i]);
        std::stable_sort(group.forms.begin() + 1, group.forms.end(), byUse);
        out.push_back(std::move(group));
    }
    std::stable_sort(out.begin(), out.end(), [](const Group& a, const Group& b) {
        if (a.recordCount() != b.recordCount())
            return a.recordCount() > b.recordCount();
        return a.forms.front().text < b.forms.front().text;
    });
    return out;
}

Difference differenceFrom(NameKind kind, QStringView authorised, QStringView form)
{
    if (kind == NameKind::Place) {
        const std::optional<PlaceNames::Place> a = PlaceNames::placeOf(authorised);
        const std::optional<PlaceNames::Place> b = PlaceNames::placeOf(form);
        if (a && b && a->place == b->place && a->language != b->language)
            return Difference::OtherLanguage;
        return Difference::None;
    }
    if (kind != NameKind::Creator)
        return Difference::None;
    const auto wordsOfForm = [](QStringView text) {
        QList<QByteArray> words = wordsOf(Folding::fold(text));
        for (QByteArray& word : words)
            while (word.endsWith(','))
                word.chop(1);
        return words;
    };
    const QList<QByteArray> a = wordsOfForm(authorised);
    const QList<QByteArray> b = wordsOfForm(form);
    // The family name comes first, as the name lists write it ("Kovács János", "Vogelsang, Heinrich").
    if (a.isEmpty() || b.isEmpty() || a.front() != b.front())
        return Difference::FamilyName;
    const auto fits = [](const QByteArray& x, const QByteArray& y) {
        if (x == y)
            return true;
        if (isInitial(x) && isWholeWord(y))
            return initialsOf(y).contains(x);
        if (isInitial(y) && isWholeWord(x))
            return initialsOf(x).contains(y);
        return false;
    };
    if (a.size() != b.size())
        return Difference::GivenName;
    for (qsizetype i = 1; i < a.size(); ++i)
        if (!fits(a[i], b[i]))
            return Difference::GivenName;
    return Difference::None;
}

size_t firstAuthorised(const Group& group)
{
    for (size_t f = 0; f < group.forms.size(); ++f) {
        const QString& text = group.forms[f].text;
        if (group.kind == NameKind::Creator) {
            const QList<QByteArray> words = wordsOf(Folding::fold(text));
            if (std::none_of(words.begin(), words.end(), isInitial))
                return f;
        } else if (group.kind == NameKind::Place) {
            const std::optional<PlaceNames::Place> place = PlaceNames::placeOf(text);
            if (place && !place->shortened)
                return f;
        } else {
            return f;
        }
    }
    return 0;
}

QString differenceText(Difference difference)
{
    switch (difference) {
    case Difference::None:
        return {};
    case Difference::FamilyName:
        return QStringLiteral("más családnév");
    case Difference::GivenName:
        return QStringLiteral("más utónév");
    case Difference::OtherLanguage:
        return QStringLiteral("más nyelvű név");
    }
    return {};
}

QList<std::pair<int, QString>> uniformChanges(const DatabaseDocument& document, NameKind kind,
                                              const QStringList& forms, const QString& chosen)
{
    QList<std::pair<int, QString>> changes;
    const std::vector<Field> fields = fieldsOf(kind);
    for (int i = 0; i < document.lineCount(); ++i) {
        const QStringView line = document.line(i);
        const FieldSpans spans(line);
        std::vector<FieldSpans::Edit> edits;
        for (const Field field : fields) {
            const QStringView value = spans.value(field);
            const bool creator = RecordSchema::isCreator(field);
            if (creator && value.size() <= 2)
                continue;
            const QStringView name = creator ? value.sliced(2) : value;
            if (name == chosen || !forms.contains(name))
                continue;
            edits.push_back({field, creator ? value.first(2).toString() + chosen : chosen});
        }
        if (!edits.empty())
            changes.emplace_back(i, spans.apply(edits));
    }
    return changes;
}

} // namespace NameVariants
