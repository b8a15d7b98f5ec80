#include "TestSupport.h"

#include "core/index/IndexBuilder.h"
#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/search/SearchEngine.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QThread>
#include <QtTest>

namespace {

// A plausible record line whose name tells where it came from.
QString recordLine(int database, int k)
{
    const QString name =
        QStringLiteral("Ka%1").arg(database * 10000 + k, 6, 10, QLatin1Char('0')) + QStringLiteral("00");
    return name +
           QStringLiteral("**könyv**Irodalomtörténet**01Kovács Ödön**02**03**04**Cím %1/%2 – ő ű**Sorozat"
                          "**Akadémiai Kiadó**3**1998**123 p.**Budapest**megjegyzés****0**magyar**papír")
               .arg(database)
               .arg(k);
}

QStringList databaseLines(int database, int count)
{
    QStringList lines;
    for (int k = 1; k <= count; ++k)
        lines.append(recordLine(database, k));
    return lines;
}

QString dbName(int d)
{
    return QStringLiteral("db%1.rtf").arg(d);
}

const QStringList kListFiles = {QStringLiteral("alkoto.zda"), QStringLiteral("kiado.zda"),
                                QStringLiteral("megjhely.zda"), QStringLiteral("fsz0.zda"),
                                QStringLiteral("fsz1.zda")};

// An index file set of `chunks` chunk files and the five lists, each file
// telling what it is, except the names in `except`.
void writePreviousSet(const TempWorkDir& dir, int chunks, const QStringList& except = {})
{
    QStringList names = kListFiles;
    for (int n = 1; n <= chunks; ++n)
        names.append(QStringLiteral("adatb%1.ztf").arg(n));
    for (const QString& name : names)
        if (!except.contains(name))
            dir.writeBytes(name, "previous " + name.toUtf8());
}

// What the search visits while a run goes, each time a database is started.
class SearchWatch final : public IndexProgress
{
public:
    explicit SearchWatch(QString startDir) : m_startDir(std::move(startDir)) {}
    void databaseStarted(int, const QString&) override { seen.append(SearchEngine::chunkFiles(m_startDir)); }
    QList<QStringList> seen;

private:
    QString m_startDir;
};

// Asks for a stop once `cancelAt` records of the run are indexed, and notes
// the threads its calls came from.
class CancellingProgress final : public IndexProgress
{
public:
    explicit CancellingProgress(qint64 cancelAt) : m_cancelAt(cancelAt) { stopWhenDue(); }
    void databaseStarted(int, const QString&) override { threads.insert(QThread::currentThread()); }
    void recordIndexed(qint64) override
    {
        threads.insert(QThread::currentThread());
        ++m_indexed;
        stopWhenDue();
    }
    const JobControl& control() const { return m_control; }
    QSet<QThread*> threads;

private:
    void stopWhenDue()
    {
        if (m_indexed >= m_cancelAt)
            m_control.requestStop();
    }

    qint64 m_cancelAt;
    qint64 m_indexed = 0;
    JobControl m_control;
};

QByteArray eightBitLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out.append(Win1250::fromUnicode(line)).append("\r\n");
    return out;
}

} // namespace

class TestIndexBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chunksAndRecordDirectory_data()
    {
        QTest::addColumn<QList<int>>("databaseSizes");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QList<int>>("chunkSizes");

        QTest::newRow("2500 by 1000") << QList<int>{2500} << 1000 << QList<int>{1000, 1000, 500};
        QTest::newRow("2000 by 1000: empty last chunk")
            << QList<int>{2000} << 1000 << QList<int>{1000, 1000, 0};
        QTest::newRow("Végtelen") << QList<int>{2500} << IndexBuilder::InfiniteRecordsPerFile
                                  << QList<int>{2500};
        QTest::newRow("two of 600 across the boundary")
            << QList<int>{600, 600} << 1000 << QList<int>{1000, 200};
        QTest::newRow("empty databases") << QList<int>{0, 0} << 1000 << QList<int>{0};
        QTest::newRow("empty one in between") << QList<int>{150, 0, 60} << 100 << QList<int>{100, 100, 10};
    }

    void chunksAndRecordDirectory()
    {
        QFETCH(QList<int>, databaseSizes);
        QFETCH(int, limit);
        QFETCH(QList<int>, chunkSizes);

        TempWorkDir dir;
        QStringList names;
        QStringList all;
        for (int d = 0; d < databaseSizes.size(); ++d) {
            const QStringList lines = databaseLines(d + 1, databaseSizes[d]);
            TextFile::writeUnicode(dir.file(dbName(d + 1)), lines);
            names.append(dbName(d + 1));
            all += lines;
        }

        IndexBuilder builder(dir.path());
        builder.setRecordsPerFile(limit);
        builder.build(names);

        QStringList expectedChunkNumbers;
        QStringList expectedNames;
        qsizetype next = 0;
        for (int n = 1; n <= chunkSizes.size(); ++n) {
            const QStringList chunk = all.mid(next, chunkSizes[n - 1]);
            next += chunk.size();
            QCOMPARE(dir.readBytes(QStringLiteral("adatb%1.ztf").arg(n)), TextFile::encodeUnicode(chunk));
            for (const QString& line : chunk) {
                expectedChunkNumbers.append(QString::number(n));
                expectedNames.append(line.left(10));
            }
        }
        QCOMPARE(next, all.size());
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("adatb%1.ztf").arg(chunkSizes.size() + 1))));
        QCOMPARE(dir.readBytes(QStringLiteral("fsz0.zda")), eightBitLines(expectedChunkNumbers));
        QCOMPARE(dir.readBytes(QStringLiteral("fsz1.zda")), eightBitLines(expectedNames));
        QCOMPARE(builder.recordCount(), all.size());
        QCOMPARE(builder.chunkCount(), chunkSizes.size());
    }

    // A run leaves exactly the new set: the earlier chunks beyond its count,
    // dangling chunk links and whatever a killed run left are gone, files that
    // only look like chunks stay.
    void runLeavesOnlyTheNewSet()
    {
        TempWorkDir dir;
        writePreviousSet(dir, 9);
        dir.writeBytes(QStringLiteral("adatb_regi.ztf"), "old");
        dir.writeBytes(QStringLiteral("adatb1.ztf.bak"), "kept");
        dir.writeBytes(QStringLiteral("adatb3.ztf.part"), "half");
        QVERIFY(QFile::link(dir.file(QStringLiteral("nincs.ztf")), dir.file(QStringLiteral("adatb12.ztf"))));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral(".norla-index-building")));
        dir.writeBytes(QStringLiteral(".norla-index-building/adatb1.ztf"), "killed run");
        TextFile::writeUnicode(dir.file(dbName(1)), databaseLines(1, 250));

        IndexBuilder builder(dir.path());
        builder.setRecordsPerFile(100);
        builder.build({dbName(1)});

        const QStringList left = folderContents(dir.path()).keys();
        // Beside the set, the note of the databases it was built from.
        QCOMPARE(left, (QStringList{QStringLiteral(".norla-index-sources"), QStringLiteral("adatb1.ztf"),
                                    QStringLiteral("adatb1.ztf.bak"), QStringLiteral("adatb2.ztf"),
                                    QStringLiteral("adatb3.ztf"), QStringLiteral("alkoto.zda"), dbName(1),
                                    QStringLiteral("fsz0.zda"), QStringLiteral("fsz1.zda"),
                                    QStringLiteral("kiado.zda"), QStringLiteral("megjhely.zda")}));
        QCOMPARE(dir.readBytes(QStringLiteral("adatb3.ztf")),
                 TextFile::encodeUnicode(databaseLines(1, 250).mid(200)));
        QCOMPARE(TextFile::read8Bit(dir.file(QStringLiteral("fsz0.zda"))).size(), 250);
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("kiado.zda"))),
                 QStringList{QStringLiteral("Akadémiai Kiadó")});
    }

    // While a run writes, the search sees the previous set whole.
    void searchSeesThePreviousSetDuringARun()
    {
        TempWorkDir dir;
        writePreviousSet(dir, 4);
        for (int d = 1; d <= 3; ++d)
            TextFile::writeUnicode(dir.file(dbName(d)), databaseLines(d, 150));
        QStringList previousChunks;
        for (int n = 1; n <= 4; ++n)
            previousChunks.append(dir.file(QStringLiteral("adatb%1.ztf").arg(n)));

        IndexBuilder builder(dir.path());
        builder.setRecordsPerFile(100);
        SearchWatch watch(dir.path());
        builder.setProgress(&watch);
        builder.build({dbName(1), dbName(2), dbName(3)});

        QCOMPARE(watch.seen, QList<QStringList>(3, previousChunks));
        QCOMPARE(SearchEngine::chunkFiles(dir.path()).size(), 5);
    }

    void nameLists()
    {
        TempWorkDir dir;
        const QStringList lines = {
            // slots: role code only; a name; a one-character name; a name with Greek letters
            QStringLiteral(
                "Ka00000100**könyv**t**02**01Kovács**03X**04Ἀθ Lajos**cím**sorozat**Kalligram**1**2000"
                "**12 p.**Pozsony"),
            // a later KOVÁCS is the same name; a one-character publisher adds nothing
            QStringLiteral(
                "Ka00000200**könyv**t**01KOVÁCS**05ady endre**03**04**cím**sor**K**1**2000**1**Budapest"),
            // a line with too few fields still counts and adds what it has
            QStringLiteral("Lu00000300**cikk**t**01Babits Mihály"),
            // a name holding "***" is cut at the leftmost "**", shifting every later field
            QStringLiteral(
                "Ze00000400**rec.**t**01Bíró***Ágnes**02**03**04**c**p**Európa**1**2000**1**Szeged"),
            // a later lower-case form of a place adds nothing
            QStringLiteral("Go00000500**rec.**t**********************budapest"),
        };
        TextFile::writeUnicode(dir.file(dbName(1)), lines);

        IndexBuilder builder(dir.path());
        builder.build({dbName(1)});

        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("alkoto.zda"))),
                 (QStringList{QStringLiteral("?? Lajos"), QStringLiteral("ady endre"),
                              QStringLiteral("Babits Mihály"), QStringLiteral("Bíró"), QStringLiteral("gnes"),
                              QStringLiteral("Kovács")}));
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("kiado.zda"))),
                 QStringList{QStringLiteral("Kalligram")});
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("megjhely.zda"))),
                 (QStringList{QStringLiteral("Budapest"), QStringLiteral("Pozsony")}));
        QCOMPARE(dir.readBytes(QStringLiteral("fsz1.zda")),
                 QByteArray("Ka00000100\r\nKa00000200\r\nLu00000300\r\nZe00000400\r\nGo00000500\r\n"));
        // The chunk keeps the Greek letters that the lists lose.
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("adatb1.ztf"))), lines);
    }

    void offeredDatabases()
    {
        TempWorkDir dir;
        for (const char* name : {"b.rtf", "Adatbazis.rtf", "adatbazis.rtf", "C.RTF", "a.txt", "adatb1.ztf"})
            dir.writeBytes(QString::fromLatin1(name), "\xFF\xFE");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.rtf")));

        QCOMPARE(
            IndexBuilder::offeredDatabases(dir.path()),
            (QStringList{QStringLiteral("Adatbazis.rtf"), QStringLiteral("b.rtf"), QStringLiteral("C.RTF")}));
    }

    void offeredNameInCapitalsIsRead()
    {
        TempWorkDir dir;
        TextFile::writeUnicode(dir.file(QStringLiteral("NAGY.RTF")), databaseLines(1, 3));
        TextFile::writeUnicode(dir.file(QStringLiteral("kicsi.rtf")), databaseLines(2, 2));

        IndexBuilder builder(dir.path());
        builder.build({QStringLiteral("kicsi"), QStringLiteral("NAGY.RTF")});
        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("adatb1.ztf"))),
                 databaseLines(2, 2) + databaseLines(1, 3));
    }

    void recordsPerFileChoices()
    {
        QStringList captions;
        QList<int> limits;
        for (const RecordsPerFileChoice& choice : IndexBuilder::recordsPerFileChoices()) {
            captions.append(choice.caption);
            limits.append(choice.limit);
        }
        QCOMPARE(captions,
                 QStringList({QStringLiteral("Automatikus"), QStringLiteral("100"), QStringLiteral("500"),
                              QStringLiteral("1000"), QStringLiteral("1500"), QStringLiteral("2000"),
                              QStringLiteral("3000"), QStringLiteral("4000"), QStringLiteral("5000"),
                              QStringLiteral("6000"), QStringLiteral("8000"), QStringLiteral("9000"),
                              QStringLiteral("10000"), QStringLiteral("Végtelen")}));
        QCOMPARE(limits, (QList<int>{1000, 100, 500, 1000, 1500, 2000, 3000, 4000, 5000, 6000, 8000, 9000,
                                     10000, 99999999}));
    }

    // A run that stops anywhere leaves the previous set byte for byte, its
    // chunks beyond the new count included, and nothing of its own.
    void failureKeepsThePreviousSet_data()
    {
        QTest::addColumn<QString>("obstacle"); // a folder standing where a file of the new set must go
        QTest::addColumn<QString>("missing");  // a database that is not there
        QTest::addColumn<QString>("message");  // file name in the message

        QTest::newRow("second of three databases cannot be read")
            << QString() << dbName(2) << QStringLiteral("Cannot open file %1/db2.rtf");
        QTest::newRow("chunk cannot be put in place") << QStringLiteral("adatb2.ztf") << QString()
                                                      << QStringLiteral("Cannot create file %1/adatb2.ztf");
        QTest::newRow("name list cannot be put in place")
            << QStringLiteral("kiado.zda") << QString() << QStringLiteral("Cannot create file %1/kiado.zda");
        QTest::newRow("last file of the set cannot be put in place")
            << QStringLiteral("fsz1.zda") << QString() << QStringLiteral("Cannot create file %1/fsz1.zda");
    }

    void failureKeepsThePreviousSet()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, missing);
        QFETCH(QString, message);

        TempWorkDir dir;
        writePreviousSet(dir, 4, {obstacle});
        if (!obstacle.isEmpty())
            QVERIFY(QDir(dir.path()).mkdir(obstacle));
        QStringList names;
        for (int d = 1; d <= 3; ++d) {
            names.append(dbName(d));
            if (names.last() != missing)
                TextFile::writeUnicode(dir.file(dbName(d)), databaseLines(d, 750));
        }
        const QMap<QString, QByteArray> before = folderContents(dir.path());

        IndexBuilder builder(dir.path());
        // The message names the file and, in its second line, the cause.
        const QString failing = message.section(u' ', -1).arg(dir.path());
        QCOMPARE(errorOf([&] { builder.build(names); }),
                 message.startsWith(u"Cannot open") ? cannotOpenFile(failing) : cannotCreateFile(failing));
        QCOMPARE(folderContents(dir.path()), before);

        // The same run, once nothing is in its way, replaces the set.
        if (!obstacle.isEmpty())
            QVERIFY(QDir(dir.path()).rmdir(obstacle));
        else
            TextFile::writeUnicode(dir.file(missing), databaseLines(2, 750));
        builder.build(names);
        QCOMPARE(SearchEngine::chunkFiles(dir.path()).size(), 3);
        QCOMPARE(TextFile::read8Bit(dir.file(QStringLiteral("fsz0.zda"))).size(), 2250);
    }

    // A cancel, before the first database, within one or after the last
    // record, ends the run with the previous set as it was; every progress
    // call came from the thread that called build().
    void cancelKeepsThePreviousSet_data()
    {
        QTest::addColumn<qint64>("cancelAt");
        QTest::newRow("at once") << qint64(0);
        QTest::newRow("within the second database") << qint64(2000);
        QTest::newRow("after the last record") << qint64(4500);
    }

    void cancelKeepsThePreviousSet()
    {
        QFETCH(qint64, cancelAt);
        TempWorkDir dir;
        writePreviousSet(dir, 4);
        QStringList names;
        for (int d = 1; d <= 3; ++d) {
            names.append(dbName(d));
            TextFile::writeUnicode(dir.file(dbName(d)), databaseLines(d, 1500));
        }
        const QMap<QString, QByteArray> before = folderContents(dir.path());

        CancellingProgress progress(cancelAt);
        IndexBuilder builder(dir.path());
        builder.setProgress(&progress);
        QVERIFY_THROWS_EXCEPTION(OperationCancelled, builder.build(names, progress.control()));
        QCOMPARE(folderContents(dir.path()), before);
        QVERIFY(progress.threads.size() <= 1);
        QVERIFY(progress.threads.isEmpty() || progress.threads.contains(QThread::currentThread()));
    }

    // Chunk lines end in CR LF whatever ended the database line, whether the
    // line is taken over as stored (UTF-16LE with CR LF) or re-encoded.
    void chunkLinesFromEveryLineEnd_data()
    {
        QTest::addColumn<QString>("codec"); // "utf-16le" or "utf-8"
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");

        const QString mixed = recordLine(1, 1) + u'\n' + recordLine(1, 2) + QStringLiteral("\r\n") +
                              recordLine(1, 3) + u'\r' + recordLine(1, 4) + QChar(0x2028) + recordLine(1, 5) +
                              QStringLiteral("\r\n") + recordLine(1, 6);
        for (const int limit : {1, 2, 1000}) {
            QTest::addRow("utf-16le mixed, %d per file", limit)
                << QStringLiteral("utf-16le") << mixed << limit;
            QTest::addRow("utf-8 mixed, %d per file", limit) << QStringLiteral("utf-8") << mixed << limit;
        }
        QTest::newRow("utf-16le, last line ended")
            << QStringLiteral("utf-16le") << recordLine(1, 1) + QStringLiteral("\r\n") << 1000;
    }

    void chunkLinesFromEveryLineEnd()
    {
        QFETCH(QString, codec);
        QFETCH(QString, text);
        QFETCH(int, limit);
        TempWorkDir dir;
        QByteArray bytes;
        if (codec == u"utf-8") {
            bytes = "\xEF\xBB\xBF" + text.toUtf8();
        } else {
            bytes = "\xFF\xFE";
            bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        }
        dir.writeBytes(dbName(1), bytes);
        TextFile::writeUnicode(dir.file(dbName(2)), databaseLines(2, 3));

        IndexBuilder builder(dir.path());
        builder.setRecordsPerFile(limit);
        builder.build({dbName(1), dbName(2)});

        const QStringList all = TextFile::decodeUnicode(bytes) + databaseLines(2, 3);
        for (qsizetype at = 0, n = 1; at < all.size(); at += limit, ++n) {
            QCOMPARE(dir.readBytes(QStringLiteral("adatb%1.ztf").arg(n)),
                     TextFile::encodeUnicode(all.mid(at, limit)));
        }
        QCOMPARE(builder.recordCount(), all.size());
    }

    // A run killed at any step leaves folders that tell how far it got; the
    // next run first makes the set whole again, so even when it fails itself
    // the whole set is there afterwards.
    void killedRunIsUndoneByTheNext_data()
    {
        QTest::addColumn<QStringList>("live");      // entries of the live set as the kill left them
        QTest::addColumn<QStringList>("building");  // in the staging folder
        QTest::addColumn<QStringList>("moving");    // in the staging folder once it is being moved in
        QTest::addColumn<QStringList>("previous");  // set aside
        QTest::addColumn<QStringList>("discarded"); // set aside, after the new set was in place
        QTest::addColumn<QString>("whole");         // "previous" or "new": the set that is back

        const QStringList set = {QStringLiteral("adatb1.ztf"),   QStringLiteral("adatb2.ztf"),
                                 QStringLiteral("alkoto.zda"),   QStringLiteral("kiado.zda"),
                                 QStringLiteral("megjhely.zda"), QStringLiteral("fsz0.zda"),
                                 QStringLiteral("fsz1.zda")};
        QTest::newRow("while writing") << set << set.mid(0, 3) << QStringList() << QStringList()
                                       << QStringList() << QStringLiteral("previous");
        QTest::newRow("while setting the previous set aside")
            << set.mid(3) << set << QStringList() << set.mid(0, 3) << QStringList()
            << QStringLiteral("previous");
        QTest::newRow("while moving the new set in")
            << (set.mid(0, 2) + QStringList{QStringLiteral("adatb3.ztf")}) << QStringList() << set.mid(2)
            << set << QStringList() << QStringLiteral("previous");
        QTest::newRow("while dropping the previous set")
            << set << QStringList() << QStringList() << QStringList() << set.mid(4) << QStringLiteral("new");
    }

    void killedRunIsUndoneByTheNext()
    {
        QFETCH(QStringList, live);
        QFETCH(QStringList, building);
        QFETCH(QStringList, moving);
        QFETCH(QStringList, previous);
        QFETCH(QStringList, discarded);
        QFETCH(QString, whole);

        TempWorkDir dir;
        const auto place = [&dir](const QString& folder, const QStringList& names, const QByteArray& which) {
            if (!folder.isEmpty() && !names.isEmpty())
                QVERIFY(QDir(dir.path()).mkpath(folder));
            for (const QString& name : names)
                dir.writeBytes(folder.isEmpty() ? name : folder + u'/' + name, which + ' ' + name.toUtf8());
        };
        const QByteArray liveSet =
            whole == u"new" || (!previous.isEmpty() && !moving.isEmpty()) ? "new" : "previous";
        place(QString(), live, liveSet);
        place(QStringLiteral(".norla-index-building"), building, "new");
        place(QStringLiteral(".norla-index-moving"), moving, "new");
        place(QStringLiteral(".norla-index-previous"), previous, "previous");
        place(QStringLiteral(".norla-index-discarded"), discarded, "previous");

        // A run that fails itself, so what is left is only what it undid.
        IndexBuilder builder(dir.path());
        QCOMPARE(errorOf([&] { builder.build({dbName(1)}); }),
                 cannotOpenFile(dir.path() + QStringLiteral("/db1.rtf")));

        QMap<QString, QByteArray> expected;
        for (const QString& name :
             {QStringLiteral("adatb1.ztf"), QStringLiteral("adatb2.ztf"), QStringLiteral("alkoto.zda"),
              QStringLiteral("kiado.zda"), QStringLiteral("megjhely.zda"), QStringLiteral("fsz0.zda"),
              QStringLiteral("fsz1.zda")})
            expected.insert(name, whole.toUtf8() + ' ' + name.toUtf8());
        QCOMPARE(folderContents(dir.path()), expected);
    }

    // The lists cut a short line as if "**" were appended, so a "*" ending
    // its last field is no part of that field. The chunk keeps the line.
    void shortLineLosesTrailingStar_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("entries");

        QTest::newRow("creator") << QStringLiteral("Ka00000100**könyv**t**01Kovács*")
                                 << QStringLiteral("alkoto.zda") << QStringList{QStringLiteral("Kovács")};
        QTest::newRow("creator in the last slot")
            << QStringLiteral("Ka00000100**könyv**t**01**02**03**04Ady Endre*")
            << QStringLiteral("alkoto.zda") << QStringList{QStringLiteral("Ady Endre")};
        QTest::newRow("publisher") << QStringLiteral("Ka00000100**könyv**t**01**02**03**04**c**s**Európa*")
                                   << QStringLiteral("kiado.zda") << QStringList{QStringLiteral("Európa")};
        QTest::newRow("place") << QStringLiteral(
                                      "Ka00000100**könyv**t**01**02**03**04**c**s**k**1**2000**9 p.**Szeged*")
                               << QStringLiteral("megjhely.zda") << QStringList{QStringLiteral("Szeged")};
        QTest::newRow("name of a one-field line")
            << QStringLiteral("Ka00000100*") << QStringLiteral("fsz1.zda")
            << QStringList{QStringLiteral("Ka00000100")};
        QTest::newRow("a \"*\" inside stays")
            << QStringLiteral("Ka00000100**könyv**t**01Kovács*Ödön") << QStringLiteral("alkoto.zda")
            << QStringList{QStringLiteral("Kovács*Ödön")};
    }

    void shortLineLosesTrailingStar()
    {
        QFETCH(QString, line);
        QFETCH(QString, file);
        QFETCH(QStringList, entries);

        TempWorkDir dir;
        TextFile::writeUnicode(dir.file(dbName(1)), {line});
        IndexBuilder builder(dir.path());
        builder.build({dbName(1)});

        const QStringList written =
            file == u"fsz1.zda" ? TextFile::read8Bit(dir.file(file)) : TextFile::readUnicode(dir.file(file));
        QCOMPARE(written, entries);
        QCOMPARE(dir.readBytes(QStringLiteral("adatb1.ztf")), TextFile::encodeUnicode({line}));
    }
};

QTEST_GUILESS_MAIN(TestIndexBuilder)
#include "tst_indexbuilder.moc"
