#include "core/exchange/RecordExporter.h"

#include "core/exchange/ExchangeRecord.h"
#include "core/record/FieldCursor.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QSaveFile>

#include <array>

namespace {

// Text is gathered as UTF-16 and turned into UTF-8 once per this many
// characters, not once per record.
constexpr qsizetype kFlushChars = 1 << 19;

using Exchange::EntryKind;

// A record line cut into its fields as views into the line: an export reads
// every field of every record once, so none of them is copied.
struct LineFields
{
    std::array<QStringView, RecordLine::FieldCount> f;

    explicit LineFields(QStringView line)
    {
        FieldCursor cursor(line);
        for (QStringView& value : f)
            value = cursor.next();
    }

    QStringView name() const { return f[0]; }
    QStringView type() const { return f[1]; }
    QStringView subject() const { return f[2]; }
    QStringView slot(int index) const { return f[size_t(3) + size_t(index)]; }
    QStringView title() const { return f[7]; }
    QStringView publication() const { return f[8]; }
    QStringView publisher() const { return f[9]; }
    QStringView volume() const { return f[10]; }
    QStringView year() const { return f[11]; }
    QStringView pages() const { return f[12]; }
    QStringView place() const { return f[13]; }
    QStringView note() const { return f[14]; }
    QStringView link() const { return f[15]; }
    QStringView language() const { return f[17]; }
    QStringView medium() const { return f[18]; }
};

constexpr int SlotCount = 4;

// A filled creator slot: two characters of role code, then the name.
bool isFilledSlot(QStringView slot)
{
    return slot.size() > 2;
}

// The role of a slot whose code is one of the first four roles' own ("01" to
// "04"), else 0; no other code stands for those roles.
int ownRole(QStringView slot)
{
    if (slot[0] != u'0')
        return 0;
    const char16_t digit = slot[1].unicode();
    return digit >= u'1' && digit <= u'4' ? digit - u'0' : 0;
}

Exchange::Creator creatorOf(QStringView slot)
{
    return Exchange::Creator{slot.first(2).toString(), slot.sliced(2).toString()};
}

bool needsBibEscape(QStringView text)
{
    for (const QChar c : text)
        if (c == u'\\' || c == u'{' || c == u'}')
            return true;
    return false;
}

// Braces and backslashes are the only characters that change the meaning of
// a braced BibTeX value; everything else is UTF-8 text as it is.
void appendBibEscaped(QString& out, QStringView text)
{
    if (!needsBibEscape(text)) {
        out.append(text);
        return;
    }
    for (const QChar c : text) {
        if (c == u'\\')
            out.append(u"\\textbackslash{}");
        else if (c == u'{' || c == u'}')
            out.append(u'\\').append(c);
        else
            out.append(c);
    }
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

QStringView bibPublicationField(EntryKind kind)
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
QStringView risPublicationTag(EntryKind kind)
{
    return kind == EntryKind::Book ? u"T3" : u"T2";
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

bool isPaper(QStringView medium)
{
    return medium.isEmpty() || medium == u"papír";
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

bool needsCsvQuotes(QStringView value)
{
    for (const QChar c : value)
        if (c == u'"' || c == u',' || c == u'\n' || c == u'\r')
            return true;
    return false;
}

void appendCsvField(QString& out, QStringView value)
{
    if (!needsCsvQuotes(value)) {
        out.append(value);
        return;
    }
    out.append(u'"');
    for (const QChar c : value) {
        if (c == u'"')
            out.append(u'"');
        out.append(c);
    }
    out.append(u'"');
}

} // namespace

RecordExporter::RecordExporter(ExportFormat format, QIODevice& out, QString outName)
    : m_format(format), m_out(out), m_outName(std::move(outName))
{
    if (m_format == ExportFormat::Csv) {
        // The mark tells spreadsheets that the text is UTF-8.
        m_buffer.append("\xEF\xBB\xBF");
        QString header;
        for (int i = 0; i < RecordLine::FieldCount; ++i) {
            if (i > 0)
                header.append(u',');
            appendCsvField(header, RecordLine::fieldCaption(i));
        }
        m_buffer.append(header.toUtf8()).append("\r\n");
    }
}

bool RecordExporter::formatFromName(QStringView name, ExportFormat* format)
{
    if (name == u"bibtex")
        *format = ExportFormat::BibTeX;
    else if (name == u"ris")
        *format = ExportFormat::Ris;
    else if (name == u"csv")
        *format = ExportFormat::Csv;
    else
        return false;
    return true;
}

bool RecordExporter::formatFromFileName(QStringView fileName, ExportFormat* format)
{
    const auto endsWith = [&](const char16_t* suffix) {
        return fileName.endsWith(suffix, Qt::CaseInsensitive);
    };
    if (endsWith(u".bib"))
        *format = ExportFormat::BibTeX;
    else if (endsWith(u".ris"))
        *format = ExportFormat::Ris;
    else if (endsWith(u".csv"))
        *format = ExportFormat::Csv;
    else
        return false;
    return true;
}

QString RecordExporter::nameFilter()
{
    return QStringLiteral("BibTeX|*.bib|RIS|*.ris|CSV|*.csv");
}

void RecordExporter::add(QStringView line)
{
    switch (m_format) {
    case ExportFormat::BibTeX:
        addBibTeX(line);
        break;
    case ExportFormat::Ris:
        addRis(line);
        break;
    case ExportFormat::Csv:
        addCsv(line);
        break;
    }
    ++m_count;
    flushIfFull();
}

void RecordExporter::appendUniqueKey(QStringView recordName)
{
    const QString base = keyBase(recordName);
    QString key = base;
    for (int n = 2; m_keys.contains(key); ++n)
        key = QStringLiteral("%1-%2").arg(base).arg(n);
    m_text.append(key);
    m_keys.insert(std::move(key));
}

void RecordExporter::addBibTeX(QStringView line)
{
    const LineFields r(line);
    const EntryKind kind = Exchange::entryKindOf(r.type());
    QString& out = m_text;
    out.append(u'@').append(bibEntryType(kind)).append(u'{');
    appendUniqueKey(r.name());
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
        appendBibEscaped(out, value);
        out.append(u"},");
    };
    // The names of one role joined by "and", in slot order.
    const auto names = [&](QStringView name, int role) {
        bool first = true;
        for (int slot = 0; slot < SlotCount; ++slot) {
            const QStringView value = r.slot(slot);
            if (!isFilledSlot(value) || ownRole(value) != role)
                continue;
            if (first)
                open(name);
            else
                out.append(u" and ");
            appendBibName(out, value.sliced(2));
            first = false;
        }
        if (!first)
            out.append(u"},");
    };
    names(u"author", Exchange::AuthorRole);
    names(u"editor", Exchange::EditorRole);
    names(u"translator", Exchange::TranslatorRole);
    names(u"introduction", Exchange::IntroductionRole);
    field(u"title", r.title());
    field(bibPublicationField(kind), r.publication());
    field(u"publisher", r.publisher());
    field(u"volume", r.volume());
    field(u"year", r.year());
    field(u"pages", r.pages());
    field(u"address", r.place());
    field(u"note", r.note());
    field(u"url", r.link());
    field(u"language", r.language());
    field(u"keywords", r.subject());
    if (Exchange::needsTypeNote(r.type()))
        field(u"type", r.type());
    if (!isPaper(r.medium()))
        field(u"howpublished", r.medium());
    bool firstOther = true;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QStringView value = r.slot(slot);
        if (!isFilledSlot(value) || ownRole(value) != 0)
            continue;
        const QString note = Exchange::creatorNote(creatorOf(value));
        if (firstOther)
            open(u"addendum");
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

void RecordExporter::addRis(QStringView line)
{
    const LineFields r(line);
    const EntryKind kind = Exchange::entryKindOf(r.type());
    QString& out = m_text;
    const auto tag = [&out](QStringView name, QStringView value) {
        if (value.isEmpty())
            return;
        out.append(name).append(u"  - ").append(value).append(u"\r\n");
    };
    tag(u"TY", risType(kind));
    tag(u"ID", r.name());
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QStringView value = r.slot(slot);
        if (!isFilledSlot(value))
            continue;
        const int role = ownRole(value);
        if (role == Exchange::AuthorRole)
            tag(u"AU", value.sliced(2));
        else if (role == Exchange::EditorRole)
            tag(u"ED", value.sliced(2));
        else if (role == Exchange::TranslatorRole)
            tag(u"A4", value.sliced(2));
    }
    tag(u"TI", r.title());
    tag(risPublicationTag(kind), r.publication());
    tag(u"PB", r.publisher());
    tag(u"VL", r.volume());
    tag(u"PY", r.year());
    QStringView firstPage;
    QStringView lastPage;
    if (splitPageRange(r.pages(), &firstPage, &lastPage)) {
        tag(u"SP", firstPage);
        tag(u"EP", lastPage);
    } else {
        tag(u"SP", r.pages());
    }
    tag(u"CY", r.place());
    tag(u"N1", r.note());
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QStringView value = r.slot(slot);
        const int role = isFilledSlot(value) ? ownRole(value) : -1;
        if (role == 0 || role == Exchange::IntroductionRole)
            tag(u"N1", Exchange::creatorNote(creatorOf(value)));
    }
    tag(u"UR", r.link());
    tag(u"LA", r.language());
    tag(u"KW", r.subject());
    if (Exchange::needsTypeNote(r.type()))
        tag(u"M3", r.type());
    if (!isPaper(r.medium()))
        out.append(u"N1  - Adathordozó: ").append(r.medium()).append(u"\r\n");
    out.append(u"ER  - \r\n\r\n");
}

void RecordExporter::addCsv(QStringView line)
{
    FieldCursor cursor(line);
    for (int i = 0; i < RecordLine::FieldCount; ++i) {
        if (i > 0)
            m_text.append(u',');
        appendCsvField(m_text, cursor.next());
    }
    m_text.append(u"\r\n");
}

void RecordExporter::flushIfFull()
{
    if (m_text.size() >= kFlushChars)
        flush();
}

void RecordExporter::flush()
{
    if (!m_text.isEmpty()) {
        m_buffer.append(m_text.toUtf8());
        m_text.resize(0); // keeps its capacity for the next records
    }
    if (m_buffer.isEmpty())
        return;
    if (m_out.write(m_buffer) != m_buffer.size())
        throw NorlaError::cannotCreate(m_outName);
    m_buffer.clear();
}

void RecordExporter::finish()
{
    flush();
}

QByteArray RecordExporter::encodeAll(ExportFormat format, const QStringList& lines)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    RecordExporter exporter(format, buffer, QString());
    for (const QString& line : lines)
        exporter.add(line);
    exporter.finish();
    return bytes;
}

ExportFile::ExportFile(const QString& path, ExportFormat format)
    : m_path(path), m_file(std::make_unique<QSaveFile>(path))
{
    if (!m_file->open(QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(path);
    m_exporter = std::make_unique<RecordExporter>(format, *m_file, path);
}

// An uncommitted QSaveFile leaves the previous file as it was.
ExportFile::~ExportFile() = default;

void ExportFile::commit()
{
    m_exporter->finish();
    TextFile::commit(*m_file, m_path);
}
