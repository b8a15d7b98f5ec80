#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/record/TextFile.h"
#include "ui/workspace/MainWindow.h"

#include "ui/common/UserDialogs.h"

#include <QAbstractButton>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <memory>

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

    // Qt's own texts speak Hungarian: the buttons of a question, the
    // context menu of a field; and the caption carries no program-name suffix.
    void qtTextsAreHungarian()
    {
        TempWorkDir dir;
        NorlaProgram program;
        QCOMPARE(QApplication::applicationDisplayName(), QApplication::applicationName());
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons())
                buttons.append(button->text().remove(u'&'));
            box->reject();
        });
        UserDialogs::instance().askYesNo(&program.mainWindow(), QStringLiteral("Kérdés"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Igen", "Nem"}));

        auto* field = program.mainWindow().findChild<QLineEdit*>(QStringLiteral("Edit7"));
        QVERIFY(field);
        std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
        QStringList entries;
        for (QAction* action : menu->actions())
            entries.append(action->text().remove(u'&'));
        QVERIFY2(entries.filter(QStringLiteral("Beillesztés")).size() == 1, qPrintable(entries.join(u'|')));

        // The tool bar finds real icons without a desktop session.
        for (const char* name : {"document-new", "document-open", "document-save", "go-next", "edit-delete"})
            QVERIFY2(QIcon::hasThemeIcon(QString::fromLatin1(name)), name);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
