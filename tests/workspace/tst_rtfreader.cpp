#include "ui/workspace/RtfReader.h"

#include "core/record/OperationCancelled.h"

#include "RtfSamples.h"
#include "TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

QByteArray fixture(const QString& name)
{
    QFile file(testDataPath(QStringLiteral("rtf/") + name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

// The document's text with paragraphs as "\n"; line breaks stay U+2028 and
// no-break spaces stay U+00A0 so that they can be told apart.
QString rawText(const QTextDocument& document)
{
    return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

QString readText(const QByteArray& rtf)
{
    QTextDocument document;
    Rtf::loadInto(rtf, document);
    return rawText(document);
}

// The character format of the first character of the first occurrence of text.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text)
{
    const QTextCursor found = document.find(text);
    if (found.isNull())
        return {};
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(found.selectionStart() + 1);
    return cursor.charFormat();
}

// What the core parser hands over, written down plainly: the reference for
// what the document must hold.
class RecordingSink final : public Rtf::Sink
{
public:
    void text(QStringView text, const Rtf::CharFormat&) override { read += text; }
    void paragraphEnd(const Rtf::ParagraphFormat& format) override
    {
        alignments.resize(paragraphs);
        alignments.append(format.alignment);
    }
    void paragraphStart() override
    {
        read += u'\n';
        ++paragraphs;
    }

    QString read;
    qsizetype paragraphs = 0;
    QList<Qt::Alignment> alignments; // by paragraph
};

// Many paragraphs in changing formats and alignments, with empty paragraphs,
// line breaks and escaped letters: more than the reader hands over at once.
QByteArray longDocument()
{
    QByteArray rtf("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}{\\f1 Times;}}\n");
    for (int k = 0; k < 20000; ++k) {
        rtf += k % 997 == 0 ? "\\pard\\qc " : "\\pard ";
        rtf += "{\\b " + QByteArray::number(k) + ".} {\\i\\f1 d\\u337?lt} sima\\tab sz\\'f6veg";
        rtf += k % 500 == 0 ? "\\line t\\'f6r\\'e9s\\par\\par\n" : "\\par\n";
    }
    return rtf + "}";
}

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsProducersText_data() { RtfSamples::addProducerDocuments(); }
    void readsProducersText()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        QCOMPARE(readText(fixture(file)), text);
    }

    void readsProducersFormatting_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::addColumn<QColor>("color"); // invalid: the default text colour

        const QString office = QStringLiteral("libreoffice-formatting.rtf");
        const QString serif = QStringLiteral("Liberation Serif");
        QTest::newRow("LibreOffice normal")
            << office << QStringLiteral("Normál") << false << false << false << serif << 12.0 << QColor();
        QTest::newRow("LibreOffice bold")
            << office << QStringLiteral("félkövér") << true << false << false << serif << 12.0 << QColor();
        QTest::newRow("LibreOffice italic")
            << office << QStringLiteral("dőlt") << false << true << false << serif << 12.0 << QColor();
        QTest::newRow("LibreOffice underline")
            << office << QStringLiteral("aláhúzott") << false << false << true << serif << 12.0 << QColor();
        QTest::newRow("LibreOffice second font")
            << office << QStringLiteral("Ελληνικά") << false << false << false
            << QStringLiteral("DejaVu Sans") << 16.0 << QColor();
        QTest::newRow("LibreOffice small")
            << office << QStringLiteral("apró") << false << false << false << serif << 9.0 << QColor();
        QTest::newRow("LibreOffice red") << office << QStringLiteral("piros") << false << false << false
                                         << serif << 12.0 << QColor(0xc0, 0, 0);
        QTest::newRow("LibreOffice blue bold italic") << office << QStringLiteral("kék") << true << true
                                                      << false << serif << 12.0 << QColor(0, 0, 0xff);

        const QString pandoc = QStringLiteral("pandoc.rtf");
        const QString helvetica = QStringLiteral("Helvetica");
        QTest::newRow("pandoc heading")
            << pandoc << QStringLiteral("Őszi") << true << false << false << helvetica << 18.0 << QColor();
        QTest::newRow("pandoc normal") << pandoc << QStringLiteral("Árvíztűrő") << false << false << false
                                       << helvetica << 12.0 << QColor();
        QTest::newRow("pandoc bold") << pandoc << QStringLiteral("félkövér") << true << false << false
                                     << helvetica << 12.0 << QColor();
        QTest::newRow("pandoc italic")
            << pandoc << QStringLiteral("dőlt") << false << true << false << helvetica << 12.0 << QColor();
        QTest::newRow("pandoc underline") << pandoc << QStringLiteral("aláhúzott") << false << false << true
                                          << helvetica << 12.0 << QColor();
    }
    void readsProducersFormatting()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        QTextDocument document;
        Rtf::loadInto(fixture(file), document);
        const QTextCharFormat format = formatOf(document, text);
        QVERIFY2(format.isValid(), qPrintable(text));
        QTEST(format.fontWeight() >= QFont::Bold, "bold");
        QTEST(format.fontItalic(), "italic");
        QTEST(format.fontUnderline(), "underline");
        QTEST(format.fontFamilies().toStringList().value(0), "family");
        QTEST(format.fontPointSize(), "points");
        QFETCH(QColor, color);
        if (color.isValid())
            QCOMPARE(format.foreground().color(), color);
        else
            QVERIFY(!format.hasProperty(QTextFormat::ForegroundBrush));
    }

    void readsRaisedAndStruckText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("LibreOffice") << QStringLiteral("libreoffice-lists.rtf");
        QTest::newRow("pandoc") << QStringLiteral("pandoc-lists.rtf");
    }
    void readsRaisedAndStruckText()
    {
        QFETCH(QString, file);
        QTextDocument document;
        Rtf::loadInto(fixture(file), document);
        QCOMPARE(formatOf(document, QStringLiteral("Lábjegyzet1")).verticalAlignment(),
                 QTextCharFormat::AlignNormal);
        const QTextCursor footnote = document.find(QStringLiteral("Lábjegyzet1"));
        QTextCursor cursor(&document);
        cursor.setPosition(footnote.selectionEnd());
        QCOMPARE(cursor.charFormat().verticalAlignment(), QTextCharFormat::AlignSuperScript);
        QVERIFY(formatOf(document, QStringLiteral("áthúzott")).fontStrikeOut());
        QVERIFY(!formatOf(document, QStringLiteral("hivatkozás")).fontStrikeOut());
    }

    void readsParagraphFormatting()
    {
        QTextDocument document;
        Rtf::loadInto(fixture(QStringLiteral("libreoffice-formatting.rtf")), document);
        QCOMPARE(document.blockCount(), 5);
        QCOMPARE(document.lastBlock().blockFormat().alignment(), Qt::AlignHCenter);
        QCOMPARE(document.firstBlock().blockFormat().alignment(), Qt::AlignLeft);

        Rtf::loadInto("{\\rtf1 {\\pard\\qr right\\par}{\\pard\\qc centred}}", document);
        QCOMPARE(document.firstBlock().blockFormat().alignment(), Qt::AlignRight);
        QCOMPARE(document.lastBlock().blockFormat().alignment(), Qt::AlignHCenter);
    }

    void readsHandWrittenRtf_data() { RtfSamples::addHandWritten(); }
    void readsHandWrittenRtf()
    {
        QFETCH(QByteArray, rtf);
        QTEST(readText(rtf), "text");
    }

    void survivesBrokenInput_data() { RtfSamples::addBroken(); }
    void survivesBrokenInput()
    {
        QFETCH(QByteArray, rtf);
        QTEST(readText(rtf), "text");
    }

    void clampsFontSize()
    {
        QTextDocument document;
        Rtf::loadInto("{\\rtf1 \\fs99999999999 big}", document);
        QCOMPARE(formatOf(document, QStringLiteral("big")).fontPointSize(), 1638.0);
    }

    void survivesRandomBytes()
    {
        // Random bytes rich in RTF's own characters reach every branch of the reader.
        QRandomGenerator random(20240611);
        const QByteArray alphabet("{}\\\\\\'*;0123456789-abfiluv \r\n\xf5\xe9");
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes("{\\rtf1 ");
            for (int i = 0; i < 20000; ++i)
                bytes += alphabet.at(random.bounded(alphabet.size()));
            QTextDocument document;
            Rtf::loadInto(bytes, document);
        }
    }

    // The document is built apart from the parsing, in batches; what it
    // holds must be exactly what the parser read.
    void longDocumentHoldsWhatTheParserRead()
    {
        const QByteArray rtf = longDocument();
        RecordingSink expected;
        Rtf::parse(rtf, expected);
        QTextDocument document;
        Rtf::loadInto(rtf, document);
        QCOMPARE(rawText(document), expected.read);
        QCOMPARE(document.blockCount(), expected.paragraphs + 1);
        int block = 0;
        for (QTextBlock b = document.begin(); b.isValid(); b = b.next(), ++block)
            QCOMPARE(b.blockFormat().alignment(), expected.alignments.value(block));
        QVERIFY(formatOf(document, QStringLiteral("19999.")).fontWeight() >= QFont::Bold);
        QVERIFY(formatOf(document, QStringLiteral("dőlt")).fontItalic());
        QVERIFY(!formatOf(document, QStringLiteral("sima")).fontItalic());
    }

    // A paragraph's mark takes the format of the paragraph's first text,
    // wherever the batches it travels in happen to end: with one text a
    // paragraph, bold and plain in turn, the batch ends fall after every
    // kind of event somewhere in a few thousand paragraphs.
    void paragraphMarkTakesItsOwnTextsFormat()
    {
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 5000; ++i)
            rtf += i % 2 ? "{\\b x}\\par " : "y\\par ";
        rtf += "}";
        QTextDocument document;
        Rtf::loadInto(rtf, document);
        int checked = 0;
        for (QTextBlock block = document.begin().next(); block.isValid() && block.length() > 1;
             block = block.next(), ++checked) {
            const bool bold = block.text() == u"x";
            QCOMPARE(block.charFormat().fontWeight() >= QFont::Bold, bold);
        }
        QVERIFY(checked > 4000);
    }

    void cancelledLoadThrows()
    {
        JobControl stopped;
        stopped.requestStop();
        QTextDocument document;
        QVERIFY_THROWS_EXCEPTION(OperationCancelled, Rtf::loadInto(longDocument(), document, stopped));
    }

    void replacesContentAndKeepsUndoSetting()
    {
        QTextDocument document;
        document.setPlainText(QStringLiteral("old"));
        Rtf::loadInto("{\\rtf1 new}", document);
        QCOMPARE(document.toPlainText(), QStringLiteral("new"));
        QVERIFY(document.isUndoRedoEnabled());
        QVERIFY(!document.isUndoAvailable());
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
