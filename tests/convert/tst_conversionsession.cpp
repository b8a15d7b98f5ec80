#include "DbfFixture.h"
#include "TestSupport.h"

#include "convert/ConversionSession.h"
#include "record/NorlaError.h"
#include "record/TextFile.h"

#include <QtTest>

namespace {

QStringList convertAll(const ConversionSession& session)
{
    QStringList lines;
    session.convert([&](const QString& line) { lines.append(line); });
    return lines;
}

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
             QStringLiteral("Cannot create file %1.rtf").arg(target));
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
    QCOMPARE(errorOf([&] { session.openSource(missing); }),
             QStringLiteral("Cannot open file %1").arg(missing));
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

QTEST_GUILESS_MAIN(TestConversionSession)
#include "tst_conversionsession.moc"
