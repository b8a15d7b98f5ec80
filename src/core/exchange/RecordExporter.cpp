#include "core/exchange/RecordExporter.h"

#include "core/exchange/ExchangeRecord.h"
#include "core/record/CodeTables.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

constexpr qsizetype kFlushSize = 1 << 20;

using Exchange::EntryKind;

// Braces and backslashes are the only characters that change the meaning of
// a braced BibTeX value; everything else is UTF-8 text as it is.
QString bibEscaped(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\')
            out.append(QStringLiteral("\\textbackslash{}"));
        else if (c == u'{' || c == u'}')
            out.append(u'\\').append(c);
        else
            out.append(c);
    }
    return out;
}

// A name without a comma is kept whole (a Hungarian name reads family name
// first, and BibTeX would take its last word for the family name); one with
// a comma is left to BibTeX's "Last, First" rule.
QString bibName(const QString& name)
{
    const QString escaped = bibEscaped(name);
    if (name.contains(u',') && !name.contains(QStringLiteral(" and ")))
        return escaped;
    return u'{' + escaped + u'}';
}

QString bibEntryType(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Book:
        return QStringLiteral("book");
    case EntryKind::Article:
        return QStringLiteral("article");
    case EntryKind::InCollection:
        return QStringLiteral("incollection");
    case EntryKind::Other:
        break;
    }
    return QStringLiteral("misc");
}

QString bibPublicationField(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Book:
        return QStringLiteral("series");
    case EntryKind::InCollection:
        return QStringLiteral("booktitle");
    case EntryKind::Article:
    case EntryKind::Other:
        break;
    }
    return QStringLiteral("journal");
}

QString risType(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Book:
        return QStringLiteral("BOOK");
    case EntryKind::Article:
        return QStringLiteral("JOUR");
    case EntryKind::InCollection:
        return QStringLiteral("CHAP");
    case EntryKind::Other:
        break;
    }
    return QStringLiteral("GEN");
}

// A book's series is its tertiary title; the journal or host volume of the
// others is their secondary title.
const char* risPublicationTag(EntryKind kind)
{
    return kind == EntryKind::Book ? "T3" : "T2";
}

// Keys are built from the record name: letters, digits and ".:-_" only, so
// that every BibTeX program takes them.
QString keyBase(const QString& recordName)
{
    QString key;
    for (const QChar c : recordName)
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' ||
            c == u':' || c == u'-' || c == u'_')
            key.append(c);
    return key.isEmpty() ? QStringLiteral("rekord") : key;
}

bool isPaper(const QString& medium)
{
    return medium.isEmpty() || medium == u"papír";
}

