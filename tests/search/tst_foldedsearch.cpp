#include "SearchFixtures.h"
#include "TestSupport.h"

#include "Corpus.h"
#include "core/record/Win1250.h"
#include "core/search/Folding.h"

#include <QtTest>

#include <algorithm>

namespace {

QStringList search(const SearchCriteria& criteria)
{
    SearchEngine engine(criteria, {Win1250::fromUnicode(u"Szerző"), Win1250::fromUnicode(u"Fordító")});
    CollectingSink sink;
    engine.run(QDir::currentPath(), sink);
    return sink.names;
}

SearchCriteria folded(const QString& term)
{
    SearchCriteria c;
    c.term = term;
    c.folded = true;
    return c;
}

} // namespace

class TestFoldedSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foldsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Hungarian vowels")
            << QStringLiteral("ÁÉÍÓÖŐÚÜŰáéíóöőúüű") << QByteArray("aeiooouuuaeiooouuu");
        QTest::newRow("case") << QStringLiteral("Kovács SÁNDOR") << QByteArray("kovacs sandor");
        QTest::newRow("sharp s") << QStringLiteral("Straße") << QByteArray("strasse");
        QTest::newRow("letters written out") << QStringLiteral("łŁæÆøØđĐœ") << QByteArray("llaeaeooddoe");
        QTest::newRow("Czech and Polish") << QStringLiteral("Čapek Żółć") << QByteArray("capek zolc");
        QTest::newRow("outside the code page") << QStringLiteral("Ågård ñ ā") << QByteArray("agard n a");
        QTest::newRow("combining marks dropped") << QStringLiteral("Sa\u0301ndor") << QByteArray("sandor");
        QTest::newRow("no Latin base stays ?") << QStringLiteral("λόγος") << QByteArray("?????");
        QTest::newRow("punctuation kept") << QStringLiteral("A-B, c.") << QByteArray("a-b, c.");
    }
    void foldsText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(Folding::fold(text), expected);
    }

    // The scan folds a line with the unit table; the matcher folds rows of
    // the code-page line with the byte table. Both must agree for every unit.
    void unitAndByteTablesAgree()
    {
        const auto& units = Folding::unitTable();
        const auto& codePage = Folding::codePageTable();
        for (int c = 0; c < 0x10000; ++c) {
            const Folding::Folded& viaCodePage = codePage[size_t(c)];
            const QByteArray twoSteps = Folding::fold8(QByteArrayView(viaCodePage.bytes, viaCodePage.size));
            const QByteArray direct(units[size_t(c)].bytes, units[size_t(c)].size);
            if (twoSteps != direct)
                QFAIL(qPrintable(QStringLiteral("U+%1").arg(c, 4, 16, QLatin1Char('0'))));
        }
    }

    void search_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("creator");
        QTest::addColumn<QString>("term");
        QTest::addColumn<bool>("word");
        QTest::addColumn<bool>("exactFinds");
        QTest::addColumn<bool>("foldedFinds");
        QTest::newRow("accents dropped") << QStringLiteral("Sándor élete") << QString()
                                         << QStringLiteral("Sandor") << false << false << true;
        QTest::newRow("case ignored") << QString() << QStringLiteral("01Kovács Ödön")
                                      << QStringLiteral("kovacs") << false << false << true;
        QTest::newRow("accented term, plain text")
            << QStringLiteral("Sandor") << QString() << QStringLiteral("SÁNDOR") << false << false << true;
        QTest::newRow("double acute")
            << QStringLiteral("Győző") << QString() << QStringLiteral("gyozo") << false << false << true;
        QTest::newRow("outside the code page")
            << QStringLiteral("Åsa Ågård") << QString() << QStringLiteral("agard") << false << false << true;
        QTest::newRow("sharp s") << QStringLiteral("Straße") << QString() << QStringLiteral("STRASSE")
                                 << false << false << true;
        QTest::newRow("word kept") << QStringLiteral("Kovácsné") << QString() << QStringLiteral("kovacs")
                                   << true << false << false;
        QTest::newRow("word between punctuation") << QStringLiteral("(Kovács-Nagy)") << QString()
                                                  << QStringLiteral("KOVACS") << true << false << true;
        QTest::newRow("word in a creator") << QString() << QStringLiteral("01Ödön Kovács")
                                           << QStringLiteral("odon") << true << false << true;
        QTest::newRow("different letters stay different")
            << QStringLiteral("Kovács") << QString() << QStringLiteral("Kavacs") << false << false << false;
    }
    void search()
    {
        QFETCH(QString, title);
        QFETCH(QString, creator);
        QFETCH(QString, term);
        QFETCH(bool, word);
        QFETCH(bool, exactFinds);
        QFETCH(bool, foldedFinds);
        TempWorkDir dir;
        Rec r;
        r.title = title;
        if (!creator.isEmpty())
            r.creators[0] = creator;
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {r.line()});
        SearchCriteria criteria = folded(term);
        criteria.matchKind = word ? SearchCriteria::MatchKind::Word : SearchCriteria::MatchKind::Fragment;
        QCOMPARE(::search(criteria).size(), foldedFinds ? 1 : 0);
        criteria.folded = false;
        QCOMPARE(::search(criteria).size(), exactFinds ? 1 : 0);
    }

    void restrictions_data()
    {
        QTest::addColumn<int>("restriction");
        QTest::addColumn<QString>("text");
        QTest::newRow("volume") << int(SearchCriteria::Volume) << QStringLiteral("KARDEL");
        QTest::newRow("record type") << int(SearchCriteria::RecordType) << QStringLiteral("KONYV");
        QTest::newRow("creator") << int(SearchCriteria::Creator) << QStringLiteral("kovacs");
        QTest::newRow("role") << int(SearchCriteria::Role) << QStringLiteral("szerzo");
        QTest::newRow("place") << int(SearchCriteria::Place) << QStringLiteral("pecs");
        QTest::newRow("language") << int(SearchCriteria::Language) << QStringLiteral("Magyar");
        QTest::newRow("medium") << int(SearchCriteria::Medium) << QStringLiteral("PAPIR");
    }
    void restrictions()
    {
        QFETCH(int, restriction);
        QFETCH(QString, text);
        TempWorkDir dir;
        Rec r;
        r.creators[0] = QStringLiteral("01Kovács Ödön");
        r.place = QStringLiteral("Pécs");
        Rec other;
        other.name = QStringLiteral("Lu00000200");
        other.type = QStringLiteral("cikk");
        other.language = QStringLiteral("angol");
        other.medium = QStringLiteral("CD-ROM");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {r.line(), other.line()});
        SearchCriteria criteria;
        criteria.restrictions[restriction] = {true, text};
        criteria.folded = true;
        QCOMPARE(::search(criteria), QStringList{r.name});
        criteria.folded = false;
        QCOMPARE(::search(criteria), QStringList());
    }

    // The results text of a folded search is the exact search's text for the
    // same records: characters the code page lacks still show as "?".
    void resultsTextUnchanged()
    {
        TempWorkDir dir;
        Rec r;
        r.title = QStringLiteral("Ågård és Kovács");
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {r.line()});
        const auto text = [](const SearchCriteria& criteria) {
            SearchEngine engine(criteria, {});
            CollectingSink sink;
            engine.run(QDir::currentPath(), sink);
            return sink.text;
        };
        const QString exact = text(folded(QStringLiteral("Kovács")) /* folded */);
        SearchCriteria plain;
        plain.term = QStringLiteral("Kovács");
        QCOMPARE(exact, text(plain));
        QVERIFY(exact.contains(QStringLiteral("?g?rd")));
    }

    // Everything the exact search finds, the folded search finds too, with
    // every match kind and thread count; and it finds the case variants.
    void foldedIsSupersetOnCorpus_data()
    {
        QTest::addColumn<QString>("term");
        QTest::addColumn<bool>("word");
        for (const char* term : {"Kovács", "magyar", "Győr", "élete", "Szeged", "és", "01"}) {
            QTest::addRow("%s fragment", term) << QString::fromUtf8(term) << false;
            QTest::addRow("%s word", term) << QString::fromUtf8(term) << true;
        }
    }
    void foldedIsSupersetOnCorpus()
    {
        QFETCH(QString, term);
        QFETCH(bool, word);
        TempWorkDir dir;
        const QStringList records = Corpus::records(3000, 7);
        for (int chunk = 0; chunk < 3; ++chunk)
            writeChunk(dir.path(), QStringLiteral("adatb%1.ztf").arg(chunk + 1),
                       records.mid(chunk * 1000, 1000));
        const auto run = [&](const QString& text, bool fold) {
            SearchCriteria c;
            c.term = text;
            c.folded = fold;
            c.matchKind = word ? SearchCriteria::MatchKind::Word : SearchCriteria::MatchKind::Fragment;
            return ::search(c);
        };
        const QStringList exact = run(term, false);
        const QStringList foldedHits = run(term, true);
        QVERIFY(foldedHits.size() >= exact.size());
        // Hits keep the order of the records, so the exact hits are a subsequence.
        qsizetype at = 0;
        for (const QString& name : exact) {
            at = foldedHits.indexOf(name, at);
            QVERIFY2(at >= 0, qPrintable(name));
            ++at;
        }
        // The same records, whatever the case and accents of the term.
        QCOMPARE(run(term.toUpper(), true), foldedHits);
        const QByteArray plain = Folding::fold(term);
        QCOMPARE(run(QString::fromLatin1(plain), true), foldedHits);
    }
};

QTEST_GUILESS_MAIN(TestFoldedSearch)
#include "tst_foldedsearch.moc"
