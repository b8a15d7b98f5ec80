#include "core/publish/BookComposer.h"

#include "core/publish/EntryText.h"
#include "core/publish/FilingRules.h"
#include "core/publish/LineBreaks.h"
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
    if (!compilerLine(m_book).isEmpty())
        m_paragraphs.push_back({Kind::Compiler, 0});
    if (!imprint(m_book).isEmpty())
        m_paragraphs.push_back({Kind::Imprint, 0});
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
    addIndex(m_book.names, Kind::IndexHeading, Kind::IndexLetter, Kind::IndexLine);
    addIndex(m_book.places, Kind::PlaceHeading, Kind::PlaceLetter, Kind::PlaceLine);

    m_entryBlock.setLeftMargin(px(HangingIndent));
    m_entryBlock.setTextIndent(-px(HangingIndent));
    m_entryBlock.setBottomMargin(3);
    m_indexBlock.setLeftMargin(px(HangingIndent));
    m_indexBlock.setTextIndent(-px(HangingIndent));
}

void BookComposer::addIndex(const QList<IndexLine>& lines, Kind heading, Kind letter, Kind line)
{
    if (lines.isEmpty())
        return;
    m_paragraphs.push_back({heading, 0});
    QString current;
    for (int i = 0; i < lines.size(); ++i) {
        const QString filing = FilingRules::filingLetter(lines[i].text);
        if (!filing.isEmpty() && filing != current)
            m_paragraphs.push_back({letter, i});
        current = filing;
        m_paragraphs.push_back({line, i});
    }
}

QString BookComposer::compilerLine(const Bibliography& book)
{
    const QString compiler = book.compiler.trimmed();
    return compiler.isEmpty() ? QString() : compilerLabel() + QStringLiteral(": ") + compiler;
}

QString BookComposer::imprint(const Bibliography& book)
{
    const QString place = book.place.trimmed();
    const QString year = book.year.trimmed();
    if (place.isEmpty() || year.isEmpty())
        return place + year;
    return place + QStringLiteral(", ") + year;
}

QList<HitRun> BookComposer::entryRuns(int index, QString (*prepare)(const QString&)) const
{
    QList<HitRun> runs;
    const QStringList fields = RecordLine::split(m_book.lines[size_t(index)]);
    for (HitRun run : EntryText::build(fields, m_book.roleNames)) {
        if (prepare != nullptr)
            run.text = prepare(run.text);
        runs.append(std::move(run));
    }
    if (prepare != nullptr)
        bindDashesAcrossRuns(runs);
    return runs;
}

// The no-break rules see one run at a time; a " – " that an italic title
// cuts in two still has to go to the next line with the word after it.
void BookComposer::bindDashesAcrossRuns(QList<HitRun>& runs)
{
    constexpr QChar Dash(0x2013);
    const QString bound = QString(QChar(0x2060)) + QChar(0x00A0); // a word joiner and a no-break space
    for (qsizetype k = 0; k + 1 < runs.size(); ++k) {
        QString& before = runs[k].text;
        QString& after = runs[k + 1].text;
        const qsizetype n = before.size();
        if (n >= 3 && before[n - 1] == u' ' && before[n - 2] == Dash && before[n - 3].isSpace())
            before.replace(n - 1, 1, bound);
        else if (n >= 2 && before[n - 1] == Dash && before[n - 2].isSpace() && after.startsWith(u' '))
            after.replace(0, 1, bound);
        else if (n >= 1 && before[n - 1].isSpace() && after.size() >= 2 && after[0] == Dash &&
                 after[1] == u' ')
            after.replace(1, 1, bound);
    }
}

