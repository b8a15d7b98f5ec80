#include "DbfFixture.h"
#include "TestSupport.h"

#include "core/convert/ConversionSession.h"
#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/TextFile.h"

#include <QtTest>

namespace {

QStringList convertAll(const ConversionSession& session)
{
    QStringList lines;
    session.convert([&](const QString& line) { lines.append(line); });
    return lines;
}

// A control that answers "stop" from the given check on (counting from 1).
class StopAt final
{
public:
    explicit StopAt(int check) : m_check(check)
    {
        m_control.setCheckpoint([this] {
            if (++m_asked >= m_check)
                m_control.requestStop();
        });
    }
    const JobControl& control() const { return m_control; }
    int asked() const { return m_asked; }

private:
    const int m_check;
    int m_asked = 0;
    JobControl m_control;
};

} // namespace

class TestConversionSession : public QObject
{
    Q_OBJECT

private slots:
    void resultNameGetsRtf_data();
    void resultNameGetsRtf();
    void resultIsADatabaseFile();
    void failedSaveKeepsThePreviousFile();
    void textSourceIsReadLikeADatabase_data();
    void textSourceIsReadLikeADatabase();
    void unreadableTextSourceLeavesNoLines();
    void dbaseTableStaysOpenUntilTheNextOne();
    void noKindConvertsNothing();
    void fileNamesAreUsedAsTheyAre();
    void hungarianTableReachesTheDatabaseIntact();
    void firstTableRowIsReported_data();
    void firstTableRowIsReported();
    void linesAfterTheLastDirectorRecordAreCounted_data();
    void linesAfterTheLastDirectorRecordAreCounted();
    void existingFilesAreToldApart();
    void cancelStopsTheConversion_data();
    void cancelStopsTheConversion();
    void cancelStopsAnImportWhileItIsRead();
    void cancelledSaveWritesNothing();
    void builtResultIsWrittenOnlyWhenCommitted();
    void exchangeTextReadsLikeItsLines_data();
    void exchangeTextReadsLikeItsLines();

private:
    TempWorkDir m_dir;
};

void TestConversionSession::resultNameGetsRtf_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("lista") << QStringLiteral("lista") << QStringLiteral("lista.rtf");
    QTest::newRow("lista.RTF") << QStringLiteral("lista.RTF") << QStringLiteral("lista.RTF.rtf");
    QTest::newRow("lista.rtf.bak") << QStringLiteral("lista.rtf.bak") << QStringLiteral("lista.rtf.bak");
    QTest::newRow("lista.rtf") << QStringLiteral("lista.rtf") << QStringLiteral("lista.rtf");
}

void TestConversionSession::resultNameGetsRtf()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    const QStringList lines{QStringLiteral("Ka00000100**könyv")};
    QCOMPARE(ConversionSession::saveResult(m_dir.file(chosen), lines), m_dir.file(written));
    QCOMPARE(m_dir.readBytes(written), unicodeFileBytes(lines));
}

void TestConversionSession::resultIsADatabaseFile()
{
    m_dir.writeBytes(QStringLiteral("eredmeny.rtf"), QByteArray("régi tartalom"));
    ConversionSession::saveResult(m_dir.file(QStringLiteral("eredmeny")),
                                  {QStringLiteral("a"), QStringLiteral("ő")});
    QCOMPARE(m_dir.readBytes(QStringLiteral("eredmeny.rtf")), QByteArray("\xff\xfe"
                                                                         "a\0\r\0\n\0"
                                                                         "\x51\x01\r\0\n\0",
                                                                         14));
    ConversionSession::saveResult(m_dir.file(QStringLiteral("ures")), {});
    QCOMPARE(m_dir.readBytes(QStringLiteral("ures.rtf")), QByteArray("\xff\xfe"));
}

void TestConversionSession::failedSaveKeepsThePreviousFile()
{
    const QString target = m_dir.file(QStringLiteral("nincs/mappa/lista"));
    QCOMPARE(errorOf([&] { ConversionSession::saveResult(target, {QStringLiteral("x")}); }),
             cannotCreateFile(target + QStringLiteral(".rtf")));
}

