#include "PublishFixture.h"
#include "TestSupport.h"

#include "core/job/JobControl.h"
#include "core/publish/Bibliography.h"
#include "core/publish/BookComposer.h"
#include "core/publish/BookWriter.h"
#include "core/publish/EntryText.h"
#include "core/publish/PagePainter.h"
#include "core/record/OperationCancelled.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPdfWriter>
#include <QProcess>
#include <QtTest>

// The book is read back with programs that know nothing of Qt: pdftotext
// and pdftoppm (poppler-utils) for the PDF, Python's zipfile and xml.etree
// for the OpenDocument text and its html.parser for the HTML page.
namespace {

Bibliography bookOf(Grouping grouping, bool places = false)
{
    PublishOptions options;
    options.grouping = grouping;
    options.title = QStringLiteral("Próba");
    options.subtitle = QStringLiteral("Alcím");
    options.placeIndex = places;
    BibliographyBuilder builder(options, PublishFixture::roleNames());
    builder.setSubjectTree(SubjectTree::Tree(PublishFixture::treeBytes()));
    for (const QString& line : PublishFixture::lines())
        builder.add(line);
    return builder.build(JobControl::none());
}

QString entryText(const Bibliography& book, int index)
{
    return QString::number(index + 1) + QStringLiteral(". ") +
           HitEntry::plainText(
               EntryText::build(RecordLine::split(book.lines[size_t(index)]), book.roleNames));
}

QStringList entryTexts(const Bibliography& book)
{
    QStringList texts;
    for (int i = 0; i < book.entryCount(); ++i)
        texts.append(entryText(book, i));
    return texts;
}

QString firstCreatorOrTitle(const QString& line)
{
    const QStringList fields = RecordLine::split(line);
    const QStringList names = EntryText::creatorNames(fields);
    return names.isEmpty() ? RecordSchema::value(fields, Field::Title) : names.first();
}

QByteArray run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        qWarning() << program << args << process.readAllStandardError();
    return process.readAllStandardOutput();
}

QStringList jsonList(const QByteArray& json)
{
    QStringList list;
    for (const QJsonValue& value : QJsonDocument::fromJson(json).array())
        list.append(value.toString());
    return list;
}

// Every paragraph of content.xml, its text as a reader of the file sees it.
QStringList odtParagraphs(const QString& path)
{
    static const char* const script = R"(
import json, sys, zipfile, xml.etree.ElementTree as ET
TEXT = '{urn:oasis:names:tc:opendocument:xmlns:text:1.0}'
root = ET.fromstring(zipfile.ZipFile(sys.argv[1]).read('content.xml'))
def text_of(node):
    if node.tag == TEXT + 's':
        return ' ' * int(node.get(TEXT + 'c', '1'))
    if node.tag == TEXT + 'tab':
        return '\t'
    text = node.text or ''
    for child in node:
        text += text_of(child) + (child.tail or '')
    return text
out = [text_of(p) for p in root.iter() if p.tag in (TEXT + 'p', TEXT + 'h')]
print(json.dumps(out))
)";
    return jsonList(run(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path}));
}

// The text of every <p class="entry"> and <p class="index"> of the page.
QStringList htmlParagraphs(const QString& path, const QString& cssClass)
{
    static const char* const script = R"(
import json, sys
from html.parser import HTMLParser
class Reader(HTMLParser):
    def __init__(self):
        super().__init__()
        self.out, self.text = [], None
    def handle_starttag(self, tag, attrs):
        if tag == 'p' and ('class', sys.argv[2]) in attrs:
            self.text = ''
    def handle_endtag(self, tag):
        if tag == 'p' and self.text is not None:
            self.out.append(self.text)
            self.text = None
    def handle_data(self, data):
        if self.text is not None:
            self.text += data
reader = Reader()
reader.feed(open(sys.argv[1], encoding='utf-8').read())
print(json.dumps(reader.out))
)";
    return jsonList(
        run(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path, cssClass}));
}

QString pdfText(const QString& path)
{
    return QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), QStringLiteral("-enc"),
                                          QStringLiteral("UTF-8"), path, QStringLiteral("-")}));
}

// Line breaks of a page fall anywhere, and a word may be hyphenated at a
// line's end, so the PDF's text is compared without blanks and hyphens; it
// is read in the order it was set (-raw), column by column in the index.
QString withoutBlanks(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("[\\s\\-\u00ad\\x{00A0}]+")));
    return text;
}

