#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/FieldCursor.h"
#include "core/record/FieldGrid.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordNumber.h"
#include "core/record/RecordSchema.h"
#include "core/record/Win1250.h"

#include <QtTest>

namespace {

const QString kExample = QStringLiteral("Ka00012300**könyv**Példa tárgykör**01Példa Szerző**02**03**04**A "
                                        "példa címe**Példa sorozat**Példa Kiadó**3**"
                                        "1998**123 p.**Budapest**Példa megjegyzés****0**latin**papír");

QString row(const FieldGrid& grid, int r)
{
    return Win1250::toUnicode(grid[r]);
}

} // namespace

class TestRecordCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsAndJoinsLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("example name") << kExample << 1 << "Ka00012300";
        QTest::newRow("example empty link") << kExample << 16 << "";
        QTest::newRow("example medium") << kExample << 19 << "papír";
        QTest::newRow("too few separators: present field") << "a**b" << 2 << "b";
        QTest::newRow("too few separators: missing field") << "a**b" << 3 << "";
        QTest::newRow("value ending in * moves it on: field") << "a***b" << 1 << "a";
        QTest::newRow("value ending in * moves it on: next") << "a***b" << 2 << "*b";
        QTest::newRow("text after a 19th separator is dropped")
            << QString("x**").repeated(18) + "last**extra" << 19 << "last";
    }
    void splitsAndJoinsLines()
    {
        QFETCH(QString, line);
        QFETCH(int, field);
        QFETCH(QString, value);
        const QStringList fields = RecordLine::split(line);
        QCOMPARE(fields.size(), RecordLine::FieldCount);
        QCOMPARE(fields[field - 1], value);
    }

    void joinRoundTripsAWholeLine()
    {
        QCOMPARE(RecordLine::join(RecordLine::split(kExample)), kExample);
        // A "**" typed into a field shifts every later field by one.
        QStringList fields = RecordLine::split(kExample);
        fields[7] = QStringLiteral("Cím**alcím");
        const QStringList back = RecordLine::split(RecordLine::join(fields));
        QCOMPARE(back[7], QStringLiteral("Cím"));
        QCOMPARE(back[8], QStringLiteral("alcím"));
        QCOMPARE(back[18], QStringLiteral("latin"));
    }

    // Every reader cuts a line with the same cursor: over Unicode and 8-bit
    // text alike, with the "**" a reader appends either present or implied,
    // and the separator search stepping over 8 or 16 characters at a time.
    void fieldCursorCutsLikeAPaddedLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("empty") << "";
        QTest::newRow("one field") << "abc";
        QTest::newRow("ends in a star") << "ab**cd*";
        QTest::newRow("ends in two stars") << "ab**cd**";
        QTest::newRow("ends in three stars") << "ab**cd***";
        QTest::newRow("only a star") << "*";
        QTest::newRow("star runs") << "a***b****c*****";
        QTest::newRow("pair across 8 units") << "1234567*" + QString("*x").repeated(5);
        QTest::newRow("pair across 16 bytes") << "123456789012345*" + QString("*y").repeated(5);
        QTest::newRow("long fields") << QString("v").repeated(40) + "**" + QString("w*").repeated(30) + "**z";
    }
    void fieldCursorCutsLikeAPaddedLine()
    {
        QFETCH(QString, line);
        const QString padded = line + QStringLiteral("**");
        const QByteArray padded8 = padded.toLatin1();
        auto implied = FieldCursor::asIfSeparatorAppended(line);
        FieldCursor present(padded);
        FieldCursor8 present8(padded8);
        for (int k = 0; k < 24; ++k) {
            QCOMPARE(implied.restStartsWithStar(), present.restStartsWithStar());
            const QStringView expected = present.next();
            QCOMPARE(implied.next(), expected);
            QCOMPARE(QString::fromLatin1(present8.next()), expected);
        }
        QVERIFY(implied.atEnd());
    }

    void fieldCursorKeepsTheReadLimit()
    {
        // After each field, what is left is cut to the limit: a last field
        // that ends at the limit keeps the first star of the appended "**".
        const QByteArray line = "ab**" + QByteArray(9, 'x') + "**";
        FieldCursor8 fields(line, 10);
        QCOMPARE(fields.next(), "ab");
        QCOMPARE(fields.next(), QByteArray(9, 'x') + '*');
        QCOMPARE(fields.next(), "");
    }

    void creatorSlotsOfTheCreatorRow()
    {
        // The row a FieldGrid keeps of the slots "01Egy", "02", "" and "04Négy".
        const QByteArray row = "01Egy**04N\xe9gy**";
        CreatorRow creators(row);
        CreatorSlot8 slot;
        QVERIFY(creators.next(slot));
        QCOMPARE(slot.role, "01");
        QCOMPARE(slot.name, "Egy");
        QVERIFY(creators.next(slot));
        QCOMPARE(slot.role, "04");
        QCOMPARE(slot.name, "N\xe9gy");
        QVERIFY(!creators.next(slot));

        const CreatorSlot shortSlot = CreatorSlot::of(u"0");
        QCOMPARE(shortSlot.role, u"0");
        QVERIFY(shortSlot.name.isEmpty());
    }

    void dottedNames()
    {
        QCOMPARE(RecordSchema::dottedName(u"Ka00012300"), QStringLiteral("Ka.000123.00"));
        QCOMPARE(RecordSchema::undottedName(u"Ka.000123.00"), QStringLiteral("Ka00012300"));
        QCOMPARE(RecordSchema::dottedName(u"Ka0"), QStringLiteral("Ka.0."));
        QCOMPARE(RecordSchema::dottedName(u""), QStringLiteral(".."));
    }

    // The name is the line's first ten characters; where search results show
    // it, the "**" after the line fills a short one up.
    void recordNames_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("whole line") << kExample << "Ka00012300" << QByteArray("Ka00012300");
        QTest::newRow("name of its own") << "Ka00012300"
                                         << "Ka00012300" << QByteArray("Ka00012300");
        QTest::newRow("nine characters") << "Ka0001230"
                                         << "Ka0001230" << QByteArray("Ka0001230*");
        QTest::newRow("short") << "Ka1"
                               << "Ka1" << QByteArray("Ka1**");
        QTest::newRow("empty") << ""
                               << "" << QByteArray("**");
    }
    void recordNames()
    {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QFETCH(QByteArray, shown);
        QCOMPARE(RecordSchema::recordName(QStringView(line)), name);
        char buffer[RecordSchema::RecordNameLength];
        const qsizetype length = RecordSchema::writeShownName(
            line.size(), [&](qsizetype i) { return char(line[i].unicode()); }, buffer);
        QCOMPARE(QByteArray(buffer, length), shown);
        const QByteArray padded = line.toLatin1() + "**";
        QCOMPARE(RecordSchema::recordName(QByteArrayView(padded)).toByteArray(), shown);
        const FieldGrid grid = FieldGrid::decodeUnicode(line);
        QCOMPARE(grid[FieldGrid::Name], shown);
    }

    void rolesOfTheirOwn_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("role"); // 0: none of the four
        QTest::newRow("01") << "01" << int(Role::Author);
        QTest::newRow("02") << "02" << int(Role::Editor);
        QTest::newRow("03") << "03" << int(Role::Translator);
        QTest::newRow("04") << "04" << int(Role::Introduction);
        QTest::newRow("05") << "05" << 0;
        QTest::newRow("00") << "00" << 0;
        QTest::newRow("13") << "13" << 0;
        QTest::newRow("one character") << "1" << 0;
        QTest::newRow("three characters") << "011" << 0;
    }
    void rolesOfTheirOwn()
    {
        QFETCH(QString, code);
        QFETCH(int, role);
        const std::optional<Role> own = RecordSchema::roleOfCode(code);
        QCOMPARE(own ? int(*own) : 0, role);
        if (own)
            QCOMPARE(RecordSchema::roleCode(*own), code);
    }

    void theSchemaTableFollowsTheLine()
    {
        QStringList fields = RecordLine::split(kExample);
        QCOMPARE(RecordSchema::value(fields, Field::Year), QStringLiteral("1998"));
        QCOMPARE(RecordSchema::value(fields, RecordSchema::creator(0)), QStringLiteral("01Példa Szerző"));
        QCOMPARE(RecordLine::fieldCaption(RecordSchema::position(Field::Place)),
                 QStringLiteral("Megjelenés helye"));
        QCOMPARE(RecordLine::fieldCaption(RecordSchema::FieldCount), QString());
        const FieldGrid grid = FieldGrid::decodeUnicode(kExample);
        for (const RecordSchema::FieldEntry& entry : RecordSchema::Table)
            if (entry.gridRow != FieldGrid::Creators && entry.field != Field::RecordName)
                QCOMPARE(row(grid, entry.gridRow), RecordSchema::value(fields, entry.field));
    }

    void volumeTable()
    {
        const QStringList codes{"Ka", "Lu", "No", "Si", "Vu", "Ze", "Go", "Ma"};
        for (int i = 0; i < codes.size(); ++i) {
            QCOMPARE(CodeTables::volumeCode(i), codes[i]);
            QCOMPARE(CodeTables::volumePosition(codes[i]), i);
        }
        QCOMPARE(CodeTables::volumePosition(u"ka"), -1);
        QCOMPARE(CodeTables::volumeName(7), QStringLiteral("Mai adatok"));
        QCOMPARE(CodeTables::volumeCaption(7), QStringLiteral("Ma (új adatok)"));
    }

    void roleCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("listSize");
        QTest::addColumn<int>("comboIndex"); // editor: -1 = no selection
        QTest::addColumn<int>("nameIndex");  // browse view
        QTest::newRow("01") << "01" << 30 << 0 << 0;
        QTest::newRow("12") << "12" << 30 << 11 << 11;
        QTest::newRow("0c equals 12") << "0c" << 30 << 11 << 11;
        QTest::newRow("0n is 23") << "0n" << 30 << 22 << 22;
        QTest::newRow("39 beyond a list of 30") << "39" << 30 << -1 << 0;
        QTest::newRow("35 in a list of 40") << "35" << 40 << 34 << 34;
        QTest::newRow("40") << "40" << 40 << -1 << 0;
        QTest::newRow("a1") << "a1" << 30 << -1 << 0;
        QTest::newRow("one character") << "1" << 30 << -1 << 0;
        QTest::newRow("empty") << "" << 30 << -1 << 0;
        QTest::newRow("00") << "00" << 30 << -1 << 0;
        QTest::newRow("0o after 0n") << "0o" << 30 << -1 << 0;
        QTest::newRow("07 with five roles") << "07" << 5 << -1 << 0;
    }
    void roleCodes()
    {
        QFETCH(QString, code);
        QFETCH(int, listSize);
        QFETCH(int, comboIndex);
        QFETCH(int, nameIndex);
        QCOMPARE(CodeTables::roleComboIndex(code, listSize), comboIndex);
        QCOMPARE(CodeTables::roleNameIndex(code, listSize), nameIndex);
    }

    void roleCodeOfPosition()
    {
        QCOMPARE(CodeTables::roleCode(1), QStringLiteral("01"));
        QCOMPARE(CodeTables::roleCode(30), QStringLiteral("30"));
        QCOMPARE(CodeTables::roleCode(31), QStringLiteral("01"));
        QCOMPARE(CodeTables::roleCode(0), QStringLiteral("01"));
        QCOMPARE(CodeTables::roleName(u"02", {"Szerző", "Szerkesztő"}), QStringLiteral("Szerkesztő"));
        QCOMPARE(CodeTables::roleName(u"xx", {"Szerző", "Szerkesztő"}), QStringLiteral("Szerző"));
    }

    void suffixesAndMedia()
    {
        const QStringList& suffixes = CodeTables::suffixes();
        QCOMPARE(suffixes.size(), 261);
        QCOMPARE(suffixes.first(), QStringLiteral("00"));
        QCOMPARE(suffixes[1], QStringLiteral("0a"));
        QCOMPARE(suffixes[27], QStringLiteral("1a"));
        QCOMPARE(suffixes.last(), QStringLiteral("9z"));
        QCOMPARE(CodeTables::media(), (QStringList{"papír", "CD-ROM", "mikrofilm"}));
    }

    void captionsFollowTheRecordType()
    {
        QCOMPARE(CodeTables::typeCaptions(u"könyv").publicationLabel, QStringLiteral("Könyvsorozat:"));
        QCOMPARE(CodeTables::typeCaptions(u"könyv").volumeMenu, QStringLiteral("Kötetszám"));
        QCOMPARE(CodeTables::typeCaptions(u"külön lenyomat").publicationMenu, QStringLiteral("Sorozat"));
        QCOMPARE(CodeTables::typeCaptions(u"cikk gyűjt. kötetben").publicationLabel,
                 QStringLiteral("Kötetcím:"));
        QCOMPARE(CodeTables::typeCaptions(u"Könyv").publicationLabel, QStringLiteral("Kiadvány:"));
        QCOMPARE(CodeTables::typeCaptions(u"").volumeLabel, QStringLiteral("Évfolyam:"));
    }

    void fieldGridOfTheExample()
    {
        const FieldGrid grid = FieldGrid::decodeUnicode(kExample);
        QCOMPARE(row(grid, FieldGrid::Name), QStringLiteral("Ka00012300"));
        QCOMPARE(row(grid, FieldGrid::RecordType), QStringLiteral("könyv"));
        QCOMPARE(row(grid, FieldGrid::Creators), QStringLiteral("01Példa Szerző**"));
        QCOMPARE(row(grid, FieldGrid::Title), QStringLiteral("A példa címe"));
        QCOMPARE(row(grid, FieldGrid::Link), QString());
        QCOMPARE(row(grid, FieldGrid::Translation), QStringLiteral("0"));
        QCOMPARE(row(grid, FieldGrid::Medium), QStringLiteral("papír"));
        QCOMPARE(row(grid, FieldGrid::VolumeName), QStringLiteral("Kardel"));
        QCOMPARE(row(grid, FieldGrid::Contribution), QString());
    }

    void fieldGridEdgeCases()
    {
        QCOMPARE(row(FieldGrid::decodeUnicode(u"Ka1**t**s**02**03Más Fordító**04**xyz"), FieldGrid::Creators),
                 QStringLiteral("03Más Fordító**xyz**"));
        // A short name field: row 0 holds the first 10 characters of the line.
        QCOMPARE(row(FieldGrid::decodeUnicode(u"Ka1**könyv"), FieldGrid::Name), QStringLiteral("Ka1**könyv"));

        const FieldGrid nameAndType = FieldGrid::decodeUnicode(u"Ka00000100**könyv");
        for (int r = 0; r < FieldGrid::RowCount; ++r) {
            const bool set = r == FieldGrid::Name || r == FieldGrid::RecordType || r == FieldGrid::VolumeName;
            QCOMPARE(nameAndType[r].isEmpty(), !set);
        }
        QCOMPARE(row(FieldGrid::decodeUnicode(u"Xx00000100**a**b**c**d**e**f**Görög αβγ"), FieldGrid::Title),
                 QStringLiteral("Görög ???"));
        QCOMPARE(row(FieldGrid::decodeUnicode(u"Xx00000100"), FieldGrid::VolumeName), QString());
        QCOMPARE(FieldGrid::titles()[10], QStringLiteral("10.   Megj. helye"));
        QCOMPARE(FieldGrid::titles()[0], QStringLiteral("  0.   Rekordnév"));
    }

    void recordNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fitted");
        QTest::addColumn<QString>("next");
        QTest::newRow("123") << "123"
                             << "000123"
                             << "124";
        QTest::newRow("1234567") << "1234567"
                                 << "123456"
                                 << "123457";
        QTest::newRow("000999") << "000999"
                                << "000999"
                                << "1000";
        QTest::newRow("12a") << "12a"
                             << "00012a"
                             << "13";
        QTest::newRow("abcdef") << "abcdef"
                                << "abcdef"
                                << "";
        QTest::newRow("empty") << ""
                               << "000000"
                               << "1";
        QTest::newRow("999999") << "999999"
                                << "999999"
                                << "1000000";
    }
    void recordNumbers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, fitted);
        QFETCH(QString, next);
        QCOMPARE(RecordNumber::fixWidth(typed, 6), fitted);
        QCOMPARE(RecordNumber::next(fitted), next);
    }
};

QTEST_GUILESS_MAIN(TestRecordCore)
#include "tst_recordcore.moc"
