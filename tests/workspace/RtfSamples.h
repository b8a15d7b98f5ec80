#pragma once

// RTF inputs with the text they hold, shared by the parser's test (through a
// recording sink) and the source window's reader test (through a text
// document): both must read the same text from them. Paragraphs are "\n",
// line breaks U+2028 and no-break spaces U+00A0.

#include <QByteArray>
#include <QString>
#include <QtTest>

namespace RtfSamples {

// Columns "file" (under tests/data/rtf) and "text": documents as word processors write them.
inline void addProducerDocuments()
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
                            << QStringLiteral("Őszi bibliográfia\n"
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

// Columns "rtf" and "text": the features one by one.
inline void addHandWritten()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("paragraphs and line breaks")
        << QByteArray("{\\rtf1 a\\par\\par b\\line c\\par}") << QStringLiteral("a\n\nb\u2028c");
    QTest::newRow("code page 1250") << QByteArray("{\\rtf1\\ansi\\ansicpg1250 \\'f5\\'fb\\'d5\\'db\\'e1}")
                                    << QStringLiteral("őűŐŰá");
    QTest::newRow("code page 1252") << QByteArray("{\\rtf1\\ansi\\ansicpg1252 \\'e9\\'93\\'80\\'94}")
                                    << QStringLiteral("é“€”");
    QTest::newRow("code page 1253") << QByteArray("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2\\'d9}")
                                    << QStringLiteral("αβΩ");
    QTest::newRow("Cyrillic through the system converters")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}") << QStringLiteral("Аб");
    QTest::newRow("double-byte code page")
        << QByteArray("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0x}") << QStringLiteral("あx");
    QTest::newRow("font character sets decide")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 Arial "
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
        << QByteArray("{\\rtf1 \\u-10188?x\\u-560?\\u65532?\\u10?}") << QStringLiteral("\ufffdx\ufffd\ufffd");
    QTest::newRow("escapes and symbols")
        << QByteArray("{\\rtf1 \\{x\\}\\\\ a\\tab b\\~c\\-d\\_e\\emdash\\endash\\bullet"
                      "\\lquote\\rquote\\ldblquote\\rdblquote}")
        << QStringLiteral("{x}\\ a\tb\u00a0cd-e—–•‘’“”");
    QTest::newRow("ignored destinations")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}{\\*\\generator x;}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\header H}{\\footer F}"
                      "{\\pict\\pngblip 0a0b}{\\*\\listtable{\\list x}}{\\*\\rsidtbl \\rsid1}"
                      "{\\*\\themedata 0101}{\\*\\latentstyles x}Body{\\*\\unknown zz}{\\footnote N} end}")
        << QStringLiteral("Body end");
    QTest::newRow("field result")
        << QByteArray("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}.}")
        << QStringLiteral("see link.");
    QTest::newRow("binary data") << QByteArray("{\\rtf1 a\\bin2 }{b{\\*\\blob\\bin2 }}}c}")
                                 << QStringLiteral("abc");
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v hidden}b\\v c\\v0 d}") << QStringLiteral("abd");
    QTest::newRow("symbol font")
        << QByteArray(
               "{\\rtf1{\\fonttbl{\\f0 Times;}{\\f1\\fcharset2 Symbol;}}\\f0 x{\\f1 abg\\'b7\\u-4031?}y}")
        << QStringLiteral("xαβγ•Αy");
    QTest::newRow("table cells")
        << QByteArray("{\\rtf1 \\trowd\\intbl a\\cell\\cell c\\cell\\row\\intbl d\\cell e\\cell\\row after}")
        << QStringLiteral("a\t\tc\nd\te\nafter");
    QTest::newRow("text outside the document is ignored")
        << QByteArray("junk{\\rtf1 in} out") << QStringLiteral("in");
}

// Columns "rtf" and "text": truncated, malformed and hostile input.
inline void addBroken()
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
    QTest::newRow("truncated unicode parameter") << QByteArray("{\\rtf1 ab\\u33") << QStringLiteral("ab!");
    QTest::newRow("truncated in font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << QString();
    QTest::newRow("truncated in ignored group") << QByteArray("{\\rtf1 a{\\*\\x{{") << QStringLiteral("a");
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
    QTest::newRow("unknown words") << QByteArray("{\\rtf1 \\foo\\barbaz123 a \\" + QByteArray(5000, 'z') +
                                                 "-7 b}")
                                   << QStringLiteral("a b");
    QTest::newRow("binary past the end")
        << QByteArray("{\\rtf1 ab\\bin999999999 cd}") << QStringLiteral("ab");
    QTest::newRow("negative binary length") << QByteArray("{\\rtf1 ab\\bin-5 cd}") << QStringLiteral("abcd");
    QTest::newRow("huge fallback count")
        << QByteArray("{\\rtf1 a\\uc99999999999\\u337?bc\\par{d}e}") << QStringLiteral("aőde");
    QTest::newRow("huge numbers")
        << QByteArray("{\\rtf1 \\fs99999999999\\f99999999999\\cf-99999999999\\u99999999999?a\\li-99999999999 "
                      "b\\par}")
        << QStringLiteral("\ufffdab");
    QTest::newRow("control characters")
        << QByteArray("{\\rtf1 a\0b\x01 c\\'00\\'0a\\'09}", 26) << QStringLiteral("ab c\t");
}

} // namespace RtfSamples