// "~" stands for the no-break space that joins a number and its unit.
QString nbsp(const char* text)
{
    return QString::fromUtf8(text).replace(u'~', QChar(0x00A0));
}

QString indexText(const IndexLine& line)
{
    QStringList numbers;
    for (const int number : line.numbers)
        numbers.append(QString::number(number));
    return line.text + QStringLiteral("  ") + numbers.join(QStringLiteral(", "));
}

void writeBook(const Bibliography& book, PublishFormat format, const QString& path)
{
    JobControl control;
    BookWriter::write(book, format, PaperSize::A4, path, control);
}

} // namespace

class TestBibliography final : public QObject
{
    Q_OBJECT

private slots:
    void hungarianOrder_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("cz before cs") << QStringLiteral("Czakó") << QStringLiteral("Csizmadia");
        QTest::newRow("o before ö") << QStringLiteral("Oszkár") << QStringLiteral("Ödön");
        QTest::newRow("z before zs") << QStringLiteral("Zoltán") << QStringLiteral("Zsolt");
        QTest::newRow("case ignored") << QStringLiteral("ábel") << QStringLiteral("Bence");
        QTest::newRow("numbers as numbers") << QStringLiteral("Kötet 9") << QStringLiteral("Kötet 10");
    }
    void hungarianOrder()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        const QCollator collator = hungarianCollator();
        QVERIFY(collator.compare(before, after) < 0);
        QVERIFY(collator.compare(after, before) > 0);
    }

    void subjectGroupsFollowTheTree()
    {
        const Bibliography book = bookOf(Grouping::Subject);
        QStringList headings;
        QList<int> depths;
        QList<int> counts;
        for (const BibliographyGroup& group : book.groups) {
            headings.append(group.heading);
            depths.append(group.depth);
            counts.append(group.count);
        }
        // "Nyelvészet" holds nothing; "Történelem" only holds deeper entries.
        QCOMPARE(headings, (QStringList{QStringLiteral("Történelem"), QStringLiteral("Ókor"),
                                        QStringLiteral("Görög történelem"), QStringLiteral("Középkor"),
                                        QStringLiteral("Irodalom"), QStringLiteral("Verstan"),
                                        QStringLiteral("Egyéb")}));
        QCOMPARE(depths, (QList<int>{1, 2, 3, 2, 1, 2, 1}));
        QCOMPARE(counts, (QList<int>{0, 2, 2, 2, 1, 1, 2}));
    }

    void hungarianOrderWithinGroupsAndOneRunOfNumbers()
    {
        const Bibliography book = bookOf(Grouping::Subject);
        QStringList sortNames;
        for (const QString& line : book.lines)
            sortNames.append(firstCreatorOrTitle(line));
        QCOMPARE(sortNames,
                 (QStringList{QStringLiteral("Oszkár Pál"), QStringLiteral("Ödön Péter"),
                              QStringLiteral("Czakó Gábor"), QStringLiteral("Csizmadia Ákos"),
                              QStringLiteral("Zoltán Imre"), QStringLiteral("Zsolt Anna"),
                              QStringLiteral("Csizmadia Ákos"), QStringLiteral("Ἰλιάς fordításai"),
                              QStringLiteral("Czakó Gábor"), QStringLiteral("Θεόδωρος Παπαδόπουλος")}));
        // Every record once.
        QStringList given = PublishFixture::lines();
        QStringList published(book.lines.begin(), book.lines.end());
        given.sort();
        published.sort();
        QCOMPARE(published, given);
        // The groups cover the numbers 1 … N in one run.
        int next = 0;
        for (const BibliographyGroup& group : book.groups) {
            QCOMPARE(group.first, next);
            next += group.count;
        }
        QCOMPARE(next, int(book.entryCount()));
    }

    void volumeAndNoGrouping()
    {
        const Bibliography byVolume = bookOf(Grouping::Volume);
        QStringList headings;
        for (const BibliographyGroup& group : byVolume.groups)
            headings.append(group.heading);
        QCOMPARE(headings,
                 (QStringList{QStringLiteral("Kardel"), QStringLiteral("Lunvek"), QStringLiteral("Nosvair"),
                              QStringLiteral("Sivarnholdt"), QStringLiteral("Vuranek"),
                              QStringLiteral("Zelnar"), QStringLiteral("Mai adatok")}));
        const Bibliography plain = bookOf(Grouping::None);
        QCOMPARE(plain.groups.size(), 1);
        QVERIFY(plain.groups.first().heading.isEmpty());
        QCOMPARE(firstCreatorOrTitle(plain.lines.front()), QStringLiteral("Czakó Gábor"));
        // Greek after Latin; a Greek name forename first files under its family name, after iota.
        QCOMPARE(firstCreatorOrTitle(plain.lines.back()), QStringLiteral("Θεόδωρος Παπαδόπουλος"));
    }

    void nameIndexListsEveryCreatorWithItsNumbers()
    {
        const Bibliography book = bookOf(Grouping::Subject, true);
        const auto line = [](const char* name, QList<int> numbers) {
            return IndexLine{QString::fromUtf8(name), std::move(numbers)};
        };
        QCOMPARE(book.names,
                 (QList<IndexLine>{line("Czakó Gábor", {3, 9}), line("Csizmadia Ákos", {4, 7}),
                                   line("Kovács Éva", {7}), line("Oszkár Pál", {1}), line("Ödön Péter", {2}),
                                   line("Zoltán Imre", {5}), line("Zsolt Anna", {6}), line("Zsolt Béla", {4}),
                                   line("Παπαδόπουλος, Θεόδωρος", {10})}));
        QCOMPARE(book.places, (QList<IndexLine>{line("Budapest", {1, 2, 3, 4, 5, 7, 8, 9}),
                                                line("Pécs", {10}), line("Szeged", {6})}));
        QVERIFY(bookOf(Grouping::Subject, false).places.isEmpty());
    }

    void entryLayout_data()
    {
        QTest::addColumn<int>("record"); // index in the fixture's file order
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("italic");
        // The fixture gives every record the volume 12 and the pages 34–56.
        QTest::newRow("book: title in italics, editor in the statement, series in parentheses")
            << 0
            << nbsp("Csizmadia Ákos: A polisz / szerk. Zsolt Béla. – Budapest : Akadémiai Kiadó, 1998. – "
                    "34–56. – (Ókori tanulmányok ; 12)")
            << QStringLiteral("A polisz");
        QTest::newRow("article: the journal in italics with volume, year and pages, no publisher")
            << 1 << nbsp("Czakó Gábor: Spárta. – In: Századok, 12.~évf. 1998. 34–56.~p.")
            << QStringLiteral("Századok");
        QTest::newRow("translation: the translator named, a volume without series")
            << 8
            << nbsp(
                   "Csizmadia Ákos: Versek. 12.~köt. / ford. Kovács Éva. – Budapest : Akadémiai Kiadó, 1998. "
                   "– 34–56.")
            << QStringLiteral("Versek");
        QTest::newRow("no creator, Greek title")
            << 6 << nbsp("Ἰλιάς fordításai. 12.~köt. – Budapest : Akadémiai Kiadó, 1998. – 34–56.")
            << QStringLiteral("Ἰλιάς fordításai");
    }
    void entryLayout()
    {
        QFETCH(int, record);
        QFETCH(QString, text);
        QFETCH(QString, italic);
        const QList<HitRun> runs = EntryText::build(RecordLine::split(PublishFixture::lines().at(record)),
                                                    PublishFixture::roleNames());
        QCOMPARE(HitEntry::plainText(runs), text);
        QStringList italics;
        for (const HitRun& run : runs)
            if (run.italic)
                italics.append(run.text);
        QCOMPARE(italics, QStringList{italic});
    }

    void theThreeFormatsCarryTheSameEntries()
    {
        TempWorkDir dir;
        const Bibliography book = bookOf(Grouping::Subject, true);
        const QStringList entries = entryTexts(book);
        QStringList index;
        for (const IndexLine& line : book.names)
            index.append(indexText(line));

        writeBook(book, PublishFormat::Html, dir.file(QStringLiteral("konyv.html")));
        QCOMPARE(htmlParagraphs(dir.file(QStringLiteral("konyv.html")), QStringLiteral("entry")), entries);
        const QStringList htmlIndex =
            htmlParagraphs(dir.file(QStringLiteral("konyv.html")), QStringLiteral("index"));
        QCOMPARE(htmlIndex.mid(0, index.size()), index);

        writeBook(book, PublishFormat::Odt, dir.file(QStringLiteral("konyv.odt")));
        const QStringList paragraphs = odtParagraphs(dir.file(QStringLiteral("konyv.odt")));
        QStringList odtEntries;
        for (const QString& paragraph : paragraphs)
            if (QRegularExpression(QStringLiteral("^\\d+\\. ")).match(paragraph).hasMatch())
                odtEntries.append(paragraph);
        QCOMPARE(odtEntries, entries);
        // The last "Névmutató" is the index's heading, the first its line in the contents.
        const qsizetype names = paragraphs.lastIndexOf(BookComposer::nameIndexHeading());
        QVERIFY(names > 0);
        QStringList odtIndex;
        for (const QString& paragraph : paragraphs.mid(names + 1))
            if (paragraph.contains(QStringLiteral("  "))) // a letter heading has no numbers
                odtIndex.append(paragraph);
        QCOMPARE(odtIndex.mid(0, index.size()), index);
        QVERIFY(paragraphs.contains(BookComposer::placeIndexHeading()));

        writeBook(book, PublishFormat::Pdf, dir.file(QStringLiteral("konyv.pdf")));
        const QString pdf = withoutBlanks(pdfText(dir.file(QStringLiteral("konyv.pdf"))));
        qsizetype at = 0;
        for (const QString& entry : entries + index) {
            const qsizetype found = pdf.indexOf(withoutBlanks(entry), at);
            QVERIFY2(found >= 0, qPrintable(entry));
            at = found;
        }
        QVERIFY(pdf.startsWith(QStringLiteral("PróbaAlcím")));
    }

    // Laying the pages out a few paragraphs at a time gives the pages of one long document.
    void partsGiveTheSamePages()
    {
        const Bibliography book = bookOf(Grouping::Subject, true);
        const auto pages = [&book](qsizetype partSize) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setResolution(300);
            writer.setPageLayout(PagePainter::pageLayout(PaperSize::B5));
            PagePainter painter(book);
            painter.setPartSize(partSize);
            JobControl control;
            if (!painter.paint(writer, control))
                return -1;
            return painter.pageCount();
        };
        const int whole = pages(100000);
        QVERIFY(whole >= 4); // title page, entries, name index, place index
        QCOMPARE(pages(1), whole);
        QCOMPARE(pages(3), whole);
    }

    void firstPagesRender()
    {
        TempWorkDir dir;
        writeBook(bookOf(Grouping::Subject), PublishFormat::Pdf, dir.file(QStringLiteral("konyv.pdf")));
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"), QStringLiteral("-f"),
             QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("2"),
             dir.file(QStringLiteral("konyv.pdf")), dir.file(QStringLiteral("oldal"))});
        for (const char* page : {"oldal-1.png", "oldal-2.png"}) {
            const QImage image(dir.file(QString::fromLatin1(page)));
            QVERIFY2(!image.isNull(), page);
            QVERIFY(image.width() > 100 && image.height() > image.width());
        }
    }

    void aStoppedRunWritesNothing_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("pdf") << int(PublishFormat::Pdf);
        QTest::newRow("odt") << int(PublishFormat::Odt);
        QTest::newRow("html") << int(PublishFormat::Html);
    }
    void aStoppedRunWritesNothing()
    {
        QFETCH(int, format);
        TempWorkDir dir;
        const Bibliography book = bookOf(Grouping::Subject);
        const QString target = dir.file(QStringLiteral("konyv"));
        for (const bool earlier : {false, true}) {
            if (earlier)
                dir.writeBytes(QStringLiteral("konyv"), "the earlier file");
            JobControl control;
            int asked = 0;
            control.setCheckpoint([&] {
                if (++asked == 2)
                    control.requestStop();
            });
            QVERIFY_THROWS_EXCEPTION(OperationCancelled, BookWriter::write(book, PublishFormat(format),
                                                                           PaperSize::A4, target, control));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                     earlier ? QStringList{QStringLiteral("konyv")} : QStringList());
            if (earlier)
                QCOMPARE(dir.readBytes(QStringLiteral("konyv")), QByteArray("the earlier file"));
        }
    }

    void anUnwritableTargetIsReported()
    {
        TempWorkDir dir;
        const QString target = dir.file(QStringLiteral("nincs/konyv.pdf"));
        QCOMPARE(errorOf([&] { writeBook(bookOf(Grouping::None), PublishFormat::Pdf, target); }),
                 cannotCreateFile(target));
    }
};

QTEST_MAIN(TestBibliography)
#include "tst_bibliography.moc"
