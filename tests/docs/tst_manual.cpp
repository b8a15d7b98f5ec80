#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "ui/common/DesktopOpener.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QtTest>

// "Súgó" > "Kézikönyv" (F1) hands the guide to the desktop's browser. The
// stand-in opener records the address instead of starting a browser.
namespace {

class RecordingOpener final : public DesktopOpener
{
public:
    RecordingOpener() { DesktopOpener::install(this); }
    ~RecordingOpener() override { DesktopOpener::install(nullptr); }
    Q_DISABLE_COPY_MOVE(RecordingOpener)

    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};

} // namespace

class TestManual final : public QObject
{
    Q_OBJECT

private slots:
    void helpMenuHoldsTheGuideBesideTheAboutBox()
    {
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        NorlaProgram program;
        auto* help = program.mainWindow().findChild<QMenu*>(QStringLiteral("Sg1"));
        QVERIFY(help);
        QStringList captions;
        for (const QAction* action : help->actions())
            captions.append(action->text());
        QCOMPARE(captions, (QStringList{QStringLiteral("Kézikönyv"), QStringLiteral("Névjegy...")}));
        auto* manual = program.mainWindow().findChild<QAction*>(QStringLiteral("Kezikonyv1"));
        QVERIFY(manual);
        QCOMPARE(manual->shortcut(), QKeySequence(Qt::Key_F1));
    }

    // This test runs from the build folder, beside the guide the build made.
    void f1OpensTheGuideInTheBrowser()
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/docs/kezikonyv.html");
        if (!QFile::exists(built))
            QSKIP("the guide is not built (cmark is missing)");
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        RecordingOpener opener;
        NorlaProgram program;
        MainWindow& window = program.mainWindow();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_F1);
        QCOMPARE(opener.opened, (QList<QUrl>{QUrl::fromLocalFile(QFileInfo(built).canonicalFilePath())}));
        QVERIFY(dialogs.messages.isEmpty());
    }

    // Installed, the program sits in bin/ and the guide in share/doc/norla.
    void installedGuideIsFoundFromTheProgramFolder()
    {
        TempWorkDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/doc/norla")));
        const QString bin = prefix.file(QStringLiteral("bin"));
        QCOMPARE(userManualPath(bin), QString());
        prefix.writeBytes(QStringLiteral("share/doc/norla/kezikonyv.html"), "<html></html>");
        QCOMPARE(
            userManualPath(bin),
            QFileInfo(prefix.file(QStringLiteral("share/doc/norla/kezikonyv.html"))).canonicalFilePath());
    }
};

QTEST_MAIN(TestManual)
#include "tst_manual.moc"
