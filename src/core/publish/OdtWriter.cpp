#include "core/publish/OdtWriter.h"

#include "core/job/JobControl.h"
#include "core/publish/BookComposer.h"
#include "core/publish/EntryText.h"
#include "core/publish/FilingRules.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"

#include <QDateTime>
#include <QXmlStreamWriter>

#include <zip.h>

#include <memory>

namespace OdtWriter {

namespace {

constexpr int HeadingLevels = 5;

// Every document part declares the same namespaces, so any element may be written in any part.
void writeNamespaces(QXmlStreamWriter& xml)
{
    static const char* const namespaces[][2] = {
        {"office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"},
        {"style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"},
        {"text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"},
        {"table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0"},
        {"fo", "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"},
        {"svg", "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"},
        {"xlink", "http://www.w3.org/1999/xlink"},
        {"dc", "http://purl.org/dc/elements/1.1/"},
        {"meta", "urn:oasis:names:tc:opendocument:xmlns:meta:1.0"},
    };
    for (const auto& [prefix, uri] : namespaces)
        xml.writeAttribute(QStringLiteral("xmlns:") + QLatin1String(prefix), QLatin1String(uri));
    xml.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.3"));
}

// Writes the elements of one part; each start() is closed by the next end().
class Part
{
public:
    Part() : m_xml(&m_bytes) { m_xml.writeStartDocument(); }

    QXmlStreamWriter& xml() { return m_xml; }

    void start(const char* name, std::initializer_list<std::pair<const char*, QString>> attributes = {})
    {
        m_xml.writeStartElement(QLatin1String(name));
        for (const auto& [key, value] : attributes)
            m_xml.writeAttribute(QLatin1String(key), value);
    }
    void empty(const char* name, std::initializer_list<std::pair<const char*, QString>> attributes = {})
    {
        m_xml.writeEmptyElement(QLatin1String(name));
        for (const auto& [key, value] : attributes)
            m_xml.writeAttribute(QLatin1String(key), value);
    }
    void text(const QString& text) { m_xml.writeCharacters(text); }
    void end() { m_xml.writeEndElement(); }

