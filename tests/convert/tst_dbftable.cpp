#include "DbfFixture.h"
#include "TestSupport.h"

#include "core/convert/DbfCodePage.h"
#include "core/convert/DbfTable.h"
#include "core/record/NorlaError.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

using Rows = QList<DbfFixtureRow>;

QStringList columnValues(const DbfTable& table, DbfTable::Column column)
{
    QStringList values;
    table.forEachRecord([&](const DbfTable::Record& record) { values.append(record[column]); });
    return values;
}

// "Árvíztűrő tükörfúrógép" in the two code pages Hungarian tables come in.
const QString kHungarian = QStringLiteral("Árvíztűrő tükörfúrógép");
const QByteArray kHungarian852 = "\xb5rv\xa1zt\xfbr\x8b t\x81k\x94rf\xa3r\xa2g\x82p";
const QByteArray kHungarian1250 = "\xc1rv\xedzt\xfbr\xf5 t\xfck\xf6rf\xfar\xf3g\xe9p";

} // namespace

class TestDbfTable : public QObject
{
    Q_OBJECT

private slots:
    void rowsFromTheSecondLiveOne_data();
    void rowsFromTheSecondLiveOne();
    void blankAndNullValuesAreEmpty();
    void lineBreaksInsideAValueBecomeBlanks();
    void opensTheChosenFileWhateverItsExtension();
    void missingColumnIsNamed_data();
    void missingColumnIsNamed();
    void characterDataFollowsTheLanguageDriver_data();
    void characterDataFollowsTheLanguageDriver();
    void everyKnownLanguageDriverHasAConverter();
    void detectorTellsTheCodePagesApart_data();
    void detectorTellsTheCodePagesApart();
    void damagedTableIsRefused_data();
    void damagedTableIsRefused();
    void closedTableCannotBeRead();

private:
    TempWorkDir m_dir;
};

void TestDbfTable::rowsFromTheSecondLiveOne_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("no rows") << Rows{} << QStringList{};
    QTest::newRow("one row gives nothing") << Rows{dbfRow("Ka00000100")} << QStringList{};
    QTest::newRow("three rows give the second and third")
        << Rows{dbfRow("Ka00000100"), dbfRow("Ka00000200"), dbfRow("Ka00000300")}
        << QStringList{QStringLiteral("Ka00000200"), QStringLiteral("Ka00000300")};
    DbfFixtureRow deleted = dbfRow("Ka00000900");
    deleted.deleted = true;
    QTest::newRow("deleted rows are skipped")
        << Rows{dbfRow("Ka00000100"), deleted, dbfRow("Ka00000300"), deleted, dbfRow("Ka00000500")}
        << QStringList{QStringLiteral("Ka00000300"), QStringLiteral("Ka00000500")};
    QTest::newRow("the first live row is the one left out")
        << Rows{deleted, dbfRow("Ka00000200"), dbfRow("Ka00000300")}
        << QStringList{QStringLiteral("Ka00000300")};
}

void TestDbfTable::rowsFromTheSecondLiveOne()
{
    QFETCH(Rows, rows);
    QFETCH(QStringList, names);
    const QString path = m_dir.file(QStringLiteral("tabla.dbf"));
    QVERIFY(writeDbfFixture(path, rows));
    DbfTable table;
    table.open(path);
    QVERIFY(table.isOpen());
    QCOMPARE(columnValues(table, DbfTable::REKORD), names);
}

void TestDbfTable::blankAndNullValuesAreEmpty()
{
    const QString path = m_dir.file(QStringLiteral("ures.dbf"));
    DbfFixtureRow row = dbfRow("Ka00000200", {{QStringLiteral("CIM"), "   "},
                                              {QStringLiteral("EV"), "1998  "},
                                              {QStringLiteral("KIADO"), "  Kiado"}});
    row.nullColumns = {QStringLiteral("SZERZO"), QStringLiteral("REKORD")};
    QVERIFY(writeDbfFixture(path, {dbfRow("Ka00000100"), row}));
    DbfTable table;
    table.open(path);
    QStringList seen;
    table.forEachRecord([&](const DbfTable::Record& record) {
        seen << record[DbfTable::CIM] << record[DbfTable::SZERZO] << record[DbfTable::REKORD]
             << record[DbfTable::EV] << record[DbfTable::N1] << record[DbfTable::KIADO];
    });
    // Trailing blanks are padding; leading blanks of character data are part of the value.
    QCOMPARE(seen, (QStringList{QString(), QString(), QString(), QStringLiteral("1998"), QStringLiteral("2"),
                                QStringLiteral("  Kiado")}));
}

