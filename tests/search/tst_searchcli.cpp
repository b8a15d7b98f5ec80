#include "ScriptedDialogs.h"
#include "SearchFixtures.h"
#include "TestSupport.h"

#include "core/record/LookupList.h"
#include "core/record/Win1250.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"

#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

namespace {

ProgramRun runCli(const QString& folder, const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI), QStringList{QStringLiteral("search")} + args, folder);
}

// Three chunks of records with varied creators, titles, places and flags.
void writeIndex(const TempWorkDir& dir)
{
    const QStringList families = {QStringLiteral("Kovács"), QStringLiteral("Nagy"),
                                  QStringLiteral("Kovácsné"), QStringLiteral("Petőfi"),
                                  QStringLiteral("Arany")};
    const QStringList places = {QStringLiteral("Szeged"), QStringLiteral("Budapest"), QString()};
    int n = 0;
    for (int chunk = 1; chunk <= 3; ++chunk) {
        QStringList lines;
        for (int i = 0; i < 40; ++i, ++n) {
            Rec r;
            r.name = (n % 3 ? QStringLiteral("Ka") : QStringLiteral("Lu")) +
                     QStringLiteral("%1").arg(n + 1, 6, 10, QLatin1Char('0')) + QStringLiteral("00");
            r.creators[0] = QStringLiteral("01") + families[n % 5] + QStringLiteral(" Ödön");
            r.creators[2] = n % 4 ? QStringLiteral("03") : QStringLiteral("03") + families[(n + 2) % 5];
            r.title = families[(n + 1) % 5] + QStringLiteral(" élete");
            r.place = places[n % 3];
            r.translated = n % 2 ? QStringLiteral("1") : QStringLiteral("0");
            lines.append(r.line());
        }
        writeChunk(dir.path(), QStringLiteral("adatb%1.ztf").arg(chunk), lines);
    }
    writeRoles(dir.path());
}

QStringList engineNames(const QString& folder, const SearchCriteria& criteria)
{
    QList<QByteArray> roles = LookupList::read8Bit(QDir(folder).filePath(QStringLiteral("szerep.zda")));
    SearchEngine engine(criteria, roles);
    CollectingSink sink;
    engine.run(folder, sink);
    return sink.names;
}

} // namespace

class TestSearchCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesEqualTheEngines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<SearchCriteria>("criteria");
        const auto term = [](const QString& text) {
            SearchCriteria c;
            c.term = text;
            return c;
        };
        QTest::newRow("term") << QStringList{QStringLiteral("--term"), QStringLiteral("Kovács")}
                              << term(QStringLiteral("Kovács"));
        SearchCriteria titleOnly = term(QStringLiteral("Kovács"));
        titleOnly.termFields.fill(false);
        titleOnly.termFields[2] = true;
        titleOnly.termFields[11] = true;
        QTest::newRow("fields") << QStringList{QStringLiteral("--term=Kovács"), QStringLiteral("--fields"),
                                               QStringLiteral("title,note")}
                                << titleOnly;
        SearchCriteria word = term(QStringLiteral("Kovács"));
        word.matchKind = SearchCriteria::MatchKind::Word;
        QTest::newRow("word") << QStringList{QStringLiteral("--term"), QStringLiteral("Kovács"),
                                             QStringLiteral("--word")}
                              << word;
        SearchCriteria folded = term(QStringLiteral("KOVACS"));
        folded.folded = true;
        folded.restrictions[SearchCriteria::Place] = {true, QStringLiteral("szeged")};
        QTest::newRow("fold") << QStringList{QStringLiteral("--term"), QStringLiteral("KOVACS"),
                                             QStringLiteral("--place"), QStringLiteral("szeged"),
                                             QStringLiteral("--fold")}
                              << folded;
        SearchCriteria both;
        both.mode = SearchCriteria::Mode::SeveralTerms;
        both.terms = {QStringLiteral("Petőfi"), QStringLiteral("Arany")};
        QTest::newRow("és") << QStringList{QStringLiteral("--terms"), QStringLiteral("Petőfi,Arany")} << both;
        SearchCriteria either = both;
        either.connective = SearchCriteria::Connective::Or;
        QTest::newRow("vagy") << QStringList{QStringLiteral("--term-list"), QStringLiteral("Petőfi"),
                                             QStringLiteral("--term-list"), QStringLiteral("Arany"),
                                             QStringLiteral("--or")}
                              << either;
        SearchCriteria volume;
        volume.restrictions[SearchCriteria::Volume] = {true, QStringLiteral("Lunvek")};
        volume.translationChecked = true;
        volume.translationYes = false;
        QTest::newRow("volume, not translated")
            << QStringList{QStringLiteral("--volume"), QStringLiteral("Lunvek"),
                           QStringLiteral("--translated"), QStringLiteral("no")}
            << volume;
        SearchCriteria role;
        role.restrictions[SearchCriteria::Role] = {true, QStringLiteral("Fordító")};
        role.restrictions[SearchCriteria::Place] = {true, QStringLiteral("Szeged")};
        QTest::newRow("role and place") << QStringList{QStringLiteral("--role"), QStringLiteral("Fordító"),
                                                       QStringLiteral("--place"), QStringLiteral("Szeged")}
                                        << role;
    }
    void namesEqualTheEngines()
    {
        QFETCH(QStringList, args);
        QFETCH(SearchCriteria, criteria);
        TempWorkDir dir;
        writeIndex(dir);
        const QStringList expected = engineNames(dir.path(), criteria);
        QVERIFY(!expected.isEmpty());
        for (const QString& threads : {QStringLiteral("1"), QStringLiteral("3")}) {
            const ProgramRun run =
                runCli(dir.path(), args + QStringList{QStringLiteral("--threads"), threads});
            QCOMPARE(run.exitCode, 0);
            // Standard error holds only the hit count.
            QCOMPARE(run.err, QStringLiteral("%1 találat\n").arg(expected.size()));
            QCOMPARE(run.out, expected.join(u'\n') + u'\n');
        }
    }

    void outputEqualsTheDialogs()
    {
        TempWorkDir dir;
        writeIndex(dir);
        ScriptedDialogs dialogs;
        HitsPage page;
        SearchDialog dialog;
        dialog.setStartDir(dir.path());
        dialog.setHitsPage(&page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("edit_1"));
        for (const QChar c : QStringLiteral("Ödön"))
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("gomb_keres")), Qt::LeftButton);

        QStringList listed;
        const QAbstractItemModel* hits = page.findChild<QListView*>(QStringLiteral("lb_talalat"))->model();
        for (int row = 0; row < hits->rowCount(); ++row)
            listed.append(hits->index(row, 0).data().toString());
        QCOMPARE(listed.size(), 120);

        const ProgramRun names = runCli(dir.path(), {QStringLiteral("--term"), QStringLiteral("Ödön")});
        QCOMPARE(names.out, listed.join(u'\n') + u'\n');
        const ProgramRun text =
            runCli(dir.path(), {QStringLiteral("--term"), QStringLiteral("Ödön"), QStringLiteral("--text")});
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(text.out, page.findChild<QTextEdit*>(QStringLiteral("re_tal"))->toPlainText());
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("no criteria") << QStringList{QStringLiteral("--translated"), QStringLiteral("yes")}
                                     << 2 << QStringLiteral("give a term");
        QTest::newRow("unknown field") << QStringList{QStringLiteral("--term"), QStringLiteral("x"),
                                                      QStringLiteral("--fields"), QStringLiteral("tittle")}
                                       << 2 << QStringLiteral("unknown field \"tittle\"");
        QTest::newRow("both term kinds") << QStringList{QStringLiteral("--term"), QStringLiteral("x"),
                                                        QStringLiteral("--terms"), QStringLiteral("y")}
                                         << 2 << QStringLiteral("--term cannot be combined");
        QTest::newRow("bad flag") << QStringList{QStringLiteral("--term"), QStringLiteral("x"),
                                                 QStringLiteral("--translated"), QStringLiteral("igen")}
                                  << 2 << QStringLiteral("--translated takes yes or no");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--colour")} << 2 << QStringLiteral("Unknown option 'colour'");
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        TempWorkDir dir;
        writeIndex(dir);
        const ProgramRun run = runCli(dir.path(), args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(error), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }

    void unreadableChunkKeepsTheEarlierHits()
    {
        TempWorkDir dir;
        writeIndex(dir);
        QFile::remove(dir.file(QStringLiteral("adatb2.ztf")));
        QVERIFY(QFile::link(dir.file(QStringLiteral("gone")), dir.file(QStringLiteral("adatb2.ztf"))));
        const ProgramRun run = runCli(dir.path(), {QStringLiteral("--term"), QStringLiteral("Ödön")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out.count(u'\n'), 40);
        QCOMPARE(run.err.trimmed(),
                 QStringLiteral("norla-cli: ") + cannotOpenFile(dir.file(QStringLiteral("adatb2.ztf"))));
    }

    // A full disk must not pass for a search that printed its hits.
    void fullOutputIsAFailure()
    {
        TempWorkDir dir;
        writeIndex(dir);
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(NORLA_CLI),
                      {QStringLiteral("search"), QStringLiteral("--term"), QStringLiteral("Ödön")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(u"cannot write the results"));
    }

    void helpDocumentsTheOptions()
    {
        const ProgramRun run = runCli(QDir::tempPath(), {QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        for (const char* option :
             {"--term", "--terms", "--term-list", "--and", "--or", "--word", "--fields", "--volume", "--type",
              "--creator", "--role", "--publisher", "--place", "--medium", "--language", "--translated",
              "--text", "volumenumber", "annualrun"})
            QVERIFY2(run.out.contains(QString::fromLatin1(option)), option);
    }
};

QTEST_MAIN(TestSearchCli)
#include "tst_searchcli.moc"
