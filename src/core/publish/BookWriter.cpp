#include "core/publish/BookWriter.h"

#include "core/job/JobControl.h"
#include "core/publish/BookComposer.h"
#include "core/publish/EntryText.h"
#include "core/publish/FilingRules.h"
#include "core/publish/OdtWriter.h"
#include "core/publish/PagePainter.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include <qpdf/qpdf-c.h>

#include <stdexcept>
#include <vector>

namespace {

// Resolution of the PDF's coordinates; text is vector data, so it decides
// only how finely glyphs are placed.
constexpr int PdfResolution = 600;

// QPDF through its C interface, which keeps its objects until the end.
class PdfDocument
{
    Q_DISABLE_COPY_MOVE(PdfDocument)

public:
    PdfDocument() : m_pdf(qpdf_init())
    {
        qpdf_silence_errors(m_pdf);
        qpdf_set_suppress_warnings(m_pdf, QPDF_TRUE);
    }
    ~PdfDocument() { qpdf_cleanup(&m_pdf); }
    qpdf_data operator*() const { return m_pdf; }
    // Throws when QPDF met an error since the last look.
    void check() const
    {
        if (qpdf_has_error(m_pdf) != QPDF_FALSE) {
            const qpdf_error error = qpdf_get_error(m_pdf);
            throw std::runtime_error(qpdf_get_error_full_text(m_pdf, error));
        }
    }

private:
    qpdf_data m_pdf;
};

// The bookmarks: one outline item a heading, nested as the headings are.
void addOutline(const PdfDocument& pdf, const std::vector<PagePainter::Mark>& marks, qreal paperHeight)
{
    qpdf_data q = *pdf;
    const int pageCount = qpdf_get_num_pages(q);
    if (marks.empty() || pageCount <= 0)
        return;
    const qpdf_oh outlines = qpdf_make_indirect_object(q, qpdf_oh_new_dictionary(q));
    qpdf_oh_replace_key(q, outlines, "/Type", qpdf_oh_new_name(q, "/Outlines"));
    struct Open
    {
        qpdf_oh item;
        qpdf_oh last; // its last child so far, 0 for none
        int depth;
        int children;
    };
    std::vector<Open> stack{{outlines, 0, 0, 0}};
    const auto close = [&] {
        const Open& top = stack.back();
        // Below the first level the tree starts folded.
        if (top.children > 0)
            qpdf_oh_replace_key(q, top.item, "/Count",
                                qpdf_oh_new_integer(q, top.depth == 0 ? top.children : -top.children));
        stack.pop_back();
    };
    for (const PagePainter::Mark& mark : marks) {
        while (stack.size() > 1 && stack.back().depth >= mark.depth)
            close();
        Open& parent = stack.back();
        const qpdf_oh item = qpdf_make_indirect_object(q, qpdf_oh_new_dictionary(q));
        qpdf_oh_replace_key(q, item, "/Title",
                            qpdf_oh_new_unicode_string(q, mark.title.toUtf8().constData()));
        qpdf_oh_replace_key(q, item, "/Parent", parent.item);
        const qpdf_oh destination = qpdf_oh_new_array(q);
        qpdf_oh_append_item(q, destination, qpdf_get_page_n(q, size_t(qBound(0, mark.page, pageCount - 1))));
        qpdf_oh_append_item(q, destination, qpdf_oh_new_name(q, "/XYZ"));
        qpdf_oh_append_item(q, destination, qpdf_oh_new_null(q));
        qpdf_oh_append_item(q, destination, qpdf_oh_new_real_from_double(q, paperHeight - mark.top, 1));
        qpdf_oh_append_item(q, destination, qpdf_oh_new_null(q));
        qpdf_oh_replace_key(q, item, "/Dest", destination);
        if (parent.last == 0) {
            qpdf_oh_replace_key(q, parent.item, "/First", item);
        } else {
            qpdf_oh_replace_key(q, parent.last, "/Next", item);
            qpdf_oh_replace_key(q, item, "/Prev", parent.last);
        }
        qpdf_oh_replace_key(q, parent.item, "/Last", item);
        parent.last = item;
        ++parent.children;
        stack.push_back({item, 0, mark.depth, 0});
    }
    while (!stack.empty())
        close();
    const qpdf_oh root = qpdf_get_root(q);
    qpdf_oh_replace_key(q, root, "/Outlines", outlines);
    qpdf_oh_replace_key(q, root, "/PageMode", qpdf_oh_new_name(q, "/UseOutlines"));
    pdf.check();
}

// Qt's PDF writer knows neither bookmarks nor a page order other than the
// painting one: the painted pages are read back, the contents moved behind
// the title page, the outline added, and the whole written to `finished`.
void finishPdf(const QString& painted, const PagePainter& painter, qreal paperHeight, const QString& finished)
{
    // QPDF's C interface keeps the file names it is given and reads them
    // again while writing, so they must outlive the document.
    const QByteArray paintedName = QFile::encodeName(painted);
    const QByteArray finishedName = QFile::encodeName(finished);
    const PdfDocument pdf;
    qpdf_data q = *pdf;
    qpdf_read(q, paintedName.constData(), nullptr);
    pdf.check();
    const int pages = qpdf_get_num_pages(q);
    const int moved = painter.contentsPages();
    if (moved > 0 && moved < pages) {
        const qpdf_oh before = qpdf_get_page_n(q, size_t(painter.contentsPosition()));
        std::vector<qpdf_oh> contents;
        for (int page = pages - moved; page < pages; ++page)
            contents.push_back(qpdf_get_page_n(q, size_t(page)));
        for (const qpdf_oh page : contents) {
            qpdf_remove_page(q, page);
            qpdf_add_page_at(q, q, page, QPDF_TRUE, before);
        }
        pdf.check();
    }
    addOutline(pdf, painter.marks(), paperHeight);
    qpdf_init_write(q, finishedName.constData());
    // The painted streams are copied as they are, not decoded and packed again.
    qpdf_set_decode_level(q, qpdf_dl_none);
    qpdf_set_compress_streams(q, QPDF_TRUE);
    qpdf_write(q);
    pdf.check();
}

void copyInto(QIODevice& from, QIODevice& to)
{
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 read = from.read(chunk.data(), chunk.size());
        if (read < 0 || (read > 0 && to.write(chunk.constData(), read) != read))
            throw NorlaError::cannotCreate(to.objectName());
        if (read == 0)
            return;
    }
}

