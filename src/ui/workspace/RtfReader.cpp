#include "ui/workspace/RtfReader.h"

#include "core/record/BoundedQueue.h"

#include <QColor>
#include <QFont>
#include <QScopeGuard>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <exception>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace Rtf {

namespace {

constexpr size_t kFormatCacheSize = 16;

double twipsToPixels(int twips)
{
    return twips / 15.0; // 1440 twips per inch at 96 dpi
}

QTextCharFormat::UnderlineStyle underlineStyle(Underline underline)
{
    switch (underline) {
    case Underline::None:
        break;
    case Underline::Single:
        return QTextCharFormat::SingleUnderline;
    case Underline::Dotted:
        return QTextCharFormat::DotLine;
    case Underline::Dash:
        return QTextCharFormat::DashUnderline;
    case Underline::DashDot:
        return QTextCharFormat::DashDotLine;
    case Underline::DashDotDot:
        return QTextCharFormat::DashDotDotLine;
    case Underline::Wave:
        return QTextCharFormat::WaveUnderline;
    }
    return QTextCharFormat::NoUnderline;
}

QTextCharFormat::VerticalAlignment verticalAlignment(VerticalAlignment alignment)
{
    switch (alignment) {
    case VerticalAlignment::Normal:
        break;
    case VerticalAlignment::Superscript:
        return QTextCharFormat::AlignSuperScript;
    case VerticalAlignment::Subscript:
        return QTextCharFormat::AlignSubScript;
    }
    return QTextCharFormat::AlignNormal;
}

QColor qColor(const Color& color)
{
    return QColor(color.red, color.green, color.blue);
}

QTextCharFormat charFormat(const CharFormat& format)
{
    QTextCharFormat result;
    if (!format.fontFamily.isEmpty())
        result.setFontFamilies(QStringList{format.fontFamily});
    result.setFontPointSize(format.halfPoints / 2.0);
    // A property left out reads as its default (normal weight, upright, no
    // lines); a format with fewer properties is cheaper to copy and hash,
    // which the document does for every run it is given.
    if (format.bold)
        result.setFontWeight(QFont::Bold);
    if (format.italic)
        result.setFontItalic(true);
    if (format.underline != Underline::None)
        result.setUnderlineStyle(underlineStyle(format.underline));
    if (format.strike)
        result.setFontStrikeOut(true);
    if (format.verticalAlignment != VerticalAlignment::Normal)
        result.setVerticalAlignment(verticalAlignment(format.verticalAlignment));
    if (format.foreground)
        result.setForeground(qColor(*format.foreground));
    if (format.background)
        result.setBackground(qColor(*format.background));
    return result;
}

QTextBlockFormat blockFormat(const ParagraphFormat& format)
{
    QTextBlockFormat result;
    result.setAlignment(format.alignment);
    result.setLeftMargin(twipsToPixels(format.leftTwips));
    result.setRightMargin(twipsToPixels(format.rightTwips));
    result.setTextIndent(twipsToPixels(format.firstLineTwips));
    result.setTopMargin(twipsToPixels(format.beforeTwips));
    result.setBottomMargin(twipsToPixels(format.afterTwips));
    return result;
}

// What the parser reads, in reading order, passed from the parsing thread to
// the one that builds the document: the text of the runs in one buffer, and
// for each run the number of its (interned) format.
struct Batch
{
    enum class Kind : quint8
    {
        Text,
        ParagraphEnd,
        ParagraphStart,
    };
    struct Event
    {
        Kind kind;
        int format = 0;            // Text: index into the interned formats
        qsizetype length = 0;      // Text: characters taken from `text`
        ParagraphFormat paragraph; // ParagraphEnd
    };

    std::u16string text;
    std::vector<Event> events;
    std::vector<CharFormat> newFormats; // interned while this batch filled, in index order
};

// The parser's side: collects what it reads into batches.
class BatchingSink final : public Sink
{
public:
    static constexpr size_t kBatchCharacters = 1 << 16;
    static constexpr size_t kBatchEvents = 1 << 12;

    // `parser` is the parse's own control: the sink asks it to stop once
    // the builder has given up on the batches.
    BatchingSink(BoundedQueue<Batch>& queue, JobControl& parser) : m_queue(queue), m_parser(parser) {}

    void text(QStringView text, const CharFormat& format) override
    {
        m_batch.text.append(text.utf16(), size_t(text.size()));
        m_batch.events.push_back({Batch::Kind::Text, intern(format), text.size(), {}});
        sendWhenFull();
    }
    void paragraphEnd(const ParagraphFormat& format) override
    {
        m_batch.events.push_back({Batch::Kind::ParagraphEnd, 0, 0, format});
        sendWhenFull();
    }
    void paragraphStart() override
    {
        // The mark goes into the text too, so that the builder can hand it to
        // the document together with the text that follows.
        m_batch.text.push_back(QChar::ParagraphSeparator);
        m_batch.events.push_back({Batch::Kind::ParagraphStart, 0, 1, {}});
        sendWhenFull();
    }
    void send()
    {
        Batch batch = std::exchange(m_batch, {});
        if (!m_stopped && !m_queue.push(std::move(batch))) {
            m_stopped = true;
            m_parser.requestStop();
        }
    }

private:
    void sendWhenFull()
    {
        if (m_batch.text.size() >= kBatchCharacters || m_batch.events.size() >= kBatchEvents)
            send();
    }

