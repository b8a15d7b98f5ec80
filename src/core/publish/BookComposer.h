#pragma once

#include "core/publish/Bibliography.h"
#include "core/search/HitEntry.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextLayout>

#include <memory>
#include <vector>

class QTextCursor;
class QTextDocument;

// Turns a bibliography into rich text: the title page, the headings, the
// numbered entries and the indexes, each one paragraph. A whole book can be
// one document (for the editable ODF file), or any run of its paragraphs
// can go into a document of its own, so that pages are laid out a part at a
// time: one QTextDocument of a hundred thousand paragraphs takes far longer
// to lay out and holds far more memory than a few hundred small ones.
class BookComposer final
{
public:
    // `scale`: device pixels per pixel at 96 dpi. The layout scales the
    // space above and below a paragraph to the device it lays out on, but
    // takes left margins and indents as device pixels, so a composer for a
    // 600 dpi page scales those itself.
    explicit BookComposer(const Bibliography& book, qreal scale = 1);

    static QString nameIndexHeading() { return QStringLiteral("Névmutató"); }
    static QString placeIndexHeading() { return QStringLiteral("Földrajzi mutató"); }
    static QString defaultTitle() { return QStringLiteral("Bibliográfia"); }
    // The font every text is set in; DejaVu Serif carries Greek and the
    // Hungarian double acute accents.
    static QString fontFamily() { return QStringLiteral("DejaVu Serif"); }

    // QTextBlock::userState() of a heading's paragraph, so a page layout can
    // keep a heading on the page of the entry that follows it.
    static constexpr int HeadingState = 1;

    static QString contentsHeading() { return QStringLiteral("Tartalom"); }
    // The title page's lines under the title: "Összeállította: …" and "place, year";
    // empty when the book has none.
    static QString compilerLine(const Bibliography& book);
    static QString imprint(const Bibliography& book);
    static QString compilerLabel() { return QStringLiteral("Összeállította"); }

    // What a paragraph is, for a page layout that sets each kind its own way.
    enum class Role
    {
        Title, // the title page's lines
        Heading,
        Entry,
        IndexHeading, // "Névmutató", "Földrajzi mutató"
        IndexLetter,  // a letter of the index: "A", "Cs", "Ö"
        IndexLine,
    };
    // One paragraph's text with its bold and italic stretches, ready for
    // line breaking: an entry's runs have passed through LineBreaks.
    struct Piece
    {
        Role role = Role::Entry;
        int depth = 1; // a heading's level
        QString lead;  // set apart before the text, in bold: an entry's number
        QString text;
        QList<QTextLayout::FormatRange> formats;
    };
    Piece piece(qsizetype paragraph) const;
    Role roleOf(qsizetype paragraph) const;
    // The paragraphs after the title page.
    qsizetype bodyStart() const { return m_titlePageEnd; }

    qsizetype paragraphCount() const { return qsizetype(m_paragraphs.size()); }
    // The entry a paragraph shows, or -1 for a heading, the title page or an index line.
    qsizetype entryOf(qsizetype paragraph) const;

    // A new document with the book's fonts, to lay out on `device` (nullptr: the screen).
    std::unique_ptr<QTextDocument> newDocument() const;
    // Adds paragraphs [from, to) at the end of the document.
    void compose(QTextDocument& document, qsizetype from, qsizetype to) const;
    std::unique_ptr<QTextDocument> wholeDocument() const;

    QString title() const;

private:
    enum class Kind
    {
        Title,
        Subtitle,
        Heading,
        Entry,
        Compiler,
        Imprint, // place and year
        IndexHeading,
        IndexLetter,
        IndexLine,
        PlaceHeading,
        PlaceLetter,
        PlaceLine,
    };
    struct Paragraph
    {
        Kind kind;
        int index;
    };

    void composeOne(QTextCursor& cursor, const Paragraph& paragraph, bool first, bool lastOfTitlePage) const;
    void writeIndexLine(QTextCursor& cursor, const IndexLine& line) const;
    void addIndex(const QList<IndexLine>& lines, Kind heading, Kind letter, Kind line);
    // The entry's text, each run passed through `prepare` (unless null).
    QList<HitRun> entryRuns(int index, QString (*prepare)(const QString&)) const;
    static void bindDashesAcrossRuns(QList<HitRun>& runs);

    qreal px(qreal pixels) const { return pixels * m_scale; }

    const Bibliography& m_book;
    qreal m_scale = 1;
    std::vector<Paragraph> m_paragraphs;
    qsizetype m_titlePageEnd = 0; // paragraphs before it make the title page
    QTextCharFormat m_regular;
    QTextCharFormat m_italic;
    QTextCharFormat m_bold;
    QTextBlockFormat m_entryBlock;
    QTextBlockFormat m_indexBlock;
};
