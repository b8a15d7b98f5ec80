#include "core/exchange/BibtexFormat.h"

#include "core/exchange/CharacterScan.h"
#include "core/exchange/ExchangeFields.h"
#include "core/exchange/LatexText.h"
#include "core/record/CodeTables.h"

#include <QHash>
#include <QSet>
#include <QStringTokenizer>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>

using namespace ExchangeFields;
using Exchange::EntryKind;

namespace {

class SyntaxError
{
public:
    explicit SyntaxError(QString text) : message(std::move(text)) {}
    QString message;
};

// The ASCII characters of names, one bit each: letters, digits and "_-:.+/".
constexpr std::array<quint64, 2> kAsciiNameChars = {
    (quint64(0x3FF) << '0') | (quint64(1) << '-') | (quint64(1) << ':') | (quint64(1) << '.') |
        (quint64(1) << '+') | (quint64(1) << '/'),
    (quint64(0x3FFFFFF) << ('A' - 64)) | (quint64(0x3FFFFFF) << ('a' - 64)) | (quint64(1) << ('_' - 64))};

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (kAsciiNameChars[u >> 6] >> (u & 63)) & 1;
    return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u':' || c == u'.' || c == u'+' || c == u'/';
}

// Values are decoded group by group, one level of the stack per brace, so a
// value nested deeper than any real one is refused before it is decoded.
// The limit also bounds the work on a file of unclosed entries: reading
// goes on after each broken one, and without it every one of them would be
// read to the end of the file again.
constexpr int kMaxBraceDepth = LatexText::MaxBraceDepth;

SyntaxError tooDeep()
{
    return SyntaxError(
        QStringLiteral("túl mélyen egymásba ágyazott zárójelek (legfeljebb %1 szint)").arg(kMaxBraceDepth));
}

// `text` with LF alone ending its lines (CR LF, CR and U+2028 become LF),
// shared and not copied when that is so already.
QString withLfBreaks(const QString& text)
{
    if (!text.contains(u'\r') && !text.contains(QChar(0x2028)))
        return text;
    QString joined = text;
    joined.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    joined.replace(u'\r', u'\n');
    joined.replace(QChar(0x2028), u'\n');
    return joined;
}

// Entry types and field names are nearly always one of these; read as
// these shared texts, a field name costs no allocation.
QString knownLowerName(QStringView lower)
{
    static const QHash<QStringView, QString> names = [] {
        static const QString known[] = {
            QStringLiteral("article"),      QStringLiteral("book"),         QStringLiteral("incollection"),
            QStringLiteral("inbook"),       QStringLiteral("misc"),         QStringLiteral("inproceedings"),
            QStringLiteral("author"),       QStringLiteral("editor"),       QStringLiteral("translator"),
            QStringLiteral("title"),        QStringLiteral("journal"),      QStringLiteral("journaltitle"),
            QStringLiteral("booktitle"),    QStringLiteral("series"),       QStringLiteral("publisher"),
            QStringLiteral("volume"),       QStringLiteral("number"),       QStringLiteral("year"),
            QStringLiteral("date"),         QStringLiteral("month"),        QStringLiteral("pages"),
            QStringLiteral("address"),      QStringLiteral("location"),     QStringLiteral("note"),
            QStringLiteral("url"),          QStringLiteral("doi"),          QStringLiteral("isbn"),
            QStringLiteral("issn"),         QStringLiteral("language"),     QStringLiteral("keywords"),
            QStringLiteral("type"),         QStringLiteral("howpublished"), QStringLiteral("addendum"),
            QStringLiteral("introduction"), QStringLiteral("edition"),      QStringLiteral("abstract")};
        QHash<QStringView, QString> table;
        for (const QString& name : known)
            table.insert(name, name);
        return table;
    }();
    return names.value(lower);
}

