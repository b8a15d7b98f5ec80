// Proofreading in the core: the dictionaries by record language, the words a
// field offers for checking, what a field's proofreading reports (the table
// of languages, names, abbreviations and old forms), the suggestions, the
// folder's word list (also written by two processes at once), the
// old-spelling year and the whole-database run.

#include "TestSupport.h"

#include "core/record/OperationCancelled.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/settings/AppSettings.h"
#include "core/spelling/Dictionaries.h"
#include "core/spelling/FieldJudge.h"
#include "core/spelling/Proofreader.h"
#include "core/spelling/SpellingLexicon.h"
#include "core/spelling/SpellingSettings.h"
#include "core/spelling/Suggestions.h"
#include "core/spelling/TextSpelling.h"
#include "core/spelling/WordList.h"
#include "core/spelling/WordScanner.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString GermanDictionary = QStringLiteral("/usr/share/hunspell/de_DE.aff");

// A record line with the fields that proofreading reads.
QString recordLine(const QString& name, const QString& title, const QString& year, const QString& language,
                   const QString& note = {})
{
    QStringList fields(RecordSchema::FieldCount);
    RecordSchema::value(fields, Field::RecordName) = name;
    RecordSchema::value(fields, Field::RecordType) = QStringLiteral("könyv");
    RecordSchema::value(fields, Field::Title) = title;
    RecordSchema::value(fields, Field::Year) = year;
    RecordSchema::value(fields, Field::Note) = note;
    RecordSchema::value(fields, Field::Language) = language;
    return RecordLine::join(fields);
}

QStringList wordsOf(const QString& text)
{
    QStringList words;
    for (const WordScanner::Span& span : WordScanner::words(text))
        words.append(text.mid(span.start, span.length));
    return words;
}

// Adds `count` words "<prefix>N" one at a time, each addition a locked
// read-merge-write of its own: run by the concurrency test in a child process.
int addWordsInChild(const QString& path, const QString& prefix, int count)
{
    WordList list(path);
    for (int i = 0; i < count; ++i)
        list.add({prefix + QString::number(i)});
    return 0;
}

} // namespace

class TestSpelling final : public QObject
{
    Q_OBJECT

    Dictionaries m_dictionaries;

