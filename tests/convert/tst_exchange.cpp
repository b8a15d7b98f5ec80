#include "TestSupport.h"

#include "core/convert/ConversionSession.h"
#include "core/exchange/RecordExporter.h"
#include "core/exchange/RisFormat.h"
#include "core/index/DatabaseStream.h"
#include "core/record/CsvText.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Records of every type, with accents, Greek, the characters BibTeX escapes,
// every role with a field of its own and one without, names with and
// without a comma, and empty fields.
QStringList corpus()
{
    const QStringList types = {QStringLiteral("könyv"),
                               QStringLiteral("folyóiratcikk"),
                               QStringLiteral("cikk gyűjt. kötetben"),
                               QStringLiteral("külön lenyomat"),
                               QStringLiteral("rec."),
                               QStringLiteral("fordítás"),
                               QString()};
    const QStringList titles = {
        QStringLiteral("Árvíztűrő tükörfúrógép"), QStringLiteral("Ἡ Ἰλιάς καὶ ἡ Ὀδύσσεια"),
        QStringLiteral("Zárójelek {és} \\ jelek, 100% & $_#"), QStringLiteral("Őszi \"idézet\", vessző")};
    QStringList lines;
    for (int i = 0; i < 28; ++i) {
        const QString type = types[i % types.size()];
        const bool translated = i % 3 == 0;
        QStringList f(RecordLine::FieldCount);
        f[0] = QStringLiteral("Ka%1").arg(i + 1, 6, 10, QLatin1Char('0')) + QStringLiteral("00");
        f[1] = type;
        f[2] = i % 2 ? QStringLiteral("Néprajz; Ókor") : QString();
        f[3] = i % 4 == 1 ? QStringLiteral("01") : QStringLiteral("01Kovács János");
        f[4] = i % 2 ? QStringLiteral("02Σωκράτης, Ἀθηναῖος") : QStringLiteral("02");
        f[5] = translated ? QStringLiteral("03Tőkés Éva") : QStringLiteral("03");
        f[6] = i % 5 == 0 ? QStringLiteral("04Bevezető Béla")
                          : (i % 7 == 3 ? QStringLiteral("12Más Szerepű") : QStringLiteral("04"));
        f[7] = titles[i % titles.size()];
        f[8] = i % 3 == 1 ? QString() : QStringLiteral("Századok");
        f[9] = QStringLiteral("Akadémiai Kiadó");
        f[10] = QString::number(i);
        f[11] = QString::number(1900 + i * 3);
        f[12] = i % 2 ? QStringLiteral("%1-%2").arg(i).arg(i + 10) : QStringLiteral("xii, 345 p.");
        f[13] = QStringLiteral("Budapest");
        f[14] = i % 2 ? QStringLiteral("Megjegyzés: ő; ű") : QString();
        f[15] = i % 3 ? QStringLiteral("https://example.org/%1?a=1&b=2").arg(i) : QString();
        f[16] = translated ? QStringLiteral("1") : QStringLiteral("0");
        f[17] = i % 2 ? QStringLiteral("magyar") : QStringLiteral("ógörög");
        f[18] = i % 4 == 2 ? QStringLiteral("CD-ROM") : QStringLiteral("papír");
        lines.append(RecordLine::join(f));
    }
    return lines;
}

QStringList splitText(const QByteArray& bytes)
{
    return TextFile::splitUnicodeLines(QString::fromUtf8(bytes));
}

QStringList convertBack(SourceKind kind, const QStringList& sourceLines, QStringList* notes = nullptr)
{
    const SourceFormat* format = SourceFormat::forKind(kind);
    QStringList lines;
    const DbfTable table;
    const ConversionInput input{table, sourceLines, 0};
    format->convert(input, [&lines](const QString& line) { lines.append(line); });
    if (notes)
        *notes = format->leftOutNotes(input);
    return lines;
}

QString withoutName(const QString& line)
{
    QStringList f = RecordLine::split(line);
    f[0].clear();
    return RecordLine::join(f);
}

QString systemPython()
{
    // The distribution's interpreter sees the distribution's modules.
    return QFile::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStandardPaths::findExecutable(QStringLiteral("python3"));
}

