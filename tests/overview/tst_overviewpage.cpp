#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/index/IndexBuilder.h"
#include "ui/overview/OverviewPage.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"
#include "ui/workspace/MainWindow.h"

#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QHorizontalBarSeries>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

// The overview page in the program, on the indexed sample folder: a click on
// a bar gives the hits norla-cli gives for the same search, and the charts
// and the counts are saved.
class TestOverviewPage final : public QObject
{
    Q_OBJECT

private slots:
    void barLeadsToItsRecords()
    {
        TempWorkDir dir;
        dir.seedFromSample();
        IndexBuilder builder(dir.path());
        builder.build(IndexBuilder::offeredDatabases(dir.path()));
        ScriptedDialogs dialogs;
        NorlaProgram program;
        MainWindow& main = program.mainWindow();
        main.show();
        // The first activation shows "Tallózás"; the overview is opened after it.
        QTRY_COMPARE(main.currentPage(), int(MainWindow::BrowsePageIndex));
        main.showPage(MainWindow::OverviewPageIndex);
        auto* page = main.findChild<OverviewPage*>(QStringLiteral("lap_attekintes"));
        QVERIFY(page);
        QTRY_VERIFY(page->summary().has_value());
        QCOMPARE(page->summary()->records, 100);

        // The page counts again when it is shown; the charts of the last count stay.
        QChartView* view = nullptr;
        QTRY_VERIFY((view = page->findChild<QChartView*>(QStringLiteral("overviewChart_volume"))) &&
                    view->isVisible());
        auto* series = qobject_cast<QHorizontalBarSeries*>(view->chart()->series().first());
        QVERIFY(series);
        // Kardel is the top bar, the last category of the series.
        const int kardel = int(series->barSets().first()->count()) - 1;
        const QPointF value(series->barSets().first()->at(kardel) / 2, kardel);
        const QPoint at =
            view->mapFromScene(view->chart()->mapToScene(view->chart()->mapToPosition(value, series)));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(main.currentPage(), int(MainWindow::HitsPageIndex));

        QProcess cli;
        cli.setWorkingDirectory(dir.path());
        cli.start(QStringLiteral(NORLA_CLI),
                  {QStringLiteral("search"), QStringLiteral("--volume"), QStringLiteral("Kardel")});
        QVERIFY(cli.waitForFinished(60000));
        const QStringList expected =
            QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QStringList hits;
        const ByteStringList& names = main.hitsPage()->hitNames();
        for (qsizetype i = 0; i < names.size(); ++i)
            hits.append(QString::fromLatin1(names.at(i)));
        QCOMPARE(hits, expected);
        QCOMPARE(hits.size(), 12);
        const SearchCriteria asked = program.searchDialog().criteria();
        QVERIFY(asked.restrictions[SearchCriteria::Volume].checked);
        QCOMPARE(asked.restrictions[SearchCriteria::Volume].text, QStringLiteral("Kardel"));

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
        QVERIFY(dir.readBytes(QStringLiteral("osszes.csv")).startsWith("Szempont;"));
    }
};

QTEST_MAIN(TestOverviewPage)
#include "tst_overviewpage.moc"
