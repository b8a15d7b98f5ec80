#include "core/check/BibliographicForms.h"

#include <QRegularExpression>

#include <optional>
#include <vector>

namespace BibliographicForms {
namespace {

using S = Subject;

// The guide's chapter on checks shows this table; keep the two alike.
constexpr Form Forms[] = {
    {S::Year, u"{év}", u"1907", u"a megjelenés éve"},
    {S::Year, u"[{év}]", u"[1907]", u"a kiadványban nem álló, máshonnan megállapított év"},
    {S::Year, u"{év}?", u"1907?", u"bizonytalan év"},
    {S::Year, u"[{év}?]", u"[1907?]", u"bizonytalan, máshonnan megállapított év"},
    {S::Year, u"{év} k.", u"1907 k.", u"körülbelüli év"},
    {S::Year, u"[{év} k.]", u"[1907 k.]", u"körülbelüli év"},
    {S::Year, u"[{év} körül]", u"[1907 körül]", u"körülbelüli év"},
    {S::Year, u"ca. {év}", u"ca. 1907", u"körülbelüli év"},
    {S::Year, u"[ca. {év}]", u"[ca. 1907]", u"körülbelüli év"},
    {S::Year, u"c. {év}", u"c. 1907", u"körülbelüli év"},
    {S::Year, u"kb. {év}", u"kb. 1907", u"körülbelüli év"},
    {S::Year, u"[kb. {év}]", u"[kb. 1907]", u"körülbelüli év"},
    {S::Year, u"[{év} előtt]", u"[1907 előtt]", u"legkésőbb ebben az évben"},
    {S::Year, u"[{év} e.]", u"[1907 e.]", u"legkésőbb ebben az évben"},
    {S::Year, u"[{év} után]", u"[1907 után]", u"legkorábban ebben az évben"},
    {S::Year, u"[{év} u.]", u"[1907 u.]", u"legkorábban ebben az évben"},
    {S::Year, u"[{év} és {év} között]", u"[1907 és 1910 között]", u"a két év között"},
    {S::Year, u"[{évtized}-]", u"[190-]", u"az évtized ismert"},
    {S::Year, u"{évtized}-", u"190-", u"az évtized ismert"},
    {S::Year, u"{évtized}?", u"190?", u"az évtized ismert"},
    {S::Year, u"[{évtized}-?]", u"[190-?]", u"az évtized is bizonytalan"},
    {S::Year, u"[{évtized}?]", u"[190?]", u"az évtized ismert"},
    {S::Year, u"[{évszázad}--]", u"[19--]", u"a század ismert"},
    {S::Year, u"[{évszázad}--?]", u"[19--?]", u"a század is bizonytalan"},
    {S::Year, u"{évszázad}??", u"19??", u"a század ismert"},
    {S::Year, u"{év}–{év}", u"1907–1910", u"több év (kötetek, évfolyamok); „-” vagy „—” is lehet"},
    {S::Year, u"{év}–{évvég}", u"1907–10", u"több év, a második rövidítve"},
    {S::Year, u"{év}–", u"1907–", u"a megjelenés még tart"},
    {S::Year, u"{év}/{évvég}", u"1998/99", u"tanév, gazdasági év"},
    {S::Year, u"{év}/{év}", u"1998/1999", u"tanév, gazdasági év"},
    {S::Year, u"{század}. sz.", u"19. sz.", u"század"},
    {S::Year, u"[{század}. sz.]", u"[19. sz.]", u"máshonnan megállapított század"},
    {S::Year, u"{század}. század", u"19. század", u"század"},
    {S::Year, u"{római század}. sz.", u"XIX. sz.", u"század római számmal"},
    {S::Year, u"{római század}. század", u"XIX. század", u"század római számmal"},
    {S::Year, u"{század}–{század}. sz.", u"16–17. sz.", u"több század"},
    {S::Year, u"{század}–{század}. század", u"18–19. század", u"több század"},
    {S::Year, u"{század}. sz. eleje", u"19. sz. eleje", u"a század része"},
    {S::Year, u"{század}. sz. közepe", u"19. sz. közepe", u"a század része"},
    {S::Year, u"{század}. sz. vége", u"19. sz. vége", u"a század része"},
    {S::Year, u"{század}. sz. első fele", u"19. sz. első fele", u"a század része"},
    {S::Year, u"{század}. sz. második fele", u"19. sz. második fele", u"a század része"},
    {S::Year, u"cop. {év}", u"cop. 1998", u"a szerzői jog éve"},
    {S::Year, u"© {év}", u"© 1998", u"a szerzői jog éve"},
    {S::Year, u"c{év}", u"c1998", u"a szerzői jog éve"},
    {S::Year, u"p{év}", u"p1998", u"a hangfelvétel jogának éve"},
    {S::Year, u"{év}, cop. {év}", u"2001, cop. 1998", u"a megjelenés és a szerzői jog éve"},
    {S::Year, u"[{év}], cop. {év}", u"[2001], cop. 1998", u"a megjelenés és a szerzői jog éve"},
    {S::Year, u"{év} [{év}]", u"1907 [1908]", u"a kiadványban álló és a valódi év"},
    {S::Year, u"{római év}", u"MCMVII", u"római számmal írt év"},
    {S::Year, u"{római év} [{év}]", u"MDCCCXL [1840]", u"római számmal írt év és feloldása"},
    {S::Year, u"é. n.", u"é. n.", u"év nélkül"},
    {S::Year, u"[é. n.]", u"[é. n.]", u"év nélkül"},
    {S::Year, u"s. a.", u"s. a.", u"év nélkül (sine anno)"},
    {S::Year, u"[s. a.]", u"[s. a.]", u"év nélkül (sine anno)"},
    {S::Year, u"sine anno", u"sine anno", u"év nélkül (sine anno)"},
    {S::Year, u"év nélkül", u"év nélkül", u"év nélkül"},
    {S::Year, u"o. J.", u"o. J.", u"év nélkül (ohne Jahr)"},
    {S::Year, u"n. d.", u"n. d.", u"év nélkül (no date)"},
    {S::Year, u"s. d.", u"s. d.", u"év nélkül (sans date)"},
    {S::Year, u"sajtó alatt", u"sajtó alatt", u"még meg nem jelent mű"},
    {S::Year, u"megjelenés alatt", u"megjelenés alatt", u"még meg nem jelent mű"},
    {S::Year, u"előkészületben", u"előkészületben", u"még meg nem jelent mű"},
    {S::Year, u"in press", u"in press", u"még meg nem jelent mű"},
    {S::Year, u"im Druck", u"im Druck", u"még meg nem jelent mű"},

    {S::Pages, u"{szám} p.", u"300 p.", u"a lapok (oldalak) száma"},
    {S::Pages, u"{szám} l.", u"300 l.", u"a lapok száma (lap)"},
    {S::Pages, u"{szám} lap", u"300 lap", u"a lapok száma"},
    {S::Pages, u"{szám} old.", u"300 old.", u"az oldalak száma"},
    {S::Pages, u"{szám} o.", u"300 o.", u"az oldalak száma"},
    {S::Pages, u"{szám} pp.", u"300 pp.", u"a lapok száma (angol)"},
    {S::Pages, u"{szám} S.", u"300 S.", u"a lapok száma (német)"},
    {S::Pages, u"[{szám}] p.", u"[1] p.", u"számozatlan lapok"},
    {S::Pages, u"[{szám}] l.", u"[4] l.", u"számozatlan lapok"},
    {S::Pages, u"[{szám}]", u"[4], 300 p.", u"számozatlan lapok a felsorolásban"},
    {S::Pages, u"{szám}", u"300, [4] p.", u"lapok a felsorolásban"},
    {S::Pages, u"{római szám}", u"XII, 300 p.", u"római számozású lapok"},
    {S::Pages, u"[{római szám}]", u"[XII], 300 p.", u"számozatlan római lapok"},
    {S::Pages, u"{római szám} p.", u"XII p.", u"római számozású lapok"},
    {S::Pages, u"{szám}–{szám}", u"12–34.", u"oldaltól oldalig (cikk); „-” is lehet"},
    {S::Pages, u"{szám}–{szám}. p.", u"12–34. p.", u"oldaltól oldalig"},
    {S::Pages, u"{szám}–{szám}. l.", u"12–34. l.", u"oldaltól oldalig"},
    {S::Pages, u"{szám}. p.", u"12. p.", u"egyetlen oldal"},
    {S::Pages, u"{szám}. l.", u"12. l.", u"egyetlen oldal"},
    {S::Pages, u"{római szám}–{római szám}", u"V–XII", u"római oldaltól oldalig"},
    {S::Pages, u"p. {szám}–{szám}", u"p. 12–34", u"oldaltól oldalig (idegen nyelvű)"},
    {S::Pages, u"pp. {szám}–{szám}", u"pp. 12–34", u"oldaltól oldalig (angol)"},
    {S::Pages, u"p. {szám}", u"p. 12", u"egyetlen oldal (idegen nyelvű)"},
    {S::Pages, u"S. {szám}–{szám}", u"S. 12–34", u"oldaltól oldalig (német)"},
    {S::Pages, u"S. {szám}", u"S. 12", u"egyetlen oldal (német)"},
    {S::Pages, u"{szám} t.", u"1 t.", u"táblák"},
    {S::Pages, u"[{szám}] t.", u"[8] t.", u"számozatlan táblák"},
    {S::Pages, u"{szám} tábla", u"12 tábla", u"táblák"},
    {S::Pages, u"{szám} fol.", u"56 fol.", u"levelek (fóliók)"},
    {S::Pages, u"[{szám}] fol.", u"[2] fol.", u"számozatlan levelek"},
    {S::Pages, u"{szám} lev.", u"56 lev.", u"levelek"},
    {S::Pages, u"{szám} Bl.", u"56 Bl.", u"levelek (német)"},
    {S::Pages, u"{szám} col.", u"120 col.", u"hasábok"},
    {S::Pages, u"{szám} has.", u"120 has.", u"hasábok"},
    {S::Pages, u"{szám} hasáb", u"120 hasáb", u"hasábok"},
    {S::Pages, u"{szám} db", u"2 db", u"darab (lapok, mellékletek)"},
    {S::Pages, u"{szám} köt.", u"3 köt.", u"kötetek"},
    {S::Pages, u"{szám} térk.", u"1 térk.", u"térképek"},
    {S::Pages, u"{szám} mell.", u"300 p. + 1 mell.", u"mellékletek"},
    {S::Pages, u"{szám} cm", u"300 p. ; 24 cm", u"méret"},
    {S::Pages, u"ill.", u"300 p. : ill.", u"illusztrációk"},
    {S::Pages, u"illusztr.", u"300 p., illusztr.", u"illusztrációk"},
    {S::Pages, u"ábr.", u"300 p., ábr.", u"ábrák"},
    {S::Pages, u"térk.", u"300 p., térk.", u"térképek"},
    {S::Pages, u"fotó", u"300 p., fotó", u"fényképek"},
    {S::Pages, u"portr.", u"300 p., portr.", u"arcképek"},
    {S::Pages, u"kotta", u"300 p., kotta", u"kották"},
    {S::Pages, u"facs.", u"300 p., facs.", u"hasonmások"},
    {S::Pages, u"passim", u"passim", u"a mű több helyén"},
};

enum class Slot
{
    Year,
    YearEnd,
    Decade,
    CenturyDigits,
    Century,
    RomanCentury,
    RomanYear,
    Count,
    RomanCount,
};

struct SlotName
{
    const char16_t* name;
    Slot slot;
    const char16_t* pattern;
};

constexpr SlotName SlotNames[] = {
    {u"év", Slot::Year, u"(\\d{4})"},
    {u"évvég", Slot::YearEnd, u"(\\d{2})"},
    {u"évtized", Slot::Decade, u"(\\d{3})"},
    {u"évszázad", Slot::CenturyDigits, u"(\\d{2})"},
    {u"század", Slot::Century, u"(\\d{1,2})"},
    {u"római század", Slot::RomanCentury, u"([ivxlcdm]+)"},
    {u"római év", Slot::RomanYear, u"([ivxlcdm]+)"},
    {u"szám", Slot::Count, u"(\\d{1,6})"},
    {u"római szám", Slot::RomanCount, u"([ivxlcdm]+)"},
};

struct SlotUse
{
    Slot slot;
    bool closesRange; // joined to the slot before by "–", "/" or "és"
};

struct CompiledForm
{
    Subject subject;
    QRegularExpression pattern;
    std::vector<SlotUse> slotUses;
};

QStringView withoutFinalStop(QStringView text)
{
    text = text.trimmed();
    if (text.endsWith(u'.'))
        text.chop(1);
    return text.trimmed();
}

CompiledForm compile(const Form& form)
{
    CompiledForm out{form.subject, {}, {}};
    const QStringView text = withoutFinalStop(QStringView(form.form));
    QString pattern = QStringLiteral("^");
    QString literalSinceSlot;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'{') {
            const qsizetype end = text.indexOf(u'}', i);
            const QStringView name = text.sliced(i + 1, end - i - 1);
            for (const SlotName& s : SlotNames) {
                if (name != QStringView(s.name))
                    continue;
                pattern += QString::fromUtf16(s.pattern);
                const bool closes = literalSinceSlot.contains(u'–') || literalSinceSlot.contains(u'/') ||
                                    literalSinceSlot.contains(QStringLiteral(" és "));
                out.slotUses.push_back({s.slot, closes && !out.slotUses.empty()});
            }
            literalSinceSlot.clear();
            i = end;
            continue;
        }
        literalSinceSlot += c;
        if (c == u'–')
            pattern += QStringLiteral("\\s*[-\u2010\u2013\u2014]\\s*");
        else if (c == u'/')
            pattern += QStringLiteral("\\s*/\\s*");
        else if (c == u' ')
            pattern += QStringLiteral("\\s+");
        else if (c == u'.' && i + 1 < text.size() && text[i + 1] == u' ') {
            pattern += QStringLiteral("\\.\\s*");
            ++i;
        } else
            pattern += QRegularExpression::escape(QString(c));
    }
    pattern += u'$';
    out.pattern = QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption |
                                                  QRegularExpression::UseUnicodePropertiesOption);
    out.pattern.optimize();
    return out;
}

