#include "core/exchange/BibtexReader.h"

#include "core/exchange/CharacterScan.h"
#include "core/record/CodeTables.h"

#include <QHash>
#include <QStringTokenizer>

#include <algorithm>
#include <array>
#include <cstring>

namespace BibtexReader {

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
constexpr int kMaxBraceDepth = 100;

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
        const QString text = latexToUnicode(part);
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

char16_t combiningMark(QStringView command)
{
    static const QHash<QString, char16_t> marks = {
        {QStringLiteral("'"), 0x0301}, {QStringLiteral("\""), 0x0308}, {QStringLiteral("`"), 0x0300},
        {QStringLiteral("^"), 0x0302}, {QStringLiteral("~"), 0x0303},  {QStringLiteral("="), 0x0304},
        {QStringLiteral("."), 0x0307}, {QStringLiteral("H"), 0x030B},  {QStringLiteral("v"), 0x030C},
        {QStringLiteral("c"), 0x0327}, {QStringLiteral("u"), 0x0306},  {QStringLiteral("k"), 0x0328},
        {QStringLiteral("r"), 0x030A}, {QStringLiteral("d"), 0x0323},  {QStringLiteral("b"), 0x0331},
    };
    return marks.value(command.toString(), 0);
}

QString symbol(QStringView command)
{
    static const QHash<QString, QString> symbols = {
        {QStringLiteral("ss"), QStringLiteral("ß")},
        {QStringLiteral("o"), QStringLiteral("ø")},
        {QStringLiteral("O"), QStringLiteral("Ø")},
        {QStringLiteral("l"), QStringLiteral("ł")},
        {QStringLiteral("L"), QStringLiteral("Ł")},
        {QStringLiteral("aa"), QStringLiteral("å")},
        {QStringLiteral("AA"), QStringLiteral("Å")},
        {QStringLiteral("ae"), QStringLiteral("æ")},
        {QStringLiteral("AE"), QStringLiteral("Æ")},
        {QStringLiteral("oe"), QStringLiteral("œ")},
        {QStringLiteral("OE"), QStringLiteral("Œ")},
        {QStringLiteral("i"), QStringLiteral("ı")},
        {QStringLiteral("j"), QStringLiteral("ȷ")},
        {QStringLiteral("textbackslash"), QStringLiteral("\\")},
        {QStringLiteral("textasciitilde"), QStringLiteral("~")},
        {QStringLiteral("textendash"), QStringLiteral("–")},
        {QStringLiteral("textemdash"), QStringLiteral("—")},
        {QStringLiteral("S"), QStringLiteral("§")},
    };
    return symbols.value(command.toString());
}

// Writes every unit of text straight into the output: a braced name is
// decoded for every name of every entry.
class LatexDecoder final
{
public:
    explicit LatexDecoder(QStringView text) : m_text(text) {}

    QString decode()
    {
        QString out;
        out.reserve(m_text.size());
        while (m_pos < m_text.size()) {
            appendPlainRun(out);
            if (m_pos < m_text.size())
                next(out);
        }
        return out;
    }

private:
    // Groups and command arguments nest one call in another. Past this depth
    // (no real text comes near it) a character is taken as it is and a
    // command gets no argument, so no input can use up the stack, and a long
    // chain of accents costs no more than a short one per character.
    static constexpr int MaxNesting = 2 * kMaxBraceDepth;

    void next(QString& out)
    {
        if (m_nesting >= MaxNesting) {
            out.append(m_text[m_pos++]);
            return;
        }
        ++m_nesting;
        nextUnit(out);
        --m_nesting;
    }

