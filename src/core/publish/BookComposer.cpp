#include "core/publish/BookComposer.h"

#include "core/publish/EntryText.h"
#include "core/record/RecordLine.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr qreal BodyPointSize = 10.5;
constexpr qreal HangingIndent = 28; // pixels at 96 dpi

QFont bookFont(qreal pointSize)
{
    QFont font(BookComposer::fontFamily());
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    return font;
}

QTextCharFormat charFormat(qreal pointSize, bool bold, bool italic)
{
    QTextCharFormat format;
    format.setFont(bookFont(pointSize));
    // Named again in the older single-name property too: the OpenDocument
    // writer reads the family from there and writes "Sans" without it.
    format.setFontFamilies({BookComposer::fontFamily()});
    format.setProperty(QTextFormat::OldFontFamily, BookComposer::fontFamily());
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    return format;
}

QString numberList(const QList<int>& numbers)
{
    QString text;
    for (const int number : numbers) {
        if (!text.isEmpty())
            text += QStringLiteral(", ");
        text += QString::number(number);
    }
    return text;
}

} // namespace

BookComposer::BookComposer(const Bibliography& book, qreal scale)
    : m_book(book), m_scale(scale), m_regular(charFormat(BodyPointSize, false, false)),
      m_italic(charFormat(BodyPointSize, false, true)), m_bold(charFormat(BodyPointSize, true, false))
{
    m_paragraphs.push_back({Kind::Title, 0});
    if (!m_book.subtitle.trimmed().isEmpty())
        m_paragraphs.push_back({Kind::Subtitle, 0});
    m_titlePageEnd = qsizetype(m_paragraphs.size());
    m_paragraphs.reserve(
        size_t(m_book.entryCount() + m_book.groups.size() + m_book.names.size() + m_book.places.size() + 4));
    for (int g = 0; g < m_book.groups.size(); ++g) {
        const BibliographyGroup& group = m_book.groups[g];
        if (!group.heading.isEmpty())
            m_paragraphs.push_back({Kind::Heading, g});
        for (int i = group.first; i < group.first + group.count; ++i)
            m_paragraphs.push_back({Kind::Entry, i});
    }
    if (!m_book.names.isEmpty())
        m_paragraphs.push_back({Kind::IndexHeading, 0});
    for (int i = 0; i < m_book.names.size(); ++i)
        m_paragraphs.push_back({Kind::IndexLine, i});
    if (!m_book.places.isEmpty())
        m_paragraphs.push_back({Kind::PlaceHeading, 0});
    for (int i = 0; i < m_book.places.size(); ++i)
        m_paragraphs.push_back({Kind::PlaceLine, i});

    m_entryBlock.setLeftMargin(px(HangingIndent));
    m_entryBlock.setTextIndent(-px(HangingIndent));
    m_entryBlock.setBottomMargin(3);
    m_indexBlock.setLeftMargin(px(HangingIndent));
    m_indexBlock.setTextIndent(-px(HangingIndent));
}

QString BookComposer::title() const
{
    const QString title = m_book.title.trimmed();
    return title.isEmpty() ? defaultTitle() : title;
}

qsizetype BookComposer::entryOf(qsizetype paragraph) const
{
    const Paragraph& p = m_paragraphs[size_t(paragraph)];
    return p.kind == Kind::Entry ? p.index : -1;
}

std::unique_ptr<QTextDocument> BookComposer::newDocument() const
{
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(bookFont(BodyPointSize));
    document->setUndoRedoEnabled(false);
    document->setDocumentMargin(0);
    return document;
}

std::unique_ptr<QTextDocument> BookComposer::wholeDocument() const
{
    auto document = newDocument();
    compose(*document, 0, paragraphCount());
    return document;
}

void BookComposer::compose(QTextDocument& document, qsizetype from, qsizetype to) const
{
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (qsizetype i = from; i < to; ++i)
        composeOne(cursor, m_paragraphs[size_t(i)], i == from && document.isEmpty(), i + 1 == m_titlePageEnd);
    cursor.endEditBlock();
}

void BookComposer::composeOne(QTextCursor& cursor, const Paragraph& paragraph, bool first,
                              bool lastOfTitlePage) const
{
    QTextBlockFormat block;
    const auto startBlock = [&](const QTextBlockFormat& format, const QTextCharFormat& chars) {
        QTextBlockFormat f = format;
        if (lastOfTitlePage)
            f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysAfter);
        if (first) {
            cursor.setBlockFormat(f);
            cursor.setBlockCharFormat(chars);
        } else {
            cursor.insertBlock(f, chars);
        }
    };
    switch (paragraph.kind) {
    case Kind::Title: {
        block.setAlignment(Qt::AlignHCenter);
        block.setTopMargin(220);
        block.setBottomMargin(24);
        const QTextCharFormat chars = charFormat(24, true, false);
        startBlock(block, chars);
        cursor.insertText(title(), chars);
        return;
    }
    case Kind::Subtitle: {
        block.setAlignment(Qt::AlignHCenter);
        const QTextCharFormat chars = charFormat(15, false, true);
        startBlock(block, chars);
        cursor.insertText(m_book.subtitle.trimmed(), chars);
        return;
    }
    case Kind::Heading: {
        const BibliographyGroup& group = m_book.groups[paragraph.index];
        static constexpr qreal Sizes[] = {15, 13, 12, 11, 10.5};
        const int depth = qBound(1, group.depth, 5);
        block.setHeadingLevel(depth);
        block.setTopMargin(depth == 1 ? 16 : 9);
        block.setBottomMargin(4);
        const QTextCharFormat chars = charFormat(Sizes[depth - 1], depth <= 4, depth >= 4);
        startBlock(block, chars);
        cursor.block().setUserState(HeadingState);
        cursor.insertText(group.heading, chars);
        return;
    }
    case Kind::Entry: {
        startBlock(m_entryBlock, m_regular);
        cursor.insertText(QString::number(paragraph.index + 1) + u'.', m_bold);
        cursor.insertText(QStringLiteral(" "), m_regular);
        const QStringList fields = RecordLine::split(m_book.lines[size_t(paragraph.index)]);
        for (const HitRun& run : EntryText::build(fields, m_book.roleNames))
            cursor.insertText(run.text, run.italic ? m_italic : m_regular);
        return;
    }
    case Kind::IndexHeading:
    case Kind::PlaceHeading: {
        block.setHeadingLevel(1);
        block.setAlignment(Qt::AlignHCenter);
        block.setBottomMargin(14);
        if (!first)
            block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        const QTextCharFormat chars = charFormat(15, true, false);
        startBlock(block, chars);
        cursor.insertText(paragraph.kind == Kind::IndexHeading ? nameIndexHeading() : placeIndexHeading(),
                          chars);
        return;
    }
    case Kind::IndexLine:
        startBlock(m_indexBlock, m_regular);
        writeIndexLine(cursor, m_book.names[paragraph.index]);
        return;
    case Kind::PlaceLine:
        startBlock(m_indexBlock, m_regular);
        writeIndexLine(cursor, m_book.places[paragraph.index]);
        return;
    }
}

void BookComposer::writeIndexLine(QTextCursor& cursor, const IndexLine& line) const
{
    cursor.insertText(line.text, m_regular);
    cursor.insertText(QStringLiteral("  ") + numberList(line.numbers), m_regular);
}
