// Opening a database on a thread beside the window, driven like a user: the
// window goes on taking events while the file is read, Esc in the loading
// window cancels and leaves the open document as it was; and the record-name
// list and the raw view follow each edit one row at a time.

#include "WorkspaceFixture.h"

#include "core/record/RecordLine.h"
#include "core/session/RecoveryCopy.h"
#include "ui/about/LoadingWindow.h"
#include "ui/workspace/RadioGroup.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

#include <sys/stat.h>

namespace {

// A named pipe stands for the database: its reader waits until the test
// writes, so the test acts while the load is surely still running.
QString makePipe(const WorkspaceFixture& f, const QString& name)
{
    const QString path = f.dir.file(name);
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        return {};
    return path;
}

void feedPipe(const QString& path, const QByteArray& bytes)
{
    QFile pipe(path);
    QVERIFY(pipe.open(QIODevice::WriteOnly));
    QCOMPARE(pipe.write(bytes), bytes.size());
}

// Runs `duringLoad` once the window is back in its event loop with the load under way.
void openWhile(WorkspaceFixture& f, const QString& path, const std::function<void()>& duringLoad)
{
    bool ran = false;
    QTimer::singleShot(0, &f.window(), [&] {
        ran = true;
        duringLoad();
    });
    f.open(path);
    QVERIFY(ran);
}

QStringList listNames(const WorkspaceFixture& f)
{
    QStringList names;
    QComboBox* list = f.combo(QStringLiteral("cb_rekordok0"));
    for (int i = 0; i < list->count(); ++i)
        names.append(list->itemText(i));
    return names;
}

QStringList namesOf(const QStringList& lines)
{
    QStringList names;
    for (const QString& line : lines)
        names.append(line.left(10));
    return names;
}

void appendRecord(WorkspaceFixture& f, const QString& number)
{
    f.edit(1)->setText(number);
    f.combo(QStringLiteral("cb_rektipus"))->setCurrentIndex(0);
    f.find<RadioGroup>(QStringLiteral("rg_kotet"))->button(1)->click();
    QTest::keyClick(&f.window(), Qt::Key_F2);
}

// Says yes to restoring the recovery copy, and removes the copy meanwhile.
class CopyVanishes final : public UserDialogs
{
public:
    explicit CopyVanishes(QString database) : m_database(std::move(database)) {}

    QStringList messages;

    bool askYesNo(QWidget*, const QString&) override
    {
        QFile::remove(RecoveryCopy::pathFor(m_database));
        return true;
    }
    Answer askYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    void inform(QWidget*, const QString& text) override { messages.append(text); }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override
    {
        return m_database;
    }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }

private:
    QString m_database;
};

} // namespace

class tst_BackgroundLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadRunsBesideTheWindow();
    void escapeCancelsTheLoad_data();
    void escapeCancelsTheLoad();
    void unreadableRecoveryCopyOpensTheFile();
    void editsFollowRowByRow_data();
    void editsFollowRowByRow();
};

void tst_BackgroundLoad::loadRunsBesideTheWindow()
{
    WorkspaceFixture f;
    const QString path = makePipe(f, QStringLiteral("cso.rtf"));
    QVERIFY(!path.isEmpty());
    LoadingWindow& loading = f.program->loadingWindow();
    openWhile(f, path, [&] {
        // The window runs its events while the file is being read.
        QVERIFY(loading.isVisible());
        QCOMPARE(loading.findChild<QLabel*>(QStringLiteral("lab_adatb"))->text(), path);
        QCOMPARE(f.window().windowTitle(), QStringLiteral("Norla 7.2"));
        feedPipe(path, TextFile::encodeUnicode(WorkspaceFixture::sampleLines()));
    });
    QVERIFY(!loading.isVisible());
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());
    QCOMPARE(f.window().mode(), MainWindow::Mode::Browse);
    QCOMPARE(f.find<QLabel>(QStringLiteral("lab_reknev"))->text(), QStringLiteral("Ka.000123.00"));
    QCOMPARE(f.edit(7)->text(), QStringLiteral("A példa címe"));
    QCOMPARE(listNames(f), namesOf(WorkspaceFixture::sampleLines()));
}

void tst_BackgroundLoad::escapeCancelsTheLoad_data()
{
    QTest::addColumn<bool>("modified");
    QTest::newRow("saved document") << false;
    QTest::newRow("modified document") << true;
}