QString runTool(const QString& program, const QStringList& args, const QByteArray& input, int* status)
{
    const ProgramRun run = runProgram(program, args, {}, input);
    *status = run.exitCode;
    return run.out + run.err;
}

// Authors, titles and years of the corpus as an independent reader must find them.
QStringList expectedSummary(const QStringList& lines)
{
    QStringList out;
    for (const QString& line : lines) {
        const Exchange::Record r = Exchange::Record::fromLine(line);
        QStringList authors;
        for (const Exchange::Creator& c : r.creators)
            if (c.roleCode == u"01")
                authors.append(c.name);
        out.append(authors.join(u'|') + u'\t' + r.title + u'\t' + r.year);
    }
    return out;
}

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void malformedEntries_data();
    void malformedEntries();
    void risTagLines_data();
    void deeplyNestedBibtex_data();
    void deeplyNestedBibtex();
    void risTagLines();
    void foreignBibtex();
    void csvHeaderAndQuoting();
    void csvCellsAreGuarded_data();
    void csvCellsAreGuarded();
    void bibtexKeysAreUnique();
    void latexSpecialsRoundTrip_data();
    void latexSpecialsRoundTrip();
    void sampleCompilesWithBiblatex_data();
    void sampleCompilesWithBiblatex();
    void independentBibtexReader();
    void independentBibutilsReaders_data();
    void independentBibutilsReaders();
    void formatsByNameAndFile_data();
    void formatsByNameAndFile();
    void formatFilters();
};

void TestExchange::roundTrip_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("kind");
    QTest::newRow("bibtex") << int(ExportFormat::BibTeX) << int(SourceKind::BibTeX);
    QTest::newRow("ris") << int(ExportFormat::Ris) << int(SourceKind::Ris);
}

void TestExchange::roundTrip()
{
    QFETCH(int, format);
    QFETCH(int, kind);
    const QStringList lines = corpus();
    const QByteArray bytes = RecordExporter::encodeAll(ExportFormat(format), lines);
    QStringList notes;
    const QStringList back = convertBack(SourceKind(kind), splitText(bytes), &notes);
    QCOMPARE(notes, QStringList());
    QCOMPARE(back.size(), lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(withoutName(back[i]), withoutName(lines[i]));
        // Named with the chosen volume and the running number.
        QCOMPARE(back[i].left(10),
                 QStringLiteral("Ka%1").arg(i + 1, 6, 10, QLatin1Char('0')) + QStringLiteral("00"));
    }
}

void TestExchange::malformedEntries_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<int>>("problemLines");

    QTest::newRow("ris unclosed before next")
        << int(SourceKind::Ris) << QStringLiteral("TY  - BOOK\nTI  - Egy\nTY  - JOUR\nTI  - Kettő\nER  - \n")
        << QStringList{QStringLiteral("Kettő")} << QList<int>{1};
    QTest::newRow("ris unclosed at end")
        << int(SourceKind::Ris)
        << QStringLiteral("TY  - BOOK\nTI  - Egy\nER  - \n\nTY  - JOUR\nTI  - Kettő\n")
        << QStringList{QStringLiteral("Egy")} << QList<int>{5};
    QTest::newRow("ris tag outside") << int(SourceKind::Ris)
                                     << QStringLiteral("TI  - Árva\nTY  - BOOK\nTI  - Egy\nER  - \nszemét\n")
                                     << QStringList{QStringLiteral("Egy")} << QList<int>{1, 5};
    QTest::newRow("ris type missing")
        << int(SourceKind::Ris)
        << QStringLiteral("TY  - \nTI  - Egy\nER  - \nTY  - BOOK\nTI  - Kettő\nER  - \n")
        << QStringList{QStringLiteral("Kettő")} << QList<int>{1, 2};
    QTest::newRow("bibtex missing comma")
        << int(SourceKind::BibTeX)
        << QStringLiteral("@book{a,\n  title = {Egy}\n  year = 1999\n}\n@article{b, title = {Kettő}}\n")
        << QStringList{QStringLiteral("Kettő")} << QList<int>{1};
    QTest::newRow("bibtex unbalanced braces")
        << int(SourceKind::BibTeX)
        << QStringLiteral(
               "@book{a, title = {Egy}}\n\n@book{b,\n title = {Kettő\n}\n@misc{c, title = \"Három\"}\n")
        << QStringList{QStringLiteral("Egy"), QStringLiteral("Három")} << QList<int>{3};
    QTest::newRow("bibtex missing equals")
        << int(SourceKind::BibTeX) << QStringLiteral("@book{a, title {Egy}}\n@book{b, title = {Kettő}}")
        << QStringList{QStringLiteral("Kettő")} << QList<int>{1};
    QTest::newRow("bibtex unterminated quote")
        << int(SourceKind::BibTeX) << QStringLiteral("@book{b, title = {Kettő}}\n@book{a, title = \"Egy}\n")
        << QStringList{QStringLiteral("Kettő")} << QList<int>{2};
}

