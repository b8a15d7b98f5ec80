#include "core/convert/DbfTable.h"
#include "core/convert/RecordMapping.h"
#include "core/convert/SourceFormat.h"
#include "core/convert/ZdbTable.h"
#include "core/record/NorlaError.h"

#include <QtTest>

namespace {

struct Outcome
{
    QStringList lines;
    QString error;
};

Outcome convert(SourceKind kind, const QStringList& source, int volume = -1)
{
    const DbfTable closedTable;
    Outcome outcome;
    try {
        SourceFormat::forKind(kind)->convert(ConversionInput{closedTable, source, volume},
                                             [&](const QString& line) { outcome.lines.append(line); });
    } catch (const NorlaError& error) {
        outcome.error = error.message();
    }
    return outcome;
}

// A Director record: the 16 lines, line k at index k-1.
QStringList directorBlock(const QHash<int, QString>& lines)
{
    QStringList block;
    for (int k = 1; k <= 16; ++k)
        block.append(lines.value(k));
    return block;
}

} // namespace

class TestRecordMapping : public QObject
{
    Q_OBJECT

private slots:
    void everyValueEmptyStillGives19Fields();
    void dbaseCreatorColumns_data();
    void dbaseCreatorColumns();
    void dbaseRecord();
    void zdbRecord();
    void zdbTranslationFlag_data();
    void zdbTranslationFlag();
    void zdbBadLineProducesNothing();
    void directorRecord();
    void directorFields_data();
    void directorFields();
    void directorBlocks_data();
    void directorBlocks();
    void directorWithoutVolumeProducesNothing();
};

void TestRecordMapping::everyValueEmptyStillGives19Fields()
{
    QCOMPARE(RecordMapping::fromDbase(DbfTable::Record{}),
             QStringLiteral("******01**02**03**04************************"));

    ZdbTable zdb;
    zdb.setValue(QString(), 1, QString());
    QCOMPARE(RecordMapping::fromZdb(zdb, 0),
             QStringLiteral("0000000000******01**02**03**04********************0****"));

    QCOMPARE(RecordMapping::fromDirector(directorBlock({}), QStringLiteral("Ka")),
             QStringLiteral("Ka00000000******01**02**03**04********************0****papír"));
}

void TestRecordMapping::dbaseCreatorColumns_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("slot");
    QTest::newRow("empty") << QString() << QStringLiteral("01");
    QTest::newRow("digit code") << QStringLiteral("1Kovács Anna") << QStringLiteral("01Kovács Anna");
    QTest::newRow("letter code") << QStringLiteral("aSzabó Péter") << QStringLiteral("0aSzabó Péter");
    QTest::newRow("no code") << QStringLiteral("Kiss") << QStringLiteral("0Kiss");
}

void TestRecordMapping::dbaseCreatorColumns()
{
    QFETCH(QString, value);
    QFETCH(QString, slot);
    DbfTable::Record record;
    for (DbfTable::Column column :
         {DbfTable::SZERZO, DbfTable::SZERKESZTO, DbfTable::FORDITO, DbfTable::BEVEZETO})
        record[column] = value;
    const QStringList fields = QStringList(RecordMapping::fromDbase(record).split(QStringLiteral("**")));
    QCOMPARE(fields.size(), 19);
    for (int k = 0; k < 4; ++k) {
        const QString expected = value.isEmpty() ? QStringLiteral("0%1").arg(k + 1) : slot;
        QCOMPARE(fields[3 + k], expected);
    }
}

void TestRecordMapping::dbaseRecord()
{
    DbfTable::Record r;
    r[DbfTable::N1] = QStringLiteral("7");
    r[DbfTable::KOTET] = QStringLiteral("Lu");
    r[DbfTable::REKORD] = QStringLiteral("Ka00012300");
    r[DbfTable::REKTIPUS] = QStringLiteral("könyv");
    r[DbfTable::TARGYK] = QStringLiteral("Tárgy");
    r[DbfTable::SZERZO] = QStringLiteral("1Szerző");
    r[DbfTable::FORDITO] = QStringLiteral("3Fordító");
    r[DbfTable::CIM] = QStringLiteral("Cím");
    r[DbfTable::KIADVANY] = QStringLiteral("Sorozat");
    r[DbfTable::KIADO] = QStringLiteral("Kiadó");
    r[DbfTable::EVFOLYAM] = QStringLiteral("3");
    r[DbfTable::EV] = QStringLiteral("1998");
    r[DbfTable::OLDSZAM] = QStringLiteral("123 p.");
    r[DbfTable::MEGJHELY] = QStringLiteral("Budapest");
    r[DbfTable::MEGJEGYZES] = QStringLiteral("Megjegyzés");
    r[DbfTable::LINK] = QStringLiteral("x.htm");
    r[DbfTable::FORD] = QStringLiteral("1");
    r[DbfTable::NYELV] = QStringLiteral("latin");
    r[DbfTable::ADATHORDOZ] = QStringLiteral("CD-ROM");
    QCOMPARE(
        RecordMapping::fromDbase(r),
        QStringLiteral("Ka00012300**könyv**Tárgy**01Szerző**02**03Fordító**04**Cím**Sorozat**Kiadó**3**1998**"
                       "123 p.**Budapest**Megjegyzés**x.htm**1**latin**CD-ROM"));
}