void tst_BackgroundLoad::escapeCancelsTheLoad()
{
    QFETCH(bool, modified);
    WorkspaceFixture f;
    f.openSample();
    f.action(QStringLiteral("gnyil3_action"))->trigger();
    if (modified) {
        f.dialogs.yesNoAnswers.enqueue(true);
        f.action(QStringLiteral("menu3_torles"))->trigger();
        // Asked whether to save before the other database opens: no.
        f.dialogs.yesNoCancelAnswers.enqueue(UserDialogs::Answer::No);
    }
    MainWindow& w = f.window();
    const QStringList lines = w.document().lines();
    const QString title = w.windowTitle();
    const QStringList names = listNames(f);
    const int current = w.currentRecordIndex();
    const QString shown = f.edit(7)->text();

    const QString path = makePipe(f, QStringLiteral("cso.rtf"));
    QVERIFY(!path.isEmpty());
    LoadingWindow& loading = f.program->loadingWindow();
    openWhile(f, path, [&] {
        QTest::keyClick(&loading, Qt::Key_Escape);
        feedPipe(path, TextFile::encodeUnicode({QStringLiteral("Ze00000100**más")}));
    });

    QVERIFY(!loading.isVisible());
    QVERIFY(f.dialogs.messages.isEmpty());
    QCOMPARE(w.document().path(), f.dir.file(QStringLiteral("minta.rtf")));
    QCOMPARE(w.document().lines(), lines);
    QCOMPARE(w.document().isModified(), modified);
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(f.action(QStringLiteral("menu0_save"))->isEnabled(), modified);
    QCOMPARE(w.mode(), MainWindow::Mode::Browse);
    QCOMPARE(w.currentRecordIndex(), current);
    QCOMPARE(f.edit(7)->text(), shown);
    QCOMPARE(listNames(f), names);
    QCOMPARE(f.action(QStringLiteral("menu6_visszavonas"))->isEnabled(), modified);
}

// The copy cannot be read once the user chose it: that is reported, and the
// database opens as its file holds it, the list and the mode with it.
void tst_BackgroundLoad::unreadableRecoveryCopyOpensTheFile()
{
    WorkspaceFixture f;
    const QString database = f.writeDatabase(QStringLiteral("minta.rtf"), WorkspaceFixture::sampleLines());
    const QString copy = RecoveryCopy::pathFor(database);
    f.dir.writeBytes(QFileInfo(copy).fileName(),
                     TextFile::encodeUnicode({QStringLiteral("Ze00000100**más")}));
    CopyVanishes dialogs(database);
    UserDialogs::install(&dialogs);
    f.action(QStringLiteral("menu0_open"))->trigger();
    UserDialogs::install(&f.dialogs);

    QCOMPARE(dialogs.messages, QStringList{cannotOpenFile(copy)});
    QCOMPARE(f.window().document().lines(), WorkspaceFixture::sampleLines());
    QVERIFY(!f.window().document().isModified());
    QCOMPARE(f.window().windowTitle(), "Norla 7.2   -   [ " + database + " ]");
    QCOMPARE(f.window().mode(), MainWindow::Mode::Browse);
    QCOMPARE(listNames(f), namesOf(WorkspaceFixture::sampleLines()));
    QCOMPARE(f.edit(7)->text(), QStringLiteral("A példa címe"));
}

void tst_BackgroundLoad::editsFollowRowByRow_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("append") << "append";
    QTest::newRow("replace") << "replace";
    QTest::newRow("delete first") << "delete first";
    QTest::newRow("delete last") << "delete last";
}

// The list and the raw view (built once its page was shown) follow the
// change, its undo and its redo, without being built anew.
void tst_BackgroundLoad::editsFollowRowByRow()
{
    QFETCH(QString, change);
    WorkspaceFixture f;
    f.openSample();
    MainWindow& w = f.window();
    QTest::mouseClick(f.find<QToolButton>(QStringLiteral("sb_monitor")), Qt::LeftButton);
    QCOMPARE(w.currentPage(), int(MainWindow::RawPage));
    QAbstractItemModel* model = f.combo(QStringLiteral("cb_rekordok0"))->model();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);

    if (change == "append") {
        f.action(QStringLiteral("menu3_felvitel"))->trigger();
        appendRecord(f, QStringLiteral("77"));
    } else if (change == "replace") {
        f.action(QStringLiteral("menu3_tallozas"))->trigger();
        f.action(QStringLiteral("gnyil3_action"))->trigger();
        f.edit(7)->setText(QStringLiteral("Javított"));
        QTest::keyClick(&w, Qt::Key_F2);
    } else {
        f.action(QStringLiteral("menu3_tallozas"))->trigger();
        f.action(change == "delete last" ? QStringLiteral("gnyil4_action") : QStringLiteral("gnyil1_action"))
            ->trigger();
        f.dialogs.yesNoAnswers.enqueue(true);
        f.action(QStringLiteral("menu3_torles"))->trigger();
    }
    const QStringList changed = w.document().lines();
    QVERIFY(changed != WorkspaceFixture::sampleLines());

    const auto followed = [&](const QStringList& lines) {
        QCOMPARE(w.document().lines(), lines);
        QCOMPARE(w.rawDatabaseView()->toPlainText(), lines.join(u'\n'));
        QCOMPARE(listNames(f), namesOf(lines));
    };
    followed(changed);
    f.action(QStringLiteral("menu6_visszavonas"))->trigger();
    followed(WorkspaceFixture::sampleLines());
    f.action(QStringLiteral("menu6_megis"))->trigger();
    followed(changed);
    QCOMPARE(resets.count(), 0);
}

QTEST_MAIN(tst_BackgroundLoad)
#include "tst_backgroundload.moc"