// Walks the text of the whole file; positions are offsets into it.
class Parser final
{
public:
    // With `valuesIntoText`, values are views into `text` rather than
    // copies, so the text must outlive the entries.
    Parser(QString text, const ImportEntrySink* onEntry, bool valuesIntoText)
        : m_text(std::move(text)), m_onEntry(onEntry), m_valuesIntoText(valuesIntoText), m_view(m_text)
    {
        for (const char* month :
             {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"})
            m_macros.insert(QString::fromLatin1(month), QString::fromLatin1(month));
    }

    ParsedImport run()
    {
        ParsedImport result;
        while (true) {
            const qsizetype at = m_view.indexOf(u'@', m_pos);
            if (at < 0)
                break;
            m_pos = at + 1;
            const int line = lineOf(at);
            try {
                readItem(line, result);
            } catch (const SyntaxError& error) {
                result.problems.append({line, error.message});
                skipToNextEntryLine(at);
            }
        }
        return result;
    }

private:
    // The line of `pos`, counted on from the last position asked about:
    // entries are asked about in file order, so the text is counted once.
    int lineOf(qsizetype pos)
    {
        m_linesBefore += CharacterScan::countLineBreaks(m_view.data() + m_countedUpTo, m_view.data() + pos);
        m_countedUpTo = pos;
        return int(m_linesBefore) + 1;
    }

    // After a broken entry, reading goes on at the next line that starts
    // with "@", so one bad entry costs no other.
    void skipToNextEntryLine(qsizetype brokenEntry)
    {
        const QChar* const begin = m_view.data();
        const QChar* const end = begin + m_view.size();
        for (const QChar* at = CharacterScan::findLineBreak(begin + brokenEntry, end); at < end;
             at = CharacterScan::findLineBreak(at, end)) {
            if (*at == u'\r' && at + 1 < end && at[1] == u'\n')
                ++at;
            const QChar* p = ++at;
            while (p < end && (*p == u' ' || *p == u'\t'))
                ++p;
            if (p < end && *p == u'@') {
                m_pos = p - begin;
                return;
            }
        }
        m_pos = m_view.size();
    }

    bool atEnd() const { return m_pos >= m_view.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_view[m_pos]; }

    // The character at the current place as a message shows it: both halves
    // of a surrogate pair, not the first alone.
    QString shownCharacter() const
    {
        if (atEnd())
            return QString();
        const qsizetype length =
            m_view[m_pos].isHighSurrogate() && m_pos + 1 < m_view.size() && m_view[m_pos + 1].isLowSurrogate()
                ? 2
                : 1;
        return m_view.sliced(m_pos, length).toString();
    }

    // The position after the characters from the current one on that `take`
    // accepts. Kept in a local while it moves: the member would be written
    // back at every character.
    template <typename Accept> qsizetype endOfRun(Accept take) const
    {
        qsizetype at = m_pos;
        const qsizetype size = m_view.size();
        while (at < size && take(m_view[at]))
            ++at;
        return at;
    }

    void skipSpace()
    {
        m_pos = endOfRun([](QChar c) { return c.isSpace(); });
    }

    QStringView readName()
    {
        const qsizetype start = m_pos;
        m_pos = endOfRun(isNameChar);
        return m_view.sliced(start, m_pos - start);
    }

    // Entry types, field and macro names are read in lower case; they are
    // nearly always plain ASCII, and short.
    QString readLowerName() { return lowerName(readName()); }

    // A file spells its field names a few ways only, so each spelling is
    // turned into lower case once and then found again by a cheap hash of
    // its length and ends.
    QString readFieldName()
    {
        const QStringView name = readName();
        if (name.isEmpty())
            return QString();
        const size_t slot =
            (size_t(name.size()) * 31 + size_t(name.front().unicode()) * 7 + name.back().unicode()) %
            m_seenFieldNames.size();
        auto& [spelling, lower] = m_seenFieldNames[slot];
        if (spelling.size() != name.size() || !std::equal(spelling.begin(), spelling.end(), name.begin())) {
            spelling = name;
            lower = lowerName(name);
        }
        return lower;
    }

    QString lowerName(QStringView name)
    {
        constexpr qsizetype kShort = 16;
        char16_t lower[kShort];
        if (name.size() > kShort)
            return name.toString().toLower();
        for (qsizetype i = 0; i < name.size(); ++i) {
            const char16_t c = name[i].unicode();
            if (c >= 0x80)
                return name.toString().toLower();
            lower[i] = c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
        }
        const QStringView lowered(lower, name.size());
        QString known = knownLowerName(lowered);
        return known.isNull() ? lowered.toString() : known;
    }

    void expect(QChar c, const QString& what)
    {
        skipSpace();
        if (peek() != c)
            throw SyntaxError(atEnd() ? QStringLiteral("a bejegyzés nincs lezárva")
                                      : QStringLiteral("%1 helyén „%2” áll").arg(what, shownCharacter()));
        ++m_pos;
    }

    // The text of [start, end), shared with the file's text when entries
    // may refer into it.
    QString valueText(qsizetype start, qsizetype end) const
    {
        const QStringView text = m_view.sliced(start, end - start);
        if (m_valuesIntoText && !text.isEmpty())
            return QString::fromRawData(text.data(), text.size());
        return text.toString();
    }

    // The text up to the brace that closes the one just passed.
    QString readBraced()
    {
        const qsizetype start = m_pos;
        int depth = 1;
        while (!atEnd()) {
            m_pos =
                CharacterScan::findBraceOrBackslash(m_view.data() + m_pos, m_view.data() + m_view.size()) -
                m_view.data();
            if (atEnd())
                break;
            const QChar c = m_view[m_pos++];
            if (c == u'\\' && !atEnd()) {
                ++m_pos; // an escaped brace does not count
            } else if (c == u'{') {
                if (++depth > kMaxBraceDepth)
                    throw tooDeep();
            } else if (c == u'}' && --depth == 0) {
                return valueText(start, m_pos - 1);
            }
        }
        throw SyntaxError(QStringLiteral("lezáratlan kapcsos zárójel"));
    }

    QString readQuoted()
    {
        const qsizetype start = m_pos;
        int depth = 0;
        while (!atEnd()) {
            const QChar c = m_view[m_pos++];
            if (c == u'\\' && !atEnd())
                ++m_pos;
            else if (c == u'{' && ++depth > kMaxBraceDepth)
                throw tooDeep();
            else if (c == u'}' && --depth < 0)
                throw SyntaxError(QStringLiteral("fölösleges záró kapcsos zárójel"));
            else if (c == u'"' && depth == 0)
                return valueText(start, m_pos - 1);
        }
        throw SyntaxError(QStringLiteral("lezáratlan idézőjel"));
    }

    // Parts joined by "#": braced or quoted text, a number, or a macro name.
    QString readValue()
    {
        QString value;
        for (bool first = true;; first = false) {
            QString part = readValuePart();
            // The first part is taken as it is, so that a value shared with
            // the file's text stays shared; appending would copy it.
            if (first)
                value = std::move(part);
            else
                value += part;
            skipSpace();
            if (peek() != u'#')
                return value;
            ++m_pos;
        }
    }

    // Braced or quoted text, a number, or a macro name.
    QString readValuePart()
    {
        skipSpace();
        const QChar c = peek();
        if (c == u'{') {
            ++m_pos;
            return readBraced();
        }
        if (c == u'"') {
            ++m_pos;
            return readQuoted();
        }
        if (isNameChar(c)) {
            const QStringView name = readName();
            bool number = true;
            for (const QChar d : name)
                number = number && d.isDigit();
            return number ? name.toString() : m_macros.value(name.toString().toLower(), name.toString());
        }
        throw SyntaxError(atEnd() ? QStringLiteral("a bejegyzés nincs lezárva")
                                  : QStringLiteral("érték helyén „%1” áll").arg(shownCharacter()));
    }

    void readItem(int line, ParsedImport& result)
    {
        const QString type = readLowerName();
        if (type.isEmpty())
            return; // an "@" in the text between entries
        skipSpace();
        const QChar open = peek();
        if (open != u'{' && open != u'(')
            throw SyntaxError(QStringLiteral("„@%1” után hiányzik a nyitó zárójel").arg(type));
        ++m_pos;
        const QChar close = open == u'{' ? u'}' : u')';
        if (type == u"comment" || type == u"preamble") {
            if (open == u'{')
                readBraced();
            else
                skipParenthesised();
            return;
        }
        if (type == u"string") {
            skipSpace();
            const QString name = readLowerName();
            if (name.isEmpty())
                throw SyntaxError(QStringLiteral("@string név nélkül"));
            expect(u'=', QStringLiteral("„=”"));
            m_macros.insert(name, readValue());
            expect(close, QStringLiteral("záró zárójel"));
            return;
        }
        ImportEntry entry;
        entry.fields.reserve(16);
        entry.line = line;
        entry.type = type;
        skipSpace();
        const qsizetype keyStart = m_pos;
        m_pos = endOfRun([close](QChar c) { return c != u',' && c != close && !c.isSpace(); });
        if (m_pos == keyStart && peek() != close)
            throw SyntaxError(QStringLiteral("hiányzik a kulcs"));
        skipSpace();
        while (true) {
            skipSpace();
            if (peek() == close) {
                ++m_pos;
                break;
            }
            expect(u',', QStringLiteral("vessző"));
            skipSpace();
            if (peek() == close) {
                ++m_pos;
                break;
            }
            const QString field = readFieldName();
            if (field.isEmpty())
                throw SyntaxError(atEnd() ? QStringLiteral("a bejegyzés nincs lezárva")
                                          : QStringLiteral("mezőnév helyén „%1” áll").arg(shownCharacter()));
            expect(u'=', QStringLiteral("„=”"));
            entry.fields.append({field, readValue()});
        }
        if (m_onEntry)
            (*m_onEntry)(std::move(entry));
        else
            result.entries.append(std::move(entry));
    }

    void skipParenthesised()
    {
        int depth = 1;
        while (!atEnd()) {
            const QChar c = m_view[m_pos++];
            if (c == u'(' && ++depth > kMaxBraceDepth)
                throw tooDeep();
            else if (c == u')' && --depth == 0)
                return;
        }
        throw SyntaxError(QStringLiteral("lezáratlan zárójel"));
    }

    QString m_text;
    const ImportEntrySink* m_onEntry = nullptr;
    const bool m_valuesIntoText;
    // Every read goes through this view: an index into the string itself
    // would check on every character whether it has to be copied.
    QStringView m_view;
    qsizetype m_countedUpTo = 0; // lineOf() has counted the breaks before this
    qsizetype m_linesBefore = 0;
    std::array<std::pair<QStringView, QString>, 64> m_seenFieldNames; // spelling in the text, lower case
    QHash<QString, QString> m_macros;
    qsizetype m_pos = 0;
};

// A line break inside a value is a blank, as BibTeX reads it.
QString flattened(const QString& value)
{
    if (CharacterScan::findLineBreak(value.begin(), value.end()) == value.end())
        return value;
    const QString raw = withLfBreaks(value);
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'\n') {
            out.append(raw[i]);
            continue;
        }
        while (!out.isEmpty() && (out.back() == u' ' || out.back() == u'\t'))
            out.chop(1);
        while (i + 1 < raw.size() && raw[i + 1].isSpace())
            ++i;
        out.append(u' ');
    }
    return out;
}

