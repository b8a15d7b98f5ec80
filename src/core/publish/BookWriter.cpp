#include "core/publish/BookWriter.h"

#include "core/job/JobControl.h"
#include "core/publish/BookComposer.h"
#include "core/publish/EntryText.h"
#include "core/publish/PagePainter.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace {

// Resolution of the PDF's coordinates; text is vector data, so it decides
// only how finely glyphs are placed.
constexpr int PdfResolution = 600;

// Hands what QPDF writes to the file being saved.
class DevicePipeline final : public Pipeline
{
public:
    explicit DevicePipeline(QIODevice& device) : Pipeline("norla-pdf", nullptr), m_device(device) {}
    void write(unsigned char const* data, size_t length) override
    {
        if (m_device.write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
            throw NorlaError::cannotCreate(m_device.objectName());
    }
    void finish() override {}

private:
    QIODevice& m_device;
};

// The bookmarks: one outline item a heading, nested as the headings are.
void addOutline(QPDF& pdf, const std::vector<QPDFPageObjectHelper>& pages,
                const std::vector<PagePainter::Mark>& marks, qreal paperHeight)
{
    if (marks.empty())
        return;
    QPDFObjectHandle outlines = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    struct Open
    {
        QPDFObjectHandle item;
        QPDFObjectHandle last; // its last child so far
        int depth;
        int children;
    };
    std::vector<Open> stack{{outlines, QPDFObjectHandle::newNull(), 0, 0}};
    const auto close = [&stack] {
        Open& top = stack.back();
        // Below the first level the tree starts folded.
        if (top.children > 0)
            top.item.replaceKey("/Count",
                                QPDFObjectHandle::newInteger(top.depth == 0 ? top.children : -top.children));
        stack.pop_back();
    };
    for (const PagePainter::Mark& mark : marks) {
        while (stack.size() > 1 && stack.back().depth >= mark.depth)
            close();
        Open& parent = stack.back();
        QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(mark.title.toStdString()));
        item.replaceKey("/Parent", parent.item);
        const size_t page = size_t(qBound(0, mark.page, int(pages.size()) - 1));
        item.replaceKey(
            "/Dest", QPDFObjectHandle::newArray(
                         {pages[page].getObjectHandle(), QPDFObjectHandle::newName("/XYZ"),
                          QPDFObjectHandle::newNull(), QPDFObjectHandle::newReal(paperHeight - mark.top, 1),
                          QPDFObjectHandle::newNull()}));
        if (parent.last.isNull()) {
            parent.item.replaceKey("/First", item);
        } else {
            parent.last.replaceKey("/Next", item);
            item.replaceKey("/Prev", parent.last);
        }
        parent.item.replaceKey("/Last", item);
        parent.last = item;
        ++parent.children;
        stack.push_back({item, QPDFObjectHandle::newNull(), mark.depth, 0});
    }
    while (!stack.empty())
        close();
    QPDFObjectHandle root = pdf.getRoot();
    root.replaceKey("/Outlines", outlines);
    root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
}

// Qt's PDF writer knows neither bookmarks nor a page order other than the
// painting one: the finished pages are read back, the contents moved behind
// the title page, the outline added, and the whole written to `target`.
void finishPdf(const QString& painted, const PagePainter& painter, qreal paperHeight, QIODevice& target)
{
    QPDF pdf;
    pdf.processFile(QFile::encodeName(painted).constData());
    QPDFPageDocumentHelper document(pdf);
    std::vector<QPDFPageObjectHelper> pages = document.getAllPages();
    const int moved = painter.contentsPages();
    if (moved > 0 && moved < int(pages.size())) {
        const std::vector<QPDFPageObjectHelper> contents(pages.end() - moved, pages.end());
        QPDFPageObjectHelper before = pages[size_t(painter.contentsPosition())];
        for (const QPDFPageObjectHelper& page : contents) {
            document.removePage(page);
            document.addPageAt(page, true, before);
        }
        pages = document.getAllPages();
    }
    addOutline(pdf, pages, painter.marks(), paperHeight);
    DevicePipeline pipeline(target);
    QPDFWriter writer(pdf);
    writer.setOutputPipeline(&pipeline);
    // The painted streams are copied as they are, not decoded and packed again.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(true);
    writer.write();
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
    try {
        finishPdf(painted.fileName(), painter, layout.fullRectPoints().height(), file);
    } catch (const NorlaError&) {
        throw;
    } catch (const std::exception&) {
        throw NorlaError::cannotCreate(file.objectName());
    }
}

void writeOdt(const Bibliography& book, QSaveFile& file, JobControl& control)
{
    const BookComposer composer(book);
    control.setProgress(0, composer.paragraphCount());
    auto document = composer.newDocument();
    constexpr qsizetype Step = 2000;
    for (qsizetype from = 0; from < composer.paragraphCount(); from += Step) {
        control.throwIfStopped();
        composer.compose(*document, from, qMin(composer.paragraphCount(), from + Step));
        control.setProgress(from, composer.paragraphCount());
    }
    document->setMetaInformation(QTextDocument::DocumentTitle, composer.title());
    control.throwIfStopped();
    // The ODF writer closes the device it wrote to, and a QSaveFile must not
    // be closed before its commit, so the package is put together in memory.
    QBuffer package;
    package.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&package, QByteArrayLiteral("ODF"));
    if (!writer.write(document.get()) || file.write(package.data()) != package.data().size())
        throw NorlaError::cannotCreate(file.objectName());
    control.setProgress(composer.paragraphCount(), composer.paragraphCount());
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString numberList(const QList<int>& numbers)
{
    QStringList parts;
    parts.reserve(numbers.size());
    for (const int number : numbers)
        parts.append(QString::number(number));
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
p.entry, p.index { margin: 0 0 .35em 2.2em; text-indent: -2.2em; }
p.entry b { font-weight: bold; }
section.index { margin-top: 4em; }
section.index h2 { text-align: center; }
)";

void writeIndex(QString& html, const QString& heading, const QList<IndexLine>& lines)
{
    if (lines.isEmpty())
        return;
    html += QStringLiteral("<section class=\"index\">\n<h2>") + escaped(heading) + QStringLiteral("</h2>\n");
    for (const IndexLine& line : lines)
        html += QStringLiteral("<p class=\"index\">") + escaped(line.text) + QStringLiteral("  ") +
                numberList(line.numbers) + QStringLiteral("</p>\n");
    html += QStringLiteral("</section>\n");
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
    html += QStringLiteral("</header>\n<main>\n");
    for (const BibliographyGroup& group : book.groups) {
        control.throwIfStopped();
        if (!group.heading.isEmpty()) {
            const int level = qBound(1, group.depth, 5) + 1;
            html += QStringLiteral("<h%1>").arg(level) + escaped(group.heading) +
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
    writeIndex(html, BookComposer::nameIndexHeading(), book.names);
    writeIndex(html, BookComposer::placeIndexHeading(), book.places);
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
        writeOdt(book, file, control);
        break;
    case PublishFormat::Html:
        writeHtml(book, file, control);
        break;
    }
    control.throwIfStopped();
    TextFile::commit(file, path);
}

} // namespace BookWriter