void TestConversionSession::textSourceIsReadLikeADatabase_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QStringList lines{QStringLiteral("Ka000001001könyv"), QString(), QStringLiteral("Ka000001005Cím")};
    QTest::newRow("UTF-16LE") << unicodeFileBytes(lines);
    QTest::newRow("UTF-8 with mark") << QByteArray(
        "\xef\xbb\xbfKa000001001k\xc3\xb6nyv\n\nKa000001005C\xc3\xadm\n");
    QTest::newRow("8-bit, mixed line ends") << QByteArray("Ka000001001k\xf6nyv\r\rKa000001005C\xedm");
    QTest::newRow("UTF-16BE") << QByteArray(
        "\xfe\xff\0K\0a\0\x30\0\x30\0\x30\0\x30\0\x30\0\x31\0\x30\0\x30\0\x31\0k\0\xf6"
        "\0n\0y\0v\0\r\0\n\0\r\0\n\0K\0a\0\x30\0\x30\0\x30\0\x30\0\x30\0\x31\0\x30\0"
        "\x30\0\x35\0C\0\xed\0m",
        70);
}

void TestConversionSession::textSourceIsReadLikeADatabase()
{
    QFETCH(QByteArray, bytes);
    m_dir.writeBytes(QStringLiteral("forras.zdb"), bytes);
    ConversionSession session;
    session.setKind(SourceKind::Zdb);
    session.openSource(m_dir.file(QStringLiteral("forras.zdb")));
    QCOMPARE(session.sourceLines(),
             (QStringList{QStringLiteral("Ka000001001könyv"), QString(), QStringLiteral("Ka000001005Cím")}));
}

void TestConversionSession::unreadableTextSourceLeavesNoLines()
{
    m_dir.writeBytes(QStringLiteral("elso.txt"), QByteArray("konyv\n"));
    ConversionSession session;
    session.setKind(SourceKind::Director);
    session.openSource(m_dir.file(QStringLiteral("elso.txt")));
    QCOMPARE(session.sourceLines().size(), 1);
    const QString missing = m_dir.file(QStringLiteral("nincs.txt"));
    QCOMPARE(errorOf([&] { session.openSource(missing); }), cannotOpenFile(missing));
    QCOMPARE(session.sourceLines(), QStringList());
    QCOMPARE(session.sourcePath(), missing);
}

void TestConversionSession::dbaseTableStaysOpenUntilTheNextOne()
{
    const QString good = m_dir.file(QStringLiteral("jo.dbf"));
    QVERIFY(writeDbfFixture(good, {dbfRow("Ka00000100"), dbfRow("Ka00000200")}));
    ConversionSession session;
    session.setKind(SourceKind::DBase);
    session.openSource(good);
    QCOMPARE(convertAll(session).size(), 1);
    // Converting again reads the open table again.
    QCOMPARE(convertAll(session).size(), 1);

    const QString bad = m_dir.file(QStringLiteral("rossz.dbf"));
    QVERIFY(
        writeDbfFixture(bad, {dbfRow("Ka00000100"), dbfRow("Ka00000200")}, 0xC8, {QStringLiteral("CIM")}));
    QVERIFY(errorOf([&] { session.openSource(bad); }).contains(QStringLiteral("CIM")));
    QVERIFY(!session.table().isOpen());
    QVERIFY(!errorOf([&] { convertAll(session); }).isEmpty());
}

void TestConversionSession::noKindConvertsNothing()
{
    m_dir.writeBytes(QStringLiteral("forras.zdb"), QByteArray("Ka000001001konyv\r\n"));
    ConversionSession session;
    session.openSource(m_dir.file(QStringLiteral("forras.zdb")));
    QCOMPARE(session.sourceLines().size(), 1);
    QCOMPARE(convertAll(session), QStringList());
}

void TestConversionSession::fileNamesAreUsedAsTheyAre()
{
    // Names the 8-bit code page cannot hold must still be opened and written.
    const QString source = QStringLiteral("Señor ≈ Ωmega.txt");
    m_dir.writeBytes(source, QByteArray(16, '\n').prepend("konyv"));
    ConversionSession session;
    session.setKind(SourceKind::Director);
    session.setVolume(0);
    session.openSource(m_dir.file(source));
    QCOMPARE(convertAll(session).size(), 1);
    const QString written =
        ConversionSession::saveResult(m_dir.file(QStringLiteral("Ωmega")), convertAll(session));
    QCOMPARE(written, m_dir.file(QStringLiteral("Ωmega.rtf")));
    QVERIFY(QFile::exists(written));
}