// "and" in any case: only "A" and "a" give "a" with the case bit set, and
// so on.
bool isAnd(QChar a, QChar n, QChar d)
{
    return (a.unicode() | 0x20) == u'a' && (n.unicode() | 0x20) == u'n' && (d.unicode() | 0x20) == u'd';
}

// Calls `name` with each name of a name list, decoded and trimmed, empty
// ones left out. Names are separated by "and" outside braces.
template <typename NameHandler> void forEachName(QStringView raw, NameHandler&& name)
{
    const auto take = [&name](QStringView part) {
        const QString text = LatexText::toUnicode(part);
        const QStringView trimmed = QStringView(text).trimmed();
        if (trimmed.isEmpty())
            return;
        name(trimmed.size() == text.size() ? text : trimmed.toString());
    };
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\') {
            ++i;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            --depth;
        } else if (depth == 0 && c.isSpace() && i + 4 < raw.size() &&
                   isAnd(raw[i + 1], raw[i + 2], raw[i + 3]) && raw[i + 4].isSpace()) {
            take(raw.sliced(start, i - start));
            i += 4;
            start = i + 1;
        }
    }
    take(raw.sliced(qMin(start, raw.size())));
}

} // namespace

namespace {

// A field's place, found by the length of its name first: a record has a
// dozen fields, and a hash of every name cost more than this.
class PlaceByName final
{
public:
    PlaceByName()
    {
        for (const Entry& entry : Table)
            for (const QStringView spelling : entry.bibtex)
                if (!spelling.isEmpty())
                    m_byLength[size_t(spelling.size())].append({spelling, entry.place});
    }