    QByteArray take()
    {
        m_xml.writeEndDocument();
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
};

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// A paragraph style of styles.xml: its name, the name shown in Writer, its
// parent, and its paragraph and text properties.
struct ParagraphStyle
{
    const char* name;
    const char* displayName;
    const char* parent;
    std::initializer_list<std::pair<const char*, QString>> paragraph;
    std::initializer_list<std::pair<const char*, QString>> text;
    int outlineLevel = 0;
    const char* styleClass = "text";
};

void writeParagraphStyle(Part& out, const ParagraphStyle& style)
{
    out.start("style:style", {{"style:name", s(style.name)}, {"style:family", s("paragraph")}});
    if (style.displayName)
        out.xml().writeAttribute(QStringLiteral("style:display-name"), s(style.displayName));
    if (style.parent)
        out.xml().writeAttribute(QStringLiteral("style:parent-style-name"), s(style.parent));
    if (style.outlineLevel > 0) {
        out.xml().writeAttribute(QStringLiteral("style:default-outline-level"),
                                 QString::number(style.outlineLevel));
        out.xml().writeAttribute(QStringLiteral("style:next-style-name"), s("Bibliografiai_20_tetel"));
    }
    out.xml().writeAttribute(QStringLiteral("style:class"), s(style.styleClass));
    if (style.paragraph.size() > 0)
        out.empty("style:paragraph-properties", style.paragraph);
    if (style.text.size() > 0)
        out.empty("style:text-properties", style.text);
    out.end();
}

QByteArray stylesXml(PaperSize paper)
{
    Part out;
    out.start("office:document-styles");
    writeNamespaces(out.xml());
    out.start("office:font-face-decls");
    out.empty("style:font-face", {{"style:name", BookComposer::fontFamily()},
                                  {"svg:font-family", u'\'' + BookComposer::fontFamily() + u'\''},
                                  {"style:font-family-generic", s("roman")},
                                  {"style:font-pitch", s("variable")}});
    out.end();

    out.start("office:styles");
    out.start("style:default-style", {{"style:family", s("paragraph")}});
    out.empty("style:paragraph-properties",
              {{"fo:orphans", s("2")}, {"fo:widows", s("2")}, {"style:writing-mode", s("lr-tb")}});
    out.empty("style:text-properties", {{"style:font-name", BookComposer::fontFamily()},
                                        {"fo:font-size", s("10.5pt")},
                                        {"fo:language", s("hu")},
                                        {"fo:country", s("HU")},
                                        {"fo:hyphenate", s("true")},
                                        {"fo:hyphenation-remain-char-count", s("2")},
                                        {"fo:hyphenation-push-char-count", s("2")}});
    out.end();

    const QString tabEnd = paper == PaperSize::A4 ? s("16cm") : s("13.6cm");
    const ParagraphStyle styles[] = {
        {"Standard", nullptr, nullptr, {}, {}, 0, "text"},
        {"Heading",
         nullptr,
         "Standard",
         {{"fo:margin-top", s("0.5cm")},
          {"fo:margin-bottom", s("0.2cm")},
          {"fo:keep-with-next", s("always")}},
         {{"fo:font-weight", s("bold")}},
         0,
         "text"},
        {"Heading_20_1", "Heading 1", "Heading", {}, {{"fo:font-size", s("15pt")}}, 1, "text"},
        {"Heading_20_2", "Heading 2", "Heading", {}, {{"fo:font-size", s("13pt")}}, 2, "text"},
        {"Heading_20_3", "Heading 3", "Heading", {}, {{"fo:font-size", s("12pt")}}, 3, "text"},
        {"Heading_20_4",
         "Heading 4",
         "Heading",
         {},
         {{"fo:font-size", s("11pt")}, {"fo:font-style", s("italic")}},
         4,
         "text"},
        {"Heading_20_5",
         "Heading 5",
         "Heading",
         {},
         {{"fo:font-size", s("10.5pt")}, {"fo:font-style", s("italic")}, {"fo:font-weight", s("normal")}},
         5,
         "text"},
        {"Title",
         nullptr,
         "Standard",
         {{"fo:text-align", s("center")}, {"fo:margin-top", s("6cm")}, {"fo:margin-bottom", s("0.8cm")}},
         {{"fo:font-size", s("24pt")}, {"fo:font-weight", s("bold")}},
         0,
         "chapter"},
        {"Subtitle",
         nullptr,
         "Standard",
         {{"fo:text-align", s("center")}},
         {{"fo:font-size", s("15pt")}, {"fo:font-style", s("italic")}},
         0,
         "chapter"},
        {"Bibliografiai_20_tetel",
         "Bibliográfiai tétel",
         "Standard",
         {{"fo:margin-left", s("0.75cm")},
          {"fo:text-indent", s("-0.75cm")},
          {"fo:margin-bottom", s("0.1cm")},
          {"fo:text-align", s("justify")}},
         {},
         0,
         "text"},
        {"Nevmutato",
         "Névmutató",
         "Standard",
         {{"fo:margin-left", s("0.5cm")}, {"fo:text-indent", s("-0.5cm")}},
         {{"fo:hyphenate", s("false")}},
         0,
         "index"},
        {"Nevmutato_20_betujel",
         "Névmutató betűjele",
         "Standard",
         {{"fo:margin-top", s("0.3cm")},
          {"fo:margin-bottom", s("0.1cm")},
          {"fo:keep-with-next", s("always")}},
         {{"fo:font-weight", s("bold")}},
         0,
         "index"},
        {"Contents_20_Heading",
         "Contents Heading",
         "Heading",
         {{"fo:text-align", s("center")}},
         {{"fo:font-size", s("15pt")}},
         0,
         "index"},
        {"Footer", nullptr, "Standard", {{"fo:text-align", s("center")}}, {}, 0, "extra"},
    };
    for (const ParagraphStyle& style : styles)
        writeParagraphStyle(out, style);
    // The table of contents' levels, each indented and ended by a dotted tab to the page number.
    for (int level = 1; level <= HeadingLevels; ++level) {
        out.start("style:style", {{"style:name", QStringLiteral("Contents_20_%1").arg(level)},
                                  {"style:display-name", QStringLiteral("Contents %1").arg(level)},
                                  {"style:family", s("paragraph")},
                                  {"style:parent-style-name", s("Standard")},
                                  {"style:class", s("index")}});
        out.start("style:paragraph-properties",
                  {{"fo:margin-left", QStringLiteral("%1cm").arg(0.5 * (level - 1))}});
        out.start("style:tab-stops");
        out.empty("style:tab-stop", {{"style:position", tabEnd},
                                     {"style:type", s("right")},
                                     {"style:leader-style", s("dotted")},
                                     {"style:leader-text", s(".")}});
        out.end();
        out.end();
        out.end();
    }
    out.start("style:style", {{"style:name", s("Tetelszam")},
                              {"style:display-name", s("Tételszám")},
                              {"style:family", s("text")}});
    out.empty("style:text-properties", {{"fo:font-weight", s("bold")}});
    out.end();
    out.start("style:style", {{"style:name", s("Hivatkozas")},
                              {"style:display-name", s("Hivatkozás")},
                              {"style:family", s("text")}});
    out.empty("style:text-properties",
              {{"fo:color", s("#000000")}, {"style:text-underline-style", s("none")}});
    out.end();
    out.start("style:style", {{"style:name", s("Emphasis")}, {"style:family", s("text")}});
    out.empty("style:text-properties", {{"fo:font-style", s("italic")}});
    out.end();
    // Headings numbered by nothing, but each level tied to its style, so
    // Writer's navigator and outline see them.
    out.start("text:outline-style", {{"style:name", s("Outline")}});
    for (int level = 1; level <= 10; ++level)
        out.empty("text:outline-level-style",
                  {{"text:level", QString::number(level)}, {"style:num-format", QString()}});
    out.end();
    out.end(); // office:styles

    const bool a4 = paper == PaperSize::A4;
    out.start("office:automatic-styles");
    out.start("style:page-layout", {{"style:name", s("Oldal")}});
    out.empty("style:page-layout-properties", {{"fo:page-width", a4 ? s("21cm") : s("17.6cm")},
                                               {"fo:page-height", a4 ? s("29.7cm") : s("25cm")},
                                               {"style:print-orientation", s("portrait")},
                                               {"fo:margin-top", s("2cm")},
                                               {"fo:margin-bottom", s("1.5cm")},
                                               {"fo:margin-left", s("2cm")},
                                               {"fo:margin-right", s("2cm")}});
    out.start("style:footer-style");
    out.empty("style:header-footer-properties",
              {{"fo:min-height", s("0.6cm")}, {"fo:margin-top", s("0.4cm")}});
    out.end();
    out.end();
    out.end();

    out.start("office:master-styles");
    out.start("style:master-page", {{"style:name", s("Standard")}, {"style:page-layout-name", s("Oldal")}});
    out.start("style:footer");
    out.start("text:p", {{"text:style-name", s("Footer")}});
    out.start("text:page-number", {{"text:select-page", s("current")}});
    out.text(s("1"));
    out.end();
    out.end();
    out.end();
    out.end();
    // The title page has no page number.
    out.empty("style:master-page", {{"style:name", s("Cimlap")},
                                    {"style:display-name", s("Címlap")},
                                    {"style:page-layout-name", s("Oldal")},
                                    {"style:next-style-name", s("Standard")}});
    out.end();
    out.end(); // office:document-styles
    return out.take();
}

QByteArray metaXml(const QString& title)
{
    Part out;
    out.start("office:document-meta");
    writeNamespaces(out.xml());
    out.start("office:meta");
    out.start("meta:generator");
    out.text(s("Norla"));
    out.end();
    out.start("dc:title");
    out.text(title);
    out.end();
    out.start("dc:language");
    out.text(s("hu-HU"));
    out.end();
    out.start("meta:creation-date");
    out.text(QDateTime::currentDateTime().toString(Qt::ISODate));
    out.end();
    out.end();
    out.end();
    return out.take();
}

QByteArray manifestXml()
{
    Part out;
    out.start("manifest:manifest",
              {{"xmlns:manifest", s("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0")},
               {"manifest:version", s("1.3")}});
    out.empty("manifest:file-entry", {{"manifest:full-path", s("/")},
                                      {"manifest:version", s("1.3")},
                                      {"manifest:media-type", s("application/vnd.oasis.opendocument.text")}});
    for (const char* part : {"content.xml", "styles.xml", "meta.xml"})
        out.empty("manifest:file-entry",
                  {{"manifest:full-path", s(part)}, {"manifest:media-type", s("text/xml")}});
    out.end();
    return out.take();
}

class ContentWriter
{
public:
    ContentWriter(const Bibliography& book, JobControl& control) : m_book(book), m_control(control) {}