void TestExchange::malformedEntries()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QStringList, titles);
    QFETCH(QList<int>, problemLines);
    QStringList notes;
    const QStringList back = convertBack(SourceKind(kind), text.split(u'\n'), &notes);
    QStringList gotTitles;
    for (const QString& line : back)
        gotTitles.append(RecordLine::split(line)[7]);
    QCOMPARE(gotTitles, titles);
    QCOMPARE(notes.size(), problemLines.size());
    for (int i = 0; i < notes.size(); ++i)
        QVERIFY2(notes[i].startsWith(QStringLiteral("A(z) %1. sorban").arg(problemLines[i])),
                 qPrintable(notes[i]));
}

// What makes a line a field of its own and what continues the field before
// it, characters outside the first plane included.
void TestExchange::risTagLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("tag"); // empty: the line continues the title
    QTest::addColumn<QString>("value");
    QTest::newRow("two blanks") << "PB  - Kiadó"
                                << "PB"
                                << "Kiadó";
    QTest::newRow("one blank") << "PB - Kiadó"
                               << "PB"
                               << "Kiadó";
    QTest::newRow("digit in tag") << "T2  - Sorozat"
                                  << "T2"
                                  << "Sorozat";
    QTest::newRow("empty without blank") << "N1  -"
                                         << "N1"
                                         << "";
    QTest::newRow("blanks kept in value") << "N1  -   szóközök  "
                                          << "N1"
                                          << "  szóközök  ";
    QTest::newRow("outside first plane") << "KW  - 𝔸 és 😀"
                                         << "KW"
                                         << "𝔸 és 😀";
    QTest::newRow("dash glued to value") << "PB  -Kiadó"
                                         << ""
                                         << "Cím PB  -Kiadó";
    QTest::newRow("three blanks") << "PB   - Kiadó"
                                  << ""
                                  << "Cím PB   - Kiadó";
    QTest::newRow("small letters") << "pb  - Kiadó"
                                   << ""
                                   << "Cím pb  - Kiadó";
    QTest::newRow("accented tag") << "PÁ  - Kiadó"
                                  << ""
                                  << "Cím PÁ  - Kiadó";
    QTest::newRow("digit first") << "2T  - Kiadó"
                                 << ""
                                 << "Cím 2T  - Kiadó";
}

void TestExchange::risTagLines()
{
    QFETCH(QString, line);
    QFETCH(QString, tag);
    QFETCH(QString, value);
    const ParsedImport parsed = RisFormat().parse(
        {QStringLiteral("TY  - BOOK"), QStringLiteral("TI  - Cím"), line, QStringLiteral("ER  - ")});
    QVERIFY(parsed.problems.isEmpty());
    QCOMPARE(parsed.entries.size(), 1);
    const auto& fields = parsed.entries[0].fields;
    if (tag.isEmpty()) {
        QCOMPARE(fields.size(), 1);
        QCOMPARE(fields[0].second, value);
    } else {
        QCOMPARE(fields.size(), 2);
        QCOMPARE(fields[1].first, tag);
        QCOMPARE(fields[1].second, value);
    }
}