const std::vector<CompiledForm>& compiled()
{
    static const std::vector<CompiledForm> forms = [] {
        std::vector<CompiledForm> out;
        for (const Form& form : Forms)
            out.push_back(compile(form));
        return out;
    }();
    return forms;
}

// The value of a Roman numeral written in one letter case, as printers wrote
// them (IIII beside IV); nothing for anything else.
std::optional<int> romanValue(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const bool upper = text.front().isUpper();
    for (const QChar c : text)
        if (c.isUpper() != upper)
            return std::nullopt;
    static const QRegularExpression wellFormed(
        QStringLiteral("^M{0,4}(CM|CD|D?C{0,4})(XC|XL|L?X{0,4})(IX|IV|V?I{0,4})$"));
    const QString letters = text.toString().toUpper();
    if (!wellFormed.match(letters).hasMatch())
        return std::nullopt;
    const auto worth = [](QChar c) {
        switch (c.unicode()) {
        case u'I':
            return 1;
        case u'V':
            return 5;
        case u'X':
            return 10;
        case u'L':
            return 50;
        case u'C':
            return 100;
        case u'D':
            return 500;
        default:
            return 1000;
        }
    };
    int total = 0;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const int here = worth(letters[i]);
        total += i + 1 < letters.size() && worth(letters[i + 1]) > here ? -here : here;
    }
    return total;
}

