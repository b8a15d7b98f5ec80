#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/record/TextFile.h"
#include "ui/workspace/MainWindow.h"

#include <QtTest>

// The program starts in its working folder, shows its caption, rewrites the
// settings file at once and writes it again, with the window's geometry, when
// it is left.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsInTheWorkingFolderAndWritesSettings()
    {
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        dir.writeBytes(QStringLiteral("config.kzs"), "Top=100\r\nleft=12\r\nextra=1\r\n");
        {
            NorlaProgram program;
            MainWindow& window = program.mainWindow();
            QCOMPARE(window.windowTitle(), QStringLiteral("Norla 7.2"));
            QCOMPARE(window.startDir(), dir.path());
            QCOMPARE(TextFile::read8Bit(dir.file(QStringLiteral("config.kzs"))),
                     (QStringList{"szelesseg=870", "magassag=637", "top=40", "left=12",
                                  "fonttipus=Arial Unicode MS", "fontnagysag=8",
                                  "targymenu=" + dir.file(QStringLiteral("menu0.zda")), "forrastorles=0"}));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.setGeometry(30, 50, 900, 700);
            window.close();
        }
        const QStringList written = TextFile::read8Bit(dir.file(QStringLiteral("config.kzs")));
        QCOMPARE(written.mid(0, 4), (QStringList{"szelesseg=900", "magassag=700", "top=50", "left=30"}));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
