#include "core/spelling/WordScanner.h"

#include <QRegularExpression>

namespace {

constexpr qsizetype MaxAbbreviationLength = 4;

bool isWordLetter(QChar c)
{
    return c.isLetter() || c.isMark();
}

// Joins two letters into one word: "Kossuth-díj", "l'art".
bool isInnerJoiner(QChar c)
{
    return c == u'-' || c == u'\'' || c == u'\u2019';
}

bool isLinkStart(QStringView text, qsizetype at)
{
    const QStringView rest = text.sliced(at);
    return rest.startsWith(u"http://", Qt::CaseInsensitive) ||
           rest.startsWith(u"https://", Qt::CaseInsensitive) ||
           rest.startsWith(u"ftp://", Qt::CaseInsensitive) || rest.startsWith(u"www.", Qt::CaseInsensitive) ||
           rest.startsWith(u"doi:", Qt::CaseInsensitive);
}

qsizetype endOfToken(QStringView text, qsizetype from)
{
    while (from < text.size() && !text[from].isSpace())
        ++from;
    return from;
}

// A blank-free token that holds "@" or "://" is an address, not words.
bool isAddressToken(QStringView token)
{
    return token.contains(u'@') || token.contains(u"://");
}

bool isAllCapitals(QStringView word)
{
    int letters = 0;
    for (QChar c : word) {
        if (!c.isLetter())
            continue;
        if (!c.isUpper())
            return false;
        ++letters;
    }
    return letters >= 2;
}

qsizetype letterCount(QStringView word)
{
    qsizetype count = 0;
    for (QChar c : word)
        count += c.isLetter() ? 1 : 0;
    return count;
}

// After "word." : does a sentence end here, or is the full stop an abbreviation's?
bool fullStopEndsSentence(QStringView text, qsizetype afterStop)
{
    qsizetype i = afterStop;
    while (i < text.size() && text[i].isSpace())
        ++i;
    if (i >= text.size())
        return true;
    const QChar next = text[i];
    return next.isUpper() || next == u'"' || next == u'\u201E' || next == u'(' || next == u'[';
}

bool isAbbreviation(QStringView text, WordScanner::Span span)
{
    const qsizetype end = span.start + span.length;
    if (end >= text.size() || text[end] != u'.')
        return false;
    return letterCount(text.sliced(span.start, span.length)) <= MaxAbbreviationLength ||
           !fullStopEndsSentence(text, end + 1);
}

bool touchesDigit(QStringView text, WordScanner::Span span)
{
    const qsizetype end = span.start + span.length;
    auto isDigitAt = [&](qsizetype i) { return i >= 0 && i < text.size() && text[i].isDigit(); };
    // "1848-ban", "2.-ik", "B12": a digit right beside the word or across one hyphen or full stop.
    if (isDigitAt(span.start - 1) || isDigitAt(end))
        return true;
    if (span.start >= 2 && (text[span.start - 1] == u'-' || text[span.start - 1] == u'.') &&
        isDigitAt(span.start - 2))
        return true;
    return end + 1 < text.size() && (text[end] == u'-' || text[end] == u'.') && isDigitAt(end + 1);
}

// "XIX-ik", "MTA-n": a suffix joined by a hyphen keeps what the stem is.
QStringView stem(QStringView word)
{
    const qsizetype hyphen = word.indexOf(u'-');
    return hyphen < 0 ? word : word.first(hyphen);
}

bool skipped(QStringView text, WordScanner::Span span)
{
    const QStringView word = text.sliced(span.start, span.length);
    return letterCount(word) < 2 || touchesDigit(text, span) || WordScanner::isRomanNumeral(stem(word)) ||
           isAllCapitals(stem(word)) || isAbbreviation(text, span);
}

} // namespace

bool WordScanner::isRomanNumeral(QStringView word)
{
    static const QRegularExpression roman(
        QStringLiteral("^M{0,3}(CM|CD|D?C{0,3})(XC|XL|L?X{0,3})(IX|IV|V?I{0,3})$"));
    return !word.isEmpty() && roman.match(word.toString()).hasMatch();
}

std::vector<WordScanner::Span> WordScanner::words(QStringView text)
{
    std::vector<Span> found;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        if (isLinkStart(text, i) || isAddressToken(text.sliced(i, endOfToken(text, i) - i))) {
            i = endOfToken(text, i);
            continue;
        }
        if (!isWordLetter(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < text.size() && (isWordLetter(text[i]) || (isInnerJoiner(text[i]) && i + 1 < text.size() &&
                                                             isWordLetter(text[i + 1]) && i > start)))
            ++i;
        const Span span{start, i - start};
        if (!skipped(text, span))
            found.push_back(span);
    }
    return found;
}