void writePdf(const Bibliography& book, PaperSize paper, bool twoSided, QSaveFile& file, JobControl& control)
{
    const BookComposer composer(book);
    const QFileInfo target(file.objectName());
    QTemporaryFile painted(
        target.dir().filePath(QStringLiteral(".") + target.fileName() + QStringLiteral(".XXXXXX")));
    if (!painted.open())
        throw NorlaError::cannotCreate(file.objectName());
    PagePainter painter(book);
    painter.setTwoSided(twoSided);
    painter.setContentsLast(true);
    const QPageLayout layout = PagePainter::pageLayout(paper);
    {
        QPdfWriter writer(&painted);
        writer.setResolution(PdfResolution);
        writer.setPageLayout(layout);
        writer.setTitle(composer.title());
        writer.setCreator(QStringLiteral("Norla"));
        // A PDF that could not be painted must not pass for a finished book.
        if (!painter.paint(writer, control))
            throw NorlaError::cannotCreate(file.objectName());
    }
    if (!painted.flush())
        throw NorlaError::cannotCreate(file.objectName());
    control.throwIfStopped();
    QTemporaryFile finished(
        target.dir().filePath(QStringLiteral(".") + target.fileName() + QStringLiteral(".XXXXXX")));
    if (!finished.open())
        throw NorlaError::cannotCreate(file.objectName());
    try {
        finishPdf(painted.fileName(), painter, layout.fullRectPoints().height(), finished.fileName());
    } catch (const std::exception&) {
        throw NorlaError::cannotCreate(file.objectName());
    }
    painted.remove();
    finished.seek(0);
    copyInto(finished, file);
}