    QByteArray write(const QString& title)
    {
        m_out.start("office:document-content");
        writeNamespaces(m_out.xml());
        m_out.start("office:font-face-decls");
        m_out.empty("style:font-face", {{"style:name", BookComposer::fontFamily()},
                                        {"svg:font-family", u'\'' + BookComposer::fontFamily() + u'\''},
                                        {"style:font-family-generic", s("roman")}});
        m_out.end();
        writeAutomaticStyles();
        m_out.start("office:body");
        m_out.start("office:text");
        m_out.start("text:p", {{"text:style-name", s("PCimlap")}});
        m_out.text(title);
        m_out.end();
        if (!m_book.subtitle.trimmed().isEmpty()) {
            m_out.start("text:p", {{"text:style-name", s("Subtitle")}});
            m_out.text(m_book.subtitle.trimmed());
            m_out.end();
        }
        for (const QString& line : {BookComposer::compilerLine(m_book), BookComposer::imprint(m_book)}) {
            if (line.isEmpty())
                continue;
            m_out.start("text:p", {{"text:style-name", s("Subtitle")}});
            m_out.text(line);
            m_out.end();
        }
        writeContents();
        writeEntries();
        writeIndex(BookComposer::nameIndexHeading(), m_book.names, true);
        writeIndex(BookComposer::placeIndexHeading(), m_book.places, false);
        m_out.end();
        m_out.end();
        m_out.end();
        return m_out.take();
    }

private:
    void writeAutomaticStyles()
    {
        m_out.start("office:automatic-styles");
        m_out.start("style:style", {{"style:name", s("PCimlap")},
                                    {"style:family", s("paragraph")},
                                    {"style:parent-style-name", s("Title")},
                                    {"style:master-page-name", s("Cimlap")}});
        m_out.end();
        // The first paragraph after the title page, and an index, start a page.
        for (const char* parent : {"Contents_20_Heading", "Heading_20_1", "Standard"}) {
            m_out.start("style:style", {{"style:name", s(parent) + QStringLiteral("_oldaltores")},
                                        {"style:family", s("paragraph")},
                                        {"style:parent-style-name", s(parent)},
                                        {"style:master-page-name", s("Standard")}});
            m_out.empty("style:paragraph-properties", {{"fo:break-before", s("page")}});
            m_out.end();
        }
        m_out.start("style:style", {{"style:name", s("Ketoszlop")}, {"style:family", s("section")}});
        m_out.start("style:section-properties");
        m_out.empty("style:columns", {{"fo:column-count", s("2")}, {"fo:column-gap", s("0.6cm")}});
        m_out.end();
        m_out.end();
        m_out.end();
    }

