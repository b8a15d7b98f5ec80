#include "JobCheckpoints.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "core/record/TextFile.h"
#include "ui/index/IndexDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

QStringList lines(const QString& volume, int count)
{
    QStringList out;
    for (int k = 1; k <= count; ++k)
        out.append(
            QStringLiteral("%1%2**könyv**tárgy**01Kovács Ödön**02**03**04**cím**sor**Gondolat**1**1990**9 p."
                           "**Budapest**jegyzet****0**magyar**papír")
                .arg(volume)
                .arg(k * 100, 8, 10, QLatin1Char('0')));
    return out;
}

const QStringList kEarlierSet = {QStringLiteral("adatb1.ztf"),   QStringLiteral("adatb2.ztf"),
                                 QStringLiteral("alkoto.zda"),   QStringLiteral("kiado.zda"),
                                 QStringLiteral("megjhely.zda"), QStringLiteral("fsz0.zda"),
                                 QStringLiteral("fsz1.zda")};

// An index file set of an earlier run, two chunks and the lists.
void writeEarlierSet(const TempWorkDir& dir)
{
    for (const QString& name : kEarlierSet)
        dir.writeBytes(name, "earlier " + name.toUtf8());
}

// The earlier set is there byte for byte, and nothing else of an index.
void expectEarlierSet(const TempWorkDir& dir)
{
    for (const QString& name : kEarlierSet)
        QCOMPARE(dir.readBytes(name), "earlier " + name.toUtf8());
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("adatb*")}, QDir::AllEntries | QDir::Hidden),
             kEarlierSet.mid(0, 2));
}

// Every file of the folder with its bytes.
QMap<QString, QByteArray> folderContents(const TempWorkDir& dir)
{
    QMap<QString, QByteArray> contents;
    for (const QString& name :
         QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        contents.insert(name, dir.readBytes(name));
    return contents;
}

enum class Stop
{
    CancelButton,
    EscapeKey,
    CloseBox
};

struct Controls
{
    explicit Controls(IndexDialog& dialog)
        : list(dialog.findChild<QListWidget*>(QStringLiteral("clbox1"))),
          all(dialog.findChild<QPushButton*>(QStringLiteral("gomb_mindbe"))),
          none(dialog.findChild<QPushButton*>(QStringLiteral("gomb_mindki"))),
          limit(dialog.findChild<QComboBox*>(QStringLiteral("cb_maxrekordszam"))),
          databases(dialog.findChild<QProgressBar*>(QStringLiteral("csik1"))),
          records(dialog.findChild<QProgressBar*>(QStringLiteral("csik2"))),
          index(dialog.findChild<QPushButton*>(QStringLiteral("gomb_index"))),
          cancel(dialog.findChild<QPushButton*>(QStringLiteral("gomb_bezar")))
    {
    }

    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }
    int checked() const
    {
        int n = 0;
        for (int i = 0; i < list->count(); ++i)
            n += list->item(i)->checkState() == Qt::Checked;
        return n;
    }

    QListWidget* list;
    QPushButton* all;
    QPushButton* none;
    QComboBox* limit;
    QProgressBar* databases;
    QProgressBar* records;
    QPushButton* index;
    QPushButton* cancel;
};

} // namespace

class TestIndexDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void activationAndChecking()
    {
        TempWorkDir dir;
        TextFile::writeUnicode(dir.file(QStringLiteral("masodik.rtf")), lines(QStringLiteral("Lu"), 3));
        TextFile::writeUnicode(dir.file(QStringLiteral("Elso.rtf")), lines(QStringLiteral("Ka"), 3));
        TextFile::writeUnicode(dir.file(QStringLiteral("adatbazis.rtf")), lines(QStringLiteral("Ma"), 3));
        IndexDialog dialog;
        dialog.setStartDir(dir.path());
        Controls c(dialog);
        QVERIFY(c.list && c.all && c.none && c.limit && c.databases && c.records && c.index && c.cancel);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Adatbázis indexelése"));
        QCOMPARE(dialog.size(), QSize(459, 304));
        QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral(" Indexelendő adatbázisok "));
        QCOMPARE(c.limit->count(), 14);

        // Whatever the last showing left, a new one starts afresh.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(c.all, Qt::LeftButton);
        c.limit->setCurrentIndex(5);
        dialog.hide();
        dialog.show();
        QCOMPARE(c.entries(), (QStringList{QStringLiteral("Elso.rtf"), QStringLiteral("masodik.rtf")}));
        QCOMPARE(c.checked(), 0);
        QCOMPARE(c.limit->currentText(), QStringLiteral("Automatikus"));
        QVERIFY(!c.index->isEnabled());

        QTest::mouseClick(c.all, Qt::LeftButton);
        QCOMPARE(c.checked(), 2);
        QVERIFY(c.index->isEnabled());
        QTest::mouseClick(c.none, Qt::LeftButton);
        QCOMPARE(c.checked(), 0);
        QVERIFY(!c.index->isEnabled());

        // Ticking one entry's box is enough.
        const QRect row = c.list->visualItemRect(c.list->item(1));
        QTest::mouseClick(c.list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 10, row.center().y()));
        QCOMPARE(c.checked(), 1);
        QVERIFY(c.index->isEnabled());
    }

    void runWritesTheIndexAndCloses()
    {
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        TextFile::writeUnicode(dir.file(QStringLiteral("b.rtf")), lines(QStringLiteral("Lu"), 150));
        TextFile::writeUnicode(dir.file(QStringLiteral("a.rtf")), lines(QStringLiteral("Ka"), 120));
        IndexDialog dialog;
        dialog.setStartDir(dir.path());
        Controls c(dialog);
        dialog.setIndexingFinished(false);
        QTimer::singleShot(0, &dialog, [&] {
            QTest::mouseClick(c.all, Qt::LeftButton);
            c.limit->setCurrentIndex(c.limit->findText(QStringLiteral("100")));
            QTest::mouseClick(c.index, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));

        QVERIFY(dialog.indexingFinished());
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("adatb1.ztf"))),
                 lines(QStringLiteral("Ka"), 100));
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("adatb3.ztf"))),
                 lines(QStringLiteral("Lu"), 150).mid(80));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("adatb4.ztf"))));
        QCOMPARE(TextFile::read8Bit(dir.file(QStringLiteral("fsz0.zda"))).size(), 270);
        QCOMPARE(c.databases->value(), 2);
        QCOMPARE(c.databases->maximum(), 2);
        QCOMPARE(c.records->value(), 150);
    }

    void failureKeepsTheDialogOpen()
    {
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        TextFile::writeUnicode(dir.file(QStringLiteral("a.rtf")), lines(QStringLiteral("Ka"), 5));
        TextFile::writeUnicode(dir.file(QStringLiteral("b.rtf")), lines(QStringLiteral("Lu"), 5));
        writeEarlierSet(dir);
        IndexDialog dialog;
        dialog.setStartDir(dir.path());
        Controls c(dialog);
        dialog.show();
        QTest::mouseClick(c.all, Qt::LeftButton);
        QVERIFY(QFile::remove(dir.file(QStringLiteral("b.rtf"))));
        QTest::mouseClick(c.index, Qt::LeftButton);

        QCOMPARE(dialogs.messages, QStringList{cannotOpenFile(dir.path() + QStringLiteral("/b.rtf"))});
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.indexingFinished());
        expectEarlierSet(dir);
    }

    void onlyAdatbazisOffersNothing()
    {
        TempWorkDir dir;
        TextFile::writeUnicode(dir.file(QStringLiteral("adatbazis.rtf")), lines(QStringLiteral("Ma"), 3));
        IndexDialog dialog;
        dialog.setStartDir(dir.path());
        Controls c(dialog);
        dialog.show();
        QCOMPARE(c.list->count(), 0);
        QTest::mouseClick(c.all, Qt::LeftButton);
        QVERIFY(!c.index->isEnabled());
    }

    void cancelWritesNothing()
    {
        TempWorkDir dir;
        TextFile::writeUnicode(dir.file(QStringLiteral("a.rtf")), lines(QStringLiteral("Ka"), 5));
        writeEarlierSet(dir);
        IndexDialog dialog;
        dialog.setStartDir(dir.path());
        Controls c(dialog);
        dialog.setIndexingFinished(false);
        QTimer::singleShot(0, &dialog, [&] {
            QTest::mouseClick(c.all, Qt::LeftButton);
            QTest::mouseClick(c.cancel, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(!dialog.indexingFinished());
        expectEarlierSet(dir);
    }

    void stoppedRunLeavesEverythingAsItWas_data()
    {
        QTest::addColumn<int>("stop");
        QTest::newRow("Mégsem") << int(Stop::CancelButton);
        QTest::newRow("Esc") << int(Stop::EscapeKey);
        QTest::newRow("close box") << int(Stop::CloseBox);
    }

    // Stopped after the first database has been partly written into chunks:
    // the folder is byte for byte as before, the dialog open as it was, and
    // the next run completes.
    void stoppedRunLeavesEverythingAsItWas()
    {
        QFETCH(int, stop);
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        TextFile::writeUnicode(dir.file(QStringLiteral("a.rtf")), lines(QStringLiteral("Ka"), 3000));
        TextFile::writeUnicode(dir.file(QStringLiteral("b.rtf")), lines(QStringLiteral("Lu"), 10));
        writeEarlierSet(dir);
        const QMap<QString, QByteArray> before = folderContents(dir);
        IndexDialog dialog;
        dialog.setStartDir(dir.path());
        Controls c(dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(c.all, Qt::LeftButton);
        c.limit->setCurrentIndex(c.limit->findText(QStringLiteral("100")));

        QList<bool> enabledWhileRunning; // list, limit, index, cancel
        {
            // The first check comes before any record; the second after some were written.
            const JobCheckpoints checks(&dialog, [&](int check) {
                if (check != 2)
                    return;
                enabledWhileRunning = {c.list->isEnabled(), c.limit->isEnabled(), c.index->isEnabled(),
                                       c.cancel->isEnabled()};
                // Clicks on what the run reads do nothing meanwhile.
                QTest::mouseClick(c.none, Qt::LeftButton);
                if (Stop(stop) == Stop::CancelButton)
                    QTest::mouseClick(c.cancel, Qt::LeftButton);
                else if (Stop(stop) == Stop::EscapeKey)
                    QTest::keyClick(&dialog, Qt::Key_Escape);
                else
                    dialog.close();
            });
            QTest::mouseClick(c.index, Qt::LeftButton);
            QCOMPARE(checks.count(), 2);
        }
        QCOMPARE(enabledWhileRunning, (QList<bool>{false, false, false, true}));
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(folderContents(dir), before);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.indexingFinished());
        QCOMPARE(c.checked(), 2);
        QCOMPARE(c.limit->currentText(), QStringLiteral("100"));
        QVERIFY(c.list->isEnabled() && c.limit->isEnabled() && c.index->isEnabled());
        QCOMPARE(c.databases->value(), 0);
        QCOMPARE(c.records->value(), 0);

        QTest::mouseClick(c.index, Qt::LeftButton);
        QVERIFY(dialog.indexingFinished());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(TextFile::read8Bit(dir.file(QStringLiteral("fsz0.zda"))).size(), 3010);
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("adatb31.ztf"))),
                 lines(QStringLiteral("Lu"), 10));
    }
};

QTEST_MAIN(TestIndexDialog)
#include "tst_indexdialog.moc"