void TestConversionSession::hungarianTableReachesTheDatabaseIntact()
{
    // A cp852 table whose driver byte says nothing, as LibreOffice writes it.
    const QString path = m_dir.file(QStringLiteral("magyar.dbf"));
    const QHash<QString, QByteArray> values = {
        {QStringLiteral("REKTIPUS"), "k\x94nyv"},
        {QStringLiteral("SZERZO"), "1\x9akr\x94s \x90va"},
        {QStringLiteral("CIM"), "\xb5rv\xa1zt\xfbr\x8b t\x81k\x94rf\xa3r\xa2g\x82p"},
        {QStringLiteral("ADATHORDOZ"), "pap\xa1r"},
        {QStringLiteral("FORD"), "0"},
    };
    QVERIFY(writeDbfFixture(path, {dbfRow("Ka00000100"), dbfRow("Ka00000200", values)}, 0));
    ConversionSession session;
    session.setKind(SourceKind::DBase);
    session.openSource(path);
    const QStringList lines = convertAll(session);
    const QString expected =
        QStringLiteral("Ka00000200**könyv****01Ükrös Éva**02**03**04**Árvíztűrő tükörfúrógép"
                       "******************0****papír");
    QCOMPARE(lines, QStringList{expected});
    const QString written = ConversionSession::saveResult(m_dir.file(QStringLiteral("magyar")), lines);
    QCOMPARE(TextFile::readUnicode(written), QStringList{expected});
}

void TestConversionSession::firstTableRowIsReported_data()
{
    QTest::addColumn<QList<DbfFixtureRow>>("rows");
    QTest::addColumn<QStringList>("notes");
    const QString named =
        QStringLiteral("A tábla első rekordja (%1) nem került át: a konvertálás a második rekordtól indul.");
    DbfFixtureRow deleted = dbfRow("Ka00000100");
    deleted.deleted = true;

    QTest::newRow("three rows") << QList<DbfFixtureRow>{dbfRow("Ka00000100"), dbfRow("Ka00000200"),
                                                        dbfRow("Ka00000300")}
                                << QStringList{named.arg(QStringLiteral("Ka00000100"))};
    QTest::newRow("a single row") << QList<DbfFixtureRow>{dbfRow("Ka00000100")}
                                  << QStringList{named.arg(QStringLiteral("Ka00000100"))};
    QTest::newRow("the first live row is the one left out")
        << QList<DbfFixtureRow>{deleted, dbfRow("Ka00000200"), dbfRow("Ka00000300")}
        << QStringList{named.arg(QStringLiteral("Ka00000200"))};
    QTest::newRow("without a record name")
        << QList<DbfFixtureRow>{dbfRow(""), dbfRow("Ka00000200")}
        << QStringList{QStringLiteral(
               "A tábla első rekordja nem került át: a konvertálás a második rekordtól indul.")};
    QTest::newRow("no rows") << QList<DbfFixtureRow>{} << QStringList{};
}

void TestConversionSession::firstTableRowIsReported()
{
    QFETCH(QList<DbfFixtureRow>, rows);
    QFETCH(QStringList, notes);
    const QString path = m_dir.file(QStringLiteral("tabla.dbf"));
    QVERIFY(writeDbfFixture(path, rows));
    ConversionSession session;
    session.setKind(SourceKind::DBase);
    session.openSource(path);
    QCOMPARE(session.leftOutNotes(), notes);
}

void TestConversionSession::linesAfterTheLastDirectorRecordAreCounted_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("leftOut");
    QTest::newRow("empty file") << 0 << 0;
    QTest::newRow("a single line") << 1 << 1;
    QTest::newRow("one whole record") << 16 << 0;
    QTest::newRow("two records and a line") << 33 << 1;
    QTest::newRow("two records and 15 lines") << 47 << 15;
}

void TestConversionSession::linesAfterTheLastDirectorRecordAreCounted()
{
    QFETCH(int, lineCount);
    QFETCH(int, leftOut);
    QByteArray bytes;
    for (int line = 0; line < lineCount; ++line)
        bytes += "konyv\r\n";
    m_dir.writeBytes(QStringLiteral("director.txt"), bytes);
    ConversionSession session;
    session.setKind(SourceKind::Director);
    session.setVolume(0);
    session.openSource(m_dir.file(QStringLiteral("director.txt")));
    const QStringList expected =
        leftOut == 0 ? QStringList{}
                     : QStringList{QStringLiteral("A fájl végéről %1 sor nem került át: nem tesz ki egy "
                                                  "teljes, 16 soros rekordot.")
                                       .arg(leftOut)};
    QCOMPARE(session.leftOutNotes(), expected);
    // The other kinds pass nothing over in the same lines.
    session.setKind(SourceKind::Zdb);
    QCOMPARE(session.leftOutNotes(), QStringList());
}