void TestDbfTable::lineBreaksInsideAValueBecomeBlanks()
{
    const QString path = m_dir.file(QStringLiteral("sortores.dbf"));
    QVERIFY(writeDbfFixture(
        path, {dbfRow("Ka00000100"),
               dbfRow("Ka00000200", {{QStringLiteral("MEGJEGYZES"), "egy\r\nketto\nharom\rnegy"}})}));
    DbfTable table;
    table.open(path);
    QCOMPARE(columnValues(table, DbfTable::MEGJEGYZES), QStringList{QStringLiteral("egy ketto harom negy")});
}

void TestDbfTable::opensTheChosenFileWhateverItsExtension()
{
    // A look-alike "masik.dbf" beside it must not be opened instead.
    QVERIFY(writeDbfFixture(m_dir.file(QStringLiteral("masik.dbf")), {dbfRow("Ka1"), dbfRow("Lu1")}));
    QVERIFY(writeDbfFixture(m_dir.file(QStringLiteral("kesz.dbf")), {dbfRow("Ka1"), dbfRow("Ma2")}));
    QVERIFY(QFile::rename(m_dir.file(QStringLiteral("kesz.dbf")), m_dir.file(QStringLiteral("masik.Dat"))));
    DbfTable table;
    table.open(m_dir.file(QStringLiteral("masik.Dat")));
    QCOMPARE(columnValues(table, DbfTable::REKORD), QStringList{QStringLiteral("Ma2")});
}

void TestDbfTable::missingColumnIsNamed_data()
{
    QTest::addColumn<QStringList>("leaveOut");
    QTest::newRow("SZERZO") << QStringList{QStringLiteral("SZERZO")};
    QTest::newRow("N1 and MEGJEGYZES") << QStringList{QStringLiteral("N1"), QStringLiteral("MEGJEGYZES")};
}

void TestDbfTable::missingColumnIsNamed()
{
    QFETCH(QStringList, leaveOut);
    const QString path = m_dir.file(QStringLiteral("hianyos.dbf"));
    QVERIFY(writeDbfFixture(path, {dbfRow("Ka00000100"), dbfRow("Ka00000200")}, 0xC8, leaveOut));
    DbfTable table;
    const QString message = errorOf([&] { table.open(path); });
    for (const QString& column : leaveOut)
        QVERIFY2(message.contains(column), qPrintable(message));
    QVERIFY(message.contains(path));
    QVERIFY(!table.isOpen());
}

void TestDbfTable::characterDataFollowsTheLanguageDriver_data()
{
    QTest::addColumn<int>("driver");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("codePage");
    QTest::addColumn<QString>("text");

    QTest::newRow("0x64: 852") << 0x64 << kHungarian852 << QByteArray("CP852") << kHungarian;
    QTest::newRow("0xC8: 1250") << 0xC8 << kHungarian1250 << QByteArray("CP1250") << kHungarian;
    QTest::newRow("0: 852 told by its bytes") << 0 << kHungarian852 << QByteArray("CP852") << kHungarian;
    QTest::newRow("0: 1250 told by its bytes") << 0 << kHungarian1250 << QByteArray("CP1250") << kHungarian;
    QTest::newRow("0: undecided is 1250")
        << 0 << QByteArray("Kiss Anna") << QByteArray("CP1250") << QStringLiteral("Kiss Anna");
    // Characters that 1250 lacks become "?" on the way into the 8-bit text.
    QTest::newRow("0x57: 1252") << 0x57 << QByteArray("Caf\xe9 Espa\xf1ol") << QByteArray("CP1252")
                                << QStringLiteral("Café Espa?ol");
    QTest::newRow("0x03: 1252") << 0x03 << QByteArray("\xe9\xe8") << QByteArray("CP1252")
                                << QStringLiteral("é?");
    QTest::newRow("0x58: 1252") << 0x58 << QByteArray("\xd6\xdc") << QByteArray("CP1252")
                                << QStringLiteral("ÖÜ");
}

