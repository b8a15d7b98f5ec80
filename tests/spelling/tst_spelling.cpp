// Proofreading in the core: the dictionaries by record language, the words a
// field offers for checking, the folder's word list (also written by two
// processes at once), the old-spelling rule and the whole-database run.

#include "TestSupport.h"

#include "core/record/OperationCancelled.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/settings/AppSettings.h"
#include "core/spelling/Dictionaries.h"
#include "core/spelling/Proofreader.h"
#include "core/spelling/SpellingSettings.h"
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
        QCOMPARE(result.checkedRecords, 5);
        // Told once per language, whatever its letter case.
        QCOMPARE(result.uncheckedLanguages, (QList<std::pair<QString, int>>{{QStringLiteral("latin"), 2}}));
        QCOMPARE(job.progressDone(), job.progressTotal());
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
