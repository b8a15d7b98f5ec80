#include "TestSupport.h"

#include "core/job/JobControl.h"
#include "core/publish/Bibliography.h"
#include "core/publish/BookWriter.h"
#include "core/publish/EntryText.h"
#include "core/publish/FilingRules.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

// The entry and the filing of the book, written out by hand from the rules of
// Hungarian bibliographic description, and the OpenDocument and HTML files
// as a word processor and a browser read them.
namespace {

// The role list of the sample folder's szerep.zda.
QStringList roleNames()
{
    return QString::fromUtf8(
               "Szerző|Szerkesztő|Fordító|Bevezetést írta|Illusztrátor|Sajtó alá rendező|Összeállító|"
               "Előszót írta|Utószót írta|Jegyzetekkel ellátta|Lektor|Fényképész|Térképrajzoló|"
               "Válogató|Átdolgozó|Tanulmányt írta|Mutatót készítette|"
               "Bibliográfiát összeállította|Magyarázatokkal ellátta|Grafikus|Tipográfus|"
               "Közreműködő|Felelős kiadó|Interjút készítette|Nyersfordító|"
               "A fordítást ellenőrizte|Szakmai tanácsadó|Képszerkesztő|Sorozatszerkesztő|"
               "Témavezető")
        .split(u'|');
}

// A record line from "field=value" pairs; c1 … c4 are the creator slots
// (role code and name), the rest are named after the fields.
QString record(std::initializer_list<std::pair<const char*, const char*>> values)
{
    static const QHash<QString, Field> names{
        {QStringLiteral("type"), Field::RecordType},
        {QStringLiteral("c1"), Field::Creator1},
        {QStringLiteral("c2"), Field::Creator2},
        {QStringLiteral("c3"), Field::Creator3},
        {QStringLiteral("c4"), Field::Creator4},
        {QStringLiteral("title"), Field::Title},
        {QStringLiteral("pub"), Field::Publication},
        {QStringLiteral("publisher"), Field::Publisher},
        {QStringLiteral("volume"), Field::VolumeRun},
        {QStringLiteral("year"), Field::Year},
        {QStringLiteral("pages"), Field::Pages},
        {QStringLiteral("place"), Field::Place},
        {QStringLiteral("note"), Field::Note},
        {QStringLiteral("link"), Field::Link},
        {QStringLiteral("translation"), Field::Translation},
        {QStringLiteral("language"), Field::Language},
        {QStringLiteral("medium"), Field::Medium},
        {QStringLiteral("name"), Field::RecordName},
        {QStringLiteral("subject"), Field::Subject},
    };
    QStringList fields(RecordSchema::FieldCount);
    RecordSchema::value(fields, Field::RecordName) = QStringLiteral("Ma00000100");
    RecordSchema::value(fields, Field::Creator1) = QStringLiteral("01");
    RecordSchema::value(fields, Field::Creator2) = QStringLiteral("02");
    RecordSchema::value(fields, Field::Creator3) = QStringLiteral("03");
    RecordSchema::value(fields, Field::Creator4) = QStringLiteral("04");
    RecordSchema::value(fields, Field::Translation) = QStringLiteral("0");
    RecordSchema::value(fields, Field::Language) = QStringLiteral("magyar");
    RecordSchema::value(fields, Field::Medium) = QStringLiteral("papír");
    for (const auto& [key, text] : values)
        RecordSchema::value(fields, names.value(QString::fromLatin1(key))) = QString::fromUtf8(text);
    return RecordLine::join(fields);
}

// "~" stands for the no-break space that joins a number and its unit.
QString nbsp(const char* text)
{
    return QString::fromUtf8(text).replace(u'~', QChar(0x00A0));
}

QByteArray run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, args);
    const bool finished = process.waitForFinished(300000);
    if (exitCode)
        *exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (!finished || process.exitCode() != 0)
        qWarning() << program << args << process.readAllStandardError();
    return process.readAllStandardOutput();
}

Bibliography bookOf(const QStringList& lines, bool places = false)
{
    PublishOptions options;
    options.grouping = Grouping::None;
    options.title = QStringLiteral("Próba");
    options.placeIndex = places;
    BibliographyBuilder builder(options, roleNames());
    for (const QString& line : lines)
        builder.add(line);
    return builder.build(JobControl::none());
}

