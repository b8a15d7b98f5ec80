#include "core/exchange/RisFormat.h"

#include "core/exchange/CharacterScan.h"
#include "core/exchange/ExchangeFields.h"
#include "core/record/CodeTables.h"

#include <QRegularExpression>

#include <array>

using namespace ExchangeFields;
using Exchange::EntryKind;

namespace {

// "TY  - JOUR"; readers in the wild also write one blank, or none after the
// dash of an empty "ER  -".
const QRegularExpression& tagLine()
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Z][A-Z0-9]) {1,2}-(?: (.*))?$"));
    return pattern;
}

bool isUpperAscii(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A line with a surrogate or a line break inside is left to the pattern,
// which reads it by code point and line; every other line is cut by hand,
// since a file has one of these per field.
bool needsPattern(QStringView line)
{
    return CharacterScan::containsLineOrSurrogate(line.begin(), line.end());
}

// The tag and the value of a tag line, or false for any other line. The two
// letters of the tag are kept once per file, not once per line. A value is
// a view into the line, or a string of its own when the pattern read it.
class TagLineReader final
{
public:
    // `anyLineMayNeedPattern` false: no line can hold what the pattern is for,
    // so no line is looked at for it.
    explicit TagLineReader(bool anyLineMayNeedPattern) : m_anyLineMayNeedPattern(anyLineMayNeedPattern) {}

    bool read(QStringView line, QString* tag, QStringView* value, QString* ownValue)
    {
        if (m_anyLineMayNeedPattern && needsPattern(line))
            return readByPattern(line, tag, value, ownValue);
        if (line.size() < 4 || !isUpperAscii(line[0]) || !(isUpperAscii(line[1]) || isAsciiDigit(line[1])) ||
            line[2] != u' ')
            return false;
        qsizetype dash = 3;
        if (line[dash] == u' ')
            ++dash;
        if (dash >= line.size() || line[dash] != u'-')
            return false;
        const qsizetype rest = dash + 1;
        if (rest == line.size())
            *value = QStringView();
        else if (line[rest] == u' ')
            *value = line.sliced(rest + 1);
        else
            return false;
        *tag = cachedTag(line[0], line[1]);
        return true;
    }

private:
    static bool readByPattern(QStringView line, QString* tag, QStringView* value, QString* ownValue)
    {
        const QRegularExpressionMatch match = tagLine().match(line.toString());
        if (!match.hasMatch())
            return false;
        *tag = match.captured(1);
        *ownValue = match.captured(2);
        *value = *ownValue;
        return true;
    }

    // Every two-letter tag is written once for the program and shared, so a
    // tag costs neither an allocation nor a reference count.
    static QString cachedTag(QChar first, QChar second)
    {
        constexpr int kSeconds = 36; // A-Z, 0-9
        static const auto tags = [] {
            std::array<char16_t, 2 * 26 * kSeconds> letters{};
            for (int i = 0; i < 26 * kSeconds; ++i) {
                const int second = i % kSeconds;
                letters[size_t(2 * i)] = char16_t(u'A' + i / kSeconds);
                letters[size_t(2 * i + 1)] = char16_t(second < 26 ? u'A' + second : u'0' + second - 26);
            }
            return letters;
        }();
        const int index = (first.unicode() - u'A') * kSeconds +
                          (isAsciiDigit(second) ? 26 + (second.unicode() - u'0') : second.unicode() - u'A');
        return QString::fromRawData(reinterpret_cast<const QChar*>(tags.data() + 2 * index), 2);
    }

    const bool m_anyLineMayNeedPattern;
};

// A two-letter tag as one number, so that a field finds its place in one
// jump and not in a row of text comparisons; 0 for any other length.
constexpr unsigned tagCode(const char (&tag)[3])
{
    return unsigned(tag[0]) << 16 | unsigned(tag[1]);
}

unsigned tagCode(const QString& tag)
{
    return tag.size() == 2 ? unsigned(tag[0].unicode()) << 16 | tag[1].unicode() : 0;
}

Exchange::EntryKind kindOfRisType(QStringView type)
{
    static const QStringList books = {QStringLiteral("BOOK"), QStringLiteral("EBOOK"),
                                      QStringLiteral("EDBOOK")};
    static const QStringList articles = {QStringLiteral("JOUR"), QStringLiteral("EJOUR"),
                                         QStringLiteral("MGZN"), QStringLiteral("NEWS")};
    static const QStringList parts = {QStringLiteral("CHAP"), QStringLiteral("ECHAP"), QStringLiteral("CONF"),
                                      QStringLiteral("CPAPER")};
    if (books.contains(type))
        return Exchange::EntryKind::Book;
    if (articles.contains(type))
        return Exchange::EntryKind::Article;
    if (parts.contains(type))
        return Exchange::EntryKind::InCollection;
    return Exchange::EntryKind::Other;
}

// RIS dates are "YYYY/MM/DD/other"; a year alone keeps its text.
QString yearOf(const QString& value, QString& note)
{
    if (value.count(u'/') < 3)
        return value; // a year alone, the usual case
    static const QRegularExpression date(QStringLiteral("^(\\d{4})/([^/]*)/([^/]*)/(.*)$"));
    const QRegularExpressionMatch match = date.match(value);
    if (!match.hasMatch())
        return value;
    if (!match.captured(2).isEmpty() || !match.captured(3).isEmpty() || !match.captured(4).isEmpty())
        Exchange::appendToNote(note, QStringLiteral("PY: ") + value);
    return match.captured(1);
}

constexpr qsizetype kUsualFieldCount = 24;

// A line of blanks only; a tag line, nearly every line, starts with a letter.
bool isBlank(QStringView line)
{
    return line.isEmpty() || (!isUpperAscii(line[0]) && line.trimmed().isEmpty());
}

// Reads line after line; entries go to the sink, or into the result when
// there is none.
class Parser final
{
public:
    // With `valuesIntoText`, values are views into the text being read
    // rather than copies, so the text must outlive the entries.
    Parser(const ImportEntrySink* onEntry, bool valuesIntoText, bool anyLineMayNeedPattern)
        : m_onEntry(onEntry), m_valuesIntoText(valuesIntoText), m_tagLines(anyLineMayNeedPattern)
    {
    }

    void read(QStringView line, int lineNo)
    {
        if (lineNo == 1 && line.startsWith(u'\xFEFF'))
            line = line.mid(1);
        if (isBlank(line)) {
            m_continues = false;
            return;
        }
        QString tag;
        QStringView value;
        QString ownValue;
        if (!m_tagLines.read(line, &tag, &value, &ownValue)) {
            if (m_inEntry && m_continues && !m_current.fields.isEmpty()) {
                m_current.fields.last().second.append(u' ').append(line.trimmed());
                return;
            }
            if (m_inEntry)
                return; // stray text inside an entry; the entry is still whole
            m_result.problems.append({lineNo, QStringLiteral("sor bejegyzésen kívül, „TY  - ” nélkül")});
            return;
        }
        const unsigned code = tagCode(tag);
        if (code == tagCode("TY")) {
            if (m_inEntry)
                m_result.problems.append(
                    {m_current.line, QStringLiteral("a bejegyzés nincs lezárva („ER  - ” hiányzik)")});
            m_current = ImportEntry{lineNo, value.trimmed().toString(), {}};
            // Room for the fields of a usual entry at once, not list growth field by field.
            m_current.fields.reserve(kUsualFieldCount);
            m_inEntry = !m_current.type.isEmpty();
            if (!m_inEntry)
                m_result.problems.append({lineNo, QStringLiteral("„TY  - ” típus nélkül")});
            m_continues = false;
            return;
        }
        if (!m_inEntry) {
            if (code != tagCode("ER"))
                m_result.problems.append({lineNo, QStringLiteral("„%1” mező bejegyzésen kívül").arg(tag)});
            return;
        }
        if (code == tagCode("ER")) {
            if (m_onEntry)
                (*m_onEntry)(std::move(m_current));
            else
                m_result.entries.append(std::move(m_current));
            m_current = ImportEntry{};
            m_inEntry = false;
            m_continues = false;
            return;
        }
        m_current.fields.append({std::move(tag), valueOf(value, std::move(ownValue))});
        m_continues = true;
    }

    ParsedImport finish()
    {
        if (m_inEntry)
            m_result.problems.append(
                {m_current.line, QStringLiteral("a bejegyzés nincs lezárva („ER  - ” hiányzik)")});
        return std::move(m_result);
    }

private:
    QString valueOf(QStringView value, QString&& ownValue) const
    {
        if (!ownValue.isNull() || value.isEmpty())
            return std::move(ownValue);
        return m_valuesIntoText ? QString::fromRawData(value.data(), value.size()) : value.toString();
    }

    const ImportEntrySink* m_onEntry = nullptr;
    const bool m_valuesIntoText;
    ParsedImport m_result;
    ImportEntry m_current;
    bool m_inEntry = false;
    bool m_continues = false; // the last line was a field that a plain line may continue
    TagLineReader m_tagLines;
};

// A tag's place in one jump: the two letters of a tag index a table made
// once from the field table.
class PlaceByTag final
{
public:
    PlaceByTag()
    {
        m_places.fill(Place::Other);
        for (const Entry& entry : Table)
            for (const QStringView tag : entry.ris)
                if (!tag.isEmpty())
                    m_places[size_t(indexOf(tag[0], tag[1]))] = entry.place;
    }

    Place operator()(const QString& tag) const
    {
        if (tag.size() != 2 || !isUpperAscii(tag[0]) || !(isUpperAscii(tag[1]) || isAsciiDigit(tag[1])))
            return Place::Other;
        return m_places[size_t(indexOf(tag[0], tag[1]))];
    }

private:
    static constexpr int kSeconds = 36; // A-Z, 0-9
    static int indexOf(QChar first, QChar second)
    {
        return (first.unicode() - u'A') * kSeconds +
               (isAsciiDigit(second) ? 26 + (second.unicode() - u'0') : second.unicode() - u'A');
    }

    std::array<Place, 26 * kSeconds> m_places;
};

Place placeOfTag(const QString& tag)
{
    static const PlaceByTag places;
    return places(tag);
}

// The medium of a record not on paper travels in a note of its own.
const QString kMediumNote = QStringLiteral("Adathordozó: ");

QStringView risType(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Book:
        return u"BOOK";
    case EntryKind::Article:
        return u"JOUR";
    case EntryKind::InCollection:
        return u"CHAP";
    case EntryKind::Other:
        break;
    }
    return u"GEN";
}

