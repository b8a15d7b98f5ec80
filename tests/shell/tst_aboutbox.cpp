#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "ui/about/AboutBox.h"

#include <QDesktopServices>
#include <QLabel>
#include <QTextEdit>
#include <QtTest>

// Stands in for the desktop's handler of web addresses.
class UrlCatcher final : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestAboutBox final : public QObject
{
    Q_OBJECT

private:
    template <typename T> static T* control(const QWidget& box, const char* name)
    {
        T* found = box.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("control %s not found", name);
        return found;
    }

private slots:
    void pictureAndTexts()
    {
        TempWorkDir dir;
        NorlaProgram program;
        AboutBox& box = program.aboutBox();
        QCOMPARE(box.windowTitle(), QStringLiteral("Névjegy"));
        QCOMPARE(box.size(), QSize(646, 417));

        // Decoded by Qt's JPEG support from the picture built into the program.
        const QPixmap picture = control<QLabel>(box, "Image1")->pixmap();
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), QSize(286, 500));
        QCOMPARE(control<QWidget>(box, "Panel1")->width(), 290);

        QVERIFY(!control<QLabel>(box, "TntLabel1")->text().isEmpty());
        QVERIFY(!control<QLabel>(box, "TntLabel2")->text().isEmpty());
        QCOMPARE(control<QLabel>(box, "TntLabel1")->font().pixelSize(), 21);
        QCOMPARE(control<QLabel>(box, "TntLabel4")->text(), QStringLiteral("Az adatbázis a"));
        QCOMPARE(control<QLabel>(box, "TntLabel5")->text(), AboutBox::webPage());
        QCOMPARE(control<QLabel>(box, "TntLabel6")->text(), QStringLiteral("honlapon hozzáférhető."));
        QCOMPARE(control<QLabel>(box, "TntLabel7")->text(), QStringLiteral("Verzió: 1.0"));
        QVERIFY(control<QLabel>(box, "TntLabel3")->text().contains(QStringLiteral("2026")));
        auto* memo = control<QTextEdit>(box, "TntMemo1");
        QVERIFY(memo->isReadOnly());
        QVERIFY(memo->toPlainText().contains(QStringLiteral("\n\n")));
        QCOMPARE(memo->font().families().value(0), QStringLiteral("Lucida Sans Unicode"));
    }

    void opensModallyAndClosesWithCloseBox()
    {
        TempWorkDir dir;
        NorlaProgram program;
        AboutBox& box = program.aboutBox();
        bool modal = false;
        QTimer::singleShot(0, &box, [&] {
            modal = box.isModal() && box.isVisible();
            box.close();
        });
        box.exec();
        QVERIFY(modal);
        QVERIFY(!box.isVisible());
    }

    void linkOpensWebPage()
    {
        TempWorkDir dir;
        NorlaProgram program;
        AboutBox& box = program.aboutBox();
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* link = control<QLabel>(box, "TntLabel5");
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(link, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(AboutBox::webPage())});
        box.close();
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