    // One unit of text: a character, a command with its argument, or a group.
    void nextUnit(QString& out)
    {
        const QChar c = m_text[m_pos++];
        if (c == u'{') {
            group(out);
            return;
        }
        if (c == u'}')
            return;
        if (c != u'\\' || m_pos >= m_text.size()) {
            out.append(c);
            return;
        }
        const QChar d = m_text[m_pos];
        if (QStringView(u"{}&%$#_").contains(d)) {
            ++m_pos;
            out.append(d);
            return;
        }
        QStringView name;
        if (d.isLetter()) {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos].isLetter())
                ++m_pos;
            name = m_text.sliced(start, m_pos - start);
            // A space after a command word only ends the word.
            if (m_pos < m_text.size() && m_text[m_pos] == u' ')
                ++m_pos;
        } else {
            name = m_text.sliced(m_pos, 1);
            ++m_pos;
        }
        if (const char16_t mark = combiningMark(name)) {
            QString arg;
            argument(arg);
            if (arg.isEmpty()) {
                out.append(QChar(mark));
                return;
            }
            arg.insert(1, QChar(mark));
            out.append(arg.normalized(QString::NormalizationForm_C));
            return;
        }
        const QString sym = symbol(name);
        if (!sym.isEmpty()) {
            if (m_text.sliced(m_pos).startsWith(u"{}"))
                m_pos += 2;
            out.append(sym);
            return;
        }
        if (name == u"\\")
            out.append(u' ');
        // An unknown command: its argument group stays as text.
    }

    // Characters that are neither braces nor a backslash stand for
    // themselves; they are taken as one run rather than unit by unit. At the
    // nesting limit every character is taken by itself (next()).
    void appendPlainRun(QString& out)
    {
        if (m_nesting >= MaxNesting)
            return;
        const QChar* const from = m_text.data() + m_pos;
        const QChar* const to = CharacterScan::findBraceOrBackslash(from, m_text.data() + m_text.size());
        out.append(from, to - from);
        m_pos += to - from;
    }

    void group(QString& out)
    {
        while (m_pos < m_text.size()) {
            appendPlainRun(out);
            if (m_pos >= m_text.size())
                return;
            if (m_text[m_pos] == u'}') {
                ++m_pos;
                return;
            }
            next(out);
        }
    }

    void argument(QString& out)
    {
        if (m_nesting >= MaxNesting)
            return;
        while (m_pos < m_text.size() && m_text[m_pos] == u' ')
            ++m_pos;
        if (m_pos < m_text.size())
            next(out);
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    int m_nesting = 0;
};

// The fields the import gives a place of their own.
enum class Field
{
    Other,
    Author,
    Editor,
    Translator,
    Introduction,
    Addendum,
    Title,
    Publication,
    Publisher,
    Volume,
    Year,
    Date,
    Pages,
    Place,
    Note,
    Url,
    Language,
    Keywords,
    Type,
    HowPublished
};

// True when `name` is `text`, whose length the caller has made sure of:
// a comparison of known length is a few loads.
template <size_t N> bool isName(const QString& name, const char16_t (&text)[N])
{
    return std::memcmp(name.constData(), text, (N - 1) * sizeof(char16_t)) == 0;
}

// A field's place, found by the length of its name first: a record has a
// dozen fields, and a hash of every name cost more than this.
Field fieldOf(const QString& n)
{
    switch (n.size()) {
    case 3:
        return isName(n, u"url") ? Field::Url : Field::Other;
    case 4:
        return isName(n, u"year")   ? Field::Year
               : isName(n, u"date") ? Field::Date
               : isName(n, u"note") ? Field::Note
               : isName(n, u"type") ? Field::Type
                                    : Field::Other;
    case 5:
        return isName(n, u"title") ? Field::Title : isName(n, u"pages") ? Field::Pages : Field::Other;
    case 6:
        return isName(n, u"author")   ? Field::Author
               : isName(n, u"editor") ? Field::Editor
               : isName(n, u"series") ? Field::Publication
               : isName(n, u"volume") ? Field::Volume
                                      : Field::Other;
    case 7:
        return isName(n, u"journal")   ? Field::Publication
               : isName(n, u"address") ? Field::Place
                                       : Field::Other;
    case 8:
        return isName(n, u"addendum")   ? Field::Addendum
               : isName(n, u"location") ? Field::Place
               : isName(n, u"language") ? Field::Language
               : isName(n, u"keywords") ? Field::Keywords
                                        : Field::Other;
    case 9:
        return isName(n, u"booktitle")   ? Field::Publication
               : isName(n, u"publisher") ? Field::Publisher
                                         : Field::Other;
    case 10:
        return isName(n, u"translator") ? Field::Translator : Field::Other;
    case 12:
        return isName(n, u"journaltitle")   ? Field::Publication
               : isName(n, u"introduction") ? Field::Introduction
               : isName(n, u"howpublished") ? Field::HowPublished
                                            : Field::Other;
    default:
        return Field::Other;
    }
}

} // namespace