// A small book with headings on three levels, for the files.
Bibliography headedBook()
{
    PublishOptions options;
    options.grouping = Grouping::Subject;
    options.title = QStringLiteral("Próba");
    options.subtitle = QStringLiteral("Válogatás");
    options.placeIndex = true;
    BibliographyBuilder builder(options, roleNames());
    builder.setSubjectTree(
        SubjectTree::Tree(QByteArray("*Irodalom\r\n**Verstan\r\n***Metrika\r\n*Nyelv\r\n")));
    builder.add(record({{"subject", "Verstan"},
                        {"c1", "01Giulia Santorelli"},
                        {"title", "Il verso"},
                        {"language", "olasz"},
                        {"place", "Roma"}}));
    builder.add(record(
        {{"subject", "Metrika"}, {"c1", "01Kiss Anna"}, {"title", "A hexameter"}, {"place", "Budapest"}}));
    builder.add(
        record({{"subject", "Nyelv"}, {"c1", "01Czakó Gábor"}, {"title", "Szavak"}, {"place", "Pécs"}}));
    builder.add(record({{"subject", "Nyelv"},
                        {"c1", "01Csizmadia Ákos"},
                        {"c2", "05Ödön Péter"},
                        {"title", "Betűk"},
                        {"place", "Pécs"}}));
    return builder.build(JobControl::none());
}

} // namespace

class TestEntryStyle final : public QObject
{
    Q_OBJECT

private slots:
    // One record of every type and of the role mixes that change the entry.
    void entry_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("italics");

