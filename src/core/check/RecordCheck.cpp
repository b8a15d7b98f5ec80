#include "core/check/RecordCheck.h"

#include "core/record/CodeTables.h"
#include "core/record/RecordLine.h"

#include <QDate>

#include <algorithm>

namespace {

constexpr int EarliestYear = 1450; // the first printed books

// The fields whose text is typed freely, where blanks and lost letters show.
constexpr Field TextFields[] = {Field::Subject,   Field::Creator1, Field::Creator2,    Field::Creator3,
                                Field::Creator4,  Field::Title,    Field::Publication, Field::Publisher,
                                Field::VolumeRun, Field::Year,     Field::Pages,       Field::Place,
                                Field::Note};

Finding found(Field field, CheckKind kind, const QString& detail)
{
    Finding finding;
    finding.field = field;
    finding.kind = kind;
    finding.detail = detail;
    return finding;
}

bool isDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

bool isRoman(QStringView text)
{
    if (text.isEmpty())
        return false;
    const bool upper = text.front().isUpper();
    for (const QChar c : text) {
        if (!QStringView(u"IVXLCDM").contains(upper ? c : c.toUpper()))
            return false;
        if (c.isUpper() != upper)
            return false;
    }
    return true;
}

bool isDash(QChar c)
{
    return c == u'-' || c == QChar(0x2013) || c == QChar(0x2014);
}

// "123" or "[123]", the bracket marking a count the volume did not print.
bool isCount(QStringView text)
{
    if (text.startsWith(u'[') && text.endsWith(u']'))
        text = text.sliced(1, text.size() - 2);
    return isDigits(text);
}

// One comma-separated part of a page field: "12-34", "12", "312 p.", "VIII",
// "[8] t.", "5 fol.".
bool isPagePart(QStringView part)
{
    if (part.endsWith(u'.'))
        part.chop(1);
    if (part.isEmpty())
        return false;
    if (isCount(part) || isRoman(part))
        return true;
    for (const QStringView unit :
         {QStringView(u" p"), QStringView(u" fol"), QStringView(u" lap"), QStringView(u" old"),
          QStringView(u" t"), QStringView(u" tábla"), QStringView(u" col"), QStringView(u" hasáb")}) {
        if (part.endsWith(unit)) {
            const QStringView number = part.chopped(unit.size());
            return isCount(number) || isRoman(number);
        }
    }
    for (qsizetype i = 1; i + 1 < part.size(); ++i) {
        if (!isDash(part[i]))
            continue;
        const QStringView first = part.first(i);
        const QStringView last = part.sliced(i + 1);
        if (isDigits(first) && isDigits(last))
            return last.toLongLong() >= first.toLongLong(); // "12–3" is a slip, not a range
        return isRoman(first) && isRoman(last);
    }
    return false;
}

bool isLetterAt(QStringView text, qsizetype i)
{
    return i >= 0 && i < text.size() && text[i].isLetter();
}

void checkText(Field field, QStringView text, std::vector<Finding>& out)
{
    if (text.isEmpty())
        return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'?' && isLetterAt(text, i - 1) && isLetterAt(text, i + 1)) {
            out.push_back(found(field, CheckKind::LostLetter, text.toString()));
            break;
        }
    }
    if (text.contains(u"  "))
        out.push_back(found(field, CheckKind::DoubleBlank, text.toString()));
    if (text.front().isSpace() || text.back().isSpace())
        out.push_back(found(field, CheckKind::EdgeBlank, text.toString()));
}

} // namespace