void TestConversionSession::existingFilesAreToldApart()
{
    m_dir.writeBytes(QStringLiteral("van.rtf"), QByteArray("x"));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("mappa.rtf")));
    QVERIFY(ConversionSession::replacesExistingFile(m_dir.file(QStringLiteral("van.rtf"))));
    QVERIFY(!ConversionSession::replacesExistingFile(m_dir.file(QStringLiteral("nincs.rtf"))));
    // A folder is not replaced: writing there fails with its own message.
    QVERIFY(!ConversionSession::replacesExistingFile(m_dir.file(QStringLiteral("mappa.rtf"))));
}

void TestConversionSession::cancelStopsTheConversion_data()
{
    QTest::addColumn<int>("check");
    QTest::addColumn<int>("linesHandedOn");
    QTest::newRow("before the first line") << 1 << 0;
    QTest::newRow("after 256 lines") << 2 << 255;
    QTest::newRow("after 512 lines") << 3 << 511;
    QTest::newRow("after the last line") << 4 << 600;
    QTest::newRow("never") << 5 << 600;
}

// Asked before the first line, every 256 lines and after the last one.
void TestConversionSession::cancelStopsTheConversion()
{
    QFETCH(int, check);
    QFETCH(int, linesHandedOn);
    QStringList source;
    for (int k = 1; k <= 600; ++k) {
        QStringList block(16);
        block[0] = QStringLiteral("konyv");
        block[12] = QString::number(k);
        source += block;
    }
    TextFile::writeUnicode(m_dir.file(QStringLiteral("sok.txt")), source);
    ConversionSession session;
    session.setKind(SourceKind::Director);
    session.setVolume(0);
    session.openSource(m_dir.file(QStringLiteral("sok.txt")));
    const StopAt progress(check);
    QStringList lines;
    bool cancelled = false;
    try {
        session.convert([&](const QString& line) { lines.append(line); }, progress.control());
    } catch (const OperationCancelled&) {
        cancelled = true;
    }
    QCOMPARE(cancelled, check <= 4);
    QCOMPARE(lines.size(), linesHandedOn);
    QCOMPARE(progress.asked(), qMin(check, 4));
    QCOMPARE(convertAll(session).size(), 600);
}

// The entries are read on a thread of their own, far enough ahead that it
// waits for the building side; a stop there must end both, not hang.
void TestConversionSession::cancelStopsAnImportWhileItIsRead()
{
    QByteArray ris;
    for (int k = 1; k <= 5000; ++k)
        ris += "TY  - BOOK\nTI  - Cim " + QByteArray::number(k) + "\nER  - \n";
    m_dir.writeBytes(QStringLiteral("sok.ris"), ris);
    ConversionSession session;
    session.setKind(SourceKind::Ris);
    session.setVolume(0);
    session.openSource(m_dir.file(QStringLiteral("sok.ris")));
    const StopAt progress(3);
    QStringList lines;
    QVERIFY_THROWS_EXCEPTION(
        OperationCancelled,
        session.convert([&](const QString& line) { lines.append(line); }, progress.control()));
    QCOMPARE(lines.size(), 511);
    const QStringList all = convertAll(session);
    QCOMPARE(all.size(), 5000);
    QVERIFY(all.last().contains(QStringLiteral("Cim 5000")));
}

void TestConversionSession::cancelledSaveWritesNothing()
{
    const QByteArray earlier = unicodeFileBytes({QStringLiteral("Ka00000100**korábbi")});
    m_dir.writeBytes(QStringLiteral("cel.rtf"), earlier);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const int check : {1, 2}) {
        const StopAt progress(check);
        QVERIFY_THROWS_EXCEPTION(OperationCancelled,
                                 ConversionSession::saveResult(m_dir.file(QStringLiteral("cel")),
                                                               {QStringLiteral("Ka00000200**új")},
                                                               progress.control()));
        QCOMPARE(m_dir.readBytes(QStringLiteral("cel.rtf")), earlier);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    }
}

