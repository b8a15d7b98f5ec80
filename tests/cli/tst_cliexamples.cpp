#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The commands a new user copies from the README and from the help texts
// must work on the sample folder and find something there; a changed sample
// or a renamed option would otherwise leave the documentation quietly wrong.
namespace {

ProgramRun runCli(const QString& workDir, const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI_PATH), args, workDir);
}

// "norla-cli ..." commands: the lines of the README's code blocks and its
// inline code; a trailing "# comment" is dropped. Commands with a
// placeholder in capitals (COMMAND, SOURCE) are shapes, not examples.
QStringList commandsIn(const QString& text)
{
    QStringList commands;
    static const QRegularExpression codeLine(QStringLiteral("^\\s*(norla-cli [^#\\n]*)"),
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression inlineCode(QStringLiteral("`(norla-cli [^`]*)`"));
    static const QRegularExpression placeholder(QStringLiteral("\\b[A-Z]{3,}\\b"));
    for (const QRegularExpression* pattern : {&codeLine, &inlineCode}) {
        for (auto it = pattern->globalMatch(text); it.hasNext();) {
            const QString command = it.next().captured(1).trimmed();
            if (!placeholder.match(command).hasMatch() && !commands.contains(command))
                commands.append(command);
        }
    }
    return commands;
}

QString readmeText()
{
    QFile file(QStringLiteral(NORLA_SOURCE_DIR "/README.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The "Examples" part of a help text: its indented "norla-cli" lines.
QStringList helpExamples(const QStringList& helpArgs)
{
    const ProgramRun help = runCli(QDir::tempPath(), helpArgs);
    const qsizetype start = help.out.indexOf(QStringLiteral("Examples"));
    return start < 0 ? QStringList() : commandsIn(help.out.mid(start));
}

// The commands this build has, from its usage: a build without the window
// libraries leaves out those that lay out pages.
QStringList builtCommands()
{
    const ProgramRun usage = runCli(QDir::tempPath(), {QStringLiteral("--help")});
    static const QRegularExpression command(QStringLiteral("^  ([a-z]+)\\s"),
                                            QRegularExpression::MultilineOption);
    QStringList commands;
    const QString listed = usage.out.mid(usage.out.indexOf(QStringLiteral("Commands:")));
    for (auto it = command.globalMatch(listed); it.hasNext();)
        commands.append(it.next().captured(1));
    return commands;
}

int hitCount(const QString& err)
{
    static const QRegularExpression count(QStringLiteral("^(\\d+) találat$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = count.match(err);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class TestCliExamples final : public QObject
{
    Q_OBJECT

private slots:
    void everyPlaceHasExamples()
    {
        QVERIFY(commandsIn(readmeText()).size() >= 4);
        QVERIFY(!helpExamples({QStringLiteral("--help")}).isEmpty());
        QVERIFY(!helpExamples({QStringLiteral("search"), QStringLiteral("--help")}).isEmpty());
    }

    void exampleFindsSomething_data()
    {
        QTest::addColumn<QString>("command");
        QStringList all = commandsIn(readmeText());
        for (const QString& command : helpExamples({QStringLiteral("--help")}) +
                                          helpExamples({QStringLiteral("search"), QStringLiteral("--help")}))
            if (!all.contains(command))
                all.append(command);
        for (const QString& command : all)
            QTest::newRow(qPrintable(command)) << command;
    }

    // Each command runs in its own copy of the sample, indexed as ./run.sh
    // leaves it, so one example's files cannot help or hinder another.
    void exampleFindsSomething()
    {
        QFETCH(QString, command);
        TempWorkDir dir;
        dir.seedFromSample();
        QCOMPARE(runCli(dir.path(), {QStringLiteral("index"), QStringLiteral("--all")}).exitCode, 0);

        const QStringList args = QProcess::splitCommand(command).mid(1);
        if (!args.value(0).startsWith(u'-') && !builtCommands().contains(args.value(0)))
            QSKIP("this build has no such command");
        const ProgramRun run = runCli(dir.path(), args);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(!run.out.trimmed().isEmpty() || !run.err.trimmed().isEmpty(), "no visible result");
        if (args.value(0) == u"search" && !args.contains(QStringLiteral("--help")))
            QVERIFY2(hitCount(run.err) > 0, qPrintable(run.err));
    }

    void searchReportsHitCountOnStandardError_data()
    {
        QTest::addColumn<QString>("term");
        QTest::addColumn<int>("hits");
        QTest::newRow("miss") << QStringLiteral("Kovács") << 0;
        QTest::newRow("fragment") << QStringLiteral("Ann") << 6;
    }

    void searchReportsHitCountOnStandardError()
    {
        QFETCH(QString, term);
        QFETCH(int, hits);
        TempWorkDir dir;
        dir.seedFromSample();
        QCOMPARE(runCli(dir.path(), {QStringLiteral("index"), QStringLiteral("--all")}).exitCode, 0);
        const ProgramRun run = runCli(dir.path(), {QStringLiteral("search"), QStringLiteral("--term"), term,
                                                   QStringLiteral("--fields"), QStringLiteral("creator")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(hitCount(run.err), hits);
        // Standard output stays the bare list of record names.
        QCOMPARE(run.out.count(u'\n'), hits);
        QVERIFY(!run.out.contains(QStringLiteral("találat")));
    }
};

QTEST_GUILESS_MAIN(TestCliExamples)
#include "tst_cliexamples.moc"