// Values nested far deeper than any real one: a refused entry is told and
// skipped, a chain of accents is read without using up the stack, and the
// next entry comes through either way.
void TestExchange::deeplyNestedBibtex_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("problem"); // empty: none
    const int deep = 200000;
    const QString refused = QStringLiteral("túl mélyen egymásba ágyazott zárójelek");
    QTest::newRow("braces at the limit")
        << u'{' + QString(99, u'{') + u'x' + QString(99, u'}') + u'}'
        << QStringList{QStringLiteral("x"), QStringLiteral("Kettő")} << QString();
    QTest::newRow("braces past the limit") << u'{' + QString(100, u'{') + u'x' + QString(100, u'}') + u'}'
                                           << QStringList{QStringLiteral("Kettő")} << refused;
    QTest::newRow("braces far past it") << u'{' + QString(deep, u'{') + u'x' + QString(deep, u'}') + u'}'
                                        << QStringList{QStringLiteral("Kettő")} << refused;
    QTest::newRow("quoted") << u'"' + QString(deep, u'{') + u'x' + QString(deep, u'}') + u'"'
                            << QStringList{QStringLiteral("Kettő")} << refused;
    QTest::newRow("accent chain") << u'{' + QStringLiteral("\\'").repeated(deep) + QStringLiteral("x}")
                                  << QStringList{QString(), QStringLiteral("Kettő")} << QString();
}

void TestExchange::deeplyNestedBibtex()
{
    QFETCH(QString, title);
    QFETCH(QStringList, titles);
    QFETCH(QString, problem);
    QStringList notes;
    const QStringList back = convertBack(
        SourceKind::BibTeX,
        {QStringLiteral("@book{a, title = ") + title + u'}', QStringLiteral("@book{b, title = {Kettő}}")},
        &notes);
    QCOMPARE(back.size(), titles.size());
    for (int i = 0; i < titles.size(); ++i)
        if (!titles[i].isEmpty())
            QCOMPARE(RecordLine::split(back[i])[7], titles[i]);
    if (problem.isEmpty()) {
        QVERIFY(notes.isEmpty());
    } else {
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes[0].startsWith(QStringLiteral("A(z) 1. sorban")) && notes[0].contains(problem),
                 qPrintable(notes[0]));
    }
}

// A file from a catalogue: LaTeX accents, @string macros, concatenation,
// fields that have no place in a record, and more creators than slots.
void TestExchange::foreignBibtex()
{
    const QString text =
        QStringLiteral("@string{akk = \"Akad{\\'e}miai Kiad{\\'o}\"}\n"
                       "@Article{x,\n  author = {Erd{\\H o}s, P{\\'a}l and Tur\\'an, P. and A and B and C},\n"
                       "  title = {{On} the {\\\"u}ber \\& G\\\"odel},\n  journal = akk # \" \" # {X},\n"
                       "  year = 1935, doi = {10.1/x}, month = mar\n}\n");
    const QStringList back = convertBack(SourceKind::BibTeX, text.split(u'\n'));
    QCOMPARE(back.size(), 1);
    const QStringList f = RecordLine::split(back[0]);
    QCOMPARE(f[1], QStringLiteral("folyóiratcikk"));
    QCOMPARE(f[3], QStringLiteral("01Erdős, Pál"));
    QCOMPARE(f[4], QStringLiteral("01Turán, P."));
    QCOMPARE(f[6], QStringLiteral("01B"));
    QCOMPARE(f[7], QStringLiteral("On the über & Gödel"));
    QCOMPARE(f[8], QStringLiteral("Akadémiai Kiadó X"));
    QCOMPARE(f[11], QStringLiteral("1935"));
    QCOMPARE(f[14], QStringLiteral("doi: 10.1/x; month: mar; Szerző: C"));
    QCOMPARE(f[18], QStringLiteral("papír"));
}

void TestExchange::csvHeaderAndQuoting()
{
    QStringList fields(RecordLine::FieldCount);
    fields[0] = QStringLiteral("Ka00000100");
    fields[1] = QStringLiteral("könyv");
    fields[3] = QStringLiteral("01Kiss, \"Anna\"");
    fields[4] = QStringLiteral("02");
    fields[5] = QStringLiteral("03");
    fields[6] = QStringLiteral("04");
    fields[7] = QStringLiteral("Ἰλιάς");
    fields[16] = QStringLiteral("0");
    fields[18] = QStringLiteral("papír");
    const QString line = RecordLine::join(fields);
    const QByteArray bytes = RecordExporter::encodeAll(ExportFormat::Csv, {line});
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList rows = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(rows.size(), 3); // header, record, and the empty text after the last CR LF
    QVERIFY(rows[0].startsWith(QStringLiteral("Rekordnév,Rekord típusa,Tárgykör,1. alkotó")));
    QCOMPARE(rows[0].count(u','), 18);
    QVERIFY(rows[1].startsWith(QStringLiteral("Ka00000100,könyv,,\"01Kiss, \"\"Anna\"\"\",02,03,04,Ἰλιάς,")));
    QVERIFY(rows[1].endsWith(QStringLiteral(",0,,papír")));
}

