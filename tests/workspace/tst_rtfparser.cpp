#include "core/source/RtfParser.h"

#include "RtfSamples.h"
#include "TestSupport.h"

#include <QFile>
#include <QtTest>

namespace {

QByteArray fixture(const QString& name)
{
    QFile file(testDataPath(QStringLiteral("rtf/") + name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

// Keeps what the parser hands over: the text with paragraphs as "\n", the
// format of every run and paragraph, and whether the sink's promises held.
class RecordingSink final : public Rtf::Sink
{
public:
    void text(QStringView text, const Rtf::CharFormat& format) override
    {
        if (text.isEmpty())
            brokenPromise = QStringLiteral("empty run");
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            const bool pair =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            if (pair)
                ++i;
            else if (QChar::isSurrogate(c) || c == QChar::ParagraphSeparator || c == 0xfffc || c >= 0xfffe ||
                     (c >= 0xfdd0 && c <= 0xfdef))
                brokenPromise = QStringLiteral("U+%1 in a run").arg(int(c), 4, 16, QLatin1Char('0'));
        }
        plainText += text;
        runs.append({text.toString(), format});
    }
    void paragraphEnd(const Rtf::ParagraphFormat& format) override { paragraphs.append(format); }
    void paragraphStart() override { plainText += u'\n'; }

    QString plainText;
    QList<std::pair<QString, Rtf::CharFormat>> runs;
    QList<Rtf::ParagraphFormat> paragraphs; // in the order their ends came
    QString brokenPromise;

    // The format of the run holding text.
    Rtf::CharFormat formatOf(QStringView text) const
    {
        for (const auto& [run, format] : runs)
            if (run.contains(text))
                return format;
        return {};
    }
};

RecordingSink parsed(const QByteArray& rtf)
{
    RecordingSink sink;
    Rtf::parse(rtf, sink);
    return sink;
}

} // namespace

class TestRtfParser : public QObject
{
    Q_OBJECT

private:
    static void compareText(const QByteArray& rtf, const QString& text)
    {
        const RecordingSink sink = parsed(rtf);
        QVERIFY2(sink.brokenPromise.isEmpty(), qPrintable(sink.brokenPromise));
        QCOMPARE(sink.plainText, text);
    }

private Q_SLOTS:
    void recognisesRtf_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("rtf");
        QTest::newRow("plain") << QByteArray("{\\rtf1\\ansi x}") << true;
        QTest::newRow("byte-order mark and blank lines")
            << QByteArray("\xEF\xBB\xBF \r\n\t{\\rtf1 x}") << true;
        QTest::newRow("text file") << QByteArray("Kovács János\r\n") << false;
        QTest::newRow("text before") << QByteArray("x{\\rtf1 x}") << false;
        QTest::newRow("other group") << QByteArray("{\\rt x}") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void recognisesRtf()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, rtf);
        QCOMPARE(Rtf::looksLikeRtf(bytes), rtf);
    }

    void readsProducersText_data() { RtfSamples::addProducerDocuments(); }
    void readsProducersText()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        compareText(fixture(file), text);
    }

    void readsHandWrittenRtf_data() { RtfSamples::addHandWritten(); }
    void readsHandWrittenRtf()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        compareText(rtf, text);
    }

    void survivesBrokenInput_data() { RtfSamples::addBroken(); }
    void survivesBrokenInput()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        compareText(rtf, text);
    }

    void resolvesFontsAndColours()
    {
        const RecordingSink sink = parsed(
            "{\\rtf1\\deff0{\\fonttbl{\\f0 Times;}{\\f1 "
            "Arial}}{\\colortbl;\\red192\\green0\\blue0;\\red0\\green0"
            "\\blue255;}plain {\\f1\\b\\i\\ul\\strike\\super\\cf1\\cb2\\fs99999 rich}{\\f7\\cf9 unknown}}");
        const Rtf::CharFormat plain = sink.formatOf(u"plain");
        Rtf::CharFormat times;
        times.fontFamily = QStringLiteral("Times");
        QCOMPARE(plain, times);
        const Rtf::CharFormat rich = sink.formatOf(u"rich");
        QCOMPARE(rich.fontFamily, QStringLiteral("Arial")); // its entry closed by the group's end
        QCOMPARE(rich.halfPoints, 3276);
        QCOMPARE(rich.foreground, std::optional(Rtf::Color{192, 0, 0}));
        QCOMPARE(rich.background, std::optional(Rtf::Color{0, 0, 255}));
        QCOMPARE(rich.underline, Rtf::Underline::Single);
        QCOMPARE(rich.verticalAlignment, Rtf::VerticalAlignment::Superscript);
        QVERIFY(rich.bold && rich.italic && rich.strike);
        const Rtf::CharFormat unknown = sink.formatOf(u"unknown");
        QVERIFY(unknown.fontFamily.isEmpty());
        QVERIFY(!unknown.foreground);
    }

    void endsParagraphsWithTheirFormat()
    {
        const RecordingSink sink =
            parsed("{\\rtf1 {\\pard\\qr\\li-99999999\\sa120 right\\par}{\\pard\\qc\\fi360 centred}}");
        QCOMPARE(sink.paragraphs.size(), 2);
        QCOMPARE(sink.paragraphs[0].alignment, Qt::AlignRight);
        QCOMPARE(sink.paragraphs[0].leftTwips, -31680);
        QCOMPARE(sink.paragraphs[0].afterTwips, 120);
        // The last paragraph has no mark; it keeps the properties of its text.
        QCOMPARE(sink.paragraphs[1].alignment, Qt::AlignHCenter);
        QCOMPARE(sink.paragraphs[1].firstLineTwips, 360);
        QCOMPARE(sink.plainText, QStringLiteral("right\ncentred"));
    }
};

QTEST_GUILESS_MAIN(TestRtfParser)
#include "tst_rtfparser.moc"