// A result larger than the pieces it is written in: the committed file has
// every line, and a result dropped part way leaves the earlier file alone.
void TestConversionSession::builtResultIsWrittenOnlyWhenCommitted()
{
    QStringList lines;
    for (int k = 0; k < 40000; ++k)
        lines.append(QStringLiteral("Ka%1**könyv**Egy hosszabb cím").arg(k, 6, 10, QLatin1Char('0')));
    const QByteArray earlier = unicodeFileBytes({QStringLiteral("Ka00000100**korábbi")});
    m_dir.writeBytes(QStringLiteral("cel.rtf"), earlier);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    {
        ConversionResult dropped(m_dir.file(QStringLiteral("cel")));
        for (const QString& line : std::as_const(lines))
            dropped.append(line);
    }
    QCOMPARE(m_dir.readBytes(QStringLiteral("cel.rtf")), earlier);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);

    ConversionResult result(m_dir.file(QStringLiteral("cel")));
    for (const QString& line : std::as_const(lines))
        result.append(line);
    QCOMPARE(result.lineCount(), lines.size());
    QCOMPARE(result.commit(), m_dir.file(QStringLiteral("cel.rtf")));
    QCOMPARE(m_dir.readBytes(QStringLiteral("cel.rtf")), TextFile::encodeUnicode(lines));
}

// A RIS or BibTeX file is converted from its whole text; whatever its line
// ends, the records, the notes on broken entries, the lines shown and the
// bytes saved are those of its lines read one by one.
void TestConversionSession::exchangeTextReadsLikeItsLines_data()
{
    QTest::addColumn<SourceKind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray ris = "TY  - BOOK\nTI  - Első\nER  - \nAU  - kint\nTY  - JOUR\nTI  - Második\n"
                           "  folytatás\nER  - \nTY  - BOOK\nTI  - nyitva\n";
    const QByteArray bib = "@book{a, title={Első}}\n@article{b, title={x\n\n@book{c,\n title = "
                           "\"Harmadik\"}\n\n";
    const struct
    {
        const char* name;
        QByteArray (*change)(QByteArray);
    } breaks[] = {{"LF", [](QByteArray b) { return b; }},
                  {"CR LF", [](QByteArray b) { return b.replace("\n", "\r\n"); }},
                  {"CR", [](QByteArray b) { return b.replace('\n', '\r'); }},
                  {"U+2028", [](QByteArray b) { return b.replace("\n", "\xE2\x80\xA8"); }},
                  {"mark, no final break", [](QByteArray b) { return "\xEF\xBB\xBF" + b.chopped(1); }}};
    for (const auto& lineBreak : breaks) {
        QTest::addRow("RIS, %s", lineBreak.name) << SourceKind::Ris << lineBreak.change(ris);
        QTest::addRow("BibTeX, %s", lineBreak.name) << SourceKind::BibTeX << lineBreak.change(bib);
    }
}

void TestConversionSession::exchangeTextReadsLikeItsLines()
{
    QFETCH(SourceKind, kind);
    QFETCH(QByteArray, bytes);
    m_dir.writeBytes(QStringLiteral("forras.txt"), bytes);
    const QString path = m_dir.file(QStringLiteral("forras.txt"));
    const SourceFormat* format = SourceFormat::forKind(kind);
    const QStringList sourceLines = format->readLines(path);
    const DbfTable closedTable;
    const ConversionInput byLines{closedTable, sourceLines, 2};
    QStringList expected;
    format->convert(byLines, [&](const QString& line) { expected.append(line); });
    QVERIFY(!expected.isEmpty());
    const QStringList expectedNotes = format->leftOutNotes(byLines);
    QVERIFY(!expectedNotes.isEmpty());

    ConversionSession session;
    session.setKind(kind);
    session.setVolume(2);
    session.openSource(path);
    ConversionResult result(m_dir.file(QStringLiteral("cel")));
    QStringList lines;
    session.convert([&](const QString& line) {
        lines.append(line);
        result.append(line);
    });
    QCOMPARE(lines, expected);
    QCOMPARE(session.leftOutNotes(), expectedNotes);
    QCOMPARE(session.sourceLines(), sourceLines);
    QCOMPARE(result.lineCount(), expected.size());
    const QString saved = result.commit();
    QCOMPARE(TextFile::readBytes(saved), TextFile::encodeUnicode(expected));
}

QTEST_GUILESS_MAIN(TestConversionSession)
#include "tst_conversionsession.moc"
