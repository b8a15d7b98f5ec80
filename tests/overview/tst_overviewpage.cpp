#include "JobCheckpoints.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/index/IndexBuilder.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "ui/overview/OverviewPage.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RecordEditor.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QDialog>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The overview page in the program, on the indexed sample folder: a click on
// a bar gives the hits norla-cli gives for the same search, and the charts
// and the counts are saved.
class TestOverviewPage final : public QObject
{
    Q_OBJECT

private:
    // Clicks the middle of the bar whose label starts with `label`.
    static bool clickBar(QChartView* view, const QString& label)
    {
        auto* series = qobject_cast<QHorizontalBarSeries*>(view->chart()->series().constFirst());
        auto* axis = qobject_cast<QBarCategoryAxis*>(view->chart()->axes(Qt::Vertical).constFirst());
        if (!series || !axis)
            return false;
        const QStringList categories = axis->categories();
        qsizetype bar = 0;
        while (bar < categories.size() && !categories.at(bar).startsWith(label + QStringLiteral(" (")))
            ++bar;
        if (bar == categories.size())
            return false;
        const QPointF value(series->barSets().constFirst()->at(bar) / 2, qreal(bar));
        const QPoint at =
            view->mapFromScene(view->chart()->mapToScene(view->chart()->mapToPosition(value, series)));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        return true;
    }

    static QStringList cliHits(const QString& dir, const QStringList& args)
    {
        return runProgram(QStringLiteral(NORLA_CLI), QStringList{QStringLiteral("search")} + args, dir)
            .out.split(u'\n', Qt::SkipEmptyParts);
    }

    // The sample folder with its index set, as ./run.sh leaves it.
    static void seedIndexedSample(const TempWorkDir& dir)
    {
        dir.seedFromSample();
        IndexBuilder(dir.path()).build(IndexBuilder::offeredDatabases(dir.path()));
    }

    // Shows the window and, once its first activation has shown "Tallózás",
    // the overview page; null when that does not happen.
    static OverviewPage* openOverview(MainWindow& main)
    {
        main.show();
        if (!QTest::qWaitFor([&main] { return main.currentPage() == int(MainWindow::BrowsePageIndex); }))
            return nullptr;
        main.showPage(MainWindow::OverviewPageIndex);
        return main.findChild<OverviewPage*>(QStringLiteral("lap_attekintes"));
    }

    // The sample folder, indexed from one more database of 36 records over
    // 18 decades (1850–2029) in 20 languages.
    static void seedManyValues(const TempWorkDir& dir)
    {
        dir.seedFromSample();
        QStringList lines;
        int n = 0;
        for (int decade = 1850; decade <= 2020; decade += 10) {
            for (int k = 0; k < 2; ++k) {
                QStringList f(RecordLine::FieldCount);
                f[0] = QStringLiteral("Ma%1").arg(++n, 6, 10, QLatin1Char('0')) + QStringLiteral("00");
                f[1] = QStringLiteral("könyv");
                f[3] = QStringLiteral("01Szerző %1").arg(n);
                f[4] = QStringLiteral("02");
                f[5] = QStringLiteral("03");
                f[6] = QStringLiteral("04");
                f[7] = QStringLiteral("Cím %1").arg(n);
                f[11] = QString::number(decade + 3 * k);
                f[16] = QStringLiteral("0");
                // No language is a part of another: a restriction finds each alone.
                f[17] = QChar(u'a' + n % 20) + QStringLiteral("nyelv");
                f[18] = QStringLiteral("papír");
                lines.append(RecordLine::join(f));
            }
        }
        TextFile::writeUnicode(dir.file(QStringLiteral("sok.rtf")), lines);
        IndexBuilder(dir.path()).build({QStringLiteral("sok.rtf")});
    }

    static QStringList categories(QChartView* view)
    {
        auto* axis = qobject_cast<QBarCategoryAxis*>(view->chart()->axes(Qt::Vertical).constFirst());
        return axis ? axis->categories() : QStringList();
    }