// A book's series is its tertiary title; the journal or host volume of the
// others is their secondary title.
QStringView publicationTag(EntryKind kind)
{
    return kind == EntryKind::Book ? u"T3" : u"T2";
}

// "12-34": a start and an end page of digits only (any script's digits).
bool splitPageRange(QStringView pages, QStringView* first, QStringView* last)
{
    const qsizetype dash = pages.indexOf(u'-');
    if (dash < 0)
        return false;
    // Digits beyond the first plane and a line break are rare enough to be
    // left to the pattern, which reads them by code point and line.
    for (const QChar c : pages)
        if (c.isSurrogate() || c == u'\n') {
            static const QRegularExpression range(QStringLiteral("^(\\d+)-(\\d+)$"));
            const QRegularExpressionMatch match = range.match(pages);
            if (!match.hasMatch())
                return false;
            *first = match.capturedView(1);
            *last = match.capturedView(2);
            return true;
        }
    if (dash <= 0 || dash + 1 >= pages.size())
        return false;
    for (qsizetype i = 0; i < pages.size(); ++i)
        if (i != dash && !pages[i].isDigit())
            return false;
    *first = pages.first(dash);
    *last = pages.sliced(dash + 1);
    return true;
}

class RisWriter final : public RecordWriter
{
public:
    void write(QStringView line, QString& out) override
    {
        const LineFields r(line);
        const EntryKind kind = Exchange::entryKindOf(r[Field::RecordType]);
        const auto tag = [&out](QStringView name, QStringView value) {
            if (value.isEmpty())
                return;
            out.append(name).append(u"  - ").append(value).append(u"\r\n");
        };
        tag(u"TY", risType(kind));
        tag(risTag(Place::Name), r[Place::Name]);
        for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
            const QStringView value = r.slot(slot);
            if (!isFilledSlot(value))
                continue;
            const std::optional<Role> role = ownRole(value);
            if (role && !risTag(placeOf(*role)).isEmpty())
                tag(risTag(placeOf(*role)), nameIn(value));
        }
        tag(risTag(Place::Title), r[Place::Title]);
        tag(publicationTag(kind), r[Place::Publication]);
        for (const Place place : {Place::Publisher, Place::Volume, Place::Year})
            tag(risTag(place), r[place]);
        QStringView firstPage;
        QStringView lastPage;
        if (splitPageRange(r[Place::Pages], &firstPage, &lastPage)) {
            tag(risTag(Place::Pages), firstPage);
            tag(risTag(Place::EndPage), lastPage);
        } else {
            tag(risTag(Place::Pages), r[Place::Pages]);
        }
        tag(risTag(Place::City), r[Place::City]);
        tag(risTag(Place::Note), r[Place::Note]);
        for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
            const QStringView value = r.slot(slot);
            if (!isFilledSlot(value))
                continue;
            const std::optional<Role> role = ownRole(value);
            if (!role || role == Role::Introduction)
                tag(risTag(Place::Note), Exchange::creatorNote(creatorOf(value)));
        }
        for (const Place place : {Place::Link, Place::Language, Place::Subject})
            tag(risTag(place), r[place]);
        if (Exchange::needsTypeNote(r[Place::Type]))
            tag(risTag(Place::Type), r[Place::Type]);
        if (!Exchange::isOnPaper(r[Place::Medium]))
            tag(risTag(Place::Note), kMediumNote + r[Place::Medium].toString());
        out.append(u"ER  - \r\n\r\n");
    }
};

} // namespace

