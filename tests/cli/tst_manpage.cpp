#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// The manual page is written by hand, so it can fall behind the program:
// every command the usage lists and every option a help text shows must be
// in it.
namespace {

QString helpText(const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI_PATH), args).out;
}

// Commands are the indented words under "Commands:" in the usage.
QStringList commandsOf(const QString& usage)
{
    QStringList commands;
    const qsizetype start = usage.indexOf(QStringLiteral("Commands:"));
    const QStringList lines = usage.mid(start).split(u'\n').mid(1);
    static const QRegularExpression command(QStringLiteral("^  ([a-z]+)\\s"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = command.match(line);
        if (line.trimmed().isEmpty())
            break;
        if (match.hasMatch())
            commands.append(match.captured(1));
    }
    return commands;
}

QStringList optionsOf(const QString& help)
{
    QStringList options;
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*)"));
    for (auto it = option.globalMatch(help); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (!options.contains(name))
            options.append(name);
    }
    return options;
}

// The page as its reader sees the names: "\-" is how man(7) writes a hyphen.
QString manPage()
{
    QFile file(QStringLiteral(NORLA_SOURCE_DIR "/docs/norla-cli.1"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

} // namespace

class TestManPage final : public QObject
{
    Q_OBJECT

private slots:
    void everyCommandHasASection()
    {
        const QStringList commands = commandsOf(helpText({QStringLiteral("--help")}));
        QVERIFY(commands.size() >= 3);
        const QString page = manPage();
        for (const QString& command : commands)
            QVERIFY2(page.contains(QStringLiteral(".SS ") + command + u'\n'), qPrintable(command));
    }

    void everyOptionIsDescribed_data()
    {
        QTest::addColumn<QString>("option");
        QList<QStringList> helps{{QStringLiteral("--help")}};
        for (const QString& command : commandsOf(helpText({QStringLiteral("--help")})))
            helps.append({command, QStringLiteral("--help")});
        QStringList seen;
        for (const QStringList& args : helps) {
            for (const QString& option : optionsOf(helpText(args))) {
                if (!seen.contains(option)) {
                    seen.append(option);
                    QTest::newRow(qPrintable(option)) << option;
                }
            }
        }
        QVERIFY(seen.size() > 20);
    }

    void everyOptionIsDescribed()
    {
        QFETCH(QString, option);
        static const QString page = manPage();
        const QRegularExpression whole(QStringLiteral("(?<![\\w-])") + QRegularExpression::escape(option) +
                                       QStringLiteral("(?![\\w-])"));
        QVERIFY2(whole.match(page).hasMatch(), qPrintable(option + QStringLiteral(" is not in norla-cli.1")));
    }
};

QTEST_GUILESS_MAIN(TestManPage)
#include "tst_manpage.moc"