    Place operator()(const QString& name) const
    {
        if (name.size() >= kLongest)
            return Place::Other;
        for (const auto& [spelling, place] : m_byLength[size_t(name.size())])
            if (std::memcmp(name.constData(), spelling.data(), size_t(name.size()) * sizeof(QChar)) == 0)
                return place;
        return Place::Other;
    }

private:
    static constexpr qsizetype kLongest = 16;
    std::array<QVarLengthArray<std::pair<QStringView, Place>, 4>, kLongest> m_byLength;
};

Place placeOfField(const QString& name)
{
    static const PlaceByName places;
    return places(name);
}

// What LaTeX makes of a character other than itself: a command (\ { }),
// an alignment tab (&), a comment (%), math ($ ^ _), a parameter (#) or a
// tie (~). The export writes each so that it prints as itself, and the
// reader (LatexText) turns each back into the character, so a value comes
// back exact.
QStringView latexEscape(QChar c)
{
    switch (c.unicode()) {
    case u'\\':
        return u"\\textbackslash{}";
    case u'{':
        return u"\\{";
    case u'}':
        return u"\\}";
    case u'&':
        return u"\\&";
    case u'%':
        return u"\\%";
    case u'$':
        return u"\\$";
    case u'#':
        return u"\\#";
    case u'_':
        return u"\\_";
    case u'~':
        return u"\\textasciitilde{}";
    case u'^':
        return u"\\textasciicircum{}";
    default:
        return {};
    }
}

void appendBibEscaped(QString& out, QStringView text)
{
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QStringView escape = latexEscape(text[i]);
        if (escape.isEmpty())
            continue;
        out.append(text.sliced(plainFrom, i - plainFrom)).append(escape);
        plainFrom = i + 1;
    }
    out.append(text.sliced(plainFrom));
}