QString yearRangeProblem(int year, int latestYear)
{
    if (year < EarliestYear)
        return QStringLiteral("%1 előtti év").arg(EarliestYear);
    if (year > latestYear)
        return QStringLiteral("%1 utáni év").arg(latestYear);
    return {};
}

QString centuryProblem(int century, int latestYear)
{
    if (century * 100 < EarliestYear || (century - 1) * 100 + 1 > latestYear)
        return QStringLiteral("a nyomtatás korán kívüli század");
    return {};
}

QString backwards()
{
    return QStringLiteral("a tartomány visszafelé halad");
}

// "145–6" is either a slip or an abbreviation that the practice writes out in full ("145–146.").
QString shortenedOrBackwards()
{
    return QStringLiteral("a tartomány rövidített vagy visszafelé halad (teljes alakban: 145–146.)");
}

// The numbers of a matched form, checked slot by slot: empty when all are
// possible, nothing when a Roman slot holds a word that is no numeral ("ill").
std::optional<QString> slotProblem(const CompiledForm& form, const QRegularExpressionMatch& match,
                                   int latestYear)
{
    std::optional<int> previous;
    for (size_t s = 0; s < form.slotUses.size(); ++s) {
        const QStringView written = match.capturedView(int(s) + 1);
        const SlotUse use = form.slotUses[s];
        int number = 0;
        QString problem;
        switch (use.slot) {
        case Slot::Year:
            number = written.toInt();
            problem = yearRangeProblem(number, latestYear);
            break;
        case Slot::YearEnd: {
            const int before = previous.value_or(0);
            // Within the century of the year before; into the next only
            // across its turn ("1999/00"), not back to the past ("1907–05").
            number = before / 100 * 100 + written.toInt();
            if (number < before && number + 100 - before <= 10)
                number += 100;
            problem = yearRangeProblem(number, latestYear);
            break;
        }
        case Slot::Decade:
            number = written.toInt() * 10;
            if (number + 9 < EarliestYear || number > latestYear)
                problem = yearRangeProblem(number, latestYear);
            break;
        case Slot::CenturyDigits:
            number = written.toInt() * 100;
            if (number + 99 < EarliestYear || number > latestYear)
                problem = yearRangeProblem(number, latestYear);
            break;
        case Slot::Century:
            number = written.toInt();
            problem = centuryProblem(number, latestYear);
            break;
        case Slot::RomanCentury:
        case Slot::RomanYear:
        case Slot::RomanCount: {
            const std::optional<int> roman = romanValue(written);
            if (!roman)
                return std::nullopt;
            number = *roman;
            if (use.slot == Slot::RomanCentury)
                problem = centuryProblem(number, latestYear);
            else if (use.slot == Slot::RomanYear)
                problem = yearRangeProblem(number, latestYear);
            break;
        }
        case Slot::Count:
            number = written.toInt();
            if (number == 0)
                problem = QStringLiteral("nulla oldalszám");
            break;
        }
        if (!problem.isEmpty())
            return problem;
        if (use.closesRange && previous && number < *previous)
            return use.slot == Slot::Count && written.size() < QString::number(*previous).size()
                       ? shortenedOrBackwards()
                       : backwards();
        previous = number;
    }
    return QString();
}