        QTest::newRow("book: author, subtitle, place : publisher, year, extent, series ; number, note")
            << record({{"type", "könyv"},
                       {"c1", "01Fehérvári Anna"},
                       {"title", "Császárkor: tanulmányok"},
                       {"pub", "Forráskiadványok"},
                       {"publisher", "Nádas Kiadó"},
                       {"volume", "8"},
                       {"year", "1906"},
                       {"pages", "252 p."},
                       {"place", "Kolozsvár"},
                       {"note", "Bibliográfiával"},
                       {"language", "latin"}})
            << nbsp("Fehérvári Anna: Császárkor : tanulmányok. – Kolozsvár : Nádas Kiadó, 1906. – 252~p. – "
                    "(Forráskiadványok ; 8). – Bibliográfiával.")
            << QStringList{QStringLiteral("Császárkor : tanulmányok")};
        QTest::newRow("book: author, editor and translator after the title, a bare page count")
            << record({{"type", "könyv"},
                       {"c1", "01Zsoldos Ferenc"},
                       {"c2", "02Ivánka Gréta"},
                       {"c3", "03Lendvai Márton"},
                       {"title", "Általános nyelvészet"},
                       {"publisher", "Ezüsthíd Kiadó"},
                       {"year", "2016"},
                       {"pages", "302"},
                       {"place", "Szeged"}})
            << nbsp("Zsoldos Ferenc: Általános nyelvészet / szerk. Ivánka Gréta ; ford. Lendvai Márton. – "
                    "Szeged : Ezüsthíd Kiadó, 2016. – 302~p.")
            << QStringList{QStringLiteral("Általános nyelvészet")};
        QTest::newRow("book: two authors in the heading, two translators in one statement")
            << record({{"type", "könyv"},
                       {"c1", "01Kiss Anna"},
                       {"c2", "01Nagy Béla"},
                       {"c3", "03Szabó Éva"},
                       {"c4", "03Tóth Ede"},
                       {"title", "Kettesben"},
                       {"year", "2001"},
                       {"place", "Budapest"}})
            << QStringLiteral(
                   "Kiss Anna – Nagy Béla: Kettesben / ford. Szabó Éva, Tóth Ede. – Budapest, 2001.")
            << QStringList{QStringLiteral("Kettesben")};
        QTest::newRow("book: four authors, under the title with the first and [et al.]")
            << record({{"type", "könyv"},
                       {"c1", "01Kiss Anna"},
                       {"c2", "01Nagy Béla"},
                       {"c3", "01Szabó Éva"},
                       {"c4", "01Tóth Ede"},
                       {"title", "Négyen"},
                       {"publisher", "Osiris"},
                       {"year", "2001"},
                       {"place", "Budapest"}})
            << QStringLiteral("Négyen / Kiss Anna [et al.]. – Budapest : Osiris, 2001.")
            << QStringList{QStringLiteral("Négyen")};
        QTest::newRow("book: editors only, under the title")
            << record({{"type", "könyv"},
                       {"c2", "02Kiss Anna"},
                       {"c3", "02Nagy Béla"},
                       {"title", "Emlékkönyv Ungvári Márton tiszteletére"},
                       {"publisher", "Osiris"},
                       {"year", "2017"},
                       {"place", "Budapest"},
                       {"pages", "397 p."}})
            << nbsp("Emlékkönyv Ungvári Márton tiszteletére / szerk. Kiss Anna, Nagy Béla. – Budapest : "
                    "Osiris, 2017. – 397~p.")
            << QStringList{QStringLiteral("Emlékkönyv Ungvári Márton tiszteletére")};
        QTest::newRow("book: an illustrator in the first slot does not head the entry")
            << record({{"type", "könyv"},
                       {"c1", "05Reich Károly"},
                       {"c2", "01Fekete István"},
                       {"title", "Vuk"},
                       {"publisher", "Móra"},
                       {"year", "1965"},
                       {"place", "Budapest"}})
            << QStringLiteral("Fekete István: Vuk / ill. Reich Károly. – Budapest : Móra, 1965.")
            << QStringList{QStringLiteral("Vuk")};
        QTest::newRow("book: a compiler only, a volume without series, a series editor")
            << record({{"type", "könyv"},
                       {"c1", "07Bencze Réka"},
                       {"c2", "29Hollósi Imre"},
                       {"title", "Szövegkiadások"},
                       {"pub", "Régi szövegek"},
                       {"volume", "3"},
                       {"publisher", "Egyetemi Nyomda"},
                       {"year", "2019"},
                       {"place", "Lipcse"}})
            << QStringLiteral("Szövegkiadások / összeáll. Bencze Réka. – Lipcse : Egyetemi Nyomda, 2019. – "
                              "(Régi szövegek / sorozatszerk. Hollósi Imre ; 3)")
            << QStringList{QStringLiteral("Szövegkiadások")};
        QTest::newRow("book: a volume number without a series belongs to the title")
            << record({{"type", "könyv"},
                       {"c1", "01Kiss Anna"},
                       {"title", "Levelek"},
                       {"volume", "30"},
                       {"year", "1930"},
                       {"place", "Pécs"}})
            << nbsp("Kiss Anna: Levelek. 30.~köt. – Pécs, 1930.") << QStringList{QStringLiteral("Levelek")};
        QTest::newRow(
            "book: a foreign name forename first heads family name first; a translation, medium, link")
            << record({{"type", "könyv"},
                       {"c1", "01Giulia Santorelli"},
                       {"title", "Il libro antico"},
                       {"publisher", "Olschki"},
                       {"year", "1998"},
                       {"place", "Firenze"},
                       {"translation", "1"},
                       {"medium", "mikrofilm"},
                       {"link", "https://example.org/norla/1"},
                       {"language", "olasz"}})
            << QStringLiteral("Santorelli, Giulia: Il libro antico. – Firenze : Olschki, 1998. – Fordítás. – "
                              "Mikrofilm. – Elérhető: https://example.org/norla/1")
            << QStringList{QStringLiteral("Il libro antico")};
        QTest::newRow("journal article: volume, year, issue and pages from one annual run field")
            << record({{"type", "folyóiratcikk"},
                       {"c1", "01Ungvári Márton"},
                       {"c4", "04Almási Sándor"},
                       {"title", "Kérdések és viták"},
                       {"pub", "Könyvtári Tájékoztató Füzetek"},
                       {"volume", "29. évf. 3. sz."},
                       {"year", "2020"},
                       {"pages", "73–95."}})
            << nbsp("Ungvári Márton: Kérdések és viták / bev. Almási Sándor. – In: Könyvtári Tájékoztató "
                    "Füzetek, 29.~évf. 2020. 3.~sz. 73–95.~p.")
            << QStringList{QStringLiteral("Könyvtári Tájékoztató Füzetek")};
        QTest::newRow("journal article: a bare volume number is the annual run")
            << record({{"type", "folyóiratcikk"},
                       {"c1", "01Kiss Anna"},
                       {"title", "Spárta"},
                       {"pub", "Századok"},
                       {"volume", "12"},
                       {"year", "1998"},
                       {"pages", "34–56"},
                       {"publisher", "Akadémiai Kiadó"},
                       {"place", "Budapest"}})
            << nbsp("Kiss Anna: Spárta. – In: Századok, 12.~évf. 1998. 34–56.~p.")
            << QStringList{QStringLiteral("Századok")};
        QTest::newRow("review: the reviewed work in the note")
            << record({{"type", "rec."},
                       {"c1", "01Pálfalvi Márton"},
                       {"title", "Kézikönyv és szöveggyűjtemény"},
                       {"pub", "Levéltári Évkönyv"},
                       {"volume", "47. évf. 2. sz."},
                       {"year", "2008"},
                       {"pages", "215–233."},
                       {"note", "Ismertetett mű: Kérdések és viták – helytörténet"}})
            << nbsp("Pálfalvi Márton: Kézikönyv és szöveggyűjtemény. – In: Levéltári Évkönyv, 47.~évf. 2008. "
                    "2.~sz. 215–233.~p. – Ismertetett mű: Kérdések és viták – helytörténet.")
            << QStringList{QStringLiteral("Levéltári Évkönyv")};
        QTest::newRow("review: without the reviewed work it says what it is")
            << record({{"type", "rec."},
                       {"c1", "01Kiss Anna"},
                       {"title", "Egy könyvről"},
                       {"pub", "Irodalomtörténet"},
                       {"volume", "3. sz."},
                       {"year", "1999"}})
            << nbsp("Kiss Anna: Egy könyvről. – In: Irodalomtörténet, 1999. 3.~sz. – Recenzió.")
            << QStringList{QStringLiteral("Irodalomtörténet")};
        QTest::newRow("chapter: translator with the chapter, editor with the host volume")
            << record({{"type", "cikk gyűjt. kötetben"},
                       {"c1", "01Θεόδωρος Καλλιγᾶς"},
                       {"c2", "02Rédei Ödön"},
                       {"c3", "03Tarján Noémi"},
                       {"title", "Görög történelem: tanulmányok"},
                       {"pub", "Emlékkönyv Ungvári Márton tiszteletére"},
                       {"publisher", "Ezüsthíd Kiadó"},
                       {"year", "2023"},
                       {"pages", "29–57."},
                       {"place", "Szeged"}})
            << nbsp("Καλλιγᾶς, Θεόδωρος: Görög történelem : tanulmányok / ford. Tarján Noémi. – In: "
                    "Emlékkönyv "
                    "Ungvári Márton tiszteletére / szerk. Rédei Ödön. – Szeged : Ezüsthíd Kiadó, 2023. – "
                    "29–57.~p.")
            << QStringList{QStringLiteral("Emlékkönyv Ungvári Márton tiszteletére")};
        QTest::newRow("chapter: a volume of the host")
            << record({{"type", "cikk gyűjt. kötetben"},
                       {"c1", "01Kerekes Judit"},
                       {"title", "Klasszika-filológia"},
                       {"pub", "Emlékkönyv"},
                       {"volume", "1"},
                       {"publisher", "Lámpás Kiadó"},
                       {"year", "1949"},
                       {"pages", "45–64."},
                       {"place", "Szeged"}})
            << nbsp("Kerekes Judit: Klasszika-filológia. – In: Emlékkönyv. 1.~köt. – Szeged : Lámpás Kiadó, "
                    "1949. – 45–64.~p.")
            << QStringList{QStringLiteral("Emlékkönyv")};
        QTest::newRow("offprint: a book with the offprint note")
            << record({{"type", "külön lenyomat"},
                       {"c1", "01Nyárádi Hajnalka"},
                       {"title", "Helytörténet"},
                       {"pub", "Régi szövegek"},
                       {"publisher", "Egyetemi Nyomda"},
                       {"volume", "30"},
                       {"year", "2008"},
                       {"pages", "60 p."},
                       {"place", "Debrecen"}})
            << nbsp("Nyárádi Hajnalka: Helytörténet. – Debrecen : Egyetemi Nyomda, 2008. – 60~p. – "
                    "(Régi szövegek ; 30). – Különlenyomat.")
            << QStringList{QStringLiteral("Helytörténet")};
        QTest::newRow("thesis: the supervisor in a note")
            << record({{"type", "disszertáció"},
                       {"c1", "01Kiss Anna"},
                       {"c2", "30Nagy Béla"},
                       {"title", "A magyar könyv"},
                       {"publisher", "ELTE BTK"},
                       {"year", "2005"},
                       {"pages", "210 p."},
                       {"place", "Budapest"}})
            << nbsp("Kiss Anna: A magyar könyv. – Budapest : ELTE BTK, 2005. – 210~p. – Disszertáció. – "
                    "Témavezető: Nagy Béla.")
            << QStringList{QStringLiteral("A magyar könyv")};
        QTest::newRow("manuscript: place and year only")
            << record({{"type", "kézirat"},
                       {"c1", "01Czakó Gábor"},
                       {"title", "Napló"},
                       {"year", "1848"},
                       {"pages", "120"},
                       {"place", "Pest"}})
            << nbsp("Czakó Gábor: Napló. – Pest, 1848. – 120~p. – Kézirat.")
            << QStringList{QStringLiteral("Napló")};
        QTest::newRow("a title ending in a question mark takes no extra stop")
            << record({{"type", "könyv"}, {"c1", "01Kiss Anna"}, {"title", "Ki olvas?"}, {"year", "2000"}})
            << QStringLiteral("Kiss Anna: Ki olvas? – 2000.") << QStringList{QStringLiteral("Ki olvas?")};
    }
    void entry()
    {
        QFETCH(QString, line);
        QFETCH(QString, text);
        QFETCH(QStringList, italics);
        const QList<HitRun> runs = EntryText::build(RecordLine::split(line), roleNames());
        QCOMPARE(HitEntry::plainText(runs), text);
        QStringList italic;
        for (const HitRun& run : runs)
            if (run.italic)
                italic.append(run.text);
        QCOMPARE(italic, italics);
    }

    // Without a role list the first four roles are still known.
    void theFirstFourRolesWithoutARoleList()
    {
        const QString line =
            record({{"type", "könyv"}, {"c1", "02Kiss Anna"}, {"c2", "03Nagy Béla"}, {"title", "Versek"}});
        QCOMPARE(HitEntry::plainText(EntryText::build(RecordLine::split(line), {})),
                 QStringLiteral("Versek / szerk. Kiss Anna ; ford. Nagy Béla."));
    }

    void filingTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("filed");
        QTest::newRow("Hungarian a") << QStringLiteral("A magyar könyv") << QStringLiteral("magyar")
                                     << QStringLiteral("magyar könyv");
        QTest::newRow("Hungarian az") << QStringLiteral("Az ősnyomtatványok") << QStringLiteral("magyar")
                                      << QStringLiteral("ősnyomtatványok");
        QTest::newRow("no language is Hungarian")
            << QStringLiteral("A polisz") << QString() << QStringLiteral("polisz");
        QTest::newRow("a word starting like an article")
            << QStringLiteral("Azonosítók") << QStringLiteral("magyar") << QStringLiteral("Azonosítók");
        QTest::newRow("German") << QStringLiteral("Die Bibliothek") << QStringLiteral("német")
                                << QStringLiteral("Bibliothek");
        QTest::newRow("English") << QStringLiteral("The Printed Book") << QStringLiteral("angol")
                                 << QStringLiteral("Printed Book");
        QTest::newRow("French elided")
            << QStringLiteral("L'imprimerie") << QStringLiteral("francia") << QStringLiteral("imprimerie");
        QTest::newRow("French typographic apostrophe")
            << QString::fromUtf8("L’Europe") << QStringLiteral("francia") << QStringLiteral("Europe");
        QTest::newRow("Italian gli") << QStringLiteral("Gli incunaboli") << QStringLiteral("olasz")
                                     << QStringLiteral("incunaboli");
        QTest::newRow("Spanish los") << QStringLiteral("Los libros") << QStringLiteral("spanyol")
                                     << QStringLiteral("libros");
        QTest::newRow("Latin has none")
            << QStringLiteral("De re publica") << QStringLiteral("latin") << QStringLiteral("De re publica");
        QTest::newRow("English article in a Hungarian record stays")
            << QStringLiteral("The Times") << QStringLiteral("magyar") << QStringLiteral("The Times");
        QTest::newRow("leading quotation marks")
            << QString::fromUtf8("„A dal”") << QStringLiteral("magyar") << QString::fromUtf8("dal”");
        QTest::newRow("the article alone")
            << QStringLiteral("A") << QStringLiteral("magyar") << QStringLiteral("A");
    }
    void filingTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, language);
        QFETCH(QString, filed);
        QCOMPARE(FilingRules::Tables::shipped().filingTitle(title, language), filed);
    }

    void filingName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filed");
        QTest::newRow("Italian") << QStringLiteral("Giulia Santorelli")
                                 << QStringLiteral("Santorelli, Giulia");
        QTest::newRow("German") << QStringLiteral("Heinrich Vogelsang")
                                << QStringLiteral("Vogelsang, Heinrich");
        QTest::newRow("Danish") << QString::fromUtf8("Søren Lindahl") << QString::fromUtf8("Lindahl, Søren");
        QTest::newRow("Greek") << QString::fromUtf8("Θεόδωρος Καλλιγᾶς")
                               << QString::fromUtf8("Καλλιγᾶς, Θεόδωρος");
        QTest::newRow("Russian") << QString::fromUtf8("Анна Береговая")
                                 << QString::fromUtf8("Береговая, Анна");
        QTest::newRow("two forenames")
            << QStringLiteral("Marie Anne Duchâtel") << QStringLiteral("Duchâtel, Marie Anne");
        QTest::newRow("Hungarian stays")
            << QStringLiteral("Fehérvári Anna") << QStringLiteral("Fehérvári Anna");
        QTest::newRow("a Hungarian family name that is a given name")
            << QStringLiteral("Simon Gyula") << QStringLiteral("Simon Gyula");
        QTest::newRow("already inverted")
            << QStringLiteral("Santorelli, Giulia") << QStringLiteral("Santorelli, Giulia");
        QTest::newRow("one word") << QStringLiteral("Giulia") << QStringLiteral("Giulia");
    }
    void filingName()
    {
        QFETCH(QString, name);
        QFETCH(QString, filed);
        QCOMPARE(FilingRules::Tables::shipped().filingName(name), filed);
    }

    void filingLetter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("letter");
        QTest::newRow("plain") << QStringLiteral("Kiss Anna") << QStringLiteral("K");
        QTest::newRow("cs") << QStringLiteral("Csizmadia Ákos") << QStringLiteral("Cs");
        QTest::newRow("c") << QStringLiteral("Czakó Gábor") << QStringLiteral("C");
        QTest::newRow("dzs") << QStringLiteral("Dzsida Jenő") << QStringLiteral("Dzs");
        QTest::newRow("á with a") << QStringLiteral("Ádám Éva") << QStringLiteral("A");
        QTest::newRow("ő with ö") << QStringLiteral("Őri Péter") << QStringLiteral("Ö");
        QTest::newRow("zs") << QStringLiteral("zsolt anna") << QStringLiteral("Zs");
        QTest::newRow("Greek with breathing") << QString::fromUtf8("Ἰλιάς") << QString::fromUtf8("Ι");
    }
    void filingLetter()
    {
        QFETCH(QString, text);
        QFETCH(QString, letter);
        QCOMPARE(FilingRules::filingLetter(text), letter);
    }

    // The book's order: first author family name first, or the title without
    // its article; Hungarian collation throughout.
    void filingOrder()
    {
        const Bibliography book = bookOf({
            record({{"c1", "01Tóth Ede"}, {"title", "Utolsó"}}),
            record({{"title", "A magyar könyv"}, {"c2", "02Kiss Anna"}}), // editors only: "magyar könyv"
            record(
                {{"c1", "01Giulia Santorelli"}, {"title", "Il libro"}, {"language", "olasz"}}), // Santorelli
            record({{"c1", "05Zentai Ilona"}, {"c2", "01Bodor Ádám"}, {"title", "Mese"}}),      // Bodor
            record({{"c1", "01Kiss Anna"},
                    {"c2", "01Nagy Béla"},
                    {"c3", "01Szabó Éva"},
                    {"c4", "01Tóth Ede"},
                    {"title", "Négyen"}}),                             // "Négyen"
            record({{"title", "The Library"}, {"language", "angol"}}), // "Library"
            record({{"c1", "01Csizmadia Ákos"}, {"title", "Cím"}}),
            record({{"c1", "01Czakó Gábor"}, {"title", "Cím"}}),
            record({{"c1", "01Santorelli Zita"}, {"title", "Zárszó"}}), // after "Santorelli, Giulia"
        });
        QStringList titles;
        for (const QString& line : book.lines)
            titles.append(RecordSchema::value(RecordLine::split(line), Field::Title));
        QCOMPARE(titles, (QStringList{QStringLiteral("Mese"), QStringLiteral("Cím"), QStringLiteral("Cím"),
                                      QStringLiteral("The Library"), QStringLiteral("A magyar könyv"),
                                      QStringLiteral("Négyen"), QStringLiteral("Il libro"),
                                      QStringLiteral("Zárszó"), QStringLiteral("Utolsó")}));
        QCOMPARE(RecordSchema::value(RecordLine::split(book.lines[1]), Field::Creator1),
                 QStringLiteral("01Czakó Gábor"));
        QStringList names;
        for (const IndexLine& line : book.names)
            names.append(line.text);
        QCOMPARE(names, (QStringList{QStringLiteral("Bodor Ádám"), QStringLiteral("Czakó Gábor"),
                                     QStringLiteral("Csizmadia Ákos"), QStringLiteral("Kiss Anna"),
                                     QStringLiteral("Nagy Béla"), QStringLiteral("Santorelli, Giulia"),
                                     QStringLiteral("Santorelli Zita"), QStringLiteral("Szabó Éva"),
                                     QStringLiteral("Tóth Ede"), QStringLiteral("Zentai Ilona")}));
    }

    // Writer's own reading: the package's parts, headings with outline
    // levels, named styles, the page and the language; LibreOffice opens it
    // and makes a PDF that shows the headings.
    void theOdtIsAWordProcessorDocument()
    {
        TempWorkDir dir;
        const QString path = dir.file(QStringLiteral("konyv.odt"));
        JobControl control;
        BookWriter::write(headedBook(), PublishFormat::Odt, PaperSize::B5, path, control);

        static const char* const script = R"(
import json, sys, zipfile, xml.etree.ElementTree as ET
z = zipfile.ZipFile(sys.argv[1])
info = z.infolist()
O = '{urn:oasis:names:tc:opendocument:xmlns:office:1.0}'
T = '{urn:oasis:names:tc:opendocument:xmlns:text:1.0}'
S = '{urn:oasis:names:tc:opendocument:xmlns:style:1.0}'
F = '{urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0}'
X = '{http://www.w3.org/1999/xlink}'
content = ET.fromstring(z.read('content.xml'))
styles = ET.fromstring(z.read('styles.xml'))
manifest = ET.fromstring(z.read('META-INF/manifest.xml'))
meta = ET.fromstring(z.read('meta.xml'))
def text_of(node):
    text = node.text or ''
    for child in node:
        text += text_of(child) + (child.tail or '')
    return text
body = content.find(O + 'body')
bookmarks = {b.get(T + 'name') for b in body.iter(T + 'bookmark')}
links = [a.get(X + 'href') for a in body.iter(T + 'a')]
layout = styles.find('.//' + S + 'page-layout-properties')
default_text = styles.find('.//' + S + 'default-style/' + S + 'text-properties')
print(json.dumps({
  'first': info[0].filename, 'firstStored': info[0].compress_type == zipfile.ZIP_STORED,
  'mimetype': z.read('mimetype').decode(),
  'manifest': sorted(e.get('{urn:oasis:names:tc:opendocument:xmlns:manifest:1.0}full-path') for e in manifest),
  'headings': [h.get(T + 'outline-level') + ' ' + text_of(h) for h in body.iter(T + 'h')],
  'styles': sorted(s.get(S + 'display-name') or s.get(S + 'name') for s in styles.iter(S + 'style')),
  'page': [layout.get(F + 'page-width'), layout.get(F + 'page-height')],
  'language': [default_text.get(F + 'language'), default_text.get(F + 'country'),
               text_of(meta.find('.//{http://purl.org/dc/elements/1.1/}language'))],
  'pageNumber': len(list(styles.iter(T + 'page-number'))),
  'contents': len(list(body.iter(T + 'table-of-content'))),
  'brokenLinks': [l for l in links if l[1:] not in bookmarks],
  'links': len(links),
}))
)";
        const QJsonObject odt =
            QJsonDocument::fromJson(
                run(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path}))
                .object();
        QCOMPARE(odt[u"first"].toString(), QStringLiteral("mimetype"));
        QVERIFY(odt[u"firstStored"].toBool());
        QCOMPARE(odt[u"mimetype"].toString(), QStringLiteral("application/vnd.oasis.opendocument.text"));
        QCOMPARE(odt[u"manifest"].toVariant().toStringList(),
                 (QStringList{QStringLiteral("/"), QStringLiteral("content.xml"), QStringLiteral("meta.xml"),
                              QStringLiteral("styles.xml")}));
        QCOMPARE(odt[u"headings"].toVariant().toStringList(),
                 (QStringList{QStringLiteral("1 Irodalom"), QStringLiteral("2 Verstan"),
                              QStringLiteral("3 Metrika"), QStringLiteral("1 Nyelv"),
                              QStringLiteral("1 Névmutató"), QStringLiteral("1 Földrajzi mutató")}));
        const QStringList styles = odt[u"styles"].toVariant().toStringList();
        for (const char* style : {"Heading 1", "Heading 3", "Bibliográfiai tétel", "Névmutató", "Contents 1"})
            QVERIFY2(styles.contains(QString::fromUtf8(style)), style);
        QCOMPARE(odt[u"page"].toVariant().toStringList(),
                 (QStringList{QStringLiteral("17.6cm"), QStringLiteral("25cm")}));
        QCOMPARE(odt[u"language"].toVariant().toStringList(),
                 (QStringList{QStringLiteral("hu"), QStringLiteral("HU"), QStringLiteral("hu-HU")}));
        QCOMPARE(odt[u"pageNumber"].toInt(), 1);
        QCOMPARE(odt[u"contents"].toInt(), 1);
        QVERIFY(odt[u"links"].toInt() >= 10); // the contents' lines and every index number
        QCOMPARE(odt[u"brokenLinks"].toVariant().toStringList(), QStringList());

        // LibreOffice, with a profile of its own so that it runs beside others and as any user.
        const QString profile = QUrl::fromLocalFile(dir.file(QStringLiteral("lo-profil"))).toString();
        int exitCode = -1;
        run(QStringLiteral("soffice"),
            {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
             QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), dir.path(),
             path},
            &exitCode);
        QCOMPARE(exitCode, 0);
        const QString pdf = dir.file(QStringLiteral("konyv.pdf"));
        QVERIFY(QFileInfo(pdf).size() > 0);
        const QString text = QString::fromUtf8(
            run(QStringLiteral("pdftotext"),
                {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")}));
        qsizetype at = text.indexOf(QStringLiteral("Tartalom"));
        QVERIFY(at > 0);
        for (const char* expected : {"Irodalom", "Verstan", "Metrika", "Santorelli, Giulia: Il verso",
                                     "Nyelv", "Czakó Gábor: Szavak", "Névmutató", "Cs", "Csizmadia Ákos"}) {
            at = text.indexOf(QString::fromUtf8(expected), at + 1);
            QVERIFY2(at > 0, expected);
        }
        // B5 is 176 × 250 mm.
        QVERIFY(QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}))
                    .contains(QRegularExpression(QStringLiteral("Page size: +498\\.\\d+ x 708\\.\\d+ pts"))));
    }

    // Every link of the HTML page leads to an anchor on it; the contents
    // list the headings, and the name index has its letters.
    void theHtmlLinksResolve()
    {
        TempWorkDir dir;
        const QString path = dir.file(QStringLiteral("konyv.html"));
        JobControl control;
        BookWriter::write(headedBook(), PublishFormat::Html, PaperSize::A4, path, control);
        static const char* const script = R"(
import json, sys
from html.parser import HTMLParser
class Reader(HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.links, self.toc, self.letters = set(), [], [], []
        self.where, self.text = None, None
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if 'id' in a: self.ids.add(a['id'])
        if tag == 'a': self.links.append(a.get('href'))
        if tag == 'nav': self.where = 'toc'
        if tag == 'h3' and a.get('class') == 'letter': self.text = ''
        if tag == 'a' and self.where == 'toc': self.text = ''
    def handle_endtag(self, tag):
        if tag == 'nav': self.where = None
        if tag == 'h3' and self.text is not None: self.letters.append(self.text); self.text = None
        if tag == 'a' and self.text is not None and self.where == 'toc': self.toc.append(self.text); self.text = None
    def handle_data(self, data):
        if self.text is not None: self.text += data
r = Reader()
r.feed(open(sys.argv[1], encoding='utf-8').read())
print(json.dumps({'broken': [l for l in r.links if not l.startswith('#') or l[1:] not in r.ids],
                  'links': len(r.links), 'toc': r.toc, 'letters': r.letters}))
)";
        const QJsonObject html =
            QJsonDocument::fromJson(
                run(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path}))
                .object();
        QCOMPARE(html[u"broken"].toVariant().toStringList(), QStringList());
        QCOMPARE(html[u"toc"].toVariant().toStringList(),
                 (QStringList{QStringLiteral("Irodalom"), QStringLiteral("Verstan"),
                              QStringLiteral("Metrika"), QStringLiteral("Nyelv"), QStringLiteral("Névmutató"),
                              QStringLiteral("Földrajzi mutató")}));
        // Six index lines of names and three of places, one link a number, and the contents' six.
        QCOMPARE(html[u"links"].toInt(), 6 + 5 + 4);
        QCOMPARE(html[u"letters"].toVariant().toStringList(),
                 (QStringList{QStringLiteral("C"), QStringLiteral("Cs"), QStringLiteral("K"),
                              QStringLiteral("Ö"), QStringLiteral("S"), QStringLiteral("B"),
                              QStringLiteral("P"), QStringLiteral("R")}));
    }
};

QTEST_MAIN(TestEntryStyle)
#include "tst_entrystyle.moc"