// biblatex reads a link verbatim: the characters above stand for
// themselves there, and an escape would end up in the address. Only the
// braces that delimit the value, and a backslash before them, cannot be
// written; they go as the address's own %-escapes.
void appendBibUrl(QString& out, QStringView url)
{
    for (const QChar c : url) {
        if (c == u'{')
            out.append(u"%7B");
        else if (c == u'}')
            out.append(u"%7D");
        else if (c == u'\\')
            out.append(u"%5C");
        else
            out.append(c);
    }
}

// A link read back: verbatim, but with the escapes older BibTeX files put
// before "%", "&", "_", "#" and "~" taken off.
QString urlText(const QString& raw)
{
    if (!raw.contains(u'\\'))
        return raw;
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\\' && i + 1 < raw.size() && QStringView(u"%&_#~$").contains(raw[i + 1]))
            continue;
        out.append(raw[i]);
    }
    return out;
}

// A name without a comma is kept whole (a Hungarian name reads family name
// first, and BibTeX would take its last word for the family name); one with
// a comma is left to BibTeX's "Last, First" rule.
void appendBibName(QString& out, QStringView name)
{
    if (name.contains(u',') && !name.contains(u" and ")) {
        appendBibEscaped(out, name);
        return;
    }
    out.append(u'{');
    appendBibEscaped(out, name);
    out.append(u'}');
}

