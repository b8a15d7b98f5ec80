#include "core/check/RecordCheck.h"

#include "core/check/BibliographicForms.h"

#include "core/record/CodeTables.h"
#include "core/record/RecordLine.h"

#include <QDate>

#include <algorithm>

namespace {

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
    if (const QString problem = BibliographicForms::yearProblem(year, m_latestYear); !problem.isEmpty())
        out.push_back(found(Field::Year, CheckKind::Year, year + QStringLiteral(" – ") + problem));
    const QString& pages = value(fields, Field::Pages);
    if (const QString problem = BibliographicForms::pagesProblem(pages); !problem.isEmpty())
        out.push_back(found(Field::Pages, CheckKind::Pages, pages + QStringLiteral(" – ") + problem));

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
