#include "core/publish/BookWriter.h"

#include "core/job/JobControl.h"
#include "core/publish/BookComposer.h"
#include "core/publish/EntryText.h"
#include "core/publish/PagePainter.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextDocumentWriter>

namespace {

// Resolution of the PDF's coordinates; text is vector data, so it decides
// only how finely glyphs are placed.
constexpr int PdfResolution = 600;

void writePdf(const Bibliography& book, PaperSize paper, QSaveFile& file, JobControl& control)
{
    const BookComposer composer(book);
    QPdfWriter writer(&file);
    writer.setResolution(PdfResolution);
    writer.setPageLayout(PagePainter::pageLayout(paper));
    writer.setTitle(composer.title());
    writer.setCreator(QStringLiteral("Norla"));
    PagePainter painter(book);
    painter.paint(writer, control);
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
           JobControl& control)
{
    QSaveFile file(path);
    file.setObjectName(path);
    if (!file.open(QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(path);
    switch (format) {
    case PublishFormat::Pdf:
        writePdf(book, paper, file, control);
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
