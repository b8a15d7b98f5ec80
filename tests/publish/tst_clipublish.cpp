#include "PublishFixture.h"
#include "TestSupport.h"

#include "core/record/TextFile.h"

#include <QDir>
#include <QtTest>

namespace {

ProgramRun runCli(const QString& workDir, const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI_PATH), args, workDir);
}

ProgramRun publish(const QString& workDir, const QStringList& args)
{
    return runCli(workDir, QStringList{QStringLiteral("publish")} + args);
}

QString tool(const QString& program, const QStringList& args)
{
    return runProgram(program, args).out;
}

// A working folder with the fixture as its one database, its subject tree
// and its role list.
void seed(const TempWorkDir& dir)
{
    TextFile::writeUnicode(dir.file(QStringLiteral("konyv.rtf")), PublishFixture::lines());
    dir.writeBytes(QStringLiteral("menu0.zda"), PublishFixture::treeBytes());
    TextFile::write8Bit(dir.file(QStringLiteral("szerep.zda")), PublishFixture::roleNames());
}

QStringList args(std::initializer_list<const char*> list)
{
    QStringList result;
    for (const char* arg : list)
        result.append(QString::fromUtf8(arg));
    return result;
}

} // namespace

class TestCliPublish final : public QObject
{
    Q_OBJECT

private slots:
    void aDatabaseAsAPdf()
    {
        TempWorkDir dir;
        seed(dir);
        const ProgramRun run = publish(dir.path(), args({"--format", "pdf", "--title", "Próba", "--paper",
                                                         "b5", "konyv.rtf", "--output", "konyv.pdf"}));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(QStringLiteral("10 entries published to konyv.pdf")), qPrintable(run.err));
        const QString text =
            tool(QStringLiteral("pdftotext"), {dir.file(QStringLiteral("konyv.pdf")), QStringLiteral("-")});
        qsizetype at = 0;
        for (const char* heading :
             {"Próba", "Történelem", "Ókor", "1. Oszkár Pál", "2. Ödön Péter", "Görög történelem",
              "3. Czakó Gábor", "4. Csizmadia Ákos", "Irodalom", "Verstan", "Egyéb", "Névmutató"}) {
            const qsizetype found = text.indexOf(QString::fromUtf8(heading), at);
            QVERIFY2(found >= 0, heading);
            at = found;
        }
        // B5 is 176 × 250 mm.
        QVERIFY(tool(QStringLiteral("pdfinfo"), {dir.file(QStringLiteral("konyv.pdf"))})
                    .contains(QRegularExpression(QStringLiteral("Page size: +499 x 709 pts"))));
    }

    // The title page's other lines; two-sided, its back is left blank and the contents begin on page 3.
    void aTitlePageWithCompilerPlaceAndYear()
    {
        TempWorkDir dir;
        seed(dir);
        const ProgramRun run =
            publish(dir.path(),
                    args({"--format", "pdf", "--title", "Próba", "--compiler", "Kovács Éva", "--book-place",
                          "Szeged", "--year", "2026", "--two-sided", "konyv.rtf", "--output", "konyv.pdf"}));
        QCOMPARE(run.exitCode, 0);
        const auto page = [&dir](int number) {
            return tool(QStringLiteral("pdftotext"),
                        {QStringLiteral("-f"), QString::number(number), QStringLiteral("-l"),
                         QString::number(number), dir.file(QStringLiteral("konyv.pdf")), QStringLiteral("-")})
                .simplified();
        };
        QCOMPARE(page(1), QStringLiteral("Próba Összeállította: Kovács Éva Szeged, 2026"));
        QCOMPARE(page(2), QString());
        QVERIFY2(page(3).startsWith(QStringLiteral("Tartalom Történelem")), qPrintable(page(3)));
    }

    void theIndexAndTheHitsOfASearch()
    {
        TempWorkDir dir;
        seed(dir);
        QCOMPARE(runCli(dir.path(), args({"index", "--all"})).exitCode, 0);
        ProgramRun run = publish(
            dir.path(), args({"--format", "html", "--group", "volume", "--index", "--output", "mind.html"}));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(QStringLiteral("10 entries")), qPrintable(run.err));
        run = publish(dir.path(), args({"--format", "odt", "--group", "none", "--term", "Csizmadia",
                                        "--output", "cs.odt"}));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(QStringLiteral("2 entries")), qPrintable(run.err));
        QVERIFY(QFileInfo(dir.file(QStringLiteral("cs.odt"))).size() > 0);
    }

    // The working folder's tables extend the shipped ones: a given name the
    // program does not know turns its name, and a role gets an abbreviation.
    void theWorkingFolderExtendsTheTables()
    {
        TempWorkDir dir;
        seed(dir);
        const QString line = QStringLiteral(
            "Ma00000100**könyv**Tárgy**01Ljubov Kuzmina**03Kiss Anna**03**04**Versek********1999**"
            "**Moszkva******0**orosz**papír");
        TextFile::writeUnicode(dir.file(QStringLiteral("orosz.rtf")), {line});
        const auto entry = [&dir] {
            const ProgramRun run = publish(
                dir.path(), args({"--format", "html", "--group", "none", "orosz.rtf", "--output", "o.html"}));
            return QString::fromUtf8(dir.readBytes(QStringLiteral("o.html")));
        };
        QVERIFY(entry().contains(
            QStringLiteral("Ljubov Kuzmina: <i>Versek</i> / ford. Kiss Anna. – Moszkva, 1999.")));
        dir.writeBytes(QStringLiteral("utonevek.tsv"), "Ljubov\tidegen\n");
        dir.writeBytes(QStringLiteral("szerepek.tsv"), "Fordító\tközlés\tfordította\n");
        QVERIFY(entry().contains(
            QStringLiteral("Kuzmina, Ljubov: <i>Versek</i> / fordította Kiss Anna. – Moszkva, 1999.")));
    }

    void wrongUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no format") << args({"konyv.rtf", "--output", "x.pdf"});
        QTest::newRow("unknown format") << args({"--format", "rtf", "konyv.rtf", "--output", "x.pdf"});
        QTest::newRow("no output") << args({"--format", "pdf", "konyv.rtf"});
        QTest::newRow("two sources") << args(
            {"--format", "pdf", "konyv.rtf", "--index", "--output", "x.pdf"});
        QTest::newRow("no source") << args({"--format", "pdf", "--output", "x.pdf"});
        QTest::newRow("unknown grouping")
            << args({"--format", "pdf", "--group", "year", "konyv.rtf", "--output", "x.pdf"});
        QTest::newRow("unknown paper")
            << args({"--format", "pdf", "--paper", "a3", "konyv.rtf", "--output", "x.pdf"});
        QTest::newRow("the database itself")
            << args({"--format", "html", "konyv.rtf", "--output", "konyv.rtf"});
    }
    void wrongUsage()
    {
        QFETCH(QStringList, arguments);
        TempWorkDir dir;
        seed(dir);
        const QByteArray database = dir.readBytes(QStringLiteral("konyv.rtf"));
        QCOMPARE(publish(dir.path(), arguments).exitCode, 2);
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("x.pdf"))));
        QCOMPARE(dir.readBytes(QStringLiteral("konyv.rtf")), database);
    }

    void aMissingSubjectTreeIsReported()
    {
        TempWorkDir dir;
        seed(dir);
        const ProgramRun run =
            publish(dir.path(),
                    args({"--format", "pdf", "--subjects", "nincs.zda", "konyv.rtf", "--output", "x.pdf"}));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Cannot open file")), qPrintable(run.err));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("x.pdf"))));
    }
};

QTEST_GUILESS_MAIN(TestCliPublish)
#include "tst_clipublish.moc"