namespace {

bool hasLatex(QStringView text)
{
    return CharacterScan::findBraceOrBackslash(text.begin(), text.end()) != text.end();
}

// Plain text is shared, not copied.
QString decoded(const QString& text)
{
    return hasLatex(text) ? LatexDecoder(text).decode() : text;
}

} // namespace

QString latexToUnicode(QStringView text)
{
    return hasLatex(text) ? LatexDecoder(text).decode() : text.toString();
}

ParsedImport parse(const QStringList& lines)
{
    return Parser(lines.join(u'\n'), nullptr, false).run();
}

QList<ImportProblem> parse(const QString& text, const ImportEntrySink& onEntry)
{
    return Parser(text, &onEntry, true).run().problems;
}

Exchange::Record toRecord(const ImportEntry& entry)
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

    Exchange::Record r;
    r.type = Exchange::recordTypeOf(kind);
    QString note;
    QStringList extras;
    // The entry types the export writes come back as they went; any other
    // keeps its name in the note.
    static const QStringList ownTypes = {QStringLiteral("book"), QStringLiteral("article"),
                                         QStringLiteral("incollection"), QStringLiteral("misc")};
    if (!ownTypes.contains(entry.type))
        extras.append(QStringLiteral("típus: ") + entry.type);
    const auto takeFirst = [&extras](QString& target, const QString& field, const QString& value) {
        if (target.isEmpty())
            target = value;
        else
            extras.append(field + QStringLiteral(": ") + value);
    };
    const auto addCreators = [&r](const QString& raw, int role) {
        const QString code = CodeTables::roleCode(role);
        forEachName(raw, [&](const QString& name) { r.creators.append(Creator{code, name}); });
    };
    QString date;
    for (const auto& [field, raw] : entry.fields) {
        const QString flat = flattened(raw);
        const Field known = fieldOf(field);
        switch (known) {
        case Field::Author:
            addCreators(flat, Exchange::AuthorRole);
            continue;
        case Field::Editor:
            addCreators(flat, Exchange::EditorRole);
            continue;
        case Field::Translator:
            addCreators(flat, Exchange::TranslatorRole);
            continue;
        case Field::Introduction:
            addCreators(flat, Exchange::IntroductionRole);
            continue;
        default:
            break;
        }
        const QString value = decoded(flat);
        if (value.isEmpty())
            continue;
        switch (known) {
        case Field::Addendum:
            for (const QStringView part : qTokenize(value, u"; ")) {
                Creator creator;
                if (Exchange::parseCreatorNote(part, &creator))
                    r.creators.append(creator);
                else
                    extras.append(QStringLiteral("addendum: ").append(part));
            }
            continue;
        case Field::Title:
            takeFirst(r.title, field, value);
            continue;
        case Field::Publication:
            takeFirst(r.publication, field, value);
            continue;
        case Field::Publisher:
            takeFirst(r.publisher, field, value);
            continue;
        case Field::Volume:
            takeFirst(r.volume, field, value);
            continue;
        case Field::Year:
            takeFirst(r.year, field, value);
            continue;
        case Field::Date:
            takeFirst(date, field, value);
            continue;
        case Field::Pages:
            takeFirst(r.pages, field, value);
            continue;
        case Field::Place:
            takeFirst(r.place, field, value);
            continue;
        case Field::Note:
            Exchange::appendToNote(note, value);
            continue;
        case Field::Url:
            takeFirst(r.link, field, value);
            continue;
        case Field::Language:
            takeFirst(r.language, field, value);
            continue;
        case Field::Keywords:
            takeFirst(r.subject, field, value);
            continue;
        case Field::Type:
            if (Exchange::entryKindOf(value) != kind || !Exchange::needsTypeNote(value))
                break;
            r.type = value;
            continue;
        case Field::HowPublished:
            if (!CodeTables::media().contains(value) || !r.medium.isEmpty())
                break;
            r.medium = value;
            continue;
        default:
            break;
        }
        extras.append(field + QStringLiteral(": ") + value);
    }
    if (r.year.isEmpty() && !date.isEmpty())
        r.year = date.left(4);
    if (!date.isEmpty() && date != r.year)
        extras.append(QStringLiteral("date: ") + date);
    Exchange::finishImported(r, note, extras);
    return r;
}

} // namespace BibtexReader