// A cell a spreadsheet would run as a formula gets a leading apostrophe;
// a plain number and ordinary text stay as they are.
void TestExchange::csvCellsAreGuarded_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("formula") << QStringLiteral("=SUM(A1:A9)") << QStringLiteral("'=SUM(A1:A9)");
    QTest::newRow("hyperlink") << QStringLiteral("=HYPERLINK(\"http://x\")")
                               << QStringLiteral("\"'=HYPERLINK(\"\"http://x\"\")\"");
    QTest::newRow("plus") << QStringLiteral("+1+2") << QStringLiteral("'+1+2");
    QTest::newRow("minus formula") << QStringLiteral("-2+3") << QStringLiteral("'-2+3");
    QTest::newRow("at") << QStringLiteral("@SUM(1)") << QStringLiteral("'@SUM(1)");
    QTest::newRow("tab") << QStringLiteral("\tx") << QStringLiteral("'\tx");
    QTest::newRow("carriage return") << QStringLiteral("\rx") << QStringLiteral("\"'\rx\"");
    QTest::newRow("dash in text") << QStringLiteral("- lásd még") << QStringLiteral("'- lásd még");
    QTest::newRow("negative number") << QStringLiteral("-12") << QStringLiteral("-12");
    QTest::newRow("negative decimal") << QStringLiteral("-3,5") << QStringLiteral("\"-3,5\"");
    QTest::newRow("signed number") << QStringLiteral("+36") << QStringLiteral("+36");
    QTest::newRow("year range") << QStringLiteral("1907–1910") << QStringLiteral("1907–1910");
    QTest::newRow("equals inside") << QStringLiteral("a=b") << QStringLiteral("a=b");
    QTest::newRow("empty") << QString() << QString();
}

void TestExchange::csvCellsAreGuarded()
{
    QFETCH(QString, value);
    QFETCH(QString, written);
    QCOMPARE(CsvText::cell(value, u','), written);
    // The export writes the note field so.
    QStringList fields(RecordLine::FieldCount);
    fields[0] = QStringLiteral("Ka00000100");
    fields[14] = value;
    const QByteArray bytes = RecordExporter::encodeAll(ExportFormat::Csv, {RecordLine::join(fields)});
    QVERIFY(bytes.startsWith(CsvText::byteOrderMark()));
    const QByteArray bare =
        RecordExporter::encodeAll(ExportFormat::Csv, {RecordLine::join(fields)}, {CsvText::Mark::None});
    QCOMPARE(bare, bytes.mid(3));
    QVERIFY(QString::fromUtf8(bare).contains(u',' + written + u','));
}

void TestExchange::bibtexKeysAreUnique()
{
    const QString a = QStringLiteral("Ka00000100**könyv");
    const QString odd = QStringLiteral("ő ű**könyv");
    const QByteArray bytes = RecordExporter::encodeAll(ExportFormat::BibTeX, {a, a, odd, a});
    const QString text = QString::fromUtf8(bytes);
    QVERIFY(text.contains(QStringLiteral("@book{Ka00000100,")));
    QVERIFY(text.contains(QStringLiteral("@book{Ka00000100-2,")));
    QVERIFY(text.contains(QStringLiteral("@book{rekord,")));
    QVERIFY(text.contains(QStringLiteral("@book{Ka00000100-3,")));
}