void TestRecordMapping::zdbRecord()
{
    const Outcome outcome =
        convert(SourceKind::Zdb, {QStringLiteral("Ka000123001könyv"), QStringLiteral("Ka000123002Szerző"),
                                  QStringLiteral("Ka000123003Szerk"), QStringLiteral("Ka000123004Ford"),
                                  QStringLiteral("Ka000123005Cím"), QStringLiteral("Ka000123006Sorozat"),
                                  QStringLiteral("Ka000123007Évf"), QStringLiteral("Ka000123008Év"),
                                  QStringLiteral("Ka000123009Old"), QStringLiteral("Ka000123010Hely"),
                                  QStringLiteral("Ka000123011Második"), QStringLiteral("Ka000123019Első"),
                                  QStringLiteral("Ka000123020Tárgy"), QStringLiteral("Ka000123030latin"),
                                  QStringLiteral("Ka000123031papír"), QStringLiteral("Ka000123012nem"),
                                  QStringLiteral("Ka000123021nem"), QStringLiteral("Ka000123032nem"),
                                  QStringLiteral("Lu000001001")});
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.lines,
             (QStringList{
                 QStringLiteral("Ka00012300**könyv**Tárgy**01Szerző**02Szerk**03Ford**04**Cím**Sorozat****"
                                "Évf**Év**Old**Hely**ElsőMásodik****0**latin**papír"),
                 QStringLiteral("Lu00000100******01**02**03**04********************0****")}));
}

void TestRecordMapping::zdbTranslationFlag_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("flag");
    QTest::newRow("fordítás") << QStringLiteral("fordítás") << QStringLiteral("1");
    QTest::newRow("Fordítás") << QStringLiteral("Fordítás") << QStringLiteral("0");
    QTest::newRow("fordítás with a blank") << QStringLiteral("fordítás ") << QStringLiteral("0");
    QTest::newRow("könyv") << QStringLiteral("könyv") << QStringLiteral("0");
}

void TestRecordMapping::zdbTranslationFlag()
{
    QFETCH(QString, type);
    QFETCH(QString, flag);
    const Outcome outcome = convert(SourceKind::Zdb, {QStringLiteral("Ka000001001") + type});
    QCOMPARE(outcome.lines.size(), 1);
    const QStringList fields = outcome.lines.first().split(QStringLiteral("**"));
    QCOMPARE(fields[1], type);
    QCOMPARE(fields[16], flag);
}

void TestRecordMapping::zdbBadLineProducesNothing()
{
    const Outcome outcome =
        convert(SourceKind::Zdb, {QStringLiteral("Ka000001001könyv"), QStringLiteral("Ka000002001cikk"),
                                  QStringLiteral("Ka000003")});
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(outcome.lines, QStringList());
}

void TestRecordMapping::directorRecord()
{
    const QStringList block = directorBlock({{1, QStringLiteral("cikkgyujtkotetben")},
                                             {2, QStringLiteral("Szerző")},
                                             {3, QStringLiteral("Cím")},
                                             {4, QStringLiteral("Kötet")},
                                             {5, QStringLiteral("cím")},
                                             {6, QStringLiteral("Kiadó")},
                                             {7, QStringLiteral("12")},
                                             {8, QStringLiteral("/3")},
                                             {9, QStringLiteral("1999")},
                                             {10, QStringLiteral("45-67")},
                                             {11, QStringLiteral("Szeged")},
                                             {12, QStringLiteral("Megj.")},
                                             {13, QStringLiteral("77")},
                                             {14, QStringLiteral("Fordító")},
                                             {15, QStringLiteral("magyar")},
                                             {16, QStringLiteral("nem kell")}});
    QCOMPARE(convert(SourceKind::Director, block, 6).lines,
             QStringList{QStringLiteral(
                 "Go00007700**cikk gyűjt. kötetben****01Szerző**02**03Fordító**04**Cím**Kötetcím**"
                 "Kiadó**12/3**1999**45-67**Szeged**Megj.****0**magyar**papír")});
}

