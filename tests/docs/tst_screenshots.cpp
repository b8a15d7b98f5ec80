#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/CheckFeatures.h"
#include "app/NorlaProgram.h"
#include "core/index/IndexBuilder.h"
#include "ui/index/IndexDialog.h"
#include "ui/overview/OverviewPage.h"
#include "ui/search/SearchDialog.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/spelling/SpellingReportDialog.h"
#include "ui/spelling/SpellingUnderline.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RecordEditor.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

// Takes the pictures of the README and the user guide from the real windows
// on the sample folder, so they show the program as it is. With
// NORLA_SCREENSHOT_DIR set (scripts/make-screenshots.sh) they are written
// there; otherwise into a temporary folder, and the run only checks that
// each picture comes out and shows something.
class TestScreenshots final : public QObject
{
    Q_OBJECT

private:
    template <typename T = QWidget> T* find(QWidget& root, const QString& name)
    {
        T* found = root.findChild<T*>(name);
        if (!found)
            qWarning("no control named %s", qPrintable(name));
        return found;
    }

    static void click(QAbstractButton* button)
    {
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void save(QWidget& widget, const QString& name, const QRect& area = QRect(QPoint(0, 0), QSize(-1, -1)))
    {
        QApplication::processEvents();
        saveImage(widget.grab(area).toImage(), name);
    }

    void saveImage(const QImage& image, const QString& name)
    {
        // A palette of 256 colours and the strongest compression keep the
        // committed pictures small; windows hold few colours anyway.
        const QImage picture =
            image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
        const QString path = m_outDir.filePath(name + QStringLiteral(".png"));
        QVERIFY2(picture.save(path, "PNG", 0), qPrintable(path));
        m_saved.append(path);
    }

    // "Not blank": a real window shows text, frames and fields, so a grid of
    // samples over it meets many colours; an empty or failed grab meets one.
    static int colourCount(const QImage& image)
    {
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7)
                colours.insert(image.pixel(x, y));
        return int(colours.size());
    }