// Every character LaTeX reads as markup goes out escaped and comes back as
// it was, in titles, names, notes and links alike.
void TestExchange::latexSpecialsRoundTrip_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("written");
    const int title = 7;
    const int creator = 3;
    const int note = 14;
    const int link = 15;
    QTest::newRow("percent, underscore, ampersand, hash") << title << QStringLiteral("50% of C_programs & #1")
                                                          << QStringLiteral("50\\% of C\\_programs \\& \\#1");
    QTest::newRow("dollar and caret")
        << title << QStringLiteral("$5 ^ 2") << QStringLiteral("\\$5 \\textasciicircum{} 2");
    QTest::newRow("tilde") << title << QStringLiteral("a~b") << QStringLiteral("a\\textasciitilde{}b");
    QTest::newRow("braces and backslash")
        << title << QStringLiteral("{x}\\y") << QStringLiteral("\\{x\\}\\textbackslash{}y");
    QTest::newRow("escape written as text")
        << title << QStringLiteral("\\& and \\textbf{b}")
        << QStringLiteral("\\textbackslash{}\\& and \\textbackslash{}textbf\\{b\\}");
    QTest::newRow("accents untouched")
        << title << QStringLiteral("Ősz ^ tél") << QStringLiteral("Ősz \\textasciicircum{} tél");
    QTest::newRow("name") << creator << QStringLiteral("01Kovács_János & Tsa")
                          << QStringLiteral("{Kovács\\_János \\& Tsa}");
    QTest::newRow("note") << note << QStringLiteral("100% ~ 1$")
                          << QStringLiteral("100\\% \\textasciitilde{} 1\\$");
    QTest::newRow("link verbatim") << link << QStringLiteral("https://example.org/a_b%20c?x=1&y=~z#top")
                                   << QStringLiteral("https://example.org/a_b%20c?x=1&y=~z#top");
}

void TestExchange::latexSpecialsRoundTrip()
{
    QFETCH(int, field);
    QFETCH(QString, value);
    QFETCH(QString, written);
    QStringList fields(RecordLine::FieldCount);
    fields[0] = QStringLiteral("Ka00000100");
    fields[1] = QStringLiteral("könyv");
    fields[3] = QStringLiteral("01");
    fields[4] = QStringLiteral("02");
    fields[5] = QStringLiteral("03");
    fields[6] = QStringLiteral("04");
    fields[7] = QStringLiteral("Cím");
    fields[16] = QStringLiteral("0");
    fields[18] = QStringLiteral("papír");
    fields[field] = value;
    const QString line = RecordLine::join(fields);
    const QString text = QString::fromUtf8(RecordExporter::encodeAll(ExportFormat::BibTeX, {line}));
    QVERIFY2(text.contains(written), qPrintable(text));
    const QStringList back = convertBack(SourceKind::BibTeX, text.split(u'\n'));
    QCOMPARE(back.size(), 1);
    QCOMPARE(withoutName(back.first()), withoutName(line));
}

void TestExchange::sampleCompilesWithBiblatex_data()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("biber") << QStringLiteral("biber");
    QTest::newRow("bibtex") << QStringLiteral("bibtex");
}