    static QStringList pageHits(MainWindow& main)
    {
        QStringList hits;
        const ByteStringList& names = main.hitsPage()->hitNames();
        for (qsizetype i = 0; i < names.size(); ++i)
            hits.append(QString::fromLatin1(names.at(i)));
        return hits;
    }

private slots:
    void barLeadsToItsRecords_data()
    {
        QTest::addColumn<QString>("chart");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("cliArgs");
        QTest::addColumn<int>("restriction");
        QTest::newRow("volume Kardel") << QStringLiteral("overviewChart_volume") << QStringLiteral("Kardel")
                                       << QStringList{QStringLiteral("--volume"), QStringLiteral("Kardel")}
                                       << int(SearchCriteria::Volume);
        QTest::newRow("type könyv") << QStringLiteral("overviewChart_recordType") << QStringLiteral("könyv")
                                    << QStringList{QStringLiteral("--type"), QStringLiteral("könyv")}
                                    << int(SearchCriteria::RecordType);
        QTest::newRow("decade 1990") << QStringLiteral("overviewChart_decade") << QStringLiteral("1990–1999")
                                     << QStringList{QStringLiteral("--terms"),
                                                    QStringLiteral("1990,1991,1992,1993,1994,1995,1996,1997,"
                                                                   "1998,1999"),
                                                    QStringLiteral("--or"),
                                                    QStringLiteral("--word"),
                                                    QStringLiteral("--fields"),
                                                    QStringLiteral("year")}
                                     << -1;
    }
    void barLeadsToItsRecords()
    {
        QFETCH(QString, chart);
        QFETCH(QString, label);
        QFETCH(QStringList, cliArgs);
        QFETCH(int, restriction);
        TempWorkDir dir;
        seedIndexedSample(dir);
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        auto* page = openOverview(main);
        QVERIFY(page);
        QTRY_VERIFY(page->summary().has_value());
        QCOMPARE(page->summary()->records, 100);

        QChartView* view = nullptr;
        QTRY_VERIFY((view = page->findChild<QChartView*>(chart)) && view->isVisible());
        QVERIFY(clickBar(view, label));
        QTRY_COMPARE(main.currentPage(), int(MainWindow::HitsPageIndex));
        const QStringList expected = cliHits(dir.path(), cliArgs);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(pageHits(main), expected);
        // The search dialog is left as if the user had asked the search there.
        const SearchCriteria asked = program.searchDialog().criteria();
        if (restriction >= 0) {
            QVERIFY(asked.restrictions[size_t(restriction)].checked);
            QCOMPARE(asked.restrictions[size_t(restriction)].text, label);
        } else {
            QCOMPARE(asked.terms.size(), 10);
        }
    }