void writeOdt(const Bibliography& book, PaperSize paper, QSaveFile& file, JobControl& control)
{
    const QByteArray package = OdtWriter::package(book, paper, file.objectName(), control);
    control.throwIfStopped();
    if (file.write(package) != package.size())
        throw NorlaError::cannotCreate(file.objectName());
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// "12, 34", every number a link to its entry.
QString numberLinks(const QList<int>& numbers)
{
    QStringList parts;
    parts.reserve(numbers.size());
    for (const int number : numbers)
        parts.append(QStringLiteral("<a href=\"#t%1\">%1</a>").arg(number));
    return parts.join(QStringLiteral(", "));
}

const char* const kStyleSheet = R"(
body { font-family: "DejaVu Serif", "Times New Roman", serif; font-size: 11pt; line-height: 1.35;
       max-width: 42em; margin: 2em auto; padding: 0 1em; color: #111; }
header.title { text-align: center; margin: 6em 0 8em; }
header.title h1 { font-size: 2.2em; margin-bottom: .4em; }
header.title p { font-size: 1.4em; font-style: italic; }
h2, h3, h4, h5, h6 { margin: 1.2em 0 .4em; }
h5, h6 { font-style: italic; }
nav.toc { margin-bottom: 4em; }
nav.toc h2 { text-align: center; }
nav.toc ul { list-style: none; padding: 0; margin: 0; }
nav.toc li.l2 { margin-left: 1.5em; } nav.toc li.l3 { margin-left: 3em; }
nav.toc li.l4 { margin-left: 4.5em; } nav.toc li.l5 { margin-left: 6em; }
a { color: inherit; }
p.entry, p.index { margin: 0 0 .35em 2.2em; text-indent: -2.2em; }
p.entry b { font-weight: bold; }
p.index a { text-decoration: none; }
p.index a:hover { text-decoration: underline; }
section.index { margin-top: 4em; }
section.index h2 { text-align: center; }
section.index h3.letter { margin: 1em 0 .3em; }
@media (min-width: 50em) { section.index div.columns { column-count: 2; column-gap: 2.5em; } }
)";

// The index with a heading for every letter of the Hungarian alphabet it uses.
void writeIndex(QString& html, const QString& heading, const QString& id, const QList<IndexLine>& lines)
{
    if (lines.isEmpty())
        return;
    html += QStringLiteral("<section class=\"index\" id=\"%1\">\n<h2>").arg(id) + escaped(heading) +
            QStringLiteral("</h2>\n<div class=\"columns\">\n");
    QString letter;
    for (const IndexLine& line : lines) {
        const QString lineLetter = FilingRules::filingLetter(line.text);
        if (lineLetter != letter) {
            letter = lineLetter;
            html += QStringLiteral("<h3 class=\"letter\">") + escaped(letter) + QStringLiteral("</h3>\n");
        }
        html += QStringLiteral("<p class=\"index\">") + escaped(line.text) + QStringLiteral("  ") +
                numberLinks(line.numbers) + QStringLiteral("</p>\n");
    }
    html += QStringLiteral("</div>\n</section>\n");
}

// The table of contents: every heading, and the indexes, as links.
void writeContents(QString& html, const Bibliography& book)
{
    QString items;
    for (int g = 0; g < book.groups.size(); ++g) {
        const BibliographyGroup& group = book.groups[g];
        if (!group.heading.isEmpty())
            items +=
                QStringLiteral("<li class=\"l%1\"><a href=\"#c%2\">").arg(qBound(1, group.depth, 5)).arg(g) +
                escaped(group.heading) + QStringLiteral("</a></li>\n");
    }
    if (!book.names.isEmpty())
        items += QStringLiteral("<li class=\"l1\"><a href=\"#nevmutato\">") +
                 escaped(BookComposer::nameIndexHeading()) + QStringLiteral("</a></li>\n");
    if (!book.places.isEmpty())
        items += QStringLiteral("<li class=\"l1\"><a href=\"#foldrajzi\">") +
                 escaped(BookComposer::placeIndexHeading()) + QStringLiteral("</a></li>\n");
    if (items.isEmpty())
        return;
    html += QStringLiteral("<nav class=\"toc\" id=\"tartalom\">\n<h2>Tartalom</h2>\n<ul>\n") + items +
            QStringLiteral("</ul>\n</nav>\n");
}

void writeEntry(QString& html, const Bibliography& book, int index)
{
    html += QStringLiteral("<p class=\"entry\" id=\"t%1\"><b>%1.</b> ").arg(index + 1);
    const QStringList fields = RecordLine::split(book.lines[size_t(index)]);
    for (const HitRun& run : EntryText::build(fields, book.roleNames)) {
        if (run.italic)
            html += QStringLiteral("<i>") + escaped(run.text) + QStringLiteral("</i>");
        else
            html += escaped(run.text);
    }
    html += QStringLiteral("</p>\n");
}

void flush(QString& html, QIODevice& device)
{
    if (device.write(html.toUtf8()) < 0)
        throw NorlaError::cannotCreate(device.objectName());
    html.clear();
}

} // namespace

