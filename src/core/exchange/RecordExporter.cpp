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
    std::array<QStringView, RecordSchema::FieldCount> f;

    explicit LineFields(QStringView line)
    {
        FieldCursor cursor(line);
        for (QStringView& value : f)
            value = cursor.next();
    }

    QStringView operator[](Field field) const { return f[size_t(RecordSchema::position(field))]; }
    QStringView slot(int index) const { return (*this)[RecordSchema::creator(index)]; }
};

constexpr int SlotCount = RecordSchema::CreatorCount;
constexpr qsizetype RoleCodeLength = RecordSchema::RoleCodeLength;

// A filled creator slot: two characters of role code, then the name.
bool isFilledSlot(QStringView slot)
{
    return slot.size() > RoleCodeLength;
}

// The role of a filled slot when its code is one of the first four roles'.
std::optional<Role> ownRole(QStringView slot)
{
    return RecordSchema::roleOfCode(slot.first(RoleCodeLength));
}

QStringView nameIn(QStringView slot)
{
    return slot.sliced(RoleCodeLength);
}

Exchange::Creator creatorOf(QStringView slot)
{
    return Exchange::Creator{slot.first(RoleCodeLength).toString(), nameIn(slot).toString()};
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
    const EntryKind kind = Exchange::entryKindOf(r[Field::RecordType]);
    QString& out = m_text;
    out.append(u'@').append(bibEntryType(kind)).append(u'{');
    appendUniqueKey(r[Field::RecordName]);
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
    const auto names = [&](QStringView name, Role role) {
        bool first = true;
        for (int slot = 0; slot < SlotCount; ++slot) {
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
    names(u"author", Role::Author);
    names(u"editor", Role::Editor);
    names(u"translator", Role::Translator);
    names(u"introduction", Role::Introduction);
    field(u"title", r[Field::Title]);
    field(bibPublicationField(kind), r[Field::Publication]);
    field(u"publisher", r[Field::Publisher]);
    field(u"volume", r[Field::VolumeRun]);
    field(u"year", r[Field::Year]);
    field(u"pages", r[Field::Pages]);
    field(u"address", r[Field::Place]);
    field(u"note", r[Field::Note]);
    field(u"url", r[Field::Link]);
    field(u"language", r[Field::Language]);
    field(u"keywords", r[Field::Subject]);
    if (Exchange::needsTypeNote(r[Field::RecordType]))
        field(u"type", r[Field::RecordType]);
    if (!isPaper(r[Field::Medium]))
        field(u"howpublished", r[Field::Medium]);
    bool firstOther = true;
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QStringView value = r.slot(slot);
        if (!isFilledSlot(value) || ownRole(value))
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
    const EntryKind kind = Exchange::entryKindOf(r[Field::RecordType]);
    QString& out = m_text;
    const auto tag = [&out](QStringView name, QStringView value) {
        if (value.isEmpty())
            return;
        out.append(name).append(u"  - ").append(value).append(u"\r\n");
    };
    tag(u"TY", risType(kind));
    tag(u"ID", r[Field::RecordName]);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QStringView value = r.slot(slot);
        if (!isFilledSlot(value))
            continue;
        const std::optional<Role> role = ownRole(value);
        if (role == Role::Author)
            tag(u"AU", nameIn(value));
        else if (role == Role::Editor)
            tag(u"ED", nameIn(value));
        else if (role == Role::Translator)
            tag(u"A4", nameIn(value));
    }
    tag(u"TI", r[Field::Title]);
    tag(risPublicationTag(kind), r[Field::Publication]);
    tag(u"PB", r[Field::Publisher]);
    tag(u"VL", r[Field::VolumeRun]);
    tag(u"PY", r[Field::Year]);
    QStringView firstPage;
    QStringView lastPage;
    if (splitPageRange(r[Field::Pages], &firstPage, &lastPage)) {
        tag(u"SP", firstPage);
        tag(u"EP", lastPage);
    } else {
        tag(u"SP", r[Field::Pages]);
    }
    tag(u"CY", r[Field::Place]);
    tag(u"N1", r[Field::Note]);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QStringView value = r.slot(slot);
        if (!isFilledSlot(value))
            continue;
        const std::optional<Role> role = ownRole(value);
        if (!role || role == Role::Introduction)
            tag(u"N1", Exchange::creatorNote(creatorOf(value)));
    }
    tag(u"UR", r[Field::Link]);
    tag(u"LA", r[Field::Language]);
    tag(u"KW", r[Field::Subject]);
    if (Exchange::needsTypeNote(r[Field::RecordType]))
        tag(u"M3", r[Field::RecordType]);
    if (!isPaper(r[Field::Medium]))
        out.append(u"N1  - Adathordozó: ").append(r[Field::Medium]).append(u"\r\n");
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
