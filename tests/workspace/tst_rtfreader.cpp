#include "ui/workspace/RtfReader.h"

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

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

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

    void readsProducersText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("LibreOffice") << QStringLiteral("libreoffice-formatting.rtf")
                                     << QStringLiteral("Árvíztűrő tükörfúrógép: ŐŰ őű áé\n"
                                                       "Normál félkövér dőlt aláhúzott vége.\n"
                                                       "Görögül: Ελληνικά αβγ ΩΣ apró\n"
                                                       "Szerző\tCím\u2028Második sor\u2028piros és kék\n"
                                                       "Középre „idézet” – vége…");
        QTest::newRow("LibreOffice table") << QStringLiteral("libreoffice-table.rtf")
                                           << QStringLiteral("Előtte\nKovács\tŐszi út\nNagy\tΩμέγα\nUtána");
        QTest::newRow("pandoc") << QStringLiteral("pandoc.rtf")
                                << QStringLiteral(
                                       "Őszi bibliográfia\n"
                                       "Árvíztűrő tükörfúrógép: ŐŰ őű áé, félkövér, dőlt, aláhúzott.\n"
                                       "Görög: Ελληνικά αβγ ΩΣ.\u2028"
                                       "Új sor ugyanabban a bekezdésben; „idézőjel” – gondolatjel.\n"
                                       "•\telső tétel\n"
                                       "•\tmásodik tétel");
        QTest::newRow("LibreOffice lists, link, table")
            << QStringLiteral("libreoffice-lists.rtf")
            << QStringLiteral("Címsor\n•\telső\n•\tmásodik\n 1.\tegy\n 2.\tkettő\n"
                              "Lábjegyzet1 és hivatkozás, áthúzott.\nA1\tB1\nA2\tB2\nVége");
        QTest::newRow("pandoc lists, link, table")
            << QStringLiteral("pandoc-lists.rtf")
            << QStringLiteral("Címsor\n•\telső\n•\tmásodik\n1.\tegy\n2.\tkettő\n"
                              "Lábjegyzet1 és hivatkozás, áthúzott.\nA1\tB1\nA2\tB2\n\nVége");
    }
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

    void readsHandWrittenRtf_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::newRow("paragraphs and line breaks")
            << QByteArray("{\\rtf1 a\\par\\par b\\line c\\par}") << QStringLiteral("a\n\nb\u2028c");
        QTest::newRow("code page 1250")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1250 \\'f5\\'fb\\'d5\\'db\\'e1}") << QStringLiteral("őűŐŰá");
        QTest::newRow("code page 1252")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1252 \\'e9\\'93\\'80\\'94}") << QStringLiteral("é“€”");
        QTest::newRow("code page 1253")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2\\'d9}") << QStringLiteral("αβΩ");
        QTest::newRow("Cyrillic through the system converters")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}") << QStringLiteral("Аб");
        QTest::newRow("double-byte code page")
            << QByteArray("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0x}") << QStringLiteral("あx");
        QTest::newRow("font character sets decide")
            << QByteArray(
                   "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 Arial "
                   "CE;}{\\f2\\fcharset161 Arial Greek;}}\\f0 \\'f5{\\f1 \\'f5}{\\f2 \\'e1\\'e2}\\'f5}")
            << QStringLiteral("õőαβõ");
        QTest::newRow("default font decides")
            << QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset238 Times;}}\\'f5\\plain\\'fb}")
            << QStringLiteral("őű");
        QTest::newRow("8-bit bytes as text")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1250 \xf5r}") << QStringLiteral("őr");
        QTest::newRow("unicode fallbacks")
            << QByteArray("{\\rtf1 a\\u337?b\\uc2\\u369\\'fb\\'fbc{\\uc0\\u337 d}\\u337??e}")
            << QStringLiteral("aőbűcődőe");
        QTest::newRow("fallback ends at a group")
            << QByteArray("{\\rtf1\\uc3 \\u337 x{y}z}") << QStringLiteral("őyz");
        QTest::newRow("negative unicode and surrogate pair")
            << QByteArray("{\\rtf1 \\u-200?\\u-10188?\\u-8930?}") << QStringLiteral("\uff38\U0001D11E");
        QTest::newRow("lone surrogate and reserved characters")
            << QByteArray("{\\rtf1 \\u-10188?x\\u-560?\\u65532?\\u10?}")
            << QStringLiteral("\ufffdx\ufffd\ufffd");
        QTest::newRow("escapes and symbols")
            << QByteArray("{\\rtf1 \\{x\\}\\\\ a\\tab b\\~c\\-d\\_e\\emdash\\endash\\bullet"
                          "\\lquote\\rquote\\ldblquote\\rdblquote}")
            << QStringLiteral("{x}\\ a\tb\u00a0cd-e—–•‘’“”");
        QTest::newRow("ignored destinations")
            << QByteArray(
                   "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}{\\*\\generator x;}"
                   "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\header H}{\\footer F}"
                   "{\\pict\\pngblip 0a0b}{\\*\\listtable{\\list x}}{\\*\\rsidtbl \\rsid1}"
                   "{\\*\\themedata 0101}{\\*\\latentstyles x}Body{\\*\\unknown zz}{\\footnote N} end}")
            << QStringLiteral("Body end");
        QTest::newRow("field result")
            << QByteArray("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}.}")
            << QStringLiteral("see link.");
        QTest::newRow("binary data") << QByteArray("{\\rtf1 a\\bin2 }{b{\\*\\blob\\bin2 }}}c}")
                                     << QStringLiteral("abc");
        QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v hidden}b\\v c\\v0 d}")
                                     << QStringLiteral("abd");
        QTest::newRow("symbol font")
            << QByteArray(
                   "{\\rtf1{\\fonttbl{\\f0 Times;}{\\f1\\fcharset2 Symbol;}}\\f0 x{\\f1 abg\\'b7\\u-4031?}y}")
            << QStringLiteral("xαβγ•Αy");
        QTest::newRow("table cells")
            << QByteArray(
                   "{\\rtf1 \\trowd\\intbl a\\cell\\cell c\\cell\\row\\intbl d\\cell e\\cell\\row after}")
            << QStringLiteral("a\t\tc\nd\te\nafter");
        QTest::newRow("text outside the document is ignored")
            << QByteArray("junk{\\rtf1 in} out") << QStringLiteral("in");
    }
    void readsHandWrittenRtf()
    {
        QFETCH(QByteArray, rtf);
        QTEST(readText(rtf), "text");
    }

    void survivesBrokenInput_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        const QByteArray opens(100000, '{');
        const QByteArray closes(100000, '}');
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("lone brace") << QByteArray("{") << QString();
        QTest::newRow("truncated control word") << QByteArray("{\\rtf1 ab\\pa") << QStringLiteral("ab");
        QTest::newRow("truncated after backslash") << QByteArray("{\\rtf1 ab\\") << QStringLiteral("ab");
        QTest::newRow("truncated hex escape") << QByteArray("{\\rtf1 ab\\'e") << QStringLiteral("ab");
        QTest::newRow("truncated unicode escape") << QByteArray("{\\rtf1 ab\\u") << QStringLiteral("ab");
        QTest::newRow("truncated unicode parameter")
            << QByteArray("{\\rtf1 ab\\u33") << QStringLiteral("ab!");
        QTest::newRow("truncated in font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << QString();
        QTest::newRow("truncated in ignored group")
            << QByteArray("{\\rtf1 a{\\*\\x{{") << QStringLiteral("a");
        QTest::newRow("invalid hex escape") << QByteArray("{\\rtf1 a\\'zzb}") << QStringLiteral("azzb");
        QTest::newRow("unclosed groups") << QByteArray("{\\rtf1 {\\b a{\\i b") << QStringLiteral("ab");
        QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 ab}}}} cd") << QStringLiteral("ab");
        QTest::newRow("closing braces first") << QByteArray("}}{\\rtf1 ab}") << QStringLiteral("ab");
        QTest::newRow("100k nested groups")
            << QByteArray("{\\rtf1 " + opens + "\\b deep" + closes + " end}") << QStringLiteral("deep end");
        QTest::newRow("100k unclosed groups") << QByteArray("{\\rtf1 " + opens + "x") << QStringLiteral("x");
        QTest::newRow("100k groups in an ignored group")
            << QByteArray("{\\rtf1 {\\*\\x " + opens + closes + "}ok}") << QStringLiteral("ok");
        QTest::newRow("destinations in deep groups")
            << QByteArray("{\\rtf1 " + opens + "{\\fonttbl{\\f0 A;}}{\\colortbl;}x" + closes + "y}")
            << QStringLiteral("xy");
        QTest::newRow("unknown words")
            << QByteArray("{\\rtf1 \\foo\\barbaz123 a \\" + QByteArray(5000, 'z') + "-7 b}")
            << QStringLiteral("a b");
        QTest::newRow("binary past the end")
            << QByteArray("{\\rtf1 ab\\bin999999999 cd}") << QStringLiteral("ab");
        QTest::newRow("negative binary length")
            << QByteArray("{\\rtf1 ab\\bin-5 cd}") << QStringLiteral("abcd");
        QTest::newRow("huge fallback count")
            << QByteArray("{\\rtf1 a\\uc99999999999\\u337?bc\\par{d}e}") << QStringLiteral("aőde");
        QTest::newRow("huge numbers")
            << QByteArray(
                   "{\\rtf1 \\fs99999999999\\f99999999999\\cf-99999999999\\u99999999999?a\\li-99999999999 "
                   "b\\par}")
            << QStringLiteral("\ufffdab");
        QTest::newRow("control characters")
            << QByteArray("{\\rtf1 a\0b\x01 c\\'00\\'0a\\'09}", 26) << QStringLiteral("ab c\t");
    }
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
