// Every writer of the program against the ways a write fails: a read-only
// folder, a full device, a target name taken by a folder and a locked file.
// Each must show "Cannot create file <full path>" with the cause in a second
// line, leave what was there byte for byte (no temporary file left either),
// and leave the program working.
#include "../workspace/WorkspaceFixture.h"
#include "FaultSite.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/record/FileFailure.h"
#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/session/RecoveryCopy.h"
#include "ui/convert/ConversionPage.h"
#include "ui/convert/LinePane.h"
#include "ui/index/IndexDialog.h"
#include "ui/workspace/MainWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

Q_DECLARE_METATYPE(Fault)

namespace {

const QByteArray kEarlierSettings =
    "szelesseg=700\r\nmagassag=500\r\ntop=10\r\nleft=20\r\nfonttipus=DejaVu Sans\r\n"
    "fontnagysag=9\r\ntargymenu=/nincs/menu0.zda\r\nforrastorles=1\r\n";

QStringList recordLines(int count)
{
    QStringList out;
    for (int k = 1; k <= count; ++k)
        out.append(
            QStringLiteral("Ka%1**könyv**tárgy**01Kovács Ödön**02**03**04**cím**sor**Gondolat**1**1990**9 p."
                           "**Budapest**jegyzet****0**magyar**papír")
                .arg(k * 100, 8, 10, QLatin1Char('0')));
    return out;
}

constexpr std::initializer_list<Fault> kAllFaults = {Fault::ImmutableFolder, Fault::ParentIsFile,
                                                     Fault::FullDevice, Fault::TargetIsDirectory,
                                                     Fault::LockedTarget};

// Changes the title of the shown record and saves the record, so the
// document is modified.
void editAndSaveRecord(WorkspaceFixture& f)
{
    f.edit(7)->setText(QStringLiteral("Javított cím"));
    f.action(QStringLiteral("menu3_mentes"))->trigger();
    QVERIFY(f.action(QStringLiteral("menu0_save"))->isEnabled());
}

// A failed save keeps the document modified, so the user can try elsewhere.
void expectStillModified(WorkspaceFixture& f)
{
    QVERIFY(f.action(QStringLiteral("menu0_save"))->isEnabled());
    QVERIFY(f.window().windowTitle().endsWith(QStringLiteral(" *")));
    QVERIFY(f.window().document().isModified());
    QVERIFY(f.window().document().lines().first().contains(QStringLiteral("Javított cím")));
}

// The cause each fault is told by.
FileFailure::Cause causeOf(Fault fault)
{
    switch (fault) {
    case Fault::ImmutableFolder:
        return FileFailure::Cause::ReadOnlyFolder;
    case Fault::ParentIsFile:
        return FileFailure::Cause::FolderMissing;
    case Fault::FullDevice:
        return FileFailure::Cause::DiskFull;
    case Fault::TargetIsDirectory:
        return FileFailure::Cause::IsFolder;
    case Fault::LockedTarget:
        return FileFailure::Cause::ReadOnlyFile;
    }
    return FileFailure::Cause::Other;
}

// "Cannot create file <path>", then the Hungarian line of the fault's cause.
QString cannotCreate(const QString& path, Fault fault)
{
    return QStringLiteral("Cannot create file %1\n").arg(path) +
           FileFailure::explain(FileFailure::Access::Create, causeOf(fault), path, 0);
}

void addFaultRows(std::initializer_list<Fault> faults)
{
    QTest::addColumn<Fault>("fault");
    for (const Fault fault : faults)
        QTest::newRow(faultName(fault)) << fault;
}

#define ARM_OR_SKIP(site)                                                                                    \
    if (!(site).arm())                                                                                       \
        QSKIP(qPrintable((site).unavailable()));

} // namespace

class TestWriterFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Leaving the program writes config.kzs into the start folder.
    void settingsOnLeave_data()
    {
        addFaultRows(
            {Fault::ImmutableFolder, Fault::FullDevice, Fault::TargetIsDirectory, Fault::LockedTarget});
    }
    void settingsOnLeave()
    {
        QFETCH(Fault, fault);
        TempWorkDir base;
        ScriptedDialogs dialogs;
        FaultSite site(fault, base.path(), QStringLiteral("config.kzs"), kEarlierSettings);
        QDir::setCurrent(site.folder());
        // A folder standing in the file's place is there from the start; the
        // other faults can arise while the program runs.
        const bool fromTheStart = fault == Fault::TargetIsDirectory;
        if (fromTheStart) {
            ARM_OR_SKIP(site);
        } else {
            // The fault arises while the program runs: leaving says so, with the cause.
            NorlaProgram program;
            MainWindow& window = program.mainWindow();
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            ARM_OR_SKIP(site);
            dialogs.messages.clear();
            QVERIFY(window.close());
            QCOMPARE(dialogs.messages, QStringList{cannotCreate(site.target(), fault)});
            QCOMPARE(site.changes(), QString());
            dialogs.messages.clear();
        }
        {
            // A fault there from the start (a read-only working folder) is
            // no news at every exit: the settings stay as they were, unsaid.
            NorlaProgram program;
            MainWindow& window = program.mainWindow();
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(window.close());
            QVERIFY(dialogs.messages.isEmpty());
            QCOMPARE(site.changes(), QString());

            // Still working: with the fault gone the next leave writes the file.
            site.lift();
            window.show();
            QVERIFY(window.close());
            QVERIFY(dialogs.messages.isEmpty());
        }
        const QStringList written = TextFile::read8Bit(site.target());
        QCOMPARE(written.size(), 8);
        QVERIFY(written.first().startsWith(QStringLiteral("szelesseg=")));
    }

    // An indexing run replaces the chunk files and the five list files of the
    // start folder as a whole; a file of the new set that cannot be written
    // or put in place stops the run with the earlier set as it was.
    void indexFileSet_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("failing"); // the file the fault sits on
        QTest::addColumn<QString>("named");   // the file the message names
        QTest::newRow("immutable folder")
            << Fault::ImmutableFolder << QStringLiteral("fsz0.zda") << QStringLiteral("adatb1.ztf");
        QTest::newRow("full device") << Fault::FullDevice << QStringLiteral("fsz0.zda")
                                     << QStringLiteral("adatb1.ztf");
        QTest::newRow("chunk is a folder")
            << Fault::TargetIsDirectory << QStringLiteral("adatb1.ztf") << QStringLiteral("adatb1.ztf");
        QTest::newRow("fsz0.zda is a folder")
            << Fault::TargetIsDirectory << QStringLiteral("fsz0.zda") << QStringLiteral("fsz0.zda");
        QTest::newRow("locked fsz1.zda")
            << Fault::LockedTarget << QStringLiteral("fsz1.zda") << QStringLiteral("fsz1.zda");
    }
    void indexFileSet()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, failing);
        QFETCH(QString, named);
        TempWorkDir base;
        ScriptedDialogs dialogs;
        FaultSite site(fault, base.path(), failing, "earlier\r\n");
        // The earlier index file set, with more chunks than the new one, and one
        // database, made before the fault is in place.
        for (const QString& name :
             {QStringLiteral("adatb1.ztf"), QStringLiteral("adatb2.ztf"), QStringLiteral("alkoto.zda"),
              QStringLiteral("kiado.zda"), QStringLiteral("megjhely.zda"), QStringLiteral("fsz0.zda"),
              QStringLiteral("fsz1.zda")})
            if (name != failing)
                TextFile::writeBytes(site.folder() + u'/' + name, "earlier " + name.toUtf8() + "\r\n");
        TextFile::writeUnicode(site.folder() + QStringLiteral("/a.rtf"), recordLines(5));
        ARM_OR_SKIP(site);

        IndexDialog dialog;
        dialog.setStartDir(site.folder());
        dialog.setIndexingFinished(false);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("gomb_mindbe")), Qt::LeftButton);
        auto* run = dialog.findChild<QPushButton*>(QStringLiteral("gomb_index"));
        QTest::mouseClick(run, Qt::LeftButton);

        QCOMPARE(dialogs.messages, QStringList{cannotCreate(site.folder() + u'/' + named, fault)});
        QCOMPARE(site.changes(), QString());
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.indexingFinished());

        // Still working: with the fault gone the same run completes and
        // leaves only the new set.
        site.lift();
        dialogs.messages.clear();
        QTest::mouseClick(run, Qt::LeftButton);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(dialog.indexingFinished());
        QCOMPARE(TextFile::read8Bit(site.folder() + QStringLiteral("/fsz0.zda")).size(), 5);
        QVERIFY(!QFile::exists(site.folder() + QStringLiteral("/adatb2.ztf")));
    }

    // "Adatbázis mentése" writes the document back to the file it came from.
    void databaseSave_data()
    {
        addFaultRows({Fault::ImmutableFolder, Fault::FullDevice, Fault::LockedTarget});
    }
    void databaseSave()
    {
        QFETCH(Fault, fault);
        WorkspaceFixture f;
        const QByteArray earlier = TextFile::encodeUnicode(WorkspaceFixture::sampleLines());
        FaultSite site(fault, f.dir.path(), QStringLiteral("adatok.rtf"), earlier);
        f.open(site.target());
        QCOMPARE(f.window().document().lineCount(), 3);
        ARM_OR_SKIP(site);
        editAndSaveRecord(f);

        f.action(QStringLiteral("menu0_save"))->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{cannotCreate(site.target(), fault)});
        QCOMPARE(site.changes(), QString());
        expectStillModified(f);

        site.lift();
        f.dialogs.messages.clear();
        f.action(QStringLiteral("menu0_save"))->trigger();
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(TextFile::readUnicode(site.target()), f.window().document().lines());
        QVERIFY(!f.action(QStringLiteral("menu0_save"))->isEnabled());
    }

    // A database in a folder that takes no writes is said so once, as it
    // opens: F2 keeps quiet after that (no recovery copy is tried there), and
    // a save names the folder as the cause.
    void readOnlyFolderIsSaidAtOpen()
    {
        WorkspaceFixture f;
        FaultSite site(Fault::ImmutableFolder, f.dir.path(), QStringLiteral("adatok.rtf"),
                       TextFile::encodeUnicode(WorkspaceFixture::sampleLines()));
        ARM_OR_SKIP(site);
        f.open(site.target());
        QCOMPARE(f.window().document().lineCount(), 3);
        QVERIFY(f.dialogs.questions.isEmpty());
        QVERIFY(f.dialogs.messages.isEmpty());
        auto* bar = f.find<QLabel>(QStringLiteral("lab_hozzaferes"));
        QVERIFY(!bar->isHidden());
        QVERIFY2(bar->text().startsWith(
                     QStringLiteral("Írásvédett mappa: a(z) %1 mappába nem lehet írni").arg(site.folder())),
                 qPrintable(bar->text()));

        editAndSaveRecord(f);
        QTest::qWait(RecoveryCopy::WriteDelay * 3);
        QVERIFY2(f.dialogs.messages.isEmpty(), qPrintable(f.dialogs.messages.join(u'\n')));
        f.action(QStringLiteral("menu0_save"))->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{cannotCreate(site.target(), Fault::ImmutableFolder)});
        QCOMPARE(site.changes(), QString());
        expectStillModified(f);
    }

    // "Adatbázis mentése másként..." writes the document to a chosen file.
    void databaseSaveAs_data() { addFaultRows(kAllFaults); }
    void databaseSaveAs()
    {
        QFETCH(Fault, fault);
        WorkspaceFixture f;
        f.openSample();
        FaultSite site(fault, f.dir.path(), QStringLiteral("masolat.rtf"), "earlier copy");
        ARM_OR_SKIP(site);
        editAndSaveRecord(f);

        // Replacing an earlier file of that name is asked first.
        if (QFileInfo(site.target()).isFile())
            f.dialogs.yesNoAnswers.enqueue(true);
        f.dialogs.saveFileAnswers.enqueue(site.target());
        f.action(QStringLiteral("menu0_saveas"))->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{cannotCreate(site.target(), fault)});
        QCOMPARE(site.changes(), QString());
        expectStillModified(f);

        site.lift();
        f.dialogs.messages.clear();
        if (QFileInfo(site.target()).isFile())
            f.dialogs.yesNoAnswers.enqueue(true);
        f.dialogs.saveFileAnswers.enqueue(site.target());
        f.action(QStringLiteral("menu0_saveas"))->trigger();
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(TextFile::readUnicode(site.target()), f.window().document().lines());
    }

    // "Új adatbázis létrehozása..." writes an empty database, then opens it.
    void newDatabase_data() { addFaultRows(kAllFaults); }
    void newDatabase()
    {
        QFETCH(Fault, fault);
        WorkspaceFixture f;
        f.openSample();
        const QString title = f.window().windowTitle();
        FaultSite site(fault, f.dir.path(), QStringLiteral("uj.rtf"), "earlier database");
        ARM_OR_SKIP(site);

        // Replacing an existing file (or a folder of that name) is asked first.
        f.dialogs.yesNoAnswers.clear();
        f.dialogs.yesNoAnswers.enqueue(true);
        f.dialogs.saveFileAnswers.enqueue(site.target());
        f.action(QStringLiteral("menu0_uj"))->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{cannotCreate(site.target(), fault)});
        QCOMPARE(site.changes(), QString());
        // The open database stays open and untouched.
        QCOMPARE(f.window().windowTitle(), title);
        QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());

        site.lift();
        f.dialogs.messages.clear();
        f.dialogs.yesNoAnswers.clear();
        f.dialogs.yesNoAnswers.enqueue(true);
        f.dialogs.saveFileAnswers.enqueue(site.target());
        f.action(QStringLiteral("menu0_uj"))->trigger();
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.window().document().lineCount(), 0);
        QVERIFY(f.window().windowTitle().contains(site.target()));
    }

    // The conversion's step 3 writes its result as a database file.
    void conversionResult_data()
    {
        addFaultRows({Fault::ImmutableFolder, Fault::ParentIsFile, Fault::FullDevice,
                      Fault::TargetIsDirectory, Fault::LockedTarget});
    }
    void conversionResult()
    {
        QFETCH(Fault, fault);
        TempWorkDir base;
        ScriptedDialogs dialogs;
        FaultSite site(fault, base.path(), QStringLiteral("eredmeny.rtf"),
                       TextFile::encodeUnicode(recordLines(2)));
        ARM_OR_SKIP(site);
        ConversionPage page;
        page.resize(900, 600);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const auto click = [&page](const QString& name, int item = -1) {
            QAbstractButton* button =
                item < 0 ? page.findChild<QAbstractButton*>(name)
                         : page.findChild<QGroupBox*>(name)->findChildren<QRadioButton*>().value(item);
            QVERIFY2(button, qPrintable(name));
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
        };
        click(QStringLiteral("rg_konvtipus"), 1); // zdb
        dialogs.openFileAnswers.enqueue(testDataPath(QStringLiteral("convert/minta.zdb")));
        click(QStringLiteral("gkonv1"));
        click(QStringLiteral("gkonv2"));
        QVERIFY(dialogs.messages.isEmpty());

        // Replacing an earlier result is asked first; the answer Yes lets the write meet the fault.
        const auto answerReplace = [&] {
            if (QFileInfo(site.target()).isFile())
                dialogs.yesNoAnswers.enqueue(true);
        };
        answerReplace();
        dialogs.saveFileAnswers.enqueue(site.target());
        click(QStringLiteral("gkonv3"));
        QCOMPARE(dialogs.messages, QStringList{cannotCreate(site.target(), fault)});
        QCOMPARE(site.changes(), QString());

        // Still working: with the fault gone step 3 writes the same result.
        site.lift();
        dialogs.messages.clear();
        answerReplace();
        dialogs.saveFileAnswers.enqueue(site.target());
        click(QStringLiteral("gkonv3"));
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(dialogs.yesNoAnswers.isEmpty());
        const QStringList written = TextFile::readUnicode(site.target());
        QVERIFY(!written.isEmpty());
        QCOMPARE(written.join(u'\n'), page.findChild<LinePane*>(QStringLiteral("re104"))->toPlainText());
    }
};

QTEST_MAIN(TestWriterFaults)
#include "tst_writerfaults.moc"
