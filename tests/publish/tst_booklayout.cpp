#include "LayoutFixture.h"
#include "TestSupport.h"

#include "core/job/JobControl.h"
#include "core/publish/Bibliography.h"
#include "core/publish/BookComposer.h"
#include "core/publish/BookWriter.h"
#include "core/publish/FilingRules.h"
#include "core/publish/LineBreaks.h"
#include "core/publish/PagePainter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <map>
#include <numeric>
#include <set>

// The printed book read back with poppler's pdftotext -bbox: every word with
// its box, in points from the page's top left corner. The lines are put
// together from the words, and the rules of page layout are checked on them.
namespace {

constexpr qreal Slack = 0.6; // points of rounding in a word's box

qreal mm(qreal millimetres)
{
    return millimetres * 72 / 25.4;
}

struct Word
{
    QString text;
    QRectF box;
};

struct Line
{
    QString text;
    QRectF box;
};

struct Page
{
    qreal width = 0;
    qreal height = 0;
    std::vector<Word> words;
    std::vector<Line> lines; // in the text area, top to bottom (column by column)
    QString head;            // the running head's words
};

std::vector<Page> readPages(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    process.waitForFinished(120000);
    QXmlStreamReader xml(process.readAllStandardOutput());
    std::vector<Page> pages;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"page") {
            pages.push_back({a.value(QLatin1String("width")).toDouble(),
                             a.value(QLatin1String("height")).toDouble(),
                             {},
                             {},
                             {}});
        } else if (xml.name() == u"word" && !pages.empty()) {
            const QPointF topLeft(a.value(QLatin1String("xMin")).toDouble(),
                                  a.value(QLatin1String("yMin")).toDouble());
            const QPointF bottomRight(a.value(QLatin1String("xMax")).toDouble(),
                                      a.value(QLatin1String("yMax")).toDouble());
            pages.back().words.push_back({xml.readElementText(), QRectF(topLeft, bottomRight)});
        }
    }
    return pages;
}

// Words of one baseline make a line; the index's two columns are read one after the other.
void buildLines(Page& page, qreal top, qreal bottom, bool columns)
{
    std::vector<Word> body;
    for (const Word& word : page.words) {
        if (word.box.bottom() < top)
            page.head += (page.head.isEmpty() ? QString() : QStringLiteral(" ")) + word.text;
        else if (word.box.top() < bottom)
            body.push_back(word);
    }
    const qreal middle = page.width / 2;
    const auto column = [&](const Word& w) { return columns && w.box.left() > middle ? 1 : 0; };
    std::sort(body.begin(), body.end(), [&](const Word& a, const Word& b) {
        if (column(a) != column(b))
            return column(a) < column(b);
        if (qAbs(a.box.bottom() - b.box.bottom()) > 2)
            return a.box.bottom() < b.box.bottom();
        return a.box.left() < b.box.left();
    });
    for (const Word& word : body) {
        if (!page.lines.empty() && qAbs(page.lines.back().box.bottom() - word.box.bottom()) <= 2 &&
            (column(word) == 0) == (page.lines.back().box.left() < middle || !columns)) {
            page.lines.back().text += u' ' + word.text;
            page.lines.back().box |= word.box;
        } else {
            page.lines.push_back({word.text, word.box});
        }
    }
}

Bibliography layoutBook()
{
    PublishOptions options;
    options.title = QStringLiteral("Próbakönyv");
    options.subtitle = QStringLiteral("Tördelési próba");
    options.compiler = QStringLiteral("Kovács Éva");
    options.place = QStringLiteral("Budapest");
    options.year = QStringLiteral("2026");
    BibliographyBuilder builder(options, PublishFixture::roleNames());
    builder.setSubjectTree(SubjectTree::Tree(LayoutFixture::treeBytes()));
    for (const QString& line : LayoutFixture::lines())
        builder.add(line);
    return builder.build(JobControl::none());
}

bool startsEntry(const Line& line)
{
    static const QRegularExpression Number(QStringLiteral("^\\d+\\. "));
    return Number.match(line.text).hasMatch();
}

} // namespace

