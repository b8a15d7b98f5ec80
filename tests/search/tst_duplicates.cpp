#include "SearchFixtures.h"
#include "TestSupport.h"

#include "Corpus.h"
#include "core/record/Win1250.h"
#include "core/search/DuplicateFinder.h"
#include "core/search/Folding.h"

#include <QProcess>
#include <QtTest>

namespace {

using Group = DuplicateFinder::Group;
using Reason = DuplicateFinder::Reason;

Rec work(const QString& name, const QString& title, const QString& creator, const QString& year)
{
    Rec r;
    r.name = name;
    r.title = title;
    r.creators[0] = QStringLiteral("01") + creator;
    r.year = year;
    return r;
}

// The member names of each group, as "reason: name@chunk name@chunk".
QStringList describe(const std::vector<Group>& groups)
{
    QStringList out;
    for (const Group& g : groups) {
        QString line = g.reason == Reason::SameName ? QStringLiteral("name:") : QStringLiteral("work:");
        for (const DuplicateFinder::Member& m : g.members)
            line += QStringLiteral(" %1@%2").arg(Win1250::toUnicode(m.name)).arg(m.chunkNumber);
        out.append(line);
    }
    return out;
}

} // namespace

class TestDuplicates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workKeyIgnoresCaseAccentsPunctuationAndBlanks_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        const auto line = [](const QString& type, const QString& title, const QString& creator,
                             const QString& year) {
            Rec r = work(QStringLiteral("Ka00000100"), title, creator, year);
            r.type = type;
            return r.line();
        };
        const QString k = QStringLiteral("könyv");
        QTest::newRow("accents and case") << line(k, QStringLiteral("Magyar irodalom"),
                                                  QStringLiteral("Kovács Ödön"), QStringLiteral("1998"))
                                          << line(k, QStringLiteral("MAGYAR IRODALOM"),
                                                  QStringLiteral("KOVACS Odon"), QStringLiteral("1998"))
                                          << true;
        QTest::newRow("punctuation and blanks")
            << line(k, QStringLiteral("Magyar irodalom: tanulmányok."), QStringLiteral("Kovács, Ödön"),
                    QStringLiteral("1998."))
            << line(k, QStringLiteral("Magyar  irodalom -- tanulmanyok"), QStringLiteral("Kovács Ö."),
                    QStringLiteral("[1998]"))
            << true;
        QTest::newRow("article families")
            << line(QStringLiteral("cikk gyűjt. kötetben"), QStringLiteral("Cím"), QStringLiteral("Nagy"),
                    QStringLiteral("2001"))
            << line(QStringLiteral("folyóiratcikk"), QStringLiteral("Cím"), QStringLiteral("Nagy"),
                    QStringLiteral("2001"))
            << true;
        QTest::newRow("other year") << line(k, QStringLiteral("Cím"), QStringLiteral("Nagy"),
                                            QStringLiteral("2001"))
                                    << line(k, QStringLiteral("Cím"), QStringLiteral("Nagy"),
                                            QStringLiteral("2002"))
                                    << false;
        QTest::newRow("other creator")
            << line(k, QStringLiteral("Cím"), QStringLiteral("Nagy"), QStringLiteral("2001"))
            << line(k, QStringLiteral("Cím"), QStringLiteral("Kiss"), QStringLiteral("2001")) << false;
        QTest::newRow("a shared title word")
            << line(k, QStringLiteral("Magyar irodalom"), QStringLiteral("Nagy"), QStringLiteral("2001"))
            << line(k, QStringLiteral("Magyar nyelv"), QStringLiteral("Nagy"), QStringLiteral("2001"))
            << false;
        QTest::newRow("book and article")
            << line(k, QStringLiteral("Cím"), QStringLiteral("Nagy"), QStringLiteral("2001"))
            << line(QStringLiteral("cikk"), QStringLiteral("Cím"), QStringLiteral("Nagy"),
                    QStringLiteral("2001"))
            << false;
    }
    void workKeyIgnoresCaseAccentsPunctuationAndBlanks()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(DuplicateFinder::workKey(Folding::fold(a)) == DuplicateFinder::workKey(Folding::fold(b)),
                 same);
    }

    // A generated corpus with planted variants: every planted group is found,
    // with its reason, and nothing else from the planted records.
    void findsThePlantedGroups()
    {
        TempWorkDir dir;
        QStringList first = Corpus::records(1500, 3);
        QStringList second = Corpus::records(1500, 4);
        const Rec original = work(QStringLiteral("Ka00900100"), QStringLiteral("Őszi levelek: versek"),
                                  QStringLiteral("Szőcs Géza"), QStringLiteral("1987"));
        const Rec unaccented = work(QStringLiteral("Lu00900200"), QStringLiteral("Oszi levelek - versek"),
                                    QStringLiteral("Szocs Geza"), QStringLiteral("1987."));
        const Rec shouted = work(QStringLiteral("No00900300"), QStringLiteral("ŐSZI   LEVELEK, VERSEK"),
                                 QStringLiteral("SZŐCS, Géza"), QStringLiteral("1987"));
        const Rec sameWord = work(QStringLiteral("Si00900400"), QStringLiteral("Őszi esték"),
                                  QStringLiteral("Szőcs Géza"), QStringLiteral("1987"));
        const Rec twice = work(QStringLiteral("Go00900500"), QStringLiteral("Zárkózott utazók"),
                               QStringLiteral("Petőfi Ilona"), QStringLiteral("2003"));
        first.insert(100, original.line());
        first.insert(700, twice.line());
        second.insert(200, unaccented.line());
        second.insert(900, shouted.line());
        second.insert(1000, sameWord.line());
        second.append(twice.line());
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), first);
        writeChunk(dir.path(), QStringLiteral("adatb2.ztf"), second);

        for (int threads : {1, 2}) {
            DuplicateFinder finder;
            finder.setThreadCount(threads);
            const auto groups = finder.run(dir.path());
            QVERIFY(groups.has_value());
            const QStringList found = describe(*groups);
            QVERIFY2(found.contains(QStringLiteral("work: Ka00900100@1 Lu00900200@2 No00900300@2")),
                     qPrintable(found.join(u'\n')));
            QVERIFY(found.contains(QStringLiteral("name: Go00900500@1 Go00900500@2")));
            for (const QString& group : found)
                QVERIFY2(!group.contains(QStringLiteral("Si00900400")), qPrintable(group));
            // The same record twice is one group, not a name and a work group.
            QCOMPARE(found.filter(QStringLiteral("Go00900500")).size(), 1);
        }
    }

    void cancelledRunGivesNothing()
    {
        TempWorkDir dir;
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), Corpus::records(100, 1));
        JobControl stopped;
        stopped.requestStop();
        QVERIFY(!DuplicateFinder().run(dir.path(), stopped).has_value());
    }

    void commandLinePrintsTheGroups()
    {
        TempWorkDir dir;
        const Rec a = work(QStringLiteral("Ka00000100"), QStringLiteral("Cím"), QStringLiteral("Nagy"),
                           QStringLiteral("2001"));
        const Rec b = work(QStringLiteral("Ka00000200"), QStringLiteral("CIM"), QStringLiteral("Nagy"),
                           QStringLiteral("2001"));
        writeChunk(dir.path(), QStringLiteral("adatb1.ztf"), {a.line()});
        writeChunk(dir.path(), QStringLiteral("adatb2.ztf"), {b.line()});
        writeRoles(dir.path());
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(NORLA_CLI), {QStringLiteral("duplicates")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
                 QStringLiteral("same work: konyv | cim | 2001 | nagy\nKa00000100\t1\nKa00000200\t2\n\n"));
        process.start(QStringLiteral(NORLA_CLI), {QStringLiteral("duplicates"), QStringLiteral("--text")});
        QVERIFY(process.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(process.readAllStandardOutput()).contains(QStringLiteral("Szerző: ")));
    }
};

QTEST_GUILESS_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