ParsedImport RisFormat::parse(const QStringList& lines) const
{
    Parser parser(nullptr, false, true);
    for (int i = 0; i < lines.size(); ++i)
        parser.read(lines[i], i + 1);
    return parser.finish();
}

QList<ImportProblem> RisFormat::parse(const QString& text, const ImportEntrySink& onEntry) const
{
    // The lines are cut at every line break the pattern knows but VT, FF,
    // NEL and U+2029; one look at the whole text for those, and for
    // surrogates, spares a look at every line.
    Parser parser(&onEntry, true, CharacterScan::containsUncutBreakOrSurrogate(text.begin(), text.end()));
    Exchange::forEachLine(text, [&parser](QStringView line, int lineNo) { parser.read(line, lineNo); });
    return parser.finish().problems;
}

Exchange::Record RisFormat::toRecord(const ImportEntry& entry) const
{
    using Exchange::Creator;
    const Exchange::EntryKind kind = kindOfRisType(entry.type);
    ImportedRecord record(kind);
    Exchange::Record& r = record.record();
    QString startPage;
    QString endPage;
    QStringList keywords;
    if (kind == Exchange::EntryKind::Other && entry.type != u"GEN")
        record.keep(QStringLiteral("TY: ") + entry.type);
    for (const auto& [tag, value] : entry.fields) {
        if (value.isEmpty())
            continue;
        const Place place = placeOfTag(tag);
        switch (place) {
        case Place::Year:
            if (!r.year.isEmpty())
                break; // a second date goes to the note
            r.year = yearOf(value, record.note());
            continue;
        case Place::Pages:
            record.takeFirst(startPage, tag, value);
            continue;
        case Place::EndPage:
            record.takeFirst(endPage, tag, value);
            continue;
        case Place::Note: {
            Creator creator;
            if (Exchange::parseCreatorNote(value, &creator))
                record.addCreator(std::move(creator));
            else if (value.startsWith(kMediumNote) &&
                     CodeTables::media().contains(value.mid(kMediumNote.size())))
                r.medium = value.mid(kMediumNote.size());
            else
                Exchange::appendToNote(record.note(), value);
            continue;
        }
        case Place::Subject:
            keywords.append(value);
            continue;
        case Place::Type:
            if (Exchange::entryKindOf(value) != kind || r.type == value || !Exchange::needsTypeNote(value))
                break;
            r.type = value;
            continue;
        case Place::Name:
            continue; // the record gets a name of its own
        default:
            record.take(place, tag, value);
            continue;
        }
        record.keep(tag, value);
    }
    r.pages = endPage.isEmpty() || startPage.isEmpty() ? startPage + endPage : startPage + u'-' + endPage;
    r.subject = keywords.join(QStringLiteral("; "));
    return record.finish();
}

std::unique_ptr<RecordWriter> RisFormat::writer(const ExportOptions& options) const
{
    Q_UNUSED(options);
    return std::make_unique<RisWriter>();
}
