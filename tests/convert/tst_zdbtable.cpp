#include "core/convert/ZdbTable.h"
#include "core/record/NorlaError.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// Rows as "key|c=value|c=value" with the cells in field order, for comparing.
QStringList describe(const ZdbTable& table, const QList<int>& fields)
{
    QStringList rows;
    for (int row = 0; row < table.rowCount(); ++row) {
        QString text = table.key(row);
        for (int field : fields)
            if (!table.value(row, field).isEmpty())
                text += QStringLiteral("|%1=%2").arg(field).arg(table.value(row, field));
        rows.append(text);
    }
    return rows;
}

// The lookup exactly as the format describes it: scan every row, the last
// match wins; a new row otherwise; field 0 rewrites the key.
struct ReferenceTable
{
    QList<QString> keys;
    QList<QHash<int, QString>> cells;
    void set(const QString& key, int field, const QString& value)
    {
        int found = -1;
        for (int row = 0; row < keys.size(); ++row)
            if (keys[row] == key)
                found = row;
        if (found < 0) {
            found = int(keys.size());
            keys.append(key);
            cells.append(QHash<int, QString>());
        }
        if (field == 0)
            keys[found] = value;
        else
            cells[found][field] = value;
    }
};

} // namespace

class TestZdbTable : public QObject
{
    Q_OBJECT

private slots:
    void gathersLinesByKey_data();
    void gathersLinesByKey();
    void badFieldNumberStopsWithTheLineNamed_data();
    void badFieldNumberStopsWithTheLineNamed();
    void everyReadStartsEmpty();
    void keyIndexAgreesWithAFullScan();
};

void TestZdbTable::gathersLinesByKey_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("keys interleaved")
        << QStringList{QStringLiteral("Ka000001001könyv"), QStringLiteral("Ka000001005Cím"),
                       QStringLiteral("Ka000002001cikk"), QStringLiteral("Ka000001002Szerző")}
        << QStringList{QStringLiteral("Ka000001|1=könyv|2=Szerző|5=Cím"), QStringLiteral("Ka000002|1=cikk")};
    QTest::newRow("later value wins")
        << QStringList{QStringLiteral("Ka000001005első"), QStringLiteral("Ka000001005második")}
        << QStringList{QStringLiteral("Ka000001|5=második")};
    QTest::newRow("9 to 11 characters give an empty value")
        << QStringList{QStringLiteral("Ka0000015"), QStringLiteral("Ka00000107"),
                       QStringLiteral("Ka000001008"), QStringLiteral("Ka000001009x")}
        << QStringList{QStringLiteral("Ka000001|9=x")};
    QTest::newRow("one and two digit field numbers clear fields 5 and 19")
        << QStringList{QStringLiteral("Ka000001005a"), QStringLiteral("Ka000001019b"),
                       QStringLiteral("Ka000001002c"), QStringLiteral("Ka0000015"),
                       QStringLiteral("Ka00000119")}
        << QStringList{QStringLiteral("Ka000001|2=c")};
    QTest::newRow("000 replaces the key, the old key starts a new row")
        << QStringList{QStringLiteral("Ka000001001könyv"), QStringLiteral("Ka000001000Lu000009"),
                       QStringLiteral("Ka000001005új"), QStringLiteral("Lu000009002régi")}
        << QStringList{QStringLiteral("Lu000009|1=könyv|2=régi"), QStringLiteral("Ka000001|5=új")};
    QTest::newRow("000 on a new key makes a row under the new key")
        << QStringList{QStringLiteral("Ka000001000Go000003"), QStringLiteral("Go000003001rec.")}
        << QStringList{QStringLiteral("Go000003|1=rec.")};
    QTest::newRow("keys compare case-sensitively")
        << QStringList{QStringLiteral("ka000001001a"), QStringLiteral("Ka000001001b")}
        << QStringList{QStringLiteral("ka000001|1=a"), QStringLiteral("Ka000001|1=b")};
    QTest::newRow("field numbers up to 999")
        << QStringList{QStringLiteral("Ka000001999vég")} << QStringList{QStringLiteral("Ka000001|999=vég")};
    QTest::newRow("characters outside the code page become ?")
        << QStringList{QStringLiteral("Ka000001005Señor ≈ Œ")}
        << QStringList{QStringLiteral("Ka000001|5=Se?or ? ?")};
}

void TestZdbTable::gathersLinesByKey()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, rows);
    ZdbTable table;
    table.read(lines);
    QCOMPARE(describe(table, {1, 2, 5, 9, 19, 999}), rows);
}

void TestZdbTable::badFieldNumberStopsWithTheLineNamed_data()
{
    QTest::addColumn<QString>("badLine");
    QTest::newRow("empty line") << QString();
    QTest::newRow("8 characters") << QStringLiteral("Ka000001");
    QTest::newRow("letter") << QStringLiteral("Ka0000010a1x");
    QTest::newRow("blank") << QStringLiteral("Ka000001 01x");
    QTest::newRow("sign") << QStringLiteral("Ka000001-01x");
}

void TestZdbTable::badFieldNumberStopsWithTheLineNamed()
{
    QFETCH(QString, badLine);
    ZdbTable table;
    QString message;
    try {
        table.read({QStringLiteral("Ka000001001könyv"), QStringLiteral("Ka000001005Cím"), badLine,
                    QStringLiteral("Ka000002001cikk")});
    } catch (const NorlaError& error) {
        message = error.message();
    }
    QVERIFY2(message.contains(QStringLiteral(" 3. sor")), qPrintable(message));
}

void TestZdbTable::everyReadStartsEmpty()
{
    ZdbTable table;
    table.read({QStringLiteral("Ka000001001könyv"), QStringLiteral("Ka000001005Első cím")});
    table.read({QStringLiteral("Ka000001002Szerző")});
    QCOMPARE(describe(table, {1, 2, 5}), QStringList{QStringLiteral("Ka000001|2=Szerző")});
}

void TestZdbTable::keyIndexAgreesWithAFullScan()
{
    // Few keys and many renames, so rows come to share keys and lose them again.
    QRandomGenerator random(20240611);
    const QStringList keys = {QStringLiteral("Ka000001"), QStringLiteral("Ka000002"),
                              QStringLiteral("Lu000003"), QStringLiteral("Ma000004"),
                              QStringLiteral("Ma000005")};
    for (int round = 0; round < 50; ++round) {
        QStringList lines;
        ReferenceTable reference;
        for (int i = 0; i < 200; ++i) {
            const QString key = keys[random.bounded(int(keys.size()))];
            const int field = random.bounded(4) == 0 ? 0 : random.bounded(1, 4);
            const QString value = field == 0 ? keys[random.bounded(int(keys.size()))] : QString::number(i);
            lines.append(key + QStringLiteral("%1").arg(field, 3, 10, QLatin1Char('0')) + value);
            reference.set(key, field, value);
        }
        ZdbTable table;
        table.read(lines);
        QCOMPARE(table.rowCount(), int(reference.keys.size()));
        for (int row = 0; row < table.rowCount(); ++row) {
            QCOMPARE(table.key(row), reference.keys[row]);
            for (int field = 1; field < 4; ++field)
                QCOMPARE(table.value(row, field), reference.cells[row].value(field));
        }
    }
}

QTEST_GUILESS_MAIN(TestZdbTable)
#include "tst_zdbtable.moc"