QString csvField(const QString& value)
{
    if (!value.contains(u'"') && !value.contains(u',') && !value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace

RecordExporter::RecordExporter(ExportFormat format, QIODevice& out, QString outName)
    : m_format(format), m_out(out), m_outName(std::move(outName))
{
    if (m_format == ExportFormat::Csv) {
        // The mark tells spreadsheets that the text is UTF-8.
        m_buffer.append("\xEF\xBB\xBF");
        QStringList header;
        for (int i = 0; i < RecordLine::FieldCount; ++i)
            header.append(csvField(RecordLine::fieldCaption(i)));
        m_buffer.append(header.join(u',').toUtf8()).append("\r\n");
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

QString RecordExporter::uniqueKey(const QString& recordName)
{
    const QString base = keyBase(recordName);
    QString key = base;
    for (int n = 2; m_keys.contains(key); ++n)
        key = QStringLiteral("%1-%2").arg(base).arg(n);
    m_keys.insert(key);
    return key;
}

void RecordExporter::addBibTeX(QStringView line)
{
    const Exchange::Record r = Exchange::Record::fromLine(line);
    const EntryKind kind = Exchange::entryKindOf(r.type);
    QString out;
    out.reserve(line.size() * 2);
    out.append(u'@').append(bibEntryType(kind)).append(u'{').append(uniqueKey(r.name)).append(u',');
    const auto field = [&out](const QString& name, const QString& value, bool raw = false) {
        if (value.isEmpty())
            return;
        out.append(QStringLiteral("\n  ")).append(name).append(QStringLiteral(" = {"));
        out.append(raw ? value : bibEscaped(value)).append(u"},");
    };
    QStringList byRole[5];
    QStringList others;
    for (const Exchange::Creator& creator : r.creators) {
        const int role = creator.role();
        if (role >= 1 && role <= 4 && creator.roleCode == CodeTables::roleCode(role))
            byRole[role].append(bibName(creator.name));
        else
            others.append(Exchange::creatorNote(creator));
    }
    const QString and_ = QStringLiteral(" and ");
    field(QStringLiteral("author"), byRole[Exchange::AuthorRole].join(and_), true);
    field(QStringLiteral("editor"), byRole[Exchange::EditorRole].join(and_), true);
    field(QStringLiteral("translator"), byRole[Exchange::TranslatorRole].join(and_), true);
    field(QStringLiteral("introduction"), byRole[Exchange::IntroductionRole].join(and_), true);
    field(QStringLiteral("title"), r.title);
    field(bibPublicationField(kind), r.publication);
    field(QStringLiteral("publisher"), r.publisher);
    field(QStringLiteral("volume"), r.volume);
    field(QStringLiteral("year"), r.year);
    field(QStringLiteral("pages"), r.pages);
    field(QStringLiteral("address"), r.place);
    field(QStringLiteral("note"), r.note);
    field(QStringLiteral("url"), r.link);
    field(QStringLiteral("language"), r.language);
    field(QStringLiteral("keywords"), r.subject);
    if (Exchange::needsTypeNote(r.type))
        field(QStringLiteral("type"), r.type);
    if (!isPaper(r.medium))
        field(QStringLiteral("howpublished"), r.medium);
    field(QStringLiteral("addendum"), others.join(QStringLiteral("; ")));
    if (out.endsWith(u"},"))
        out.chop(1); // the key keeps its comma, so an entry without fields stays valid
    out.append(QStringLiteral("\n}\n\n"));
    m_buffer.append(out.toUtf8());
}

void RecordExporter::addRis(QStringView line)
{
    const Exchange::Record r = Exchange::Record::fromLine(line);
    const EntryKind kind = Exchange::entryKindOf(r.type);
    QString out;
    out.reserve(line.size() * 2);
    const auto tag = [&out](const char* name, const QString& value) {
        if (value.isEmpty())
            return;
        out.append(QLatin1StringView(name)).append(QStringLiteral("  - ")).append(value).append(u"\r\n");
    };
    tag("TY", risType(kind));
    tag("ID", r.name);
    for (const Exchange::Creator& creator : r.creators) {
        const int role = creator.role();
        const bool own = role >= 1 && role <= 4 && creator.roleCode == CodeTables::roleCode(role);
        if (own && role == Exchange::AuthorRole)
            tag("AU", creator.name);
        else if (own && role == Exchange::EditorRole)
            tag("ED", creator.name);
        else if (own && role == Exchange::TranslatorRole)
            tag("A4", creator.name);
    }
    tag("TI", r.title);
    tag(risPublicationTag(kind), r.publication);
    tag("PB", r.publisher);
    tag("VL", r.volume);
    tag("PY", r.year);
    static const QRegularExpression range(QStringLiteral("^(\\d+)-(\\d+)$"));
    const QRegularExpressionMatch pages = range.match(r.pages);
    if (pages.hasMatch()) {
        tag("SP", pages.captured(1));
        tag("EP", pages.captured(2));
    } else {
        tag("SP", r.pages);
    }
    tag("CY", r.place);
    tag("N1", r.note);
    for (const Exchange::Creator& creator : r.creators) {
        const int role = creator.role();
        const bool own = role >= 1 && role <= 3 && creator.roleCode == CodeTables::roleCode(role);
        if (!own)
            tag("N1", Exchange::creatorNote(creator));
    }
    tag("UR", r.link);
    tag("LA", r.language);
    tag("KW", r.subject);
    if (Exchange::needsTypeNote(r.type))
        tag("M3", r.type);
    if (!isPaper(r.medium))
        tag("N1", QStringLiteral("Adathordozó: ") + r.medium);
    out.append(QStringLiteral("ER  - \r\n\r\n"));
    m_buffer.append(out.toUtf8());
}

void RecordExporter::addCsv(QStringView line)
{
    const QStringList fields = RecordLine::split(line);
    QString out;
    out.reserve(line.size() + 64);
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.append(u',');
        out.append(csvField(fields[i]));
    }
    out.append(u"\r\n");
    m_buffer.append(out.toUtf8());
}

void RecordExporter::flushIfFull()
{
    if (m_buffer.size() >= kFlushSize)
        flush();
}

void RecordExporter::flush()
{
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