namespace CheckText {

QString kindName(CheckKind kind)
{
    switch (kind) {
    case CheckKind::Duplicate:
        return QStringLiteral("lehetséges duplikátum");
    case CheckKind::Year:
        return QStringLiteral("hibás évszám");
    case CheckKind::Pages:
        return QStringLiteral("szokatlan oldalszám");
    case CheckKind::EmptyTitle:
        return QStringLiteral("üres cím");
    case CheckKind::EmptyType:
        return QStringLiteral("üres rekordtípus");
    case CheckKind::UnknownType:
        return QStringLiteral("a listában nem szereplő rekordtípus");
    case CheckKind::UnknownLanguage:
        return QStringLiteral("a listában nem szereplő nyelv");
    case CheckKind::UnknownRole:
        return QStringLiteral("a listában nem szereplő szerepkód");
    case CheckKind::LostLetter:
        return QStringLiteral("elveszett betű (\"?\" betűk között)");
    case CheckKind::DoubleBlank:
        return QStringLiteral("dupla szóköz");
    case CheckKind::EdgeBlank:
        return QStringLiteral("szóköz a mező elején vagy végén");
    }
    return {};
}

QString fieldName(Field field)
{
    return RecordLine::fieldCaption(RecordSchema::position(field));
}

QString message(const Finding& finding)
{
    QString text = fieldName(finding.field) + QStringLiteral(": ") + kindName(finding.kind);
    if (!finding.detail.isEmpty())
        text += QStringLiteral(" (") + finding.detail + u')';
    return text;
}

} // namespace CheckText

RecordChecker::RecordChecker() : m_latestYear(QDate::currentDate().year() + 1) {}

void RecordChecker::setLists(const QStringList& recordTypes, const QStringList& roles,
                             const QStringList& languages)
{
    m_recordTypes = recordTypes;
    m_languages = languages;
    m_roleCount = roles.isEmpty() ? -1 : int(roles.size());
    // A folder without its list files says nothing about the values.
    m_haveTypes = !recordTypes.isEmpty();
    m_haveLanguages = !languages.isEmpty();
}

bool RecordChecker::isPlausibleYear(QStringView year, int latestYear)
{
    const auto inRange = [latestYear](QStringView digits) {
        if (digits.size() != 4 || !isDigits(digits))
            return false;
        const int value = digits.toInt();
        return value >= EarliestYear && value <= latestYear;
    };
    if (year.size() == 9 && year[4] == u'-')
        return inRange(year.first(4)) && inRange(year.sliced(5)) && year.first(4) <= year.sliced(5);
    return inRange(year);
}

bool RecordChecker::isKnownPageShape(QStringView pages)
{
    if (pages.isEmpty())
        return true;
    for (const QStringView part : pages.split(u", ")) {
        if (!isPagePart(part))
            return false;
    }
    return true;
}

std::vector<Finding> RecordChecker::check(const QStringList& fields) const
{
    using RecordSchema::value;
    std::vector<Finding> out;
    const QString& type = value(fields, Field::RecordType);
    if (type.isEmpty())
        out.push_back(found(Field::RecordType, CheckKind::EmptyType, QString()));
    else if (m_haveTypes && !m_recordTypes.contains(type))
        out.push_back(found(Field::RecordType, CheckKind::UnknownType, type));

    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
        const Field field = RecordSchema::creator(slot);
        const QString& text = value(fields, field);
        if (m_roleCount >= 0 && !text.isEmpty() &&
            CodeTables::roleComboIndex(QStringView(text).first(qMin<qsizetype>(2, text.size())),
                                       m_roleCount) < 0)
            out.push_back(found(field, CheckKind::UnknownRole, text.left(2)));
    }

    if (value(fields, Field::Title).isEmpty())
        out.push_back(found(Field::Title, CheckKind::EmptyTitle, QString()));
    const QString& year = value(fields, Field::Year);
    if (!year.isEmpty() && !isPlausibleYear(year, m_latestYear))
        out.push_back(found(Field::Year, CheckKind::Year, year));
    const QString& pages = value(fields, Field::Pages);
    if (!isKnownPageShape(pages.trimmed()))
        out.push_back(found(Field::Pages, CheckKind::Pages, pages));

    const QString& language = value(fields, Field::Language);
    if (m_haveLanguages && !language.isEmpty() && !m_languages.contains(language, Qt::CaseInsensitive))
        out.push_back(found(Field::Language, CheckKind::UnknownLanguage, language));

    for (const Field field : TextFields) {
        QStringView text = value(fields, field);
        if (RecordSchema::isCreator(field))
            text = text.size() > 2 ? text.sliced(2) : QStringView();
        checkText(field, text, out);
    }
    std::stable_sort(out.begin(), out.end(), [](const Finding& a, const Finding& b) {
        return RecordSchema::position(a.field) < RecordSchema::position(b.field);
    });
    return out;
}