// The verdict of the first form of `subject` whose shape `value` has; nothing when none has.
std::optional<QString> judgedByTable(Subject subject, QStringView value, int latestYear)
{
    for (const CompiledForm& form : compiled()) {
        if (form.subject != subject)
            continue;
        const QRegularExpressionMatch match = form.pattern.match(value);
        if (!match.hasMatch())
            continue;
        if (std::optional<QString> problem = slotProblem(form, match, latestYear))
            return problem;
    }
    return std::nullopt;
}

// Letters that stand where digits belong: "19O7", "l907", "3OO".
bool isLookAlikeNumber(QStringView token)
{
    int digits = 0;
    int letters = 0;
    for (const QChar c : token) {
        if (c.isDigit())
            ++digits;
        else if (c == u'O' || c == u'o' || c == u'l' || c == u'I')
            ++letters;
        else
            return false;
    }
    return digits > 0 && letters > 0;
}

QString lookAlike(QStringView token)
{
    QString letters;
    for (const QChar c : token)
        if (!c.isDigit() && !letters.contains(c))
            letters += (letters.isEmpty() ? QString() : QStringLiteral("”, „")) + c;
    return QStringLiteral("„%1” betű számjegy helyett").arg(letters);
}

// A run of Roman numeral letters in mixed case ("VIx"), not a capitalised word ("Ill").
bool isBrokenRoman(QStringView token)
{
    int upper = 0;
    int lower = 0;
    for (const QChar c : token) {
        if (!QStringView(u"IVXLCDMivxlcdm").contains(c))
            return false;
        (c.isUpper() ? upper : lower) += 1;
    }
    return upper >= 2 && lower >= 1;
}