    // The table of contents: Writer's own index over the headings, filled in
    // here with the headings' texts; "Frissítés" in Writer adds the pages.
    void writeContents()
    {
        QList<int> headings;
        for (int g = 0; g < m_book.groups.size(); ++g)
            if (!m_book.groups[g].heading.isEmpty())
                headings.append(g);
        const QString contents = QStringLiteral("Tartalom");
        m_out.start("text:table-of-content", {{"text:name", contents}, {"text:protected", s("false")}});
        m_out.start("text:table-of-content-source", {{"text:outline-level", QString::number(HeadingLevels)}});
        m_out.start("text:index-title-template", {{"text:style-name", s("Contents_20_Heading")}});
        m_out.text(contents);
        m_out.end();
        for (int level = 1; level <= HeadingLevels; ++level) {
            m_out.start("text:table-of-content-entry-template",
                        {{"text:outline-level", QString::number(level)},
                         {"text:style-name", QStringLiteral("Contents_20_%1").arg(level)}});
            m_out.empty("text:index-entry-link-start");
            m_out.empty("text:index-entry-text");
            m_out.empty("text:index-entry-tab-stop",
                        {{"style:type", s("right")}, {"style:leader-char", s(".")}});
            m_out.empty("text:index-entry-page-number");
            m_out.empty("text:index-entry-link-end");
            m_out.end();
        }
        m_out.end();
        m_out.start("text:index-body");
        m_out.start("text:index-title", {{"text:name", contents + QStringLiteral("_fej")}});
        m_out.start("text:p", {{"text:style-name", s("Contents_20_Heading_oldaltores")}});
        m_out.text(contents);
        m_out.end();
        m_out.end();
        for (const int g : headings)
            contentsLine(m_book.groups[g].heading, qBound(1, m_book.groups[g].depth, HeadingLevels),
                         QStringLiteral("c%1").arg(g));
        if (!m_book.names.isEmpty())
            contentsLine(BookComposer::nameIndexHeading(), 1, QStringLiteral("nevmutato"));
        if (!m_book.places.isEmpty())
            contentsLine(BookComposer::placeIndexHeading(), 1, QStringLiteral("foldrajzi"));
        m_out.end();
        m_out.end();
    }

