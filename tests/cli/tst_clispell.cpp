// norla-cli spell: the unknown words of a database with their counts,
// languages and records, the count on standard error, the notice for a
// language without a dictionary, and words accepted into the folder's list.

#include "TestSupport.h"

#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"
#include "core/record/WorkFolder.h"

#include <QtTest>

namespace {

ProgramRun spell(const QString& folder, const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI_PATH), QStringList{QStringLiteral("spell")} + args, folder);
}

QString recordLine(const QString& name, const QString& title, const QString& year, const QString& language)
{
    QStringList fields(RecordSchema::FieldCount);
    RecordSchema::value(fields, Field::RecordName) = name;
    RecordSchema::value(fields, Field::Title) = title;
    RecordSchema::value(fields, Field::Year) = year;
    RecordSchema::value(fields, Field::Language) = language;
    return RecordLine::join(fields);
}

} // namespace

class TestCliSpell final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsTheUnknownWords()
    {
        TempWorkDir dir;
        dir.writeBytes(
            QStringLiteral("db.rtf"),
            unicodeFileBytes({
                recordLine(QStringLiteral("Ma00000100"), QStringLiteral("A könyvtártörtént forrásai"),
                           QStringLiteral("1990"), QStringLiteral("magyar")),
                recordLine(QStringLiteral("Ma00000200"), QStringLiteral("Egy gyüjtemény"),
                           QStringLiteral("1880"), QStringLiteral("magyar")),
                recordLine(QStringLiteral("Ma00000300"), QStringLiteral("könyvtártörtént"),
                           QStringLiteral("2001"), QString()),
                recordLine(QStringLiteral("Ma00000400"), QStringLiteral("De bello Gallico"),
                           QStringLiteral("1990"), QStringLiteral("latin")),
            }));
        ProgramRun run = spell(dir.path(), {QStringLiteral("db.rtf")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("könyvtártörtént\t2\tmagyar\tMa00000100, Ma00000300\n"
                                         "gyüjtemény\t1\tmagyar\tMa00000200\trégi alak?\n"));
        QVERIFY2(run.err.contains(QStringLiteral("1 rekordban „latin” nyelvű szöveg nincs ellenőrizve")),
                 qPrintable(run.err));
        QVERIFY(run.err.endsWith(QStringLiteral("2 ismeretlen szó\n")));

        // With --suggest the meant word stands first among the suggestions.
        run = spell(dir.path(), {QStringLiteral("--suggest"), QStringLiteral("db.rtf")});
        QCOMPARE(run.exitCode, 0);
        const QStringList first = run.out.split(u'\n').first().split(u'\t');
        QCOMPARE(first.size(), 5);
        QCOMPARE(first[4].section(QStringLiteral(", "), 0, 0), QStringLiteral("könyvtártörténet"));
        QVERIFY2(run.out.contains(QStringLiteral("\tgyűjtemény\trégi alak?\n")) ||
                     run.out.contains(QStringLiteral("\tgyűjtemény, ")),
                 qPrintable(run.out));

        run = spell(dir.path(), {QStringLiteral("--accept"), QStringLiteral("könyvtártörtént")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(dir.readBytes(WorkFolder::AcceptedWordsFile), QStringLiteral("könyvtártörtént\n").toUtf8());
        run = spell(dir.path(), {QStringLiteral("db.rtf")});
        QCOMPARE(run.out, QStringLiteral("gyüjtemény\t1\tmagyar\tMa00000200\trégi alak?\n"));
        QVERIFY(run.err.endsWith(QStringLiteral("1 ismeretlen szó\n")));
    }

    void reportsWrongUsageAndMissingFiles()
    {
        TempWorkDir dir;
        QCOMPARE(spell(dir.path(), {}).exitCode, 2);
        QCOMPARE(
            spell(dir.path(), {QStringLiteral("--threads"), QStringLiteral("0"), QStringLiteral("a.rtf")})
                .exitCode,
            2);
        const ProgramRun missing = spell(dir.path(), {QStringLiteral("nincs.rtf")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains(QStringLiteral("Cannot open file")), qPrintable(missing.err));
    }
};

QTEST_GUILESS_MAIN(TestCliSpell)
#include "tst_clispell.moc"