// The whole sample, exported, goes through LaTeX with biblatex: no value
// stops it or turns the rest of a line into a comment.
void TestExchange::sampleCompilesWithBiblatex()
{
    QFETCH(QString, backend);
    const QString pdflatex = QStandardPaths::findExecutable(QStringLiteral("pdflatex"));
    const QString runner = QStandardPaths::findExecutable(backend);
    const QString kpsewhich = QStandardPaths::findExecutable(QStringLiteral("kpsewhich"));
    if (pdflatex.isEmpty() || runner.isEmpty() || kpsewhich.isEmpty())
        QSKIP(qPrintable(QStringLiteral("pdflatex or %1 is not installed (texlive-latex-base, "
                                        "texlive-bibtex-extra, biber)")
                             .arg(backend)));
    // biblatex needs etoolbox and friends from texlive-latex-recommended.
    for (const QString& style : {QStringLiteral("biblatex.sty"), QStringLiteral("etoolbox.sty")}) {
        int status = -1;
        if (runTool(kpsewhich, {style}, {}, &status).trimmed().isEmpty())
            QSKIP(qPrintable(style + QStringLiteral(" is not installed (texlive-bibtex-extra, "
                                                    "texlive-latex-recommended)")));
    }
    TempWorkDir dir;
    dir.seedFromSample();
    QStringList lines;
    for (const QString& name : QDir(dir.path()).entryList({QStringLiteral("*.rtf")}, QDir::Files)) {
        DatabaseStream stream(dir.file(name));
        QStringView line;
        while (stream.next(&line))
            lines.append(line.toString());
    }
    QVERIFY(lines.size() >= 100);
    // And the records of every character LaTeX reads as markup.
    lines += corpus();
    dir.writeBytes(QStringLiteral("minta.bib"), RecordExporter::encodeAll(ExportFormat::BibTeX, lines));
    // pdflatex has no Greek or Cyrillic fonts unless the language packages
    // are installed (xelatex and lualatex set them with a Unicode font); such
    // letters print as "?" here, since the test judges the escapes.
    dir.writeBytes(QStringLiteral("minta.tex"),
                   QStringLiteral("\\documentclass{article}\n"
                                  "\\makeatletter\\def\\UTFviii@undefined@err#1{?}\\makeatother\n"
                                  "\\usepackage[backend=%1]{biblatex}\n\\addbibresource{minta.bib}\n"
                                  "\\begin{document}\n\\nocite{*}\n\\printbibliography\n\\end{document}\n")
                       .arg(backend)
                       .toUtf8());
    const QStringList latexArgs = {QStringLiteral("-interaction=nonstopmode"),
                                   QStringLiteral("-halt-on-error"), QStringLiteral("minta.tex")};
    for (const auto& [program, args] : QList<QPair<QString, QStringList>>{
             {pdflatex, latexArgs}, {runner, {QStringLiteral("minta")}}, {pdflatex, latexArgs}}) {
        const ProgramRun run = runProgram(program, args, dir.path());
        QVERIFY2(run.exitCode == 0, qPrintable(program + u'\n' + run.out.right(1500) + run.err.right(500)));
    }
    const QString log = QString::fromUtf8(dir.readBytes(QStringLiteral("minta.log")));
    QVERIFY2(!log.contains(QStringLiteral("\n! ")), qPrintable(log.right(3000)));
    QVERIFY(QFile::exists(dir.file(QStringLiteral("minta.pdf"))));
    // Every entry is in the bibliography.
    const QString bbl = QString::fromUtf8(dir.readBytes(QStringLiteral("minta.bbl")));
    QCOMPARE(bbl.count(QStringLiteral("\\entry{")), lines.size());
}

void TestExchange::independentBibtexReader()
{
    const QString python = systemPython();
    int status = -1;
    if (python.isEmpty())
        QSKIP("python3 is not installed; scripts/install-deps.sh test installs python3-bibtexparser");
    runTool(python, {QStringLiteral("-c"), QStringLiteral("import bibtexparser")}, {}, &status);
    if (status != 0)
        QSKIP("python3-bibtexparser is not installed; scripts/install-deps.sh test installs it");
    const QStringList lines = corpus();
    const QByteArray bytes = RecordExporter::encodeAll(ExportFormat::BibTeX, lines);
    // The reader's own parse, then the LaTeX braces and escapes the export
    // adds taken off, as a reference manager shows the values.
    const QString script = QStringLiteral(R"(
import sys, re, bibtexparser
from bibtexparser.bparser import BibTexParser
db = bibtexparser.loads(sys.stdin.buffer.read().decode('utf-8'), BibTexParser(common_strings=True))
def plain(s):
    s = s.replace('\\textbackslash{}', '\x00').replace('\\{', '\x01').replace('\\}', '\x02')
    s = s.replace('\\textasciitilde{}', '~').replace('\\textasciicircum{}', '^')
    s = re.sub(r'\\([&%$#_])', r'\1', s)
    s = s.replace('{', '').replace('}', '')
    return s.replace('\x01', '{').replace('\x02', '}').replace('\x00', '\\').replace('\n', ' ')
names = lambda s: '|'.join(plain(n) for n in re.split(r'\s+and\s+(?![^{]*\})', s)) if s else ''
for e in db.entries:
    sys.stdout.buffer.write((names(e.get('author', '')) + '\t' + plain(e.get('title', '')) + '\t' + e.get('year', '') + '\n').encode('utf-8'))
)");
    const QString out = runTool(python, {QStringLiteral("-c"), script}, bytes, &status);
    QVERIFY2(status == 0, qPrintable(out));
    QCOMPARE(out.split(u'\n', Qt::SkipEmptyParts), expectedSummary(lines));
}