BookComposer::Role BookComposer::roleOf(qsizetype paragraph) const
{
    switch (m_paragraphs[size_t(paragraph)].kind) {
    case Kind::Title:
    case Kind::Subtitle:
    case Kind::Compiler:
    case Kind::Imprint:
        return Role::Title;
    case Kind::Heading:
        return Role::Heading;
    case Kind::Entry:
        return Role::Entry;
    case Kind::IndexHeading:
    case Kind::PlaceHeading:
        return Role::IndexHeading;
    case Kind::IndexLetter:
    case Kind::PlaceLetter:
        return Role::IndexLetter;
    case Kind::IndexLine:
    case Kind::PlaceLine:
        break;
    }
    return Role::IndexLine;
}

BookComposer::Piece BookComposer::piece(qsizetype paragraph) const
{
    const Paragraph& p = m_paragraphs[size_t(paragraph)];
    Piece piece;
    piece.role = roleOf(paragraph);
    const auto add = [&piece](const QString& text, bool bold, bool italic) {
        if (bold || italic) {
            QTextLayout::FormatRange range;
            range.start = int(piece.text.size());
            range.length = int(text.size());
            if (bold)
                range.format.setFontWeight(QFont::Bold);
            range.format.setFontItalic(italic);
            piece.formats.append(range);
        }
        piece.text += text;
    };
    switch (p.kind) {
    case Kind::Title:
        piece.text = title();
        break;
    case Kind::Subtitle:
        piece.text = m_book.subtitle.trimmed();
        piece.depth = 2;
        break;
    case Kind::Compiler:
        piece.text = compilerLine(m_book);
        piece.depth = 3;
        break;
    case Kind::Imprint:
        piece.text = imprint(m_book);
        piece.depth = 4;
        break;
    case Kind::Heading:
        piece.text = m_book.groups[p.index].heading;
        piece.depth = qBound(1, m_book.groups[p.index].depth, 5);
        break;
    case Kind::Entry:
        piece.lead = QString::number(p.index + 1) + u'.';
        for (const HitRun& run : entryRuns(p.index, &LineBreaks::prepare))
            add(run.text, run.bold, run.italic);
        break;
    case Kind::IndexHeading:
        piece.text = nameIndexHeading();
        break;
    case Kind::PlaceHeading:
        piece.text = placeIndexHeading();
        break;
    case Kind::IndexLetter:
        piece.text = FilingRules::filingLetter(m_book.names[p.index].text);
        break;
    case Kind::PlaceLetter:
        piece.text = FilingRules::filingLetter(m_book.places[p.index].text);
        break;
    case Kind::IndexLine:
    case Kind::PlaceLine: {
        const IndexLine& line = (p.kind == Kind::IndexLine ? m_book.names : m_book.places)[p.index];
        piece.text = LineBreaks::hyphenate(line.text) + QStringLiteral("  ") + numberList(line.numbers);
        break;
    }
    }
    return piece;
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
    case Kind::Compiler:
    case Kind::Imprint: {
        block.setAlignment(Qt::AlignHCenter);
        block.setTopMargin(paragraph.kind == Kind::Compiler ? 60 : 120);
        const QTextCharFormat chars = charFormat(12, false, false);
        startBlock(block, chars);
        cursor.insertText(paragraph.kind == Kind::Compiler ? compilerLine(m_book) : imprint(m_book), chars);
        return;
    }
    case Kind::Entry: {
        startBlock(m_entryBlock, m_regular);
        cursor.insertText(QString::number(paragraph.index + 1) + u'.', m_bold);
        cursor.insertText(QStringLiteral(" "), m_regular);
        // The editable text is left as written: a word processor breaks its own lines.
        for (const HitRun& run : entryRuns(paragraph.index, nullptr))
            cursor.insertText(run.text, run.italic ? m_italic : m_regular);
        return;
    }
    case Kind::IndexLetter:
    case Kind::PlaceLetter: {
        block.setTopMargin(8);
        block.setBottomMargin(3);
        const QTextCharFormat chars = charFormat(11, true, false);
        startBlock(block, chars);
        cursor.insertText(
            FilingRules::filingLetter(
                (paragraph.kind == Kind::IndexLetter ? m_book.names : m_book.places)[paragraph.index].text),
            chars);
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
