#include "CheckFixtures.h"

#include "core/check/CompletionIndex.h"
#include "core/check/NameTally.h"
#include "core/index/IndexBuilder.h"
#include "core/record/TextFile.h"

#include "TestSupport.h"

#include <QtTest>

namespace {

std::vector<NameForm> forms(std::initializer_list<std::pair<const char16_t*, qint64>> list)
{
    std::vector<NameForm> out;
    for (const auto& [text, count] : list)
        out.push_back({QString::fromUtf16(text), count, {}});
    return out;
}

QStringList texts(const std::vector<CompletionIndex::Entry>& entries)
{
    QStringList out;
    for (const CompletionIndex::Entry& e : entries)
        out.append(e.text);
    return out;
}

} // namespace

class TestCompletion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookup_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("start of a family name")
            << QStringLiteral("kov")
            << QStringList{QStringLiteral("Kovács János"), QStringLiteral("Kovács Ödön"),
                           QStringLiteral("Kovacsics Béla")};
        QTest::newRow("start of a given name")
            << QStringLiteral("jan")
            << QStringList{QStringLiteral("Kovács János"), QStringLiteral("Szabó Jánosné")};
        QTest::newRow("accents ignored")
            << QStringLiteral("odon") << QStringList{QStringLiteral("Kovács Ödön")};
        QTest::newRow("accents typed")
            << QStringLiteral("ÖDÖN") << QStringList{QStringLiteral("Kovács Ödön")};
        QTest::newRow("two words") << QStringLiteral("kovacs o")
                                   << QStringList{QStringLiteral("Kovács Ödön")};
        QTest::newRow("inside a word") << QStringLiteral("vacs") << QStringList{};
        QTest::newRow("ß written out")
            << QStringLiteral("strasse") << QStringList{QStringLiteral("Straße Verlag")};
        QTest::newRow("nothing") << QStringLiteral("xyz") << QStringList{};
    }

    // Ranked by record count, then in Hungarian order ("Kovács" before
    // "Kovacsics" because á sorts with a).
    void lookup()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        const CompletionIndex index(forms({{u"Kovacsics Béla", 2},
                                           {u"Kovács Ödön", 3},
                                           {u"Kovács János", 7},
                                           {u"Szabó Jánosné", 1},
                                           {u"Straße Verlag", 1}}));
        QCOMPARE(texts(index.lookup(typed)), expected);
    }

    void equalCountsInHungarianOrder()
    {
        const CompletionIndex index(
            forms({{u"Zsoltné Kiss", 1}, {u"Zoltán Kiss", 1}, {u"Csizmadia Kiss", 1}, {u"Czakó Kiss", 1}}));
        QCOMPARE(texts(index.lookup(u"kiss")),
                 (QStringList{QStringLiteral("Czakó Kiss"), QStringLiteral("Csizmadia Kiss"),
                              QStringLiteral("Zoltán Kiss"), QStringLiteral("Zsoltné Kiss")}));
    }

    void caseFormsMerge()
    {
        const CompletionIndex index(
            forms({{u"Kovács János", 1}, {u"KOVÁCS JÁNOS", 5}, {u"Kovacs Janos", 2}}));
        const std::vector<CompletionIndex::Entry> found = index.lookup(u"kov");
        QCOMPARE(texts(found), (QStringList{QStringLiteral("Kovács János"), QStringLiteral("Kovacs Janos")}));
        QCOMPARE(found.front().count, qint64(6));
    }

    void atMostTheLimit()
    {
        std::vector<NameForm> many;
        for (int i = 0; i < 50; ++i)
            many.push_back({QStringLiteral("Nagy %1").arg(i, 2, 10, QLatin1Char('0')), i, {}});
        const CompletionIndex index(many);
        const std::vector<CompletionIndex::Entry> found = index.lookup(u"nagy");
        QCOMPARE(found.size(), size_t(CompletionIndex::DefaultLimit));
        QCOMPARE(found.front().text, QStringLiteral("Nagy 49"));
    }

    void emptyIndex()
    {
        const CompletionIndex index;
        QVERIFY(index.lookup(u"ko").empty());
        QVERIFY(CompletionIndex::merged({&index, nullptr}, u"ko").isEmpty());
    }

    void mergedSumsCounts()
    {
        const CompletionIndex indexSet(forms({{u"Kovács János", 2}, {u"Kovács Ödön", 3}}));
        const CompletionIndex document(forms({{u"Kovács János", 2}}));
        QCOMPARE(CompletionIndex::merged({&indexSet, &document}, u"kov"),
                 (QStringList{QStringLiteral("Kovács János"), QStringLiteral("Kovács Ödön")}));
    }

    // After an index run the lists hold the names of every indexed record,
    // each counted, with the databases it came from.
    void listsAfterAnIndexRun()
    {
        TempWorkDir dir;
        TextFile::writeUnicode(dir.file(QStringLiteral("a.rtf")),
                               {recordLine({{Field::Publisher, QStringLiteral("Nádas Kiadó")}}),
                                recordLine({{Field::Creator2, QStringLiteral("02Szabó Ilona")}})});
        TextFile::writeUnicode(dir.file(QStringLiteral("b.rtf")), {recordLine()});
        IndexBuilder builder(dir.path());
        builder.setRecordsPerFile(2);
        builder.build({QStringLiteral("a.rtf"), QStringLiteral("b.rtf")});
        JobControl control;
        IndexedWorks works;
        const NameTally tally = NameTally::fromIndexSet(dir.path(), control, &works);
        QCOMPARE(tally.recordCount(), qint64(3));
        QCOMPARE(tally.databases(), (QStringList{QStringLiteral("a.rtf"), QStringLiteral("b.rtf")}));
        const std::vector<NameForm>& creators = tally.forms(NameKind::Creator);
        QCOMPARE(creators.size(), size_t(2));
        QCOMPARE(creators[0].text, QStringLiteral("Kovács János"));
        QCOMPARE(creators[0].count, qint64(3));
        QCOMPARE(creators[0].databases, (QList<int>{0, 1}));
        QCOMPARE(creators[1].databases, QList<int>{0});
        QCOMPARE(texts(CompletionIndex(tally.forms(NameKind::Publisher)).lookup(u"nadas")),
                 QStringList{QStringLiteral("Nádas Kiadó")});
        QCOMPARE(works.size(), qsizetype(3));
    }

    // The lists take at most twice the bytes of the name list files.
    void memoryWithinTwiceTheFile()
    {
        std::vector<NameForm> many;
        QStringList lines;
        for (int i = 0; i < 20000; ++i) {
            const QString name = QStringLiteral("Családnév%1 Keresztnév%2").arg(i).arg(i % 97);
            many.push_back({name, 1, {}});
            lines.append(name);
        }
        const CompletionIndex index(many);
        QVERIFY(index.memoryUsed() <= 2 * TextFile::encodeUnicode(lines).size());
    }
};

QTEST_GUILESS_MAIN(TestCompletion)
#include "tst_completion.moc"