    // A line of the contents: the heading as a link, a dotted tab and the
    // heading's page, a page reference that Writer fills in as it lays the
    // pages out, so the contents carry page numbers before any update.
    void contentsLine(const QString& text, int level, const QString& target)
    {
        m_out.start("text:p", {{"text:style-name", QStringLiteral("Contents_20_%1").arg(level)}});
        link(target, text);
        m_out.empty("text:tab");
        m_out.start("text:bookmark-ref", {{"text:reference-format", s("page")}, {"text:ref-name", target}});
        m_out.end();
        m_out.end();
    }

    // A link inside the document, in black without underline, as a printed book has it.
    void link(const QString& target, const QString& text)
    {
        m_out.start("text:a", {{"xlink:type", s("simple")},
                               {"xlink:href", u'#' + target},
                               {"text:style-name", s("Hivatkozas")},
                               {"text:visited-style-name", s("Hivatkozas")}});
        m_out.text(text);
        m_out.end();
    }

    void heading(const QString& text, int level, const QString& bookmark, bool newPage)
    {
        const QString style = QStringLiteral("Heading_20_%1").arg(level);
        m_out.start("text:h", {{"text:style-name", newPage ? style + QStringLiteral("_oldaltores") : style},
                               {"text:outline-level", QString::number(level)}});
        m_out.empty("text:bookmark", {{"text:name", bookmark}});
        m_out.text(text);
        m_out.end();
    }

    void writeEntries()
    {
        m_control.setProgress(0, m_book.entryCount());
        // The book proper starts on a page of its own: its first-level heading
        // carries the break, or an empty paragraph does.
        const bool headed = !m_book.groups.isEmpty() && !m_book.groups.first().heading.isEmpty() &&
                            m_book.groups.first().depth <= 1;
        if (!headed) {
            m_out.start("text:p", {{"text:style-name", s("Standard_oldaltores")}});
            m_out.end();
        }
        bool first = headed;
        for (int g = 0; g < m_book.groups.size(); ++g) {
            m_control.throwIfStopped();
            const BibliographyGroup& group = m_book.groups[g];
            if (!group.heading.isEmpty()) {
                const int level = qBound(1, group.depth, HeadingLevels);
                // Only a first-level heading can carry the page break.
                heading(group.heading, level, QStringLiteral("c%1").arg(g), first);
                first = false;
            }
            for (int i = group.first; i < group.first + group.count; ++i) {
                writeEntry(i);
                if (i % 1024 == 0) {
                    m_control.throwIfStopped();
                    m_control.setProgress(i, m_book.entryCount());
                }
            }
        }
        m_control.setProgress(m_book.entryCount(), m_book.entryCount());
    }

    void writeEntry(int index)
    {
        m_out.start("text:p", {{"text:style-name", s("Bibliografiai_20_tetel")}});
        m_out.empty("text:bookmark", {{"text:name", QStringLiteral("t%1").arg(index + 1)}});
        m_out.start("text:span", {{"text:style-name", s("Tetelszam")}});
        m_out.text(QString::number(index + 1) + u'.');
        m_out.end();
        m_out.text(QStringLiteral(" "));
        const QStringList fields = RecordLine::split(m_book.lines[size_t(index)]);
        for (const HitRun& run : EntryText::build(fields, m_book.roleNames)) {
            if (run.italic) {
                m_out.start("text:span", {{"text:style-name", s("Emphasis")}});
                m_out.text(run.text);
                m_out.end();
            } else {
                m_out.text(run.text);
            }
        }
        m_out.end();
    }