    bool hasGerman() const { return QFile::exists(GermanDictionary); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_dictionaries.hasDictionary(QStringLiteral("magyar")),
                 "the Hungarian dictionary (hunspell-hu) must be installed: scripts/install-deps.sh");
    }

    void dictionaryJudgesWords_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("correct");
        const auto row = [](const char* language, const char* word, bool correct) {
            QTest::addRow("%s %s", language, word)
                << QString::fromUtf8(language) << QString::fromUtf8(word) << correct;
        };
        // Compounds, suffixes and the long vowels ő and ű.
        row("magyar", "könyvtártörténet", true);
        row("magyar", "könyvtártörténetében", true);
        row("magyar", "gyűjteményekben", true);
        row("magyar", "őrzésére", true);
        row("magyar", "tűzoltó", true);
        row("magyar", "Történettudomány", true);
        row("magyar", "Kossuth-díj", true);
        row("magyar", "könyvtártörtént", false);
        row("magyar", "bibliográfiia", false);
        row("magyar", "gyüjtemény", false);
        row("magyar", "czím", false);
        // An empty language field reads as Hungarian.
        row("", "könyvtártörténet", true);
        // A German record is checked in German, never in Hungarian.
        row("német", "Bibliothek", true);
        row("német", "Geschichte", true);
        row("német", "Büchersammlungen", true);
        row("német", "Geschihte", false);
        row("német", "könyvtártörténet", false);
    }
    void dictionaryJudgesWords()
    {
        QFETCH(QString, language);
        QFETCH(QString, word);
        QFETCH(bool, correct);
        if (language == u"német" && !hasGerman())
            QSKIP("hunspell-de-de is not installed (scripts/install-deps.sh test)");
        const Dictionaries::Engine engine = m_dictionaries.forLanguage(language);
        QVERIFY(engine);
        QCOMPARE(engine->isCorrect(word), correct);
    }

    void suggestionsOfferTheMeantWord()
    {
        const Dictionaries::Engine hungarian = m_dictionaries.forLanguage(QStringLiteral("magyar"));
        const QStringList suggestions = hungarian->suggestions(QStringLiteral("gyüjtemény"), 8);
        QVERIFY(!suggestions.isEmpty() && suggestions.size() <= 8);
        QCOMPARE(suggestions.first(), QStringLiteral("gyűjtemény"));
        QVERIFY(hungarian->suggestions(QStringLiteral("czím"), 8).contains(QStringLiteral("cím")));
    }

    void languagesMapToDictionaries()
    {
        SpellingLanguages languages(
            {QStringLiteral(NORLA_TEST_DATA_DIR "/spelling"), QStringLiteral("/usr/share/hunspell")});
        QCOMPARE(languages.dictionaryName(QStringLiteral("magyar")), QStringLiteral("hu_HU"));
        QCOMPARE(languages.dictionaryName(QStringLiteral(" Német ")), QStringLiteral("de_DE"));
        QCOMPARE(languages.dictionaryName(QString()), QStringLiteral("hu_HU"));
        // Debian has no Latin dictionary, and "ógörög" is in no table.
        QCOMPARE(languages.affixPath(QStringLiteral("latin")), QString());
        QCOMPARE(languages.dictionaryName(QStringLiteral("ógörög")), QString());

        // The settings file adds and overrides entries; a name that would
        // leave the dictionary folders is no dictionary.
        const SpellingSettings settings = SpellingSettings::parse(
            {QStringLiteral("szelesseg=870"), QStringLiteral("helyesiras.regi_ev=1900"),
             QStringLiteral("helyesiras.szotar.latin=xx_LATIN2"),
             QStringLiteral("helyesiras.szotar.angol=../x")});
        QCOMPARE(settings.oldSpellingBefore, 1900);
        settings.applyTo(languages);
        QCOMPARE(languages.affixPath(QStringLiteral("Latin")),
                 QStringLiteral(NORLA_TEST_DATA_DIR "/spelling/xx_LATIN2.aff"));
        QCOMPARE(languages.affixPath(QStringLiteral("angol")), QString());
        QCOMPARE(SpellingSettings::parse({}).oldSpellingBefore, 1922);
    }

    // The settings file is rewritten at every start; the proofreading's
    // lines must survive it.
    void settingsFileKeepsTheProofreadingLines()
    {
        const QStringList lines{QStringLiteral("szelesseg=900"), QStringLiteral("helyesiras.regi_ev=1900"),
                                QStringLiteral("helyesiras.szotar.latin=la")};
        const QStringList written = AppSettings::parse(lines, QStringLiteral("/w")).toLines();
        QCOMPARE(written.size(), 10);
        QCOMPARE(written.mid(8), lines.mid(1));
        QCOMPARE(AppSettings::defaults(QStringLiteral("/w")).toLines().size(), 8);
    }

    // A dictionary in an 8-bit encoding is read and asked in Unicode all the same.
    void eightBitDictionaryTakesUnicodeWords()
    {
        const auto engine = SpellEngine::load(QStringLiteral(NORLA_TEST_DATA_DIR "/spelling/xx_LATIN2.aff"));
        QVERIFY(engine->isCorrect(QStringLiteral("tűzőgép")));
        QVERIFY(engine->isCorrect(QStringLiteral("tűzőgépben")));
        QVERIFY(engine->isCorrect(QStringLiteral("árvíztűrő")));
        QVERIFY(!engine->isCorrect(QStringLiteral("tüzögép")));
        QVERIFY(engine->suggestions(QStringLiteral("örség"), 8).contains(QStringLiteral("őrség")));
    }

    void missingDictionaryIsReported()
    {
        const QString message =
            errorOf([] { SpellEngine::load(QStringLiteral(NORLA_TEST_DATA_DIR "/spelling/nincs.aff")); });
        QVERIFY2(message.contains(QStringLiteral("nincs.aff")), qPrintable(message));
    }

    void scannerSkipsWhatIsNoWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        const auto row = [](const char* name, const char* text, QStringList words) {
            QTest::newRow(name) << QString::fromUtf8(text) << words;
        };
        row("words and punctuation", "A régi, nyomtatványok (tükrében)!",
            {"régi", "nyomtatványok", "tükrében"});
        row("hyphenated compound", "Kossuth-díj és MTA-n", {"Kossuth-díj", "és"});
        row("numbers", "1848-ban 2. kiadás 3d B12", {"kiadás"});
        row("roman numerals", "XIX. század IV-ik Mix", {"század", "Mix"});
        row("abbreviations", "72. évf. 3. sz. 204 p. kath. egyház", {"egyház"});
        row("sentence end is checked", "Kérdések és viták. Budapest",
            {"Kérdések", "és", "viták", "Budapest"});
        row("title end is checked", "irodalom története.", {"irodalom", "története"});
        row("record names", "Lásd Ka.000123.00 és Ma00004600", {"Lásd", "és"});
        row("links and mail", "https://example.org/norla/cimlap www.mek.oszk.hu ir@ex.hu vége", {"vége"});
        row("initials and acronyms", "J. R. R. Tolkien ELTE", {"Tolkien"});
        row("apostrophe inside", "l'art d’amour", {"l'art", "d’amour"});
    }
    void scannerSkipsWhatIsNoWord()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QCOMPARE(wordsOf(text), words);
    }

    void unknownWordsLieWhereTheyStand()
    {
        const Dictionaries::Engine hungarian = m_dictionaries.forLanguage(QStringLiteral("magyar"));
        const QString title = QStringLiteral("A könyvtártörtént őrzése");
        const auto unknown =
            TextSpelling::unknownWords(title, [&](QStringView word) { return hungarian->isCorrect(word); });
        QCOMPARE(unknown.size(), size_t(1));
        QCOMPARE(unknown[0], (WordScanner::Span{2, 15}));
    }

    void yearDecidesOldSpelling_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<bool>("old");
        QTest::newRow("1880") << QStringLiteral("1880") << true;
        QTest::newRow("1990") << QStringLiteral("1990") << false;
        QTest::newRow("bracketed") << QStringLiteral("[1880?]") << true;
        QTest::newRow("range") << QStringLiteral("1921-1923") << true;
        QTest::newRow("the year itself") << QStringLiteral("1922") << false;
        QTest::newRow("no year") << QStringLiteral("é. n.") << false;
        QTest::newRow("five digits") << QStringLiteral("18801") << false;
    }
    void yearDecidesOldSpelling()
    {
        QFETCH(QString, year);
        QFETCH(bool, old);
        QCOMPARE(TextSpelling::isOldSpelling(year, 1922), old);
    }

    // What proofreading reports in one field, and what it lets pass. A word
    // followed by "(old)" is to be reported as an old form.
    void fieldReportsOnlyRealErrors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QStringList>("reported");
        const auto row = [](const char* label, const char* text, const char* language, const char* year,
                            QStringList reported) {
            QTest::newRow(label) << QString::fromUtf8(text) << QString::fromUtf8(language)
                                 << QString::fromUtf8(year) << reported;
        };
        // Hungarian titles with one planted typo each.
        row("hu letter missing", "A magyar könyvtártörtnet forrásai", "magyar", "1990", {"könyvtártörtnet"});
        row("hu letter doubled", "Bibliográfiia és sajtótörténet", "magyar", "1990", {"Bibliográfiia"});
        row("hu accent lost", "Adatok a hazai könyvkiadás torténetéhez", "magyar", "1990", {"torténetéhez"});
        row("hu letters swapped", "A régi magyar nyomtatványok kéziartai", "magyar", "1990", {"kéziartai"});
        row("hu capital typo mid-title", "Az Országos Széchényi Könyvtrá évkönyve", "magyar", "1990",
            {"Könyvtrá"});
        row("hu correct", "Könyvtártörténeti tanulmányok a tizenhatodik századról", "magyar", "1990", {});
        // Hungarian titles in records of other languages.
        row("hu title, German record", "Tanulmányok a régi magyar nyomtatványok köréből", "német", "1990",
            {});
        row("hu title typo, German record", "Tanulmányok a régi magyar nyomtatvnyok köréből", "német", "1990",
            {"nyomtatvnyok"});
        row("hu title, English record", "Kérdések és viták – régi magyar nyomtatványok", "angol", "1990", {});
        row("hu title, Italian record", "Új szempontok: általános nyelvészet", "olasz", "1990", {});
        // German and Latin titles in records of either language.
        row("de title, Hungarian record", "Geschichte des Buchdrucks in Ungarn", "magyar", "1990", {});
        row("de title typo, German record", "Die Geschihte der Bibliothek", "német", "1990", {"Geschihte"});
        row("de title typo, Hungarian record", "Die Geschihte der Bibliothek", "magyar", "1990",
            {"Geschihte"});
        row("de subtitle", "A pesti nyomdák története = Geschichte der Pester Druckereien", "magyar", "1990",
            {});
        row("la title, Hungarian record", "Historia regni Hungariae", "magyar", "1990", {});
        row("la title, Latin record", "De bello Gallico", "latin", "1990", {});
        row("la title, German record", "Annales ecclesiastici regni Hungariae", "német", "1990", {});
        row("la quotation", "„Corpus juris Hungarici”: a magyar jog forrásai", "magyar", "1990", {});
        row("la place alone", "Pannonia", "görög", "1990", {});
        row("Danish title", "Bøger og læsere: olvasás a skandináv városokban", "magyar", "1990", {});
        row("foreign letters", "Melléklet: Ærø szigetének térképe", "magyar", "1990", {});
        // Names, abbreviations and sigla.
        row("name beside a given name", "Emlékkönyv Somlyai Dénes tiszteletére", "magyar", "1990", {});
        row("names of the lists", "Pálfalvi hagyatéka és Orbók levelei", "magyar", "1990", {});
        row("name with a suffix", "Levelek Pálfalvinak", "magyar", "1990", {});
        row("name no word is near", "Misztótfalusi Kis Miklós betűi", "magyar", "1990", {});
        row("name with foreign letters", "Wierzbiłowski hagyatéka", "magyar", "1990", {});
        row("offprint", "Különny. a MKsz 1998. évi számából", "magyar", "1990", {});
        row("editor and bibliography", "Szerk. Kovács János. Bibliogr. a kötet végén", "magyar", "1990", {});
        row("siglum with a suffix", "Ism. az ItK-ban és az RMNy-ben", "magyar", "1990", {});
        row("review", "Ism.: Kovács János, MKsz 2001", "magyar", "1990", {});
        row("mistyped abbreviations", "Bbiliogr. a kötet végén. Küllönny. a MKsz-ből", "magyar", "1990",
            {"Bbiliogr", "Küllönny"});
        row("short words before a full stop", "Kis. fil. könyvt. 3. sz.", "magyar", "1990", {});
        // Old spellings: only what a rule explains, only in old records.
        row("old forms of 1880", "A magyar irodalom czímjegyzéke", "magyar", "1880", {"czímjegyzéke(old)"});
        row("two old forms", "Gyüjtemény a régi iró munkáiból", "magyar", "1880",
            {"Gyüjtemény(old)", "iró(old)"});
        row("old forms of 1990", "Gyüjtemény a régi iró munkáiból", "magyar", "1990", {"Gyüjtemény", "iró"});
        row("typo of 1880", "A könyvtártörtnet vázlata", "magyar", "1880", {"könyvtártörtnet"});
        row("few known words of 1880", "A czím és a gyüjtemény", "magyar", "1880",
            {"czím(old)", "gyüjtemény(old)"});
    }
    void fieldReportsOnlyRealErrors()
    {
        QFETCH(QString, text);
        QFETCH(QString, language);
        QFETCH(QString, year);
        QFETCH(QStringList, reported);
        if (!hasGerman())
            QSKIP("hunspell-de-de is not installed (scripts/install-deps.sh test)");
        SpellingLexicon lexicon = SpellingLexicon::builtIn();
        lexicon.addNames({QStringLiteral("Pálfalvi Márton"), QStringLiteral("Orbók Réka")});
        FieldJudge judge(lexicon);
        FieldJudge::Languages languages;
        for (const QString& name : FieldJudge::candidateLanguages(m_dictionaries.languages(), language))
            languages.push_back({name, m_dictionaries.forLanguage(name)});
        const FieldJudge::Verdict verdict =
            judge.judge(text, languages, TextSpelling::isOldSpelling(year, 1922));
        QStringList found;
        for (const FieldJudge::Finding& finding : verdict.findings)
            found.append(text.mid(finding.span.start, finding.span.length) +
                         (finding.oldForm ? QStringLiteral("(old)") : QString()));
        QCOMPARE(found, reported);
    }

    // The single-edit typo's word is among the first three suggestions.
    void suggestionsPutTheMeantWordFirst_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("typo");
        QTest::addColumn<QString>("meant");
        QTest::addColumn<bool>("old");
        const auto row = [](const char* language, const char* typo, const char* meant, bool old = false) {
            QTest::addRow("%s %s", language, typo)
                << QString::fromUtf8(language) << QString::fromUtf8(typo) << QString::fromUtf8(meant) << old;
        };
        row("magyar", "könyvtártörtnet", "könyvtártörténet");
        row("magyar", "gyüjtemény", "gyűjtemény");
        row("magyar", "bibliográfiia", "bibliográfia");
        row("magyar", "nyomtatvnyok", "nyomtatványok");
        row("magyar", "kéziartok", "kéziratok");
        row("magyar", "Tanulmnyok", "Tanulmányok");
        row("magyar", "forrásaii", "forrásai");
        row("magyar", "torténetéhez", "történetéhez");
        row("magyar", "Könyvtrá", "Könyvtár");
        row("magyar", "könyvtártörtént", "könyvtártörténet");
        row("magyar", "anjou-kor", "Anjou-kor");
        row("magyar", "czím", "cím", true);
        row("magyar", "czímjegyzéke", "címjegyzéke", true);
        row("német", "Geschihte", "Geschichte");
        row("német", "Bibliotehk", "Bibliothek");
        row("német", "Buchdrukcs", "Buchdrucks");
    }
    void suggestionsPutTheMeantWordFirst()
    {
        QFETCH(QString, language);
        QFETCH(QString, typo);
        QFETCH(QString, meant);
        QFETCH(bool, old);
        if (language == u"német" && !hasGerman())
            QSKIP("hunspell-de-de is not installed (scripts/install-deps.sh test)");
        const Dictionaries::Engine engine = m_dictionaries.forLanguage(language);
        const SpellingLexicon lexicon = SpellingLexicon::builtIn();
        const QStringList suggestions = Suggestions::forWord(
            *engine, typo, 8, old ? lexicon.rulesFor(engine->name()) : QList<SpellingLexicon::Rule>{});
        QVERIFY2(suggestions.mid(0, 3).contains(meant), qPrintable(suggestions.join(u", ")));
        if (old)
            QCOMPARE(suggestions.value(0), meant);
    }

    void lexiconReadsItsTables()
    {
        SpellingLexicon lexicon;
        lexicon.addAbbreviations(
            SpellingLexicon::tableLines("# megjegyzés\nszerk.\n\nMKsz\nTud. és Műsz.\n"));
        QVERIFY(lexicon.isAbbreviation(u"szerk", true));
        QVERIFY(lexicon.isAbbreviation(u"Szerk", true));
        QVERIFY(!lexicon.isAbbreviation(u"szerk", false)); // without its full stop it is a word to judge
        QVERIFY(lexicon.isAbbreviation(u"MKsz", false));
        QVERIFY(lexicon.isAbbreviation(u"MKsz-ben", false));
        QVERIFY(!lexicon.isAbbreviation(u"Mksz", false));
        QVERIFY(lexicon.isAbbreviation(u"Műsz", true));
        lexicon.addLatinWords({QStringLiteral("regni"), QStringLiteral("-orum")});
        QVERIFY(lexicon.isLatin(u"Regni"));
        QVERIFY(lexicon.isLatin(u"Hungarorum"));
        QVERIFY(!lexicon.isLatin(u"forum"));
        lexicon.addNames({QStringLiteral("Pálfalvi Márton"), QStringLiteral("Kovács és Társa")});
        QVERIFY(lexicon.isName(u"Pálfalvinak"));
        QVERIFY(lexicon.isName(u"Pálfalvi-hagyaték"));
        QVERIFY(!lexicon.isName(u"és"));
        QVERIFY(!lexicon.isName(u"Pálfalvikönyvtárának"));
        lexicon.addRules(
            {QStringLiteral("hu\tcz\tc"), QStringLiteral("de th t"), QStringLiteral("rossz sor")});
        QCOMPARE(lexicon.rulesFor(QStringLiteral("hu_HU")).size(), 1);
        QCOMPARE(lexicon.rulesFor(QStringLiteral("de_DE")).first().oldForm, QStringLiteral("th"));

        // The shipped tables are there, and a folder's own files add to them.
        const SpellingLexicon shipped = SpellingLexicon::builtIn();
        QVERIFY(shipped.isAbbreviation(u"Különny", true));
        QVERIFY(shipped.isAbbreviation(u"RMNy", false));
        QVERIFY(shipped.isLatin(u"Hungariae"));
        QVERIFY(shipped.rulesFor(QStringLiteral("hu_HU")).size() >= 10);
        TempWorkDir dir;
        dir.writeBytes(SpellingLexicon::AbbreviationsFile, QByteArray("Tszle.\n"));
        TextFile::writeUnicode(dir.file(WorkFolder::CreatorsFile), {QStringLiteral("Zvara Edina")});
        const SpellingLexicon folder = SpellingLexicon::ofFolder(dir.path());
        QVERIFY(folder.isAbbreviation(u"Tszle", true));
        QVERIFY(folder.isAbbreviation(u"Különny", true));
        QVERIFY(folder.isName(u"Zvara"));
    }

    void wordListIsWrittenAndReadBack()
    {
        TempWorkDir dir;
        WordList list = WordList::ofFolder(dir.path());
        list.reload();
        QVERIFY(list.isEmpty());
        list.add(
            {QStringLiteral("Wierzbiłowski"), QStringLiteral("  czím "), QString(), QStringLiteral("czím")});
        QCOMPARE(dir.readBytes(WorkFolder::AcceptedWordsFile), QByteArray("Wierzbiłowski\nczím\n"));

        WordList again = WordList::ofFolder(dir.path());
        dir.writeBytes(WorkFolder::AcceptedWordsFile, QByteArray("\xEF\xBB\xBFWierzbiłowski\r\nczím\r\n"));
        again.reload();
        QVERIFY(again.contains(QStringLiteral("Wierzbiłowski")));
        QVERIFY(again.contains(QStringLiteral("Czím"))); // a listed word opening a title
        QVERIFY(!again.contains(QStringLiteral("CZÍM")));
        QVERIFY(!again.contains(QStringLiteral("cím")));
    }

    void wordListKeepsWordsOfTwoWritersAtOnce()
    {
        TempWorkDir dir;
        const QString path = dir.file(WorkFolder::AcceptedWordsFile);
        constexpr int PerWriter = 30;
        QProcess first, second;
        for (QProcess* writer : {&first, &second}) {
            const QString prefix = writer == &first ? QStringLiteral("elso") : QStringLiteral("masodik");
            writer->start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--add-words"), path, prefix, QString::number(PerWriter)});
        }
        QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        WordList list(path);
        list.reload();
        QCOMPARE(list.words().size(), 2 * PerWriter);
        QVERIFY(list.contains(QStringLiteral("elso0")) && list.contains(QStringLiteral("masodik29")));
        QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
    }

    void wholeDatabaseIsProofread()
    {
        TempWorkDir dir;
        const QStringList lines{
            recordLine(QStringLiteral("Ma00000100"), QStringLiteral("A könyvtártörtént forrásai"),
                       QStringLiteral("1990"), QStringLiteral("magyar")),
            recordLine(QStringLiteral("Ma00000200"), QStringLiteral("A czím és a gyüjtemény"),
                       QStringLiteral("1880"), QStringLiteral("magyar")),
            recordLine(QStringLiteral("Ma00000300"), QStringLiteral("Egy czím ma"), QStringLiteral("1990"),
                       QStringLiteral("")),
            recordLine(QStringLiteral("Ma00000400"), QStringLiteral("De bello Gallico"),
                       QStringLiteral("1990"), QStringLiteral("latin")),
            recordLine(QStringLiteral("Ma00000500"), QStringLiteral("Ad fontes"), QStringLiteral("1991"),
                       QStringLiteral("Latin")),
            recordLine(QStringLiteral("Ma00000600"), QStringLiteral("A könyvtártörtént vázlata"),
                       QStringLiteral("1995"), QStringLiteral("magyar"),
                       QStringLiteral("Wierzbiłowski hagyatéka")),
            // A Greek quotation in a Hungarian title is foreign, not misspelt.
            recordLine(QStringLiteral("Ma00000800"), QStringLiteral("Περὶ βιβλίων: a könyvekről"),
                       QStringLiteral("1990"), QStringLiteral("magyar")),
        };
        // The index set holds the typo in two more records.
        TextFile::writeUnicode(
            dir.file(WorkFolder::chunkFile(1)),
            {lines[0], lines[5],
             recordLine(QStringLiteral("Ma00000700"), QStringLiteral("könyvtártörtént"), QString(), {})});
        WordList accepted = WordList::ofFolder(dir.path());
        accepted.add({QStringLiteral("Wierzbiłowski")});

        Proofreader::Options options;
        options.indexFolder = dir.path();
        JobControl job;
        const Proofreader::Result result =
            Proofreader(m_dictionaries, accepted, options)
                .run(
                    int(lines.size()), [&](int i) { return QStringView(lines[i]); }, job);

        QStringList listed;
        for (const Proofreader::Word& word : result.words)
            listed.append(QStringLiteral("%1 %2 %3 %4 %5")
                              .arg(word.word, word.language)
                              .arg(word.count())
                              .arg(word.oldSpelling ? QStringLiteral("old") : QStringLiteral("new"))
                              .arg(word.indexSetRecords));
        // Most frequent first; "czím" of 1880 and of 1990 together is no old
        // form, "gyüjtemény" only in 1880 is.
        QCOMPARE(listed, (QStringList{QStringLiteral("czím magyar 2 new 0"),
                                      QStringLiteral("könyvtártörtént magyar 2 new 3"),
                                      QStringLiteral("gyüjtemény magyar 1 old 0")}));
        QCOMPARE(result.words[1].records, (QList<int>{0, 5}));
        // The Latin records are read too: their titles are found Latin and left alone.
        QCOMPARE(result.checkedRecords, 7);
        QCOMPARE(result.uncheckedLanguages, (QList<std::pair<QString, int>>{{QStringLiteral("latin"), 2}}));
        QCOMPARE(job.progressDone(), job.progressTotal());
    }

    // A journal several records name is a title; the names of the
    // database's creators are names wherever they stand.
    void namesOfTheDatabaseAreAccepted()
    {
        auto record = [](const QString& name, const QString& publication, const QString& creator) {
            QStringList fields =
                RecordLine::split(recordLine(name, QStringLiteral("Emlékkönyv Orbók tiszteletére"),
                                             QStringLiteral("1990"), QStringLiteral("magyar")));
            RecordSchema::value(fields, Field::Publication) = publication;
            RecordSchema::value(fields, Field::Creator1) = creator;
            return RecordLine::join(fields);
        };
        const auto reported = [&](const QStringList& lines) {
            WordList accepted;
            JobControl job;
            const Proofreader::Result result =
                Proofreader(m_dictionaries, accepted, {})
                    .run(
                        int(lines.size()), [&](int i) { return QStringView(lines[i]); }, job);
            QStringList words;
            for (const Proofreader::Word& word : result.words)
                words.append(word.word);
            return words;
        };
        // "Orbók" is a creator of the database; "Tiszatáj" is a journal two records name.
        const QString journal = QStringLiteral("Tiszatáj");
        QCOMPARE(reported({record(QStringLiteral("Ma00000100"), journal, QStringLiteral("01Orbók Réka")),
                           record(QStringLiteral("Ma00000200"), journal, QString())}),
                 QStringList{});
        QCOMPARE(reported({record(QStringLiteral("Ma00000100"), journal, QStringLiteral("01Orbók Réka"))}),
                 QStringList{journal});
        QCOMPARE(reported({record(QStringLiteral("Ma00000100"), QString(), QStringLiteral("01Kiss Réka"))}),
                 QStringList{QStringLiteral("Orbók")});
    }

    void proofreadingStopsWhenAsked()
    {
        const QStringList lines(2000, recordLine(QStringLiteral("Ma00000100"), QStringLiteral("A czím"),
                                                 QStringLiteral("1990"), QStringLiteral("magyar")));
        WordList accepted;
        JobControl job;
        job.requestStop();
        Proofreader::Options options;
        QVERIFY_THROWS_EXCEPTION(
            OperationCancelled,
            Proofreader(m_dictionaries, accepted, options)
                .run(
                    int(lines.size()), [&](int i) { return QStringView(lines[i]); }, job));
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--add-words") == 0)
        return addWordsInChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                               atoi(argv[4]));
    TestSpelling test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_spelling.moc"