void TestRecordMapping::directorFields_data()
{
    QTest::addColumn<int>("volume");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Ma with 42") << 7 << 13 << QStringLiteral("42") << 1 << QStringLiteral("Ma00004200");
    QTest::newRow("first volume") << 0 << 13 << QStringLiteral("42") << 1 << QStringLiteral("Ka00004200");
    QTest::newRow("long number cut") << 2 << 13 << QStringLiteral("12345678") << 1
                                     << QStringLiteral("No12345600");
    QTest::newRow("empty number") << 3 << 13 << QString() << 1 << QStringLiteral("Si00000000");
    QTest::newRow("konyv") << 0 << 1 << QStringLiteral("konyv") << 2 << QStringLiteral("könyv");
    QTest::newRow("Konyv stays") << 0 << 1 << QStringLiteral("Konyv") << 2 << QStringLiteral("Konyv");
    QTest::newRow("folyocikk") << 0 << 1 << QStringLiteral("folyocikk") << 2
                               << QStringLiteral("folyóiratcikk");
    QTest::newRow("rec.") << 0 << 1 << QStringLiteral("rec.") << 2 << QStringLiteral("rec.");
    QTest::newRow("other word") << 0 << 1 << QStringLiteral("egyéb") << 2 << QStringLiteral("egyéb");
    QTest::newRow("line 5 empty") << 0 << 4 << QStringLiteral("Folyóirat") << 9
                                  << QStringLiteral("Folyóirat");
    QTest::newRow("outside the code page")
        << 0 << 3 << QStringLiteral("Señor ≈") << 8 << QStringLiteral("Se?or ?");
}

void TestRecordMapping::directorFields()
{
    QFETCH(int, volume);
    QFETCH(int, line);
    QFETCH(QString, value);
    QFETCH(int, field);
    QFETCH(QString, expected);
    QHash<int, QString> lines{{1, QStringLiteral("x")}};
    lines.insert(line, value);
    const Outcome outcome = convert(SourceKind::Director, directorBlock(lines), volume);
    QCOMPARE(outcome.lines.size(), 1);
    QCOMPARE(outcome.lines.first().split(QStringLiteral("**")).value(field - 1), expected);
}

void TestRecordMapping::directorBlocks_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("names");

    const QStringList first = directorBlock({{1, QStringLiteral("konyv")}, {13, QStringLiteral("1")}});
    const QStringList second = directorBlock({{1, QStringLiteral("rec.")}, {13, QStringLiteral("2")}});
    const QStringList skipped = directorBlock({{13, QStringLiteral("3")}});
    QTest::newRow("33 lines, two blocks")
        << first + second + QStringList{QStringLiteral("konyv")}
        << QStringList{QStringLiteral("Lu00000100"), QStringLiteral("Lu00000200")};
    QTest::newRow("empty first line skips a block")
        << first + skipped + second
        << QStringList{QStringLiteral("Lu00000100"), QStringLiteral("Lu00000200")};
    QTest::newRow("15 lines") << first.mid(0, 15) << QStringList();
    QTest::newRow("one line") << QStringList{QStringLiteral("konyv")} << QStringList();
    QTest::newRow("no lines") << QStringList() << QStringList();
}

void TestRecordMapping::directorBlocks()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, names);
    QStringList seen;
    for (const QString& line : convert(SourceKind::Director, lines, 1).lines)
        seen.append(line.left(10));
    QCOMPARE(seen, names);
}

void TestRecordMapping::directorWithoutVolumeProducesNothing()
{
    const Outcome outcome = convert(SourceKind::Director, directorBlock({{1, QStringLiteral("konyv")}}), -1);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(outcome.lines, QStringList());
    // The volume is checked first, so even a file too short for a record says so.
    QVERIFY(!convert(SourceKind::Director, {QStringLiteral("x")}, -1).error.isEmpty());
}

QTEST_GUILESS_MAIN(TestRecordMapping)
#include "tst_recordmapping.moc"