    void writeIndex(const QString& title, const QList<IndexLine>& lines, bool names)
    {
        if (lines.isEmpty())
            return;
        m_control.throwIfStopped();
        heading(title, 1, names ? QStringLiteral("nevmutato") : QStringLiteral("foldrajzi"), true);
        m_out.start("text:section", {{"text:style-name", s("Ketoszlop")}, {"text:name", title}});
        QString letter;
        for (const IndexLine& line : lines) {
            const QString lineLetter = FilingRules::filingLetter(line.text);
            if (lineLetter != letter) {
                letter = lineLetter;
                m_out.start("text:p", {{"text:style-name", s("Nevmutato_20_betujel")}});
                m_out.text(letter);
                m_out.end();
            }
            m_out.start("text:p", {{"text:style-name", s("Nevmutato")}});
            m_out.text(line.text + u' ');
            m_out.empty("text:s");
            for (qsizetype i = 0; i < line.numbers.size(); ++i) {
                if (i > 0)
                    m_out.text(QStringLiteral(", "));
                const QString number = QString::number(line.numbers[i]);
                m_out.start("text:a",
                            {{"xlink:type", s("simple")}, {"xlink:href", QStringLiteral("#t") + number}});
                m_out.text(number);
                m_out.end();
            }
            m_out.end();
        }
        m_out.end();
    }

    const Bibliography& m_book;
    JobControl& m_control;
    Part m_out;
};

struct ZipCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFree
{
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// The archive is put together in memory, so the file is written once, by
// the caller's QSaveFile, and replaced only when the whole book is there.
QByteArray zipped(const std::vector<std::pair<const char*, QByteArray>>& parts, const QString& path)
{
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFree> memory(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!memory)
        throw NorlaError::cannotCreate(path);
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(memory.get(), ZIP_TRUNCATE, &error));
    if (!archive)
        throw NorlaError::cannotCreate(path);
    // The archive owns the source from here on; keep it for reading the bytes back.
    zip_source_keep(memory.get());
    for (const auto& [name, bytes] : parts) {
        zip_source_t* data =
            zip_source_buffer(archive.get(), bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = data ? zip_file_add(archive.get(), name, data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(data);
            throw NorlaError::cannotCreate(path);
        }
        // The mimetype comes first and uncompressed, so a reader finds the type at a fixed place.
        const bool stored = qstrcmp(name, "mimetype") == 0;
        if (zip_set_file_compression(archive.get(), zip_uint64_t(index),
                                     stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, stored ? 0 : 6) != 0)
            throw NorlaError::cannotCreate(path);
    }
    if (zip_close(archive.get()) != 0)
        throw NorlaError::cannotCreate(path);
    (void)archive.release();

    zip_stat_t stat;
    if (zip_source_stat(memory.get(), &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        zip_source_open(memory.get()) != 0)
        throw NorlaError::cannotCreate(path);
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(memory.get(), bytes.data(), stat.size);
    zip_source_close(memory.get());
    if (read != zip_int64_t(stat.size))
        throw NorlaError::cannotCreate(path);
    return bytes;
}

} // namespace

QByteArray package(const Bibliography& book, PaperSize paper, const QString& path, JobControl& control)
{
    const QString title =
        book.title.trimmed().isEmpty() ? BookComposer::defaultTitle() : book.title.trimmed();
    control.throwIfStopped();
    const QByteArray content = ContentWriter(book, control).write(title);
    control.throwIfStopped();
    return zipped({{"mimetype", QByteArrayLiteral("application/vnd.oasis.opendocument.text")},
                   {"META-INF/manifest.xml", manifestXml()},
                   {"content.xml", content},
                   {"styles.xml", stylesXml(paper)},
                   {"meta.xml", metaXml(title)}},
                  path);
}

} // namespace OdtWriter