QStringView bibEntryType(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Book:
        return u"book";
    case EntryKind::Article:
        return u"article";
    case EntryKind::InCollection:
        return u"incollection";
    case EntryKind::Other:
        break;
    }
    return u"misc";
}

// A book's publication is its series, a part's the book it is in, and any
// other's a journal.
QStringView publicationField(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Book:
        return u"series";
    case EntryKind::InCollection:
        return u"booktitle";
    case EntryKind::Article:
    case EntryKind::Other:
        break;
    }
    return u"journal";
}

bool isKeyChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
           c == u':' || c == u'-' || c == u'_';
}

// Keys are built from the record name: letters, digits and ".:-_" only, so
// that every BibTeX program takes them.
QString keyBase(QStringView recordName)
{
    QString key;
    key.reserve(recordName.size());
    for (const QChar c : recordName)
        if (isKeyChar(c))
            key.append(c);
    return key.isEmpty() ? QStringLiteral("rekord") : key;
}

class BibtexWriter final : public RecordWriter
{
public:
    void write(QStringView line, QString& out) override
    {
        const LineFields r(line);
        const EntryKind kind = Exchange::entryKindOf(r[Field::RecordType]);
        out.append(u'@').append(bibEntryType(kind)).append(u'{');
        appendUniqueKey(r[Field::RecordName], out);
        out.append(u',');
        bool anyField = false;
        const auto open = [&](QStringView name) {
            out.append(u"\n  ").append(name).append(u" = {");
            anyField = true;
        };
        const auto field = [&](QStringView name, QStringView value) {
            if (value.isEmpty())
                return;
            open(name);
            if (name == bibtexName(Place::Link))
                appendBibUrl(out, value);
            else
                appendBibEscaped(out, value);
            out.append(u"},");
        };
        // The names of one role joined by "and", in slot order.
        const auto names = [&](QStringView name, Role role) {
            bool first = true;
            for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
                const QStringView value = r.slot(slot);
                if (!isFilledSlot(value) || ownRole(value) != role)
                    continue;
                if (first)
                    open(name);
                else
                    out.append(u" and ");
                appendBibName(out, nameIn(value));
                first = false;
            }
            if (!first)
                out.append(u"},");
        };
        for (const Role role : {Role::Author, Role::Editor, Role::Translator, Role::Introduction})
            names(bibtexName(placeOf(role)), role);
        for (const Place place :
             {Place::Title, Place::Publication, Place::Publisher, Place::Volume, Place::Year, Place::Pages,
              Place::City, Place::Note, Place::Link, Place::Language, Place::Subject})
            field(place == Place::Publication ? publicationField(kind) : bibtexName(place), r[place]);
        if (Exchange::needsTypeNote(r[Field::RecordType]))
            field(bibtexName(Place::Type), r[Field::RecordType]);
        if (!Exchange::isOnPaper(r[Field::Medium]))
            field(bibtexName(Place::Medium), r[Field::Medium]);
        bool firstOther = true;
        for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
            const QStringView value = r.slot(slot);
            if (!isFilledSlot(value) || ownRole(value))
                continue;
            const QString note = Exchange::creatorNote(creatorOf(value));
            if (firstOther)
                open(bibtexName(Place::Addendum));
            else
                out.append(u"; ");
            appendBibEscaped(out, note);
            firstOther = false;
        }
        if (!firstOther)
            out.append(u"},");
        if (anyField)
            out.chop(1); // the key keeps its comma, so an entry without fields stays valid
        out.append(u"\n}\n\n");
    }

