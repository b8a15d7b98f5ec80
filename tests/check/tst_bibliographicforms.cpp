#include "core/check/BibliographicForms.h"
#include "core/record/TextFile.h"

#include "TestSupport.h"

#include <QtTest>

namespace {

constexpr int LatestYear = 2027;

void addRows(std::initializer_list<std::pair<const char*, const char*>> rows)
{
    for (const auto& [value, reason] : rows)
        QTest::newRow(value) << QString::fromUtf8(value) << QString::fromUtf8(reason);
}

// The guide's chapter on checks, where the tables of forms stand.
QString guideChapter()
{
    const QString guide = QString::fromUtf8(
        TextFile::readBytes(QStringLiteral(NORLA_SAMPLE_DIR) + QStringLiteral("/../docs/kezikonyv.md")));
    const qsizetype start = guide.indexOf(QStringLiteral("\n## 18."));
    const qsizetype end = guide.indexOf(QStringLiteral("\n## "), start + 1);
    return guide.mid(start, end - start);
}

} // namespace

class TestBibliographicForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Forms of Hungarian practice (and the foreign ones a bibliography of
    // many languages meets) pass; an empty reason means no finding.
    void years_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reason"); // what the finding says; empty: none
        addRows({
            {"1907", ""},
            {"1907.", ""},
            {"[1907]", ""},
            {"1907?", ""},
            {"[1907?]", ""},
            {"[1907 k.]", ""},
            {"1907 k.", ""},
            {"ca. 1907", ""},
            {"[ca. 1907]", ""},
            {"kb. 1907", ""},
            {"[1907 után]", ""},
            {"[1907 e.]", ""},
            {"[1907 és 1910 között]", ""},
            {"[190-]", ""},
            {"[190-?]", ""},
            {"[19--]", ""},
            {"18??", ""},
            {"XIX. század", ""},
            {"16–17. sz.", ""},
            {"p1998", ""},
            {"Sine anno", ""},
            {"é. n.", ""},
            {"é.n.", ""},
            {"É. n.", ""},
            {"[é. n.]", ""},
            {"s. a.", ""},
            {"[s. a.]", ""},
            {"o. J.", ""},
            {"1998/99", ""},
            {"1999/00", ""},
            {"1998/01", ""},
            {"1998/1999", ""},
            {"19. sz.", ""},
            {"19.sz.", ""},
            {"XIX. sz.", ""},
            {"19. sz. második fele", ""},
            {"1907–1910", ""},
            {"1907-1910", ""},
            {"1907—1910", ""},
            {"1907 – 1910", ""},
            {"1907–10", ""},
            {"1907–", ""},
            {"cop. 1998", ""},
            {"© 1998", ""},
            {"c1998", ""},
            {"2001, cop. 1998", ""},
            {"1907 [1908]", ""},
            {"MCMVII", ""},
            {"MDCCCXL [1840]", ""},
            {"sajtó alatt", ""},
            {"1450", ""},
            {"2027", ""},
            // Not in the table, but nothing in them is wrong.
            {"1998. márc. 15.", ""},
            {"1907, 1910", ""},
            {"1907 (repr. 1970)", ""},
            // Plainly wrong.
            {"2907", "2027 utáni év"},
            {"1007", "1450 előtti év"},
            {"[2907?]", "2027 utáni év"},
            {"19O7", "„O” betű számjegy helyett"},
            {"l907", "„l” betű számjegy helyett"},
            {"198", "nem négyjegyű évszám"},
            {"198 k.", "nem négyjegyű évszám: 198"},
            {"19077", "nem négyjegyű évszám"},
            {"1910–1907", "a tartomány visszafelé halad"},
            {"1907–05", "a tartomány visszafelé halad"},
            {"1998/1997", "a tartomány visszafelé halad"},
            {"12. sz.", "a nyomtatás korán kívüli század"},
            {"[140-]", "1450 előtti év"},
            {"[13--]", "1450 előtti év"},
            {"17–16. sz.", "a tartomány visszafelé halad"},
            {"MMMCM", "2027 utáni év"},
            {"jan.", "nincs benne évszám"},
            {"kb. év", "nincs benne évszám"},
        });
    }
    void years()
    {
        QFETCH(QString, value);
        QFETCH(QString, reason);
        QCOMPARE(BibliographicForms::yearProblem(value, LatestYear), reason);
    }

    void pages_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reason");
        addRows({
            {"300 l.", ""},
            {"300 p.", ""},
            {"300 p", ""},
            {"[4], 300 p.", ""},
            {"XII, 300 p.", ""},
            {"xii, 300 p.", ""},
            {"XII, [2], 300, [4] p.", ""},
            {"12–34. p.", ""},
            {"12–34.", ""},
            {"12-34", ""},
            {"12–34., 56–78.", ""},
            {"1 t.", ""},
            {"[8] t.", ""},
            {"300 p., 12 t.", ""},
            {"300 p., [8] t.", ""},
            {"2 db", ""},
            {"[1] p.", ""},
            {"56 fol.", ""},
            {"12. p.", ""},
            {"p. 12–34", ""},
            {"pp. 12-34", ""},
            {"S. 12–34", ""},
            {"300 S.", ""},
            {"V–XII", ""},
            {"3 köt.", ""},
            {"300 p. : ill. ; 24 cm", ""},
            {"300 p. + 1 mell.", ""},
            {"120 col.", ""},
            {"passim", ""},
            // Not in the table, but nothing in them is wrong.
            {"300 p., 12 színes t.", ""},
            {"300 p. ill. térk.", ""},
            // Plainly wrong.
            {"12–3", "a tartomány rövidített vagy visszafelé halad (teljes alakban: 145–146.)"},
            {"145–6.", "a tartomány rövidített vagy visszafelé halad (teljes alakban: 145–146.)"},
            {"34–12. p.", "a tartomány visszafelé halad"},
            {"3OO p.", "„O” betű számjegy helyett"},
            {"l2 p.", "„l” betű számjegy helyett"},
            {"VIx, 30 p.", "hibás római szám: VIx"},
            {"0 p.", "nulla oldalszám"},
            {"sok oldal", "nincs benne oldalszám"},
        });
    }
    void pages()
    {
        QFETCH(QString, value);
        QFETCH(QString, reason);
        QCOMPARE(BibliographicForms::pagesProblem(value), reason);
    }

    // Each row's example is accepted, and the guide shows it, so the table
    // a bibliographer reads there is the one the check uses.
    void tableExamples()
    {
        const QString chapter = guideChapter();
        QVERIFY(!chapter.isEmpty());
        for (const BibliographicForms::Form& form : BibliographicForms::table()) {
            const QString example = QString::fromUtf16(form.example);
            const QString problem = form.subject == BibliographicForms::Subject::Year
                                        ? BibliographicForms::yearProblem(example, LatestYear)
                                        : BibliographicForms::pagesProblem(example);
            QVERIFY2(problem.isEmpty(), qPrintable(example + QStringLiteral(" → ") + problem));
            QVERIFY2(chapter.contains(QStringLiteral("„") + example + QStringLiteral("”")),
                     qPrintable(QStringLiteral("the guide does not show „%1”").arg(example)));
        }
    }
};

QTEST_GUILESS_MAIN(TestBibliographicForms)
#include "tst_bibliographicforms.moc"