namespace BookWriter {

void writeHtml(const Bibliography& book, QIODevice& device, const JobControl& control)
{
    const BookComposer composer(book);
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"hu\">\n<head>\n<meta charset=\"utf-8\">\n<title>") +
        escaped(composer.title()) + QStringLiteral("</title>\n<style>") + QString::fromUtf8(kStyleSheet) +
        QStringLiteral("</style>\n</head>\n<body>\n");
    html += QStringLiteral("<header class=\"title\">\n<h1>") + escaped(composer.title()) +
            QStringLiteral("</h1>\n");
    if (!book.subtitle.trimmed().isEmpty())
        html += QStringLiteral("<p>") + escaped(book.subtitle.trimmed()) + QStringLiteral("</p>\n");
    for (const QString& line : {BookComposer::compilerLine(book), BookComposer::imprint(book)})
        if (!line.isEmpty())
            html += QStringLiteral("<p>") + escaped(line) + QStringLiteral("</p>\n");
    html += QStringLiteral("</header>\n");
    writeContents(html, book);
    html += QStringLiteral("<main>\n");
    for (int g = 0; g < book.groups.size(); ++g) {
        const BibliographyGroup& group = book.groups[g];
        control.throwIfStopped();
        if (!group.heading.isEmpty()) {
            const int level = qBound(1, group.depth, 5) + 1;
            html += QStringLiteral("<h%1 id=\"c%2\">").arg(level).arg(g) + escaped(group.heading) +
                    QStringLiteral("</h%1>\n").arg(level);
        }
        for (int i = group.first; i < group.first + group.count; ++i) {
            writeEntry(html, book, i);
            if (html.size() > (1 << 20)) {
                control.throwIfStopped();
                flush(html, device);
            }
        }
    }
    html += QStringLiteral("</main>\n");
    writeIndex(html, BookComposer::nameIndexHeading(), QStringLiteral("nevmutato"), book.names);
    writeIndex(html, BookComposer::placeIndexHeading(), QStringLiteral("foldrajzi"), book.places);
    html += QStringLiteral("</body>\n</html>\n");
    control.throwIfStopped();
    flush(html, device);
}

void write(const Bibliography& book, PublishFormat format, PaperSize paper, const QString& path,
           JobControl& control, bool twoSided)
{
    QSaveFile file(path);
    file.setObjectName(path);
    if (!file.open(QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(path);
    switch (format) {
    case PublishFormat::Pdf:
        writePdf(book, paper, twoSided, file, control);
        break;
    case PublishFormat::Odt:
        writeOdt(book, paper, file, control);
        break;
    case PublishFormat::Html:
        writeHtml(book, file, control);
        break;
    }
    control.throwIfStopped();
    TextFile::commit(file, path);
}

} // namespace BookWriter
