#include "ui/workspace/RtfReader.h"

#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

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
    result.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    result.setFontItalic(format.italic);
    result.setUnderlineStyle(underlineStyle(format.underline));
    result.setFontStrikeOut(format.strike);
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

// Writes what the parser reads through one cursor, as one edit.
class DocumentSink final : public Sink
{
public:
    DocumentSink(QTextDocument& document, const std::atomic<bool>* cancel)
        : m_cursor(&document), m_cancel(cancel)
    {
        m_cursor.beginEditBlock();
    }
    ~DocumentSink() override { m_cursor.endEditBlock(); }
    Q_DISABLE_COPY_MOVE(DocumentSink)

    void text(QStringView text, const CharFormat& format) override
    {
        m_cursor.insertText(text.toString(), cachedCharFormat(format));
    }
    void paragraphEnd(const ParagraphFormat& format) override
    {
        m_cursor.setBlockFormat(blockFormat(format));
    }
    void paragraphStart() override { m_cursor.insertBlock(); }
    bool cancelRequested() const override { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

private:
    // Runs mostly alternate between a handful of formats; reusing the format
    // objects spares rebuilding them and their hash for every run.
    const QTextCharFormat& cachedCharFormat(const CharFormat& format)
    {
        for (const auto& [cached, result] : m_formatCache)
            if (cached == format)
                return result;
        if (m_formatCache.size() >= kFormatCacheSize)
            m_formatCache.erase(m_formatCache.begin());
        m_formatCache.emplace_back(format, charFormat(format));
        return m_formatCache.back().second;
    }

    QTextCursor m_cursor;
    const std::atomic<bool>* m_cancel;
    std::vector<std::pair<CharFormat, QTextCharFormat>> m_formatCache;
};

} // namespace

void loadInto(QByteArrayView bytes, QTextDocument& document, const std::atomic<bool>* cancel)
{
    // Loading replaces the content, so there is nothing to undo back to; the
    // undo stack is off meanwhile so that large documents do not fill it.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    {
        DocumentSink sink(document, cancel);
        parse(bytes, sink);
    }
    document.setUndoRedoEnabled(undo);
}

} // namespace Rtf