class TestBookLayout : public QObject
{
    Q_OBJECT

private slots:
    void noBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString nbsp(QChar(0x00A0));
        const QString joiner(QChar(0x2060));
        QTest::newRow("extent") << QStringLiteral("1999. 442 p. Szeged") << "1999. 442" + nbsp + "p. Szeged";
        QTest::newRow("issue") << QStringLiteral("12. évf. 3. sz., 1998")
                               << "12." + nbsp + "évf." + nbsp + "3." + nbsp + "sz., 1998";
        QTest::newRow("unit word") << QStringLiteral("120 lap") << "120" + nbsp + "lap";
        QTest::newRow("abbreviation first")
            << QStringLiteral("S. 12 és p. 5") << "S." + nbsp + "12 és p." + nbsp + "5";
        QTest::newRow("range") << QStringLiteral("384–389.") << QStringLiteral("384–") + joiner + "389.";
        QTest::newRow("year then number")
            << QStringLiteral("1998. 12 oldalon") << QStringLiteral("1998. 12 oldalon");
        // A dash between blanks goes to the next line with the word after it.
        QTest::newRow("dash between words")
            << QStringLiteral("Kiss – Nagy") << "Kiss –" + joiner + nbsp + "Nagy";
        QTest::newRow("area separator") << QStringLiteral("Szeged, 1998. – 704 p.")
                                        << "Szeged, 1998. –" + joiner + nbsp + "704" + nbsp + "p.";
    }
    void noBreaks()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(LineBreaks::bind(text), expected);
    }

    void hyphenation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // "·" for a soft hyphen, "|" for a zero-width space
        QTest::newRow("Hungarian") << QStringLiteral("tanulmányok") << QStringLiteral("ta·nul·má·nyok");
        QTest::newRow("capital kept")
            << QStringLiteral("Forráskiadványok") << QStringLiteral("For·rás·ki·ad·vá·nyok");
        QTest::newRow("short word") << QStringLiteral("a régi kor") << QStringLiteral("a régi kor");
        QTest::newRow("letters changed at the point")
            << QStringLiteral("asszonnyal") << QStringLiteral("asszonnyal");
        QTest::newRow("acronym") << QStringLiteral("UNESCOKÖNYVTÁR") << QStringLiteral("UNESCOKÖNYVTÁR");
        QTest::newRow("Cyrillic") << QStringLiteral("Достопримечательности")
                                  << QStringLiteral("Достопримечательности");
        QTest::newRow("address") << QStringLiteral("https://a.hu/b/c")
                                 << QStringLiteral("https://|a.|hu/|b/|c");
    }
    void hyphenation()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QVERIFY(LineBreaks::hyphenationAvailable());
        QString marked = LineBreaks::hyphenate(text);
        marked.replace(QChar(0x00AD), u'·').replace(QChar(0x200B), u'|');
        QCOMPARE(marked, expected);
    }

    void filingLetters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("letter");
        QTest::newRow("cs") << QStringLiteral("Csizmadia Ákos") << QStringLiteral("Cs");
        QTest::newRow("c") << QStringLiteral("Czakó Gábor") << QStringLiteral("C");
        QTest::newRow("dzs") << QStringLiteral("Dzsida Jenő") << QStringLiteral("Dzs");
        QTest::newRow("gy") << QStringLiteral("gyulai Tünde") << QStringLiteral("Gy");
        QTest::newRow("long a") << QStringLiteral("Ábel Szilveszter") << QStringLiteral("A");
        QTest::newRow("ő") << QStringLiteral("Őri Ödön") << QStringLiteral("Ö");
        QTest::newRow("ű") << QStringLiteral("Űrhajós") << QStringLiteral("Ü");
        QTest::newRow("quoted") << QStringLiteral("„Ars poetica”") << QStringLiteral("A");
        QTest::newRow("number") << QStringLiteral("1848 emlékezete") << QStringLiteral("0–9");
        QTest::newRow("Cyrillic") << QStringLiteral("Анна Береговая") << QStringLiteral("А");
        QTest::newRow("foreign accent") << QStringLiteral("Šimko Ján") << QStringLiteral("S");
    }
    void filingLetters()
    {
        QFETCH(QString, name);
        QFETCH(QString, letter);
        QCOMPARE(FilingRules::filingLetter(name), letter);
    }

    void pagesKeepTheRules_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("twoSided");
        QTest::newRow("A4") << int(PaperSize::A4) << false;
        QTest::newRow("B5") << int(PaperSize::B5) << false;
        QTest::newRow("A4 two-sided") << int(PaperSize::A4) << true;
    }
    void pagesKeepTheRules()
    {
        QFETCH(int, paper);
        QFETCH(bool, twoSided);
        TempWorkDir dir;
        const Bibliography book = layoutBook();
        const QString path = dir.file(QStringLiteral("konyv.pdf"));
        JobControl control;
        BookWriter::write(book, PublishFormat::Pdf, PaperSize(paper), path, control, twoSided);
        std::vector<Page> pages = readPages(path);
        QVERIFY(pages.size() > 10);

        const PagePainter::Margins margins = PagePainter::margins(PaperSize(paper), twoSided);
        std::set<QString> headings;
        for (const BibliographyGroup& group : book.groups)
            headings.insert(group.heading);
        std::set<QString> letters;
        for (const IndexLine& line : book.names)
            letters.insert(FilingRules::filingLetter(line.text));

        int firstEntryPage = -1;
        int indexPage = -1;
        for (size_t p = 0; p < pages.size(); ++p) {
            Page& page = pages[p];
            const int number = int(p) + 1;
            const bool leftHand = twoSided && number % 2 == 0;
            const qreal left = mm(leftHand ? margins.outer : margins.inner);
            const qreal right = page.width - mm(leftHand ? margins.inner : margins.outer);
            const qreal top = mm(margins.top);
            const qreal bottom = page.height - mm(margins.bottom);
            // No word in a margin; above and below the text only the running head and the page number.
            for (const Word& word : page.words) {
                QVERIFY2(word.box.left() >= left - Slack && word.box.right() <= right + Slack,
                         qPrintable(QStringLiteral("page %1: %2 at %3–%4 (text from %5 to %6)")
                                        .arg(number)
                                        .arg(word.text)
                                        .arg(word.box.left())
                                        .arg(word.box.right())
                                        .arg(left)
                                        .arg(right)));
                QVERIFY2(word.box.top() >= top - mm(9) && word.box.bottom() <= bottom + mm(12),
                         qPrintable(QStringLiteral("page %1: %2").arg(number).arg(word.text)));
            }
            const bool inIndex =
                indexPage > 0 ||
                (!page.words.empty() && page.words.front().text == BookComposer::nameIndexHeading());
            if (inIndex && indexPage < 0)
                indexPage = number;
            buildLines(page, top - 1, bottom + 1, inIndex);
            if (firstEntryPage < 0 && !page.lines.empty() &&
                std::any_of(page.lines.begin(), page.lines.end(), startsEntry))
                firstEntryPage = number;
        }
        QVERIFY(firstEntryPage > 1 && indexPage > firstEntryPage);

        // The title page: centred, with compiler, place and year.
        const Page& title = pages.front();
        QVERIFY(!title.words.empty());
        const Word& first = title.words.front();
        QCOMPARE(first.text, QStringLiteral("Próbakönyv"));
        QVERIFY(qAbs(first.box.center().x() - title.width / 2) < 1);
        QStringList titleText;
        for (const Word& word : title.words)
            titleText.append(word.text);
        QVERIFY(titleText.join(u' ').contains(QStringLiteral("Összeállította: Kovács Éva")));
        QVERIFY(titleText.join(u' ').endsWith(QStringLiteral("Budapest, 2026")));

        std::vector<int> numbers;
        for (int number = firstEntryPage; number <= int(pages.size()); ++number) {
            const Page& page = pages[size_t(number - 1)];
            const bool index = number >= indexPage;
            const std::vector<Line>& lines = page.lines;
            if (lines.empty())
                continue; // a blank back
            const qreal left =
                mm(twoSided && number % 2 == 0 ? margins.outer : margins.inner) + (index ? page.width : 0);
            // No heading in the last two lines of a page (of a column in the index).
            for (size_t i = 0; i < lines.size(); ++i) {
                const bool lastInColumn =
                    i + 1 == lines.size() || (index && (lines[i].box.left() < page.width / 2) !=
                                                           (lines[i + 1].box.left() < page.width / 2));
                const bool secondLast =
                    i + 2 == lines.size() || (i + 2 < lines.size() && index &&
                                              (lines[i + 1].box.left() < page.width / 2) !=
                                                  (lines[i + 2].box.left() < page.width / 2));
                if (lastInColumn || secondLast) {
                    const bool heading =
                        index ? letters.count(lines[i].text) > 0 : headings.count(lines[i].text) > 0;
                    QVERIFY2(
                        !heading,
                        qPrintable(QStringLiteral("page %1 ends with %2").arg(number).arg(lines[i].text)));
                }
            }
            if (index)
                continue;
            Q_UNUSED(left);
            // A page opens with two lines of an entry at least, and ends with two.
            const qreal textLeft = mm(twoSided && number % 2 == 0 ? margins.outer : margins.inner);
            const auto continues = [&](const Line& line) { return line.box.left() > textLeft + 5; };
            if (continues(lines.front()))
                QVERIFY2(lines.size() > 1 && continues(lines[1]),
                         qPrintable(QStringLiteral("page %1 opens with one line: %2")
                                        .arg(number)
                                        .arg(lines.front().text)));
            if (number + 1 < indexPage && startsEntry(lines.back()) && !continues(lines.back())) {
                const Page& next = pages[size_t(number)];
                const bool nextContinues =
                    !next.lines.empty() &&
                    next.lines.front().box.left() >
                        mm(twoSided && (number + 1) % 2 == 0 ? margins.outer : margins.inner) + 5;
                QVERIFY2(
                    !nextContinues,
                    qPrintable(
                        QStringLiteral("page %1 ends with one line: %2").arg(number).arg(lines.back().text)));
            }
            // Every line once: the entries begin in one run, 1, 2, 3 …, and no line repeats across a page
            // break.
            for (const Line& line : lines)
                if (startsEntry(line) && !continues(line))
                    numbers.push_back(line.text.section(u'.', 0, 0).toInt());
            if (number > firstEntryPage) {
                const std::vector<Line>& previous = pages[size_t(number - 2)].lines;
                if (!previous.empty())
                    QVERIFY(previous.back().text != lines.front().text);
            }
            // A number keeps its unit and a range its end.
            for (size_t i = 0; i + 1 < lines.size(); ++i) {
                static const QRegularExpression EndsInNumber(QStringLiteral("(\\s\\d+\\.?|\\d–)$"));
                static const QRegularExpression OpensWithUnit(QStringLiteral("^(p|sz|évf|lap)\\.?[\\s,]"));
                QVERIFY2(!(EndsInNumber.match(lines[i].text).hasMatch() &&
                           OpensWithUnit.match(lines[i + 1].text + u' ').hasMatch()),
                         qPrintable(lines[i].text + QStringLiteral(" / ") + lines[i + 1].text));
                QVERIFY2(!lines[i].text.endsWith(QChar(0x2013)), qPrintable(lines[i].text));
            }
            // The running head names the main heading; a page opening one carries none.
            if (!page.head.isEmpty())
                QVERIFY2(page.head.startsWith(QStringLiteral("Főcsoport")), qPrintable(page.head));
        }
        std::vector<int> expected(size_t(book.entryCount()));
        std::iota(expected.begin(), expected.end(), 1);
        QCOMPARE(numbers, expected);
    }

    // The contents list every heading with the page it stands on.
    void contentsPointToTheHeadings()
    {
        TempWorkDir dir;
        const Bibliography book = layoutBook();
        const QString path = dir.file(QStringLiteral("konyv.pdf"));
        JobControl control;
        BookWriter::write(book, PublishFormat::Pdf, PaperSize::A4, path, control);
        std::vector<Page> pages = readPages(path);
        const PagePainter::Margins margins = PagePainter::margins(PaperSize::A4, false);
        std::map<QString, int> found; // a heading's first page, and the contents' number for it
        std::map<QString, int> listed;
        static const QRegularExpression ContentsLine(QStringLiteral("^(.*?)[ .]*\\s(\\d+)$"));
        for (size_t p = 0; p < pages.size(); ++p) {
            Page& page = pages[p];
            buildLines(page, mm(margins.top) - 1, page.height - mm(margins.bottom) + 1, false);
            const bool contents = p > 0 && !page.lines.empty() &&
                                  (page.lines.front().text == BookComposer::contentsHeading() ||
                                   page.head == BookComposer::contentsHeading());
            for (const Line& line : page.lines) {
                const QRegularExpressionMatch match = ContentsLine.match(line.text);
                if (contents && match.hasMatch())
                    listed.emplace(match.captured(1), match.captured(2).toInt());
                else if (!contents)
                    found.emplace(line.text, int(p) + 1);
            }
        }
        int checked = 0;
        for (const BibliographyGroup& group : book.groups) {
            QVERIFY2(listed.count(group.heading) == 1, qPrintable(group.heading));
            QCOMPARE(listed[group.heading], found[group.heading]);
            ++checked;
        }
        QCOMPARE(listed[BookComposer::nameIndexHeading()], found[BookComposer::nameIndexHeading()]);
        QVERIFY(checked > 20);
        // A bookmark for every heading of the contents.
        const QByteArray bytes = dir.readBytes(QStringLiteral("konyv.pdf"));
        QCOMPARE(bytes.count("/Dest ["), qsizetype(book.groups.size() + 2));
        QVERIFY(bytes.contains("/PageMode /UseOutlines"));
    }
};

QTEST_MAIN(TestBookLayout)
#include "tst_booklayout.moc"
