// Every norla-cli command that reads a database refuses a file that is not
// one, with the same message as the editor, exit status 1, nothing written
// to the file and no output file left behind.
#include "NonDatabaseFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QtTest>

namespace {

const QString Database = QStringLiteral("kotetek1.rtf");

struct Command
{
    const char* name;
    QStringList args;
};

// The commands, each reading kotetek1.rtf; an output they would write is kimenet.*.
QList<Command> commands()
{
    return {
        {"check", {QStringLiteral("check"), Database}},
        {"spell", {QStringLiteral("spell"), Database}},
        {"replace",
         {QStringLiteral("replace"), QStringLiteral("--find"), QStringLiteral("a"), QStringLiteral("--with"),
          QStringLiteral("b"), Database}},
        {"replace --apply",
         {QStringLiteral("replace"), QStringLiteral("--find"), QStringLiteral("a"), QStringLiteral("--with"),
          QStringLiteral("b"), QStringLiteral("--apply"), Database}},
        {"export",
         {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("ris"),
          QStringLiteral("--output"), QStringLiteral("kimenet.ris"), Database}},
        {"export to stdout",
         {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv"), Database}},
        {"publish",
         {QStringLiteral("publish"), QStringLiteral("--format"), QStringLiteral("html"),
          QStringLiteral("--output"), QStringLiteral("kimenet.html"), Database}},
        {"stats", {QStringLiteral("stats"), Database}},
        {"index", {QStringLiteral("index"), QStringLiteral("kotetek1")}},
    };
}

} // namespace

class TestCliNonDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_usage = runProgram(QStringLiteral(NORLA_CLI_PATH), {QStringLiteral("--help")}).out;
        QVERIFY(m_usage.contains(QStringLiteral("Commands:")));
    }

    void refusedByEveryCommand_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("looksLike");
        QTest::addColumn<QStringList>("args");
        for (const Command& command : commands())
            for (const NonDatabaseFiles::Sample& sample : NonDatabaseFiles::samples())
                QTest::addRow("%s / %s", command.name, sample.name)
                    << sample.bytes << sample.looksLike << command.args;
    }

    void refusedByEveryCommand()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, looksLike);
        QFETCH(QStringList, args);
        if (!m_usage.contains(QStringLiteral("\n  ") + args.first() + u' '))
            QSKIP("this build has no such command");
        TempWorkDir dir;
        dir.writeBytes(Database, bytes);
        // A working folder as the commands expect it (publish reads the subject tree first).
        dir.writeBytes(QStringLiteral("menu0.zda"), "*Helytörténet\r\n");
        const QMap<QString, QByteArray> before = folderContents(dir.path());

        const ProgramRun run = runProgram(QStringLiteral(NORLA_CLI_PATH), args, dir.path());
        QCOMPARE(run.exitCode, 1);
        const QString expected =
            QStringLiteral("norla-cli: A(z) %1 fájl ").arg(QDir::toNativeSeparators(dir.file(Database)));
        QVERIFY2(run.err.startsWith(expected) || run.err.contains(u'\n' + expected), qPrintable(run.err));
        QVERIFY2(run.err.contains(looksLike), qPrintable(run.err));
        // No record of it reached the output, and nothing in the folder changed.
        QVERIFY2(!run.out.contains(QStringLiteral("PNG")) && run.out.size() < 200, qPrintable(run.out));
        QCOMPARE(folderContents(dir.path()), before);
    }

    // The file messages of the command line are the editor's two lines.
    void missingFileGivesTheCause()
    {
        TempWorkDir dir;
        const ProgramRun run = runProgram(QStringLiteral(NORLA_CLI_PATH),
                                          {QStringLiteral("check"), QStringLiteral("nincs.rtf")}, dir.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(
            run.err.section(u'\n', 0, 1),
            QStringLiteral("norla-cli: Cannot open file %1\nA fájl nem található: nincs ilyen nevű fájl a "
                           "mappában (talán áthelyezték, átnevezték vagy törölték). Ellenőrizze a fájl "
                           "nevét és helyét.")
                .arg(dir.file(QStringLiteral("nincs.rtf"))));
    }

private:
    QString m_usage;
};

QTEST_GUILESS_MAIN(TestCliNonDatabase)
#include "tst_clinondatabase.moc"