struct Token
{
    QStringView text;
    bool digits = false; // decimal digits only
};

std::vector<Token> tokensOf(QStringView value)
{
    std::vector<Token> out;
    qsizetype i = 0;
    while (i < value.size()) {
        if (!value[i].isLetterOrNumber()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        bool digits = true;
        while (i < value.size() && value[i].isLetterOrNumber()) {
            digits = digits && value[i] >= u'0' && value[i] <= u'9';
            ++i;
        }
        out.push_back({value.sliced(start, i - start), digits});
    }
    return out;
}

// A range of two numbers anywhere in the value that runs backwards ("34–12").
bool hasBackwardRange(QStringView value)
{
    static const QRegularExpression range(
        QStringLiteral("(?<!\\d)(\\d+)\\s*[-\u2010\u2013\u2014]\\s*(\\d+)(?!\\d)"));
    QRegularExpressionMatchIterator it = range.globalMatch(value);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QStringView first = m.capturedView(1);
        const QStringView last = m.capturedView(2);
        // "1907–10" shortens the second year; that is checked by the table.
        if (last.size() >= first.size() && last.toLongLong() < first.toLongLong())
            return true;
    }
    return false;
}

QString yearOutsideTable(QStringView value, int latestYear)
{
    bool anyYear = false;
    for (const Token& token : tokensOf(value)) {
        if (isLookAlikeNumber(token.text))
            return lookAlike(token.text);
        if (!token.digits)
            continue;
        if (token.text.size() == 4) {
            if (QString problem = yearRangeProblem(token.text.toInt(), latestYear); !problem.isEmpty())
                return problem;
            anyYear = true;
        } else if (token.text.size() == 3 || token.text.size() > 4) {
            return token.text == value ? QStringLiteral("nem négyjegyű évszám")
                                       : QStringLiteral("nem négyjegyű évszám: %1").arg(token.text);
        }
    }
    if (hasBackwardRange(value))
        return backwards();
    if (!anyYear)
        return QStringLiteral("nincs benne évszám");
    return {};
}