    // Runs mostly alternate between a handful of formats: the few used last
    // are compared first; a format seen long ago may get a second number,
    // which costs the builder one more conversion, nothing else.
    int intern(const CharFormat& format)
    {
        for (const auto& [recent, index] : m_recent)
            if (recent == format)
                return index;
        const int index = m_formatCount++;
        m_batch.newFormats.push_back(format);
        if (m_recent.size() >= kFormatCacheSize)
            m_recent.erase(m_recent.begin());
        m_recent.emplace_back(format, index);
        return index;
    }

    BoundedQueue<Batch>& m_queue;
    JobControl& m_parser;
    Batch m_batch;
    std::vector<std::pair<CharFormat, int>> m_recent;
    int m_formatCount = 0;
    bool m_stopped = false;
};

// The building side: writes the batches into the document through one
// cursor, as one edit.
class DocumentBuilder final
{
public:
    explicit DocumentBuilder(QTextDocument& document) : m_cursor(&document) { m_cursor.beginEditBlock(); }
    ~DocumentBuilder() { m_cursor.endEditBlock(); }
    Q_DISABLE_COPY_MOVE(DocumentBuilder)

    void apply(const Batch& batch)
    {
        for (const CharFormat& format : batch.newFormats)
            m_formats.push_back(charFormat(format));
        const QChar* text = reinterpret_cast<const QChar*>(batch.text.data());
        const size_t count = batch.events.size();
        for (size_t i = 0; i < count; ++i) {
            const Batch::Event& event = batch.events[i];
            switch (event.kind) {
            case Batch::Kind::ParagraphStart:
                // A new paragraph and its first run go in as one insertion,
                // which spares the document a round of its bookkeeping per
                // paragraph and gives the mark the run's format; alone when
                // no text follows. One that ends the batch waits for the
                // next batch, so that where a batch ends changes nothing.
                if (i + 1 == count) {
                    m_paragraphPending = true;
                } else if (batch.events[i + 1].kind == Batch::Kind::Text) {
                    const Batch::Event& run = batch.events[++i];
                    insert(text, 1 + run.length, run.format);
                    break;
                } else {
                    m_cursor.insertBlock();
                }
                text += 1;
                break;
            case Batch::Kind::Text:
                if (m_paragraphPending) {
                    m_paragraphPending = false;
                    QString paragraph(1, QChar::ParagraphSeparator);
                    paragraph.append(QStringView(text, event.length));
                    m_cursor.insertText(paragraph, m_formats[size_t(event.format)]);
                    text += event.length;
                } else {
                    insert(text, event.length, event.format);
                }
                break;
            case Batch::Kind::ParagraphEnd:
                finishPendingParagraph();
                // A new block takes the format of the one before it, so most
                // paragraphs already have theirs.
                if (m_blockFormat != event.paragraph) {
                    m_cursor.setBlockFormat(blockFormat(event.paragraph));
                    m_blockFormat = event.paragraph;
                }
                break;
            }
        }
    }

    // A paragraph left waiting at the end of the last batch has no text.
    void finish() { finishPendingParagraph(); }

private:
    void finishPendingParagraph()
    {
        if (m_paragraphPending) {
            m_paragraphPending = false;
            m_cursor.insertBlock();
        }
    }

    // The batch lives through the call and the document copies what it is
    // given: no copy of our own.
    void insert(const QChar*& text, qsizetype length, int format)
    {
        m_cursor.insertText(QString::fromRawData(text, length), m_formats[size_t(format)]);
        text += length;
    }

    QTextCursor m_cursor;
    std::vector<QTextCharFormat> m_formats;       // by interned number
    std::optional<ParagraphFormat> m_blockFormat; // of the current block; none: the document's default
    bool m_paragraphPending = false;              // a paragraph started at the end of the last batch
};

} // namespace

void loadInto(QByteArrayView bytes, QTextDocument& document, const JobControl& control)
{
    // Loading replaces the content, so there is nothing to undo back to; the
    // undo stack is off meanwhile so that large documents do not fill it.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();

    // Parsing and building the document take about as long as each other, so
    // the parser runs on a thread of its own, a few batches ahead.
    // A few batches ahead: the builder abandons the queue when it stops (a
    // stop, an exception), after which the parser stops too; a stop asked of
    // the whole load reaches the parser directly, also while it reads a long
    // stretch that sends nothing.
    BoundedQueue<Batch> queue(4);
    std::exception_ptr parseError;
    JobControl parserControl(&control);
    std::thread parser([&] {
        BatchingSink sink(queue, parserControl);
        try {
            parse(bytes, sink, parserControl);
            sink.send();
        } catch (...) {
            parseError = std::current_exception();
        }
        queue.close();
    });
    // Whatever ends the building (a stop, an exception) ends the parser too.
    auto stopParser = qScopeGuard([&] {
        queue.abandon();
        parser.join();
    });
    {
        DocumentBuilder builder(document);
        while (const std::optional<Batch> batch = queue.pop()) {
            control.throwIfStopped();
            builder.apply(*batch);
        }
        builder.finish();
    }
    stopParser.dismiss();
    parser.join(); // it closed the queue, so it is done
    if (parseError)
        std::rethrow_exception(parseError);
    document.setUndoRedoEnabled(undo);
}

} // namespace Rtf
