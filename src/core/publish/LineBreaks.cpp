#include "core/publish/LineBreaks.h"

#include <QByteArray>
#include <QFile>
#include <QHash>

#include <hyphen.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr QChar NoBreakSpace(0x00A0);
constexpr QChar WordJoiner(0x2060);
constexpr QChar SoftHyphen(0x00AD);
constexpr QChar ZeroWidthSpace(0x200B);
constexpr QChar EnDash(0x2013);

// Hungarian typesetting leaves at least two letters on either side of a hyphen.
constexpr int MinLeft = 2;
constexpr int MinRight = 2;

const char* const PatternsPath = "/usr/share/hyphen/hyph_hu_HU.dic";

struct DictionaryDeleter
{
    void operator()(HyphenDict* dictionary) const { hnj_hyphen_free(dictionary); }
};

// Loaded once and only read afterwards, so any thread may hyphenate with it.
HyphenDict* patterns()
{
    static const std::unique_ptr<HyphenDict, DictionaryDeleter> dictionary(
        QFile::exists(QString::fromLatin1(PatternsPath)) ? hnj_hyphen_load(PatternsPath) : nullptr);
    return dictionary.get();
}

// Words spelled without a unit after them but bound to their number all the same.
bool isUnitWord(QStringView word)
{
    static const std::array<QStringView, 8> Units = {u"lap",  u"oldal", u"kötet",     u"füzet",
                                                     u"szám", u"tábla", u"melléklet", u"pp"};
    for (const QStringView unit : Units)
        if (word.compare(unit, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The letters of a short abbreviation ("p", "sz", "évf") before its dot, at `from`.
qsizetype abbreviationLength(const QString& text, qsizetype from, int maxLetters)
{
    qsizetype i = from;
    while (i < text.size() && text[i].isLetter() && i - from <= maxLetters)
        ++i;
    const qsizetype letters = i - from;
    if (letters == 0 || letters > maxLetters || i >= text.size() || text[i] != u'.')
        return 0;
    return letters + 1;
}

bool endsNumber(const QString& text, qsizetype space)
{
    qsizetype i = space - 1;
    if (i >= 0 && text[i] == u'.')
        --i;
    return i >= 0 && text[i].isDigit();
}

bool isLatinLetter(QChar c)
{
    return c.isLetter() && c.unicode() < 0x0250;
}

bool looksLikeAddress(QStringView token)
{
    return token.contains(u"://") || token.startsWith(u"www.", Qt::CaseInsensitive) ||
           (token.contains(u'@') && token.contains(u'.'));
}

void appendAddress(QString& out, QStringView token)
{
    for (qsizetype i = 0; i < token.size(); ++i) {
        out += token[i];
        const bool separator = token[i] == u'/' || token[i] == u'.' || token[i] == u'-' || token[i] == u'_' ||
                               token[i] == u'?' || token[i] == u'&' || token[i] == u'=' || token[i] == u'@';
        if (separator && i + 1 < token.size() && token[i + 1] != u'/')
            out += ZeroWidthSpace;
    }
}

void hyphenateWord(QString& out, QStringView word, HyphenDict* dictionary);

// A bibliography repeats its words (publishers, journals, the words of
// titles), so each thread keeps the words it has hyphenated.
void appendWord(QString& out, QStringView word, HyphenDict* dictionary)
{
    constexpr qsizetype CacheLimit = 50000; // a few megabytes
    thread_local QHash<QString, QString> cache;
    const QString key = word.toString();
    const auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        out += *found;
        return;
    }
    QString hyphenated;
    hyphenateWord(hyphenated, word, dictionary);
    out += hyphenated;
    if (cache.size() >= CacheLimit)
        cache.clear();
    cache.insert(key, hyphenated);
}

void hyphenateWord(QString& out, QStringView word, HyphenDict* dictionary)
{
    bool plain = true;
    for (qsizetype i = 1; i < word.size() && plain; ++i)
        plain = !word[i].isUpper(); // an acronym or a code is left whole
    if (!plain || dictionary == nullptr) {
        out += word;
        return;
    }
    const QByteArray utf8 = word.toString().toLower().toUtf8();
    std::vector<char> hyphens(size_t(utf8.size()) + 5, 0);
    char** replacements = nullptr;
    int* positions = nullptr;
    int* cuts = nullptr;
    const int failed = hnj_hyphen_hyphenate2(dictionary, utf8.constData(), int(utf8.size()), hyphens.data(),
                                             nullptr, &replacements, &positions, &cuts);
    for (qsizetype i = 0; i < word.size(); ++i) {
        out += word[i];
        // A point that changes the letters ("asz-szony") cannot be a soft hyphen.
        const bool changes = replacements != nullptr && replacements[i] != nullptr;
        if (failed == 0 && (hyphens[size_t(i)] & 1) != 0 && !changes && i + 1 >= MinLeft &&
            word.size() - i - 1 >= MinRight)
            out += SoftHyphen;
    }
    if (replacements != nullptr) {
        for (qsizetype i = 0; i < qsizetype(utf8.size()); ++i)
            std::free(replacements[i]);
        std::free(replacements);
    }
    std::free(positions);
    std::free(cuts);
}

void appendToken(QString& out, QStringView token, int minLetters, HyphenDict* dictionary)
{
    if (looksLikeAddress(token)) {
        appendAddress(out, token);
        return;
    }
    qsizetype i = 0;
    while (i < token.size()) {
        if (!isLatinLetter(token[i])) {
            out += token[i++];
            continue;
        }
        qsizetype end = i;
        while (end < token.size() && isLatinLetter(token[end]))
            ++end;
        // A letter of another script glued to the word: not one the patterns know.
        const bool foreign = end < token.size() && token[end].isLetter();
        const QStringView word = token.mid(i, end - i);
        if (word.size() >= minLetters && !foreign)
            appendWord(out, word, dictionary);
        else
            out += word;
        i = end;
        while (foreign && i < token.size() && token[i].isLetter())
            out += token[i++];
    }
}

} // namespace

namespace LineBreaks {

QString bind(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u' ' && i > 0 && i + 1 < text.size()) {
            // "442 p.", "3. sz.", "120 lap"
            if (endsNumber(text, i)) {
                qsizetype end = i + 1;
                while (end < text.size() && text[end].isLetter())
                    ++end;
                if (abbreviationLength(text, i + 1, 5) > 0 ||
                    (end > i + 1 && isUnitWord(QStringView(text).mid(i + 1, end - i - 1)) &&
                     (end == text.size() || !text[end].isLetter()))) {
                    out += NoBreakSpace;
                    continue;
                }
            }
            // ". – Budapest": a dash between blanks opens what follows it (an
            // area of the description, a second name), so it goes to the
            // next line with it rather than dangling at a line's end.
            // The line-break rules allow a break after a dash even before a
            // no-break space, so a word joiner holds the two together.
            if (text[i - 1] == EnDash && i > 1 && text[i - 2].isSpace()) {
                out += WordJoiner;
                out += NoBreakSpace;
                continue;
            }
            // "p. 12", "Bd. 3", "sz. 4"
            if (text[i - 1] == u'.' && text[i + 1].isDigit()) {
                qsizetype start = i - 1;
                while (start > 0 && text[start - 1].isLetter())
                    --start;
                const bool wordStart = start == 0 || !text[start - 1].isLetterOrNumber();
                if (wordStart && i - 1 - start >= 1 && i - 1 - start <= 3 && text[start].isLetter()) {
                    out += NoBreakSpace;
                    continue;
                }
            }
        }
        out += c;
        // "384–389": the dash of a range holds the closing number on its line.
        if (c == EnDash && i > 0 && text[i - 1].isDigit() && i + 1 < text.size() && text[i + 1].isDigit())
            out += WordJoiner;
    }
    return out;
}

QString hyphenate(const QString& text, int minLetters)
{
    HyphenDict* dictionary = patterns();
    QString out;
    out.reserve(text.size() + text.size() / 4);
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].isSpace()) {
            out += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !text[end].isSpace())
            ++end;
        appendToken(out, QStringView(text).mid(i, end - i), minLetters, dictionary);
        i = end;
    }
    return out;
}

QString prepare(const QString& text)
{
    return hyphenate(bind(text));
}

bool hyphenationAvailable()
{
    return patterns() != nullptr;
}

} // namespace LineBreaks
