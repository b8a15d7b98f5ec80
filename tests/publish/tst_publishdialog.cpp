#include "../workspace/WorkspaceFixture.h"
#include "JobCheckpoints.h"

#include "app/NorlaProgram.h"
#include "ui/publish/PublishDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

// "Fájl" > "Bibliográfia kiadása...": the dialog as a user drives it.
namespace {

QString pdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class PublishFixture : public WorkspaceFixture
{
public:
    PublishDialog& dialog() const { return program->publishDialog(); }
    template <typename T = QWidget> T* control(const QString& name) const
    {
        T* found = dialog().findChild<T*>(name);
        if (!found)
            qWarning("no control named %s", qPrintable(name));
        return found;
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(QString::fromLatin1(name)); }

    void openDialog() { action(QStringLiteral("menu0_publish"))->trigger(); }
    // The open database, without headings, as a PDF.
    void choosePlainPdf()
    {
        control<QRadioButton>(QStringLiteral("publish_database"))->click();
        control<QComboBox>(QStringLiteral("publish_grouping"))->setCurrentIndex(2);
        control<QComboBox>(QStringLiteral("publish_format"))->setCurrentIndex(0);
        control<QLineEdit>(QStringLiteral("publish_title"))->setText(QStringLiteral("Saját kötet"));
    }
    QString status() const { return control<QLabel>(QStringLiteral("publish_status"))->text(); }
};

} // namespace

class TestPublishDialog final : public QObject
{
    Q_OBJECT

private slots:
    void theFileMenuOpensTheDialog()
    {
        PublishFixture f;
        const QList<QAction*> actions = f.find<QMenu>(QStringLiteral("menu0"))->actions();
        const qsizetype at = actions.indexOf(f.action(QStringLiteral("menu0_export")));
        QCOMPARE(actions.value(at + 1), f.action(QStringLiteral("menu0_publish")));
        QCOMPARE(f.action(QStringLiteral("menu0_publish"))->text(),
                 QStringLiteral("Bibliográfia kiadása..."));

        f.openDialog();
        QVERIFY(f.dialog().isVisible());
        // Nothing open and nothing searched yet: the index is the source.
        QVERIFY(!f.control<QRadioButton>(QStringLiteral("publish_database"))->isEnabled());
        QVERIFY(!f.control<QRadioButton>(QStringLiteral("publish_search"))->isEnabled());
        QVERIFY(f.control<QRadioButton>(QStringLiteral("publish_index"))->isChecked());
        f.button("publish_close")->click();
        QVERIFY(!f.dialog().isVisible());

        f.openSample();
        f.openDialog();
        QVERIFY(f.control<QRadioButton>(QStringLiteral("publish_database"))->isEnabled());
        f.button("publish_close")->click();
    }