void TestDbfTable::characterDataFollowsTheLanguageDriver()
{
    QFETCH(int, driver);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, codePage);
    QFETCH(QString, text);
    const QString path = m_dir.file(QStringLiteral("kodlap.dbf"));
    QVERIFY(writeDbfFixture(
        path, {dbfRow("Ka00000100"), dbfRow("Ka00000200", {{QStringLiteral("CIM"), stored}})}, driver));
    DbfTable table;
    table.open(path);
    QCOMPARE(int(table.languageDriver()), driver);
    QCOMPARE(table.codePage(), codePage);
    QCOMPARE(columnValues(table, DbfTable::CIM), QStringList{text});
}

void TestDbfTable::everyKnownLanguageDriverHasAConverter()
{
    for (int driver = 0; driver < 256; ++driver) {
        const QByteArray codePage = DbfCodePage::forLanguageDriver(static_cast<unsigned char>(driver));
        if (codePage.isEmpty())
            continue;
        const DbfCodePage::Table table = DbfCodePage::toUnicodeTable(codePage);
        QCOMPARE(table[u'A'], u'A');
    }
}

void TestDbfTable::detectorTellsTheCodePagesApart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("verdict");

    QTest::newRow("only é in 852") << QByteArray("P\x82lda") << QByteArray("CP852");
    QTest::newRow("only é in 1250") << QByteArray("P\xe9lda") << QByteArray("CP1250");
    QTest::newRow("capitals in 852") << QByteArray("\xb5\x90\xd6\xe0\x99\x8a\xe9\x9a\xeb")
                                     << QByteArray("CP852");
    QTest::newRow("capitals in 1250")
        << QByteArray("\xc1\xc9\xcd\xd3\xd6\xd5\xda\xdc\xdb") << QByteArray("CP1250");
    QTest::newRow("nothing to go by") << QByteArray("abc") << QByteArray("CP1250");
}

void TestDbfTable::detectorTellsTheCodePagesApart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, verdict);
    DbfCodePage::Detector detector;
    detector.feed(bytes);
    QCOMPARE(detector.verdict(), verdict);
}

void TestDbfTable::damagedTableIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QString goodPath = m_dir.file(QStringLiteral("ep.dbf"));
    QVERIFY(writeDbfFixture(goodPath, {dbfRow("Ka00000100"), dbfRow("Ka00000200"), dbfRow("Ka00000300")}));
    QFile good(goodPath);
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray table = good.readAll();
    const int recordLength = static_cast<unsigned char>(table[10]) | static_cast<unsigned char>(table[11])
                                                                         << 8;

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("shorter than a header") << table.left(20);
    QTest::newRow("truncated in the last row") << table.left(table.size() - 1 - recordLength / 2);
    QByteArray moreRows = table;
    moreRows[4] = char(50);
    QTest::newRow("header claims more rows") << moreRows;
    QByteArray hugeCount = table;
    hugeCount[7] = char(0xFF);
    QTest::newRow("header claims billions of rows") << hugeCount;
    QByteArray longRecord = table;
    longRecord[10] = char(table[10] + 1);
    QTest::newRow("record length larger than its columns") << longRecord;
    QByteArray shortRecord = table;
    shortRecord[10] = char(table[10] - 1);
    QTest::newRow("record length smaller than its columns") << shortRecord;
    QByteArray wideColumn = table;
    wideColumn[32 + 32 + 16] = char(0xFF);
    QTest::newRow("a column wider than the record") << wideColumn;
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("garbage") << garbage;
    QTest::newRow("a text file") << QByteArray("Ka00000100**könyv**\r\n").repeated(40);
}

void TestDbfTable::damagedTableIsRefused()
{
    QFETCH(QByteArray, bytes);
    m_dir.writeBytes(QStringLiteral("serult.dbf"), bytes);
    const QString path = m_dir.file(QStringLiteral("serult.dbf"));
    DbfTable table;
    const QString message = errorOf([&] { table.open(path); });
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY(!table.isOpen());
}

void TestDbfTable::closedTableCannotBeRead()
{
    DbfTable table;
    QVERIFY(!errorOf([&] { table.forEachRecord([](const DbfTable::Record&) {}); }).isEmpty());
    const QString missing = m_dir.file(QStringLiteral("nincs.dbf"));
    QCOMPARE(errorOf([&] { table.open(missing); }), cannotOpenFile(missing));
    QCOMPARE(errorOf([&] { table.open(m_dir.path()); }), cannotOpenFile(m_dir.path()));
}

QTEST_GUILESS_MAIN(TestDbfTable)
#include "tst_dbftable.moc"