void TestExchange::independentBibutilsReaders_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("tool");
    QTest::newRow("ris2xml") << int(ExportFormat::Ris) << QStringLiteral("ris2xml");
    QTest::newRow("bib2xml") << int(ExportFormat::BibTeX) << QStringLiteral("bib2xml");
}

// bibutils turns both formats into MODS XML; every record must come out
// with its authors, title and year.
void TestExchange::independentBibutilsReaders()
{
    QFETCH(int, format);
    QFETCH(QString, tool);
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        QSKIP(qPrintable(
            tool + QStringLiteral(" (bibutils) is not installed; scripts/install-deps.sh test installs it")));
    const QStringList lines = corpus();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export"));
    {
        ExportFile file(path, ExportFormat(format));
        for (const QString& line : lines)
            file.add(line);
        file.commit();
    }
    int status = -1;
    const QString xml = runTool(program,
                                {QStringLiteral("-i"), QStringLiteral("utf8"), QStringLiteral("-o"),
                                 QStringLiteral("utf8"), QStringLiteral("-nb"), path},
                                {}, &status);
    QVERIFY2(status == 0, qPrintable(xml));
    QCOMPARE(xml.count(QStringLiteral("<mods ")), lines.size());
    // bib2xml renders a LaTeX command it does not know by its name and drops
    // math shifts, so titles are compared on their letters and digits.
    const auto letters = [](QString text) {
        text.remove(QStringLiteral("textbackslash"));
        text.remove(QRegularExpression(QStringLiteral("&[a-z]+;"))); // XML entities
        QString out;
        for (const QChar c : std::as_const(text))
            if (c.isLetterOrNumber())
                out.append(c);
        return out;
    };
    const QString xmlLetters = letters(xml);
    for (const QString& line : lines) {
        const Exchange::Record r = Exchange::Record::fromLine(line);
        QVERIFY2(xmlLetters.contains(letters(r.title)), qPrintable(r.title));
        QVERIFY2(xml.contains(r.year), qPrintable(r.year));
        for (const Exchange::Creator& c : r.creators)
            if (c.roleCode == u"01") // the readers split a name into its parts
                for (const QString& part : c.name.split(u' '))
                    QVERIFY2(xmlLetters.contains(letters(part)), qPrintable(c.name));
    }
}

QTEST_GUILESS_MAIN(TestExchange)
void TestExchange::formatsByNameAndFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("format"); // -1: none
    QTest::newRow("bibtex") << "bibtex"
                            << "ki.BIB" << int(ExportFormat::BibTeX);
    QTest::newRow("ris") << "ris"
                         << "a.b.ris" << int(ExportFormat::Ris);
    QTest::newRow("csv") << "csv"
                         << ".csv" << int(ExportFormat::Csv);
    QTest::newRow("unknown") << "BibTeX"
                             << "kibib" << -1;
}

void TestExchange::formatsByNameAndFile()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    QFETCH(int, format);
    ExportFormat found = ExportFormat::BibTeX;
    QCOMPARE(RecordExporter::formatFromName(name, &found) ? int(found) : -1, format);
    QCOMPARE(RecordExporter::formatFromFileName(fileName, &found) ? int(found) : -1, format);
}

// The export dialog offers every format, the conversion the ones that read.
void TestExchange::formatFilters()
{
    QCOMPARE(RecordExporter::nameFilter(), QStringLiteral("BibTeX|*.bib|RIS|*.ris|CSV|*.csv"));
    QCOMPARE(SourceFormat::forKind(SourceKind::BibTeX)->nameFilter(), QStringLiteral("BibTeX fájl|*.bib"));
    QCOMPARE(SourceFormat::forKind(SourceKind::Ris)->nameFilter(), QStringLiteral("RIS fájl|*.ris"));
    QCOMPARE(SourceFormat::forKind(SourceKind::Ris)->shortName(), QStringLiteral("ris"));
    QVERIFY(!ExchangeFormat::of(ExportFormat::Csv).canRead());
}

#include "tst_exchange.moc"