private:
    void appendUniqueKey(QStringView recordName, QString& out)
    {
        const QString base = keyBase(recordName);
        QString key = base;
        for (int n = 2; m_keys.contains(key); ++n)
            key = QStringLiteral("%1-%2").arg(base).arg(n);
        out.append(key);
        m_keys.insert(std::move(key));
    }

    QSet<QString> m_keys;
};

} // namespace

ParsedImport BibtexFormat::parse(const QStringList& lines) const
{
    return Parser(lines.join(u'\n'), nullptr, false).run();
}

QList<ImportProblem> BibtexFormat::parse(const QString& text, const ImportEntrySink& onEntry) const
{
    return Parser(text, &onEntry, true).run().problems;
}

Exchange::Record BibtexFormat::toRecord(const ImportEntry& entry) const
{
    using Exchange::Creator;
    using Exchange::EntryKind;
    static const QStringList books = {
        QStringLiteral("book"),        QStringLiteral("mvbook"),     QStringLiteral("booklet"),
        QStringLiteral("manual"),      QStringLiteral("phdthesis"),  QStringLiteral("mastersthesis"),
        QStringLiteral("thesis"),      QStringLiteral("techreport"), QStringLiteral("report"),
        QStringLiteral("proceedings"), QStringLiteral("collection"), QStringLiteral("mvcollection")};
    static const QStringList articles = {QStringLiteral("article"), QStringLiteral("periodical")};
    static const QStringList parts = {QStringLiteral("incollection"), QStringLiteral("inbook"),
                                      QStringLiteral("inproceedings"), QStringLiteral("conference"),
                                      QStringLiteral("bookinbook")};
    EntryKind kind = EntryKind::Other;
    if (books.contains(entry.type))
        kind = EntryKind::Book;
    else if (articles.contains(entry.type))
        kind = EntryKind::Article;
    else if (parts.contains(entry.type))
        kind = EntryKind::InCollection;

    ImportedRecord record(kind);
    Exchange::Record& r = record.record();
    // The entry types the export writes come back as they went; any other
    // keeps its name in the note.
    static const QStringList ownTypes = {QStringLiteral("book"), QStringLiteral("article"),
                                         QStringLiteral("incollection"), QStringLiteral("misc")};
    if (!ownTypes.contains(entry.type))
        record.keep(QStringLiteral("típus: ") + entry.type);
    QString date;
    for (const auto& [field, raw] : entry.fields) {
        const QString flat = flattened(raw);
        const Place place = placeOfField(field);
        if (const std::optional<Role> role = roleOf(place)) {
            forEachName(flat, [&](const QString& name) { record.addCreator(*role, name); });
            continue;
        }
        const QString value = place == Place::Link ? urlText(flat) : LatexText::decoded(flat);
        if (value.isEmpty())
            continue;
        switch (place) {
        case Place::Addendum:
            for (const QStringView part : qTokenize(value, u"; ")) {
                Creator creator;
                if (Exchange::parseCreatorNote(part, &creator))
                    record.addCreator(std::move(creator));
                else
                    record.keep(QStringLiteral("addendum: ").append(part));
            }
            continue;
        case Place::Date:
            record.takeFirst(date, field, value);
            continue;
        case Place::Type:
            if (Exchange::entryKindOf(value) != kind || !Exchange::needsTypeNote(value))
                break;
            r.type = value;
            continue;
        case Place::Medium:
            if (!CodeTables::media().contains(value) || !r.medium.isEmpty())
                break;
            r.medium = value;
            continue;
        default:
            record.take(place, field, value);
            continue;
        }
        record.keep(field, value);
    }
    if (r.year.isEmpty() && !date.isEmpty())
        r.year = date.left(4);
    if (!date.isEmpty() && date != r.year)
        record.keep(QStringLiteral("date: ") + date);
    return record.finish();
}

std::unique_ptr<RecordWriter> BibtexFormat::writer(const ExportOptions& options) const
{
    Q_UNUSED(options);
    return std::make_unique<BibtexWriter>();
}