    QTemporaryDir m_tempOut;
    QDir m_outDir;
    QStringList m_saved;
    std::unique_ptr<TempWorkDir> m_work;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<NorlaProgram> m_program;

private slots:
    void initTestCase()
    {
        const QByteArray target = qgetenv("NORLA_SCREENSHOT_DIR");
        m_outDir = QDir(target.isEmpty() ? m_tempOut.path() : QString::fromLocal8Bit(target));
        QVERIFY(m_outDir.mkpath(QStringLiteral(".")));

        // The sample folder as ./run.sh leaves it: copied and indexed.
        m_work = std::make_unique<TempWorkDir>();
        m_work->seedFromSample();
        IndexBuilder(m_work->path()).build(IndexBuilder::offeredDatabases(m_work->path()));
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_program = std::make_unique<NorlaProgram>();
        MainWindow& window = m_program->mainWindow();
        window.resize(1000, 680);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    void browsePage()
    {
        // The first activation shows every indexed record on "Tallózás".
        MainWindow& window = m_program->mainWindow();
        QCOMPARE(window.currentPage(), int(MainWindow::BrowsePageIndex));
        save(window, QStringLiteral("tallozas"));
    }

    void dataEntryPage()
    {
        MainWindow& window = m_program->mainWindow();
        m_dialogs->openFileAnswers.enqueue(m_work->file(QStringLiteral("kotetek1.rtf")));
        find<QAction>(window, QStringLiteral("menu0_open"))->trigger();
        QApplication::setActiveWindow(&window);
        find<QAction>(window, QStringLiteral("Adatrgzts1"))->trigger();
        QCOMPARE(window.currentPage(), int(MainWindow::EntryPage));
        save(window, QStringLiteral("adatrogzites"));
    }

    // The names a field offers while typing, and what the checks say after F2
    // and over the whole database. The record is put back with undo, so the
    // sample stays as it was.
    void completionAndChecks()
    {
        MainWindow& window = m_program->mainWindow();
        m_program->checkFeatures().waitForLists();
        auto* creator = find<QLineEdit>(window, QStringLiteral("Edit4"));
        QVERIFY(creator);
        creator->setFocus();
        creator->selectAll();
        // Both forms of the sample's name typed with and without accents.
        QTest::keyClicks(creator, QStringLiteral("almasi r"));
        auto* list = find<QListView>(window, QStringLiteral("Edit4_kiegeszites"));
        QVERIFY(list && list->isVisible());
        // The list is a window of its own: painted onto the main window where it stands.
        QPixmap picture = window.grab();
        {
            QPainter painter(&picture);
            painter.drawPixmap(list->mapToGlobal(QPoint(0, 0)) - window.mapToGlobal(QPoint(0, 0)),
                               list->grab());
        }
        QApplication::processEvents();
        // The sample's name typed without accents stands beside its accented form.
        for (const QString& form : {QStringLiteral("Almási Réka"), QStringLiteral("Almasi Reka")})
            QVERIFY2(list->model()
                             ->match(list->model()->index(0, 0), Qt::DisplayRole, form, 1, Qt::MatchExactly)
                             .size() == 1,
                     qPrintable(form));
        saveImage(picture.toImage(), QStringLiteral("kiegeszites"));
        QTest::keyClick(creator, Qt::Key_Escape);

        // The check of the whole database finds what the sample carries.
        find<QAction>(window, QStringLiteral("menu_ellenorzes"))->trigger();
        auto* report = find<QDialog>(window, QStringLiteral("EllenorzesDialog"));
        QVERIFY(report && report->isVisible());
        auto* findings = find<QTreeWidget>(*report, QStringLiteral("lista_ellenorzes"));
        QVERIFY(findings);
        QVERIFY(!findings->findItems(QStringLiteral("19O4"), Qt::MatchContains, 3).isEmpty());
        save(*report, QStringLiteral("ellenorzes"));
        report->hide();
        QVERIFY(!window.document().isModified());
    }

    void searchDialogAndHits()
    {
        SearchDialog& dialog = m_program->searchDialog();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* term = find<QLineEdit>(dialog, QStringLiteral("edit_1"));
        QVERIFY(term);
        // insert() edits as typing does; key clicks cannot carry accented letters.
        term->insert(QStringLiteral("Császárkor"));
        click(find<QAbstractButton>(dialog, QStringLiteral("gomb_keres")));
        save(dialog, QStringLiteral("kereses"));
        click(find<QAbstractButton>(dialog, QStringLiteral("gomb_talalatok")));
        dialog.hide();
        MainWindow& window = m_program->mainWindow();
        window.showPage(MainWindow::HitsPageIndex);
        save(window, QStringLiteral("talalatok"));
    }

    void indexDialog()
    {
        IndexDialog& dialog = m_program->indexDialog();
        dialog.setStartDir(m_work->path());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        save(dialog, QStringLiteral("indexeles"));
        dialog.hide();
    }

    void conversionPage()
    {
        MainWindow& window = m_program->mainWindow();
        find<QAction>(window, QStringLiteral("Konvertls1"))->trigger();
        QCOMPARE(window.currentPage(), int(MainWindow::ConvertPage));
        click(find<QAbstractButton>(window, QStringLiteral("rg_konvtipus_1")));
        m_dialogs->openFileAnswers.enqueue(m_work->file(QStringLiteral("regi.zdb")));
        click(find<QAbstractButton>(window, QStringLiteral("gkonv1")));
        click(find<QAbstractButton>(window, QStringLiteral("gkonv2")));
        save(window, QStringLiteral("konvertalas"));
    }

    void settingsDialog()
    {
        SettingsDialog& dialog = m_program->settingsDialog();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        save(dialog, QStringLiteral("beallitasok"));
        dialog.hide();
    }

    void proofreading()
    {
        MainWindow& window = m_program->mainWindow();
        window.editor().goToRecord(0);
        auto* title = find<QLineEdit>(window, QStringLiteral("Edit7"));
        QVERIFY(title);
        const QString before = title->text();
        title->setText(QStringLiteral("A magyar könyvtártörtént forrásai és a gyüjtemények"));
        // The underline appears once the record language's dictionary is in.
        QTRY_VERIFY_WITH_TIMEOUT(!SpellingUnderline::of(title)->ranges().isEmpty(), 20000);
        // The fields panel around "Cím:", from the window's left edge.
        const QRect field(title->mapTo(&window, QPoint(0, 0)), title->size());
        const QRect area(QPoint(0, field.top() - 90), QPoint(field.right() + 20, field.bottom() + 90));
        save(window, QStringLiteral("helyesiras_gepeles"), area);
        title->setText(before);

        find<QAction>(window, QStringLiteral("Helyesrsellenrzs1"))->trigger();
        auto* report = window.findChild<SpellingReportDialog*>();
        QVERIFY(report && report->result());
        report->resize(820, 460);
        auto* words = find<QTreeWidget>(*report, QStringLiteral("tv_helyesszavak"));
        // The picture shows the typo the sample carries, with its suggestions.
        const QList<QTreeWidgetItem*> typos =
            words->findItems(QStringLiteral("tanulmnyok"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(typos.size(), 1);
        QTreeWidgetItem* typo = typos.constFirst();
        words->setCurrentItem(typo);
        words->scrollToItem(typo);
        // The suggestions fill in from a thread of their own; the picture
        // waits for them (and is taken anyway after a while).
        (void)QTest::qWaitFor([typo] { return !typo->text(4).isEmpty(); }, 30000);
        save(*report, QStringLiteral("helyesiras"));
        report->hide();
    }

    // "Áttekintés" over the indexed sample, in a window wide enough for two
    // charts side by side.
    void overviewPage()
    {
        MainWindow& window = m_program->mainWindow();
        const QSize before = window.size();
        window.resize(1280, 860);
        window.showPage(MainWindow::OverviewPageIndex);
        auto* page = find<OverviewPage>(window, QStringLiteral("lap_attekintes"));
        QVERIFY(page);
        QTRY_VERIFY(page->summary().has_value());
        QTRY_VERIFY(page->findChild<QWidget*>(QStringLiteral("overviewChart_volume")) != nullptr);
        save(window, QStringLiteral("attekintes"));
        window.resize(before);
    }

    void everyPictureShowsSomething()
    {
        QCOMPARE(m_saved.size(), 12);
        for (const QString& path : std::as_const(m_saved)) {
            const QImage image(path);
            QVERIFY2(!image.isNull() && image.width() > 200 && image.height() > 150, qPrintable(path));
            QVERIFY2(colourCount(image) >= 8, qPrintable(path));
        }
    }

    void cleanupTestCase()
    {
        // Nothing may be asked on the way out: the sample stays unmodified.
        m_program.reset();
        m_dialogs.reset();
        m_work.reset();
    }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
