#include "CheckFixtures.h"

#include "core/record/DatabaseLock.h"
#include "core/record/TextFile.h"
#include "core/session/RecoveryCopy.h"

#include "TestSupport.h"

#include <QProcess>
#include <QSysInfo>
#include <QtTest>

namespace {

ProgramRun runCli(const QString& dir, const QStringList& args)
{
    return runProgram(QStringLiteral(NORLA_CLI_PATH), args, dir);
}

void writeLists(const TempWorkDir& dir)
{
    TextFile::write8Bit(dir.file(QStringLiteral("tipus.zda")), {QStringLiteral("könyv")});
    TextFile::write8Bit(dir.file(QStringLiteral("szerep.zda")),
                        {QStringLiteral("szerző"), QStringLiteral("szerkesztő"), QStringLiteral("fordító"),
                         QStringLiteral("bevezetést írta")});
    TextFile::write8Bit(dir.file(QStringLiteral("nyelv.zda")), {QStringLiteral("magyar")});
}

} // namespace

class TestCliCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The findings as CSV, read back by an independent reader.
    void checkAsCsv()
    {
        TempWorkDir dir;
        writeLists(dir);
        TextFile::writeUnicode(dir.file(QStringLiteral("db.rtf")),
                               {recordLine({{Field::RecordName, QStringLiteral("Ka00000200")},
                                            {Field::Title, QStringLiteral("Cím, \"idézet\"  kettős")}}),
                                recordLine({{Field::RecordName, QStringLiteral("Ka00000100")},
                                            {Field::Year, QStringLiteral("198")}})});
        const ProgramRun run =
            runCli(dir.path(), {QStringLiteral("check"), QStringLiteral("--csv"), QStringLiteral("db.rtf")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.trimmed(), QStringLiteral("2 hiba"));
        dir.writeBytes(QStringLiteral("out.csv"), run.out.toUtf8());
        QProcess python;
        python.setWorkingDirectory(dir.path());
        python.start(
            QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv,sys\n"
                            "rows=list(csv.reader(open('out.csv',encoding='utf-8-sig',newline='')))\n"
                            "print('|'.join(rows[0]))\n"
                            "for r in rows[1:]: print(len(r), r[0], r[1], r[2], r[3], sep='|')\n")});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("Rekord|Mező|Ellenőrzés|Részlet"),
                              QStringLiteral("4|Ka00000100|Év|hibás évszám|198 – nem négyjegyű évszám"),
                              QStringLiteral("4|Ka00000200|Cím|dupla szóköz|Cím, \"idézet\"  kettős")}));
    }

    void cleanDatabase()
    {
        TempWorkDir dir;
        writeLists(dir);
        TextFile::writeUnicode(dir.file(QStringLiteral("db.rtf")), {recordLine()});
        const ProgramRun run = runCli(dir.path(), {QStringLiteral("check"), QStringLiteral("db.rtf")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err.trimmed(), QStringLiteral("0 hiba"));
        QCOMPARE(runCli(dir.path(), {QStringLiteral("check"), QStringLiteral("nincs.rtf")}).exitCode, 1);
        QCOMPARE(runCli(dir.path(), {QStringLiteral("check")}).exitCode, 2);
    }

    void variantsOfTheIndex()
    {
        TempWorkDir dir;
        TextFile::writeUnicode(
            dir.file(QStringLiteral("a.rtf")),
            {recordLine(), recordLine({{Field::Creator1, QStringLiteral("01Kovács J.")}})});
        TextFile::writeUnicode(dir.file(QStringLiteral("b.rtf")),
                               {recordLine({{Field::Creator1, QStringLiteral("01KOVACS JANOS")}}),
                                recordLine({{Field::Creator1, QStringLiteral("01Kovács Jánosné")}})});
        QCOMPARE(runCli(dir.path(), {QStringLiteral("index"), QStringLiteral("--all")}).exitCode, 0);
        const ProgramRun run = runCli(dir.path(), {QStringLiteral("names"), QStringLiteral("--variants")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("alkotó: Kovács János (3 rekord)\n"
                                         "  Kovács János\t1\ta.rtf\n"
                                         "  Kovács J.\t1\ta.rtf\n"
                                         "  KOVACS JANOS\t1\tb.rtf\n\n"));
    }

    // A place's abbreviation joins its group; a family name of its own, and
    // a place's name in another language, are marked.
    void variantsMarkOtherNames()
    {
        TempWorkDir dir;
        TextFile::writeUnicode(dir.file(QStringLiteral("a.rtf")),
                               {recordLine(),
                                recordLine({{Field::Creator1, QStringLiteral("01Kováts János")},
                                            {Field::Place, QStringLiteral("Bp.")}}),
                                recordLine({{Field::Place, QStringLiteral("Pozsony")}}),
                                recordLine({{Field::Place, QStringLiteral("Pressburg")}})});
        QCOMPARE(runCli(dir.path(), {QStringLiteral("index"), QStringLiteral("--all")}).exitCode, 0);
        const ProgramRun run = runCli(dir.path(), {QStringLiteral("names"), QStringLiteral("--variants"),
                                                   QStringLiteral("--kind"), QStringLiteral("all")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("alkotó: Kovács János (4 rekord)\n"
                                         "  Kovács János\t3\ta.rtf\n"
                                         "  Kováts János\t1\ta.rtf\tmás családnév\n\n"
                                         "megjelenési hely: Budapest (2 rekord)\n"
                                         "  Budapest\t1\ta.rtf\n"
                                         "  Bp.\t1\ta.rtf\n\n"
                                         "megjelenési hely: Pozsony (2 rekord)\n"
                                         "  Pozsony\t1\ta.rtf\n"
                                         "  Pressburg\t1\ta.rtf\tmás nyelvű név\n\n"));
    }

    void replacePreviewThenApply()
    {
        TempWorkDir dir;
        const QStringList lines{recordLine(), recordLine({{Field::Publisher, QStringLiteral("Más")}})};
        TextFile::writeUnicode(dir.file(QStringLiteral("db.rtf")), lines);
        const QByteArray before = dir.readBytes(QStringLiteral("db.rtf"));
        const QStringList args{QStringLiteral("replace"),        QStringLiteral("--field"),
                               QStringLiteral("Kiadó"),          QStringLiteral("--regex"),
                               QStringLiteral("^(\\S+) Kiadó$"), QStringLiteral("--with"),
                               QStringLiteral("\\1 Könyvkiadó"), QStringLiteral("db.rtf")};
        const ProgramRun preview = runCli(dir.path(), args);
        QCOMPARE(preview.exitCode, 0);
        QCOMPARE(preview.out, QStringLiteral("Ka00012300\tKiadó\tNádas Kiadó\tNádas Könyvkiadó\n"));
        QCOMPARE(dir.readBytes(QStringLiteral("db.rtf")), before);

        // Not while the editor holds unsaved changes of the file.
        dir.writeBytes(QFileInfo(RecoveryCopy::pathFor(dir.file(QStringLiteral("db.rtf")))).fileName(),
                       before);
        const ProgramRun held = runCli(dir.path(), args + QStringList{QStringLiteral("--apply")});
        QCOMPARE(held.exitCode, 1);
        QCOMPARE(dir.readBytes(QStringLiteral("db.rtf")), before);
        QFile::remove(RecoveryCopy::pathFor(dir.file(QStringLiteral("db.rtf"))));

        // Nor while another process (this test) has the database open; the message names the holder.
        {
            DatabaseLock open(dir.file(QStringLiteral("db.rtf")));
            QCOMPARE(open.acquire(), DatabaseLock::State::Locked);
            const ProgramRun locked = runCli(dir.path(), args + QStringList{QStringLiteral("--apply")});
            QCOMPARE(locked.exitCode, 1);
            QVERIFY2(locked.err.contains(QSysInfo::machineHostName()), qPrintable(locked.err));
            QCOMPARE(dir.readBytes(QStringLiteral("db.rtf")), before);
        }

        const ProgramRun applied = runCli(dir.path(), args + QStringList{QStringLiteral("--apply")});
        QCOMPARE(applied.exitCode, 0);
        QCOMPARE(applied.err.trimmed(), QStringLiteral("1 rekord módosult"));
        QCOMPARE(
            TextFile::readUnicode(dir.file(QStringLiteral("db.rtf"))),
            (QStringList{recordLine({{Field::Publisher, QStringLiteral("Nádas Könyvkiadó")}}), lines[1]}));
    }
};

QTEST_GUILESS_MAIN(TestCliCheck)
#include "tst_clicheck.moc"