    void theOpenDatabaseAsAPdf()
    {
        PublishFixture f;
        f.openSample();
        f.openDialog();
        f.choosePlainPdf();
        f.control<QLineEdit>(QStringLiteral("publish_compiler"))->setText(QStringLiteral("Kovács Éva"));
        f.control<QLineEdit>(QStringLiteral("publish_place"))->setText(QStringLiteral("Pécs"));
        f.control<QLineEdit>(QStringLiteral("publish_year"))->setText(QStringLiteral("2026"));
        f.control<QCheckBox>(QStringLiteral("publish_two_sided"))->setChecked(true);
        f.dialogs.saveFileAnswers.enqueue(f.dir.file(QStringLiteral("kotet"))); // the suffix is added
        f.button("publish_save")->click();
        const QString path = f.dir.file(QStringLiteral("kotet.pdf"));
        QVERIFY2(QFile::exists(path), qPrintable(f.dialogs.messages.join(u'\n')));
        const QString text = pdfText(path);
        // The chapter has an editor only, so it goes under its title.
        for (const char* expected :
             {"Saját kötet", "Összeállította: Kovács Éva", "Pécs, 2026", "1. Harmadik cím", "2. Nagy Anna",
              "3. Példa Szerző", "Szerkesztő Név", "Névmutató"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(f.status().contains(QStringLiteral("3 tétel")));
        QVERIFY(f.dialog().isVisible());
    }

    void anExistingFileIsReplacedOnlyWhenTheUserSaysSo()
    {
        PublishFixture f;
        f.openSample();
        f.openDialog();
        f.choosePlainPdf();
        f.control<QComboBox>(QStringLiteral("publish_format"))->setCurrentIndex(2); // HTML
        f.dir.writeBytes(QStringLiteral("konyv.html"), "earlier");
        const QString path = f.dir.file(QStringLiteral("konyv.html"));
        f.dialogs.saveFileAnswers.enqueue(path);
        f.dialogs.yesNoAnswers.enqueue(false);
        f.button("publish_save")->click();
        QCOMPARE(f.dir.readBytes(QStringLiteral("konyv.html")), QByteArray("earlier"));
        QCOMPARE(f.dialogs.questions.size(), 1);
        QVERIFY(f.dialogs.questions.first().contains(QStringLiteral("már létezik")));

        f.dialogs.saveFileAnswers.enqueue(path);
        f.dialogs.yesNoAnswers.enqueue(true);
        f.button("publish_save")->click();
        QVERIFY(f.dir.readBytes(QStringLiteral("konyv.html")).contains("Saját kötet"));
    }

    void stoppingWritesNothing()
    {
        PublishFixture f;
        f.openSample();
        f.openDialog();
        f.choosePlainPdf();
        f.dialogs.saveFileAnswers.enqueue(f.dir.file(QStringLiteral("megszakitott.pdf")));
        bool stopShown = false;
        JobCheckpoints checkpoints(&f.dialog(), [&](int check) {
            if (check == 1) {
                stopShown = f.button("publish_stop")->isVisible();
                f.button("publish_stop")->click();
            }
        });
        f.button("publish_save")->click();
        QVERIFY(stopShown);
        QVERIFY(!QFile::exists(f.dir.file(QStringLiteral("megszakitott.pdf"))));
        QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("*.pdf*")}, QDir::Files), QStringList());
        QCOMPARE(f.status(), QStringLiteral("Megszakítva: nem készült fájl."));
        QVERIFY(!f.button("publish_stop")->isVisible());
        QVERIFY(f.button("publish_save")->isEnabled());
    }

    void aMissingSubjectTreeIsReported()
    {
        PublishFixture f;
        f.openSample();
        f.openDialog();
        f.choosePlainPdf();
        f.control<QComboBox>(QStringLiteral("publish_grouping"))->setCurrentIndex(0); // the subject tree
        f.dialogs.saveFileAnswers.enqueue(f.dir.file(QStringLiteral("konyv.pdf")));
        f.button("publish_save")->click();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages.first().startsWith(QStringLiteral("Cannot open file")),
                 qPrintable(f.dialogs.messages.first()));
        QVERIFY(!QFile::exists(f.dir.file(QStringLiteral("konyv.pdf"))));
    }

    void thePreviewShowsThePages()
    {
        PublishFixture f;
        f.openSample();
        f.openDialog();
        f.choosePlainPdf();
        // The preview opens once the book is built, which lets events run
        // meanwhile, so the test looks for it until it is there.
        bool shown = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, &f.dialog(), [&] {
            auto* preview =
                f.dialog().findChild<QPrintPreviewDialog*>(QStringLiteral("publish_preview_window"));
            if (!preview || !preview->isVisible())
                return;
            shown = true;
            closer.stop();
            preview->reject();
        });
        closer.start(20);
        f.button("publish_preview")->click();
        QVERIFY(shown);
        QVERIFY(f.status().contains(QStringLiteral("3 tétel")));
    }
};

QTEST_MAIN(TestPublishDialog)
#include "tst_publishdialog.moc"