QString pagesOutsideTable(QStringView value)
{
    bool anyNumber = false;
    for (const Token& token : tokensOf(value)) {
        if (isLookAlikeNumber(token.text))
            return lookAlike(token.text);
        if (isBrokenRoman(token.text))
            return QStringLiteral("hibás római szám: %1").arg(token.text);
        if (token.digits || (token.text.size() > 1 && romanValue(token.text) && token.text.front().isUpper()))
            anyNumber = true;
    }
    if (hasBackwardRange(value))
        return backwards();
    if (!anyNumber)
        return QStringLiteral("nincs benne oldalszám");
    return {};
}

bool isFourDigits(QStringView text)
{
    if (text.size() != 4)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// The two forms most page fields have, "312 p." and "12–34.", judged as the
// table would judge them but without its patterns; nothing for any other value.
std::optional<QString> commonPagesForm(QStringView part)
{
    qsizetype i = 0;
    const auto number = [&] {
        const qsizetype start = i;
        while (i < part.size() && part[i] >= u'0' && part[i] <= u'9')
            ++i;
        return i - start >= 1 && i - start <= 6 ? part.sliced(start, i - start) : QStringView();
    };
    const QStringView first = number();
    if (first.isEmpty())
        return std::nullopt;
    if (part.sliced(i) == u" p") {
        if (first.toInt() == 0)
            return QStringLiteral("nulla oldalszám");
        return QString();
    }
    if (i < part.size() && (part[i] == u'-' || part[i] == QChar(0x2013))) {
        ++i;
        const QStringView last = number();
        if (last.isEmpty() || i != part.size() || first.toInt() == 0)
            return std::nullopt;
        if (last.toInt() < first.toInt())
            return last.size() < first.size() ? shortenedOrBackwards() : backwards();
        return QString();
    }
    return std::nullopt;
}

} // namespace

std::span<const Form> table()
{
    return Forms;
}

QString yearProblem(QStringView value, int latestYear)
{
    const QStringView text = withoutFinalStop(value);
    if (text.isEmpty())
        return {};
    // Nearly every record carries a plain year: spare it the table.
    if (isFourDigits(text))
        return yearRangeProblem(text.toInt(), latestYear);
    if (const std::optional<QString> verdict = judgedByTable(Subject::Year, text, latestYear))
        return *verdict;
    return yearOutsideTable(text, latestYear);
}

QString pagesProblem(QStringView value)
{
    const QStringView text = value.trimmed();
    if (text.isEmpty())
        return {};
    if (std::optional<QString> verdict = commonPagesForm(withoutFinalStop(text)))
        return *verdict;
    static const QRegularExpression separator(QStringLiteral("\\s*[,;+]\\s*|\\s+:\\s+"));
    bool allKnown = true;
    qsizetype from = 0;
    QRegularExpressionMatchIterator it = separator.globalMatch(text);
    while (allKnown) {
        const QRegularExpressionMatch m = it.hasNext() ? it.next() : QRegularExpressionMatch();
        const qsizetype to = m.hasMatch() ? m.capturedStart() : text.size();
        const QStringView part = withoutFinalStop(text.sliced(from, to - from));
        if (!part.isEmpty()) {
            const std::optional<QString> verdict = judgedByTable(Subject::Pages, part, 0);
            if (!verdict)
                allKnown = false;
            else if (!verdict->isEmpty())
                return *verdict;
        }
        if (!m.hasMatch())
            break;
        from = m.capturedEnd();
    }
    return allKnown ? QString() : pagesOutsideTable(text);
}

} // namespace BibliographicForms