    // The decade chart keeps the newest decades and adds the oldest up in
    // "korábbi", which searches their years; an "egyéb" bar lists its values,
    // and a click on one searches it.
    void foldedBarsLeadToTheirRecords()
    {
        TempWorkDir dir;
        seedManyValues(dir);
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        auto* page = openOverview(main);
        QVERIFY(page);
        QTRY_VERIFY(page->summary().has_value());
        QCOMPARE(page->summary()->records, 36);

        QChartView* decades = nullptr;
        QTRY_VERIFY((decades = page->findChild<QChartView*>(QStringLiteral("overviewChart_decade"))) &&
                    decades->isVisible());
        // Drawn bottom up: the newest decade at the bottom, "korábbi" on top.
        const QStringList shown = categories(decades);
        QCOMPARE(shown.size(), 15);
        QCOMPARE(shown.constFirst(), QStringLiteral("2020–2029 (2)"));
        QCOMPARE(shown.constLast(), QStringLiteral("korábbi (8)"));
        QVERIFY(clickBar(decades, QStringLiteral("korábbi")));
        QTRY_COMPARE(main.currentPage(), int(MainWindow::HitsPageIndex));
        QStringList years;
        for (int year = 1850; year < 1890; ++year)
            years.append(QString::number(year));
        const QStringList expected = cliHits(
            dir.path(), {QStringLiteral("--terms"), years.join(u','), QStringLiteral("--or"),
                         QStringLiteral("--word"), QStringLiteral("--fields"), QStringLiteral("year")});
        QCOMPARE(expected.size(), 8);
        QCOMPARE(pageHits(main), expected);

        main.showPage(MainWindow::OverviewPageIndex);
        auto* languages = page->findChild<QChartView*>(QStringLiteral("overviewChart_language"));
        QTRY_VERIFY(languages && languages->isVisible());
        QCOMPARE(categories(languages).constFirst(), QStringLiteral("egyéb (6 érték) (8)"));
        QVERIFY(clickBar(languages, QStringLiteral("egyéb (6 érték)")));
        QDialog* folded = nullptr;
        QTRY_VERIFY((folded = page->findChild<QDialog*>(QStringLiteral("overviewFoldedValues"))) &&
                    folded->isVisible());
        auto* list = folded->findChild<QListWidget*>(QStringLiteral("overviewFoldedValuesList"));
        QCOMPARE(list->count(), 6);
        QListWidgetItem* item = list->item(2);
        const QString language = item->text().section(QStringLiteral(" ("), 0, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        QTRY_COMPARE(main.currentPage(), int(MainWindow::HitsPageIndex));
        QVERIFY(!folded->isVisible());
        QCOMPARE(pageHits(main), cliHits(dir.path(), {QStringLiteral("--language"), language}));
        QCOMPARE(program.searchDialog().criteria().restrictions[SearchCriteria::Language].text, language);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void chartsAndCountsAreSaved()
    {
        TempWorkDir dir;
        seedIndexedSample(dir);
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        auto* page = openOverview(main);
        QVERIFY(page);
        QTRY_VERIFY(page->findChild<QPushButton*>(QStringLiteral("overviewSaveChart_volume")));

        dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("kotet.svg")));
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("overviewSaveChart_volume")),
                          Qt::LeftButton);
        dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("kotet")));
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("overviewSaveChart_volume")),
                          Qt::LeftButton);
        dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("osszes.csv")));
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("overviewSaveCsv")), Qt::LeftButton);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(dir.readBytes(QStringLiteral("kotet.svg")).contains("<svg"));
        QVERIFY(QImage(dir.file(QStringLiteral("kotet.png"))).width() > 0);
        QVERIFY(dir.readBytes(QStringLiteral("osszes.csv")).startsWith("\xEF\xBB\xBFSzempont;"));

        // A folder that cannot take the file: a message, and nothing claimed.
        dialogs.saveFileAnswers.enqueue(dir.file(QStringLiteral("nincs/osszes.csv")));
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("overviewSaveCsv")), Qt::LeftButton);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("nincs/osszes.csv"))));
    }

    // "Leállítás" stops a count; the page keeps the counts it showed.
    void stopKeepsTheCountsShown()
    {
        TempWorkDir dir;
        seedIndexedSample(dir);
        IndexBuilder builder(dir.path());
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        auto* page = openOverview(main);
        QVERIFY(page);
        QTRY_VERIFY(page->summary().has_value());
        auto* refresh = page->findChild<QPushButton*>(QStringLiteral("overviewRefresh"));
        auto* stop = page->findChild<QPushButton*>(QStringLiteral("overviewStop"));
        // The index now holds one database: a count to the end would show fewer records.
        builder.build({QStringLiteral("kotetek1.rtf")});
        {
            const JobCheckpoints checks(page, [&](int check) {
                if (check == 1)
                    stop->click();
            });
            refresh->click();
            QCOMPARE(checks.count(), 1);
        }
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(page->summary()->records, 100);
        QVERIFY(!stop->isVisible() && refresh->isEnabled());
        refresh->click();
        QVERIFY(page->summary()->records > 0 && page->summary()->records < 100);
    }

    // The toggle counts the open database instead of the index; with none
    // open the page says so.
    void sourceToggleCountsTheOpenDatabase()
    {
        TempWorkDir dir;
        dir.seedFromSample();
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        auto* page = openOverview(main);
        QVERIFY(page);
        auto* status = page->findChild<QLabel*>(QStringLiteral("overviewStatus"));
        // No index yet: an empty count that says how to make one.
        QTRY_VERIFY(page->summary().has_value());
        QCOMPARE(page->summary()->records, 0);
        QVERIFY(status->text().contains(QStringLiteral("Indexelés")));

        page->findChild<QRadioButton*>(QStringLiteral("overviewDatabaseSource"))->click();
        QVERIFY(!page->summary().has_value());
        QCOMPARE(status->text(), QStringLiteral("Nincs megnyitott adatbázis."));

        main.editor().loadDatabase(dir.file(QStringLiteral("kotetek1.rtf")));
        const int lines = main.document().lineCount();
        QVERIFY(lines > 0);
        page->findChild<QPushButton*>(QStringLiteral("overviewRefresh"))->click();
        QTRY_VERIFY(page->summary().has_value());
        QCOMPARE(page->summary()->records, lines);
        QCOMPARE(page->summary()->source, Overview::Source::Database);
        QCOMPARE(page->summary()->of(Overview::Dimension::Database).constFirst().label,
                 QStringLiteral("kotetek1.rtf"));
    }
};

QTEST_MAIN(TestOverviewPage)
#include "tst_overviewpage.moc"
