// "Fájl" > "Exportálás..." driven through the menu bar with the mouse, on an
// open database: the format follows the extension chosen in the save dialog,
// the file holds every record of the open document, an existing file is
// replaced whole once the user agrees, and a refused choice writes nothing.

#include "WorkspaceFixture.h"

#include "core/exchange/RecordExporter.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* menuBarEntry(QMenuBar* bar, const QString& title)
{
    for (QAction* action : bar->actions())
        if (action->text() == title)
            return action;
    return nullptr;
}

// Clicks "Fájl" in the menu bar, then "Exportálás..." in the menu it opens.
void clickExportInFileMenu(WorkspaceFixture& f)
{
    QMenuBar* bar = f.window().menuBar();
    QAction* fileEntry = menuBarEntry(bar, QStringLiteral("Fájl"));
    QVERIFY(fileEntry);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(fileEntry).center());
    QMenu* fileMenu = fileEntry->menu();
    QVERIFY(fileMenu);
    QTRY_VERIFY(fileMenu->isVisible());
    QAction* exportAction = f.action(QStringLiteral("menu0_export"));
    QVERIFY(exportAction);
    QCOMPARE(exportAction->text(), QStringLiteral("Exportálás..."));
    QVERIFY(fileMenu->actions().contains(exportAction));
    QVERIFY(exportAction->isEnabled());
    QTest::mouseClick(fileMenu, Qt::LeftButton, {}, fileMenu->actionGeometry(exportAction).center());
    QTRY_VERIFY(!fileMenu->isVisible());
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestExportMenu : public QObject
{
    Q_OBJECT

private slots:
    void exportsOpenDatabase_data();
    void exportsOpenDatabase();
    void replacesExistingFileWhole_data();
    void replacesExistingFileWhole();
    void refusedChoiceWritesNothing_data();
    void refusedChoiceWritesNothing();
};

void TestExportMenu::exportsOpenDatabase_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("bibtex") << "ki.bib" << int(ExportFormat::BibTeX) << QByteArray("@book{Ka00012300,\n");
    QTest::newRow("ris") << "ki.RIS" << int(ExportFormat::Ris)
                         << QByteArray("TY  - BOOK\r\nID  - Ka00012300\r\n");
    QTest::newRow("csv") << "ki.csv" << int(ExportFormat::Csv) << QByteArray("\xEF\xBB\xBF");
}

void TestExportMenu::exportsOpenDatabase()
{
    QFETCH(QString, fileName);
    QFETCH(int, format);
    QFETCH(QByteArray, start);
    WorkspaceFixture f;
    f.openSample();
    const QString target = f.dir.file(fileName);
    f.dialogs.saveFileAnswers.enqueue(target);

    clickExportInFileMenu(f);

    QVERIFY(f.dialogs.saveFileAnswers.isEmpty());
    QCOMPARE(f.dialogs.fileDialogTitles.last(), QStringLiteral("Exportálás"));
    QVERIFY(f.dialogs.messages.isEmpty());
    const QByteArray written = fileBytes(target);
    QVERIFY(written.startsWith(start));
    QCOMPARE(written, RecordExporter::encodeAll(ExportFormat(format), WorkspaceFixture::sampleLines()));
    // Every record is there, the last one too.
    QVERIFY(written.contains("Ze0010000a"));
}

void TestExportMenu::replacesExistingFileWhole_data()
{
    QTest::addColumn<bool>("agree");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

// An existing file is replaced only after a yes, and then only once the new
// one is whole; a no leaves it as it was.
void TestExportMenu::replacesExistingFileWhole()
{
    QFETCH(bool, agree);
    WorkspaceFixture f;
    f.openSample();
    const QByteArray earlier = "TY  - GEN\r\nTI  - régi\r\nER  - \r\n";
    f.dir.writeBytes(QStringLiteral("regi.ris"), earlier);
    const QString target = f.dir.file(QStringLiteral("regi.ris"));
    f.dialogs.saveFileAnswers.enqueue(target);
    f.dialogs.yesNoAnswers.enqueue(agree);

    clickExportInFileMenu(f);

    QCOMPARE(
        f.dialogs.questions,
        QStringList{
            QStringLiteral("A(z) %1 fájl már létezik. Lecseréljem az exportált rekordokra?").arg(target)});
    QCOMPARE(fileBytes(target),
             agree ? RecordExporter::encodeAll(ExportFormat::Ris, WorkspaceFixture::sampleLines()) : earlier);
    QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("regi.ris*")}, QDir::Files),
             QStringList{QStringLiteral("regi.ris")});
}

void TestExportMenu::refusedChoiceWritesNothing_data()
{
    QTest::addColumn<QString>("fileName"); // empty: the dialog was cancelled
    QTest::addColumn<QString>("message");
    QTest::newRow("cancelled") << QString() << QString();
    QTest::newRow("unknown extension")
        << "ki.txt"
        << "Az exportálás formátuma a fájl kiterjesztéséből derül ki: .bib "
           "(BibTeX), .ris (RIS) vagy .csv (CSV). A(z) %1 fájl nem készült el.";
}

void TestExportMenu::refusedChoiceWritesNothing()
{
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    WorkspaceFixture f;
    f.openSample();
    const QString target = fileName.isEmpty() ? QString() : f.dir.file(fileName);
    const QStringList before = QDir(f.dir.path()).entryList(QDir::Files);
    f.dialogs.saveFileAnswers.enqueue(target);

    clickExportInFileMenu(f);

    QVERIFY(f.dialogs.saveFileAnswers.isEmpty());
    QCOMPARE(f.dialogs.messages, message.isEmpty() ? QStringList() : QStringList{message.arg(target)});
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), before);
}

QTEST_MAIN(TestExportMenu)
#include "tst_exportmenu.moc"
