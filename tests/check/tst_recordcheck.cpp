#include "CheckFixtures.h"

#include "core/check/DatabaseCheck.h"
#include "core/check/RecordCheck.h"
#include "core/record/Win1250.h"

#include <QtTest>

namespace {

const QStringList Types{QStringLiteral("könyv"), QStringLiteral("folyóiratcikk")};
const QStringList Roles{QStringLiteral("szerző"), QStringLiteral("szerkesztő"), QStringLiteral("fordító"),
                        QStringLiteral("bevezetést írta")};
const QStringList Languages{QStringLiteral("magyar"), QStringLiteral("német")};

RecordChecker checker()
{
    RecordChecker c;
    c.setLists(Types, Roles, Languages);
    c.setLatestYear(2027);
    return c;
}

QList<QPair<Field, CheckKind>> kindsOf(const std::vector<Finding>& findings)
{
    QList<QPair<Field, CheckKind>> kinds;
    for (const Finding& f : findings)
        kinds.append({f.field, f.kind});
    return kinds;
}

using Kinds = QList<QPair<Field, CheckKind>>;

} // namespace

Q_DECLARE_METATYPE(Field)
Q_DECLARE_METATYPE(CheckKind)

class TestRecordCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each check with one record that trips it and one that must not.
    void eachCheck_data()
    {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<Kinds>("expected");
        const auto none = Kinds{};
        const auto one = [](Field f, CheckKind k) { return Kinds{{f, k}}; };
        QTest::newRow("year of three digits")
            << Field::Year << QStringLiteral("198") << one(Field::Year, CheckKind::Year);
        QTest::newRow("year before print")
            << Field::Year << QStringLiteral("1449") << one(Field::Year, CheckKind::Year);
        QTest::newRow("year in the future")
            << Field::Year << QStringLiteral("2031") << one(Field::Year, CheckKind::Year);
        QTest::newRow("year range") << Field::Year << QStringLiteral("1998-1999") << none;
        QTest::newRow("year range backwards")
            << Field::Year << QStringLiteral("1999-1998") << one(Field::Year, CheckKind::Year);
        QTest::newRow("next year") << Field::Year << QStringLiteral("2027") << none;
        QTest::newRow("first year") << Field::Year << QStringLiteral("1450") << none;
        QTest::newRow("no year") << Field::Year << QString() << none;
        QTest::newRow("page range") << Field::Pages << QStringLiteral("12–34.") << none;
        QTest::newRow("page range hyphen") << Field::Pages << QStringLiteral("12-34.") << none;
        QTest::newRow("page range backwards")
            << Field::Pages << QStringLiteral("12–3") << one(Field::Pages, CheckKind::Pages);
        QTest::newRow("page count") << Field::Pages << QStringLiteral("312 p.") << none;
        QTest::newRow("roman and count") << Field::Pages << QStringLiteral("VIII, 300 p.") << none;
        QTest::newRow("roman count") << Field::Pages << QStringLiteral("XII p.") << none;
        QTest::newRow("folios") << Field::Pages << QStringLiteral("56 fol.") << none;
        QTest::newRow("unprinted count") << Field::Pages << QStringLiteral("[8] t.") << none;
        QTest::newRow("pages of words")
            << Field::Pages << QStringLiteral("sok oldal") << one(Field::Pages, CheckKind::Pages);
        QTest::newRow("mixed roman") << Field::Pages << QStringLiteral("VIx, 30 p.")
                                     << one(Field::Pages, CheckKind::Pages);
        QTest::newRow("empty title") << Field::Title << QString() << one(Field::Title, CheckKind::EmptyTitle);
        QTest::newRow("empty type") << Field::RecordType << QString()
                                    << one(Field::RecordType, CheckKind::EmptyType);
        QTest::newRow("type not listed")
            << Field::RecordType << QStringLiteral("Könyv") << one(Field::RecordType, CheckKind::UnknownType);
        QTest::newRow("language not listed")
            << Field::Language << QStringLiteral("latin") << one(Field::Language, CheckKind::UnknownLanguage);
        QTest::newRow("language in capitals") << Field::Language << QStringLiteral("MAGYAR") << none;
        QTest::newRow("role beyond the list") << Field::Creator2 << QStringLiteral("07Nagy Ede")
                                              << one(Field::Creator2, CheckKind::UnknownRole);
        QTest::newRow("old letter role within list") << Field::Creator2 << QStringLiteral("0cNagy Ede")
                                                     << one(Field::Creator2, CheckKind::UnknownRole);
        QTest::newRow("listed role") << Field::Creator2 << QStringLiteral("03Nagy Ede") << none;
        QTest::newRow("lost letter") << Field::Title << QStringLiteral("A r?gi Pest")
                                     << one(Field::Title, CheckKind::LostLetter);
        QTest::newRow("Greek question at the end")
            << Field::Title << QStringLiteral("Τι είναι ιστορία;?") << none;
        QTest::newRow("real question") << Field::Title << QStringLiteral("Ki volt ő? Egy életrajz") << none;
        QTest::newRow("doubled blank")
            << Field::Note << QStringLiteral("két  szó") << one(Field::Note, CheckKind::DoubleBlank);
        QTest::newRow("leading blank") << Field::Publisher << QStringLiteral(" Nádas Kiadó")
                                       << one(Field::Publisher, CheckKind::EdgeBlank);
        QTest::newRow("trailing blank in a name") << Field::Creator1 << QStringLiteral("01Kovács János ")
                                                  << one(Field::Creator1, CheckKind::EdgeBlank);
    }

    void eachCheck()
    {
        QFETCH(Field, field);
        QFETCH(QString, value);
        QFETCH(Kinds, expected);
        const QStringList fields = RecordLine::split(recordLine({{field, value}}));
        QCOMPARE(kindsOf(checker().check(fields)), expected);
    }

    void soundRecordPasses() { QVERIFY(checker().check(RecordLine::split(recordLine())).empty()); }

    void missingListsJudgeNothing()
    {
        RecordChecker unlisted;
        const QStringList fields = RecordLine::split(recordLine(
            {{Field::RecordType, QStringLiteral("bármi")}, {Field::Creator1, QStringLiteral("77X Y")}}));
        QVERIFY(unlisted.check(fields).empty());
    }

    // The whole database: duplicates by name and by work, in the document and
    // in the index set, the findings sorted by record.
    void wholeDatabase()
    {
        DatabaseDocument document;
        document.appendLine(recordLine({{Field::RecordName, QStringLiteral("Ka00000200")}}));
        document.appendLine(recordLine({{Field::RecordName, QStringLiteral("Ka00000100")}}));
        // The same work as the first two, written another way.
        document.appendLine(recordLine({{Field::RecordName, QStringLiteral("Lu00000300")},
                                        {Field::Title, QStringLiteral("A RÉGI PEST.")}}));
        document.appendLine(recordLine(
            {{Field::RecordName, QStringLiteral("Lu00000400")}, {Field::Title, QStringLiteral("Más mű")}}));
        document.appendLine(recordLine({{Field::RecordName, QStringLiteral("Si00000600")},
                                        {Field::Title, QStringLiteral("Harmadik")},
                                        {Field::Year, QStringLiteral("198")}}));
        IndexedWorks indexed;
        const auto add = [&](const QString& line) {
            indexed.add(DuplicateKeys::workHash(line), line.left(10).toLatin1());
        };
        add(recordLine(
            {{Field::RecordName, QStringLiteral("Ze00000500")}, {Field::Title, QStringLiteral("Más mű")}}));
        // The indexed copy of a record of the document is no twin of it.
        add(recordLine({{Field::RecordName, QStringLiteral("Ka00000100")}}));
        indexed.finish();
        JobControl control;
        const std::vector<RecordFinding> findings =
            DatabaseCheck::run(document.snapshot(), checker(), &indexed, control);
        QStringList got;
        for (const RecordFinding& f : findings)
            got.append(f.recordName + u' ' + CheckText::kindName(f.finding.kind) + u' ' + f.finding.detail);
        QCOMPARE(got, (QStringList{
                          QStringLiteral("Ka00000100 lehetséges duplikátum Ka00000200, Lu00000300"),
                          QStringLiteral("Ka00000200 lehetséges duplikátum Ka00000100, Lu00000300"),
                          QStringLiteral("Lu00000300 lehetséges duplikátum Ka00000200, Ka00000100"),
                          QStringLiteral("Lu00000400 lehetséges duplikátum Ze00000500 (index)"),
                          QStringLiteral("Si00000600 hibás évszám 198 – nem négyjegyű évszám"),
                      }));
    }

    // A report names a record as the record-name list does, even when the
    // name holds a character the list's code page lacks.
    void reportNamesAsTheList()
    {
        DatabaseDocument document;
        document.appendLine(recordLine(
            {{Field::RecordName, QStringLiteral("Ma0000ä100")}, {Field::Year, QStringLiteral("19O7")}}));
        document.appendLine(recordLine({{Field::RecordName, QStringLiteral("Ma00αβ0200")},
                                        {Field::Title, QStringLiteral("Más")},
                                        {Field::Year, QStringLiteral("19O7")}}));
        document.rebuildRecordNames();
        JobControl control;
        const std::vector<RecordFinding> findings =
            DatabaseCheck::run(document.snapshot(), checker(), nullptr, control);
        QCOMPARE(findings.size(), size_t(2));
        for (const RecordFinding& f : findings) {
            QCOMPARE(f.recordName, Win1250::toUnicode(document.recordName(f.line)));
            QCOMPARE(f.recordName, RecordSchema::listedName(document.line(f.line)));
        }
        QCOMPARE(findings[1].recordName, QStringLiteral("Ma00??0200"));
    }

    // At F2: the saved record against the others, the keys following edits.
    void duplicatesOfOneRecord()
    {
        DatabaseDocument document;
        document.appendLine(recordLine({{Field::RecordName, QStringLiteral("Ka00000100")}}));
        document.appendLine(recordLine(
            {{Field::RecordName, QStringLiteral("Ka00000200")}, {Field::Title, QStringLiteral("Más")}}));
        DocumentKeys keys;
        JobControl control;
        keys.build(document, control);
        QVERIFY(DatabaseCheck::duplicatesOf(document, 1, keys, nullptr).empty());
        const QString twin = recordLine({{Field::RecordName, QStringLiteral("Ka00000300")}});
        document.appendLine(twin);
        keys.inserted(2, twin);
        const std::vector<Finding> found = DatabaseCheck::duplicatesOf(document, 2, keys, nullptr);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found.front().otherLines, QList<int>{0});
        document.removeLine(0);
        keys.removed(0);
        QVERIFY(DatabaseCheck::duplicatesOf(document, 1, keys, nullptr).empty());
    }
};

QTEST_GUILESS_MAIN(TestRecordCheck)
#include "tst_recordcheck.moc"
