#include "CheckFixtures.h"

#include "core/check/NameVariants.h"
#include "core/record/TextFile.h"
#include "core/session/EditingSession.h"

#include "TestSupport.h"

#include <QtTest>

namespace {

std::vector<NameForm> planted()
{
    std::vector<NameForm> forms;
    const auto add = [&](const char16_t* text, qint64 count, QList<int> databases = {0}) {
        forms.push_back({QString::fromUtf16(text), count, databases});
    };
    // One person written three ways across the databases.
    add(u"Kovács János", 5, {0, 1});
    add(u"Kovacs Janos", 2, {1});
    add(u"Kovács J.", 1, {2});
    // Decoys: his wife, and an initial two people fit.
    add(u"Kovács Jánosné", 4);
    add(u"Szabó István", 3);
    add(u"Szabó Ilona", 2);
    add(u"Szabó I.", 1);
    // One slip in a long name, and two short names one letter apart.
    add(u"Vörösmarty Mihály", 6);
    add(u"Vörösmarti Mihály", 1);
    add(u"Kis Ede", 2);
    add(u"Kis Ode", 1);
    add(u"Gyulai Gyula", 1);
    add(u"Gyulai Gy.", 1);
    return forms;
}

QStringList describe(const std::vector<NameVariants::Group>& groups)
{
    QStringList out;
    for (const NameVariants::Group& group : groups) {
        QStringList forms;
        for (const NameForm& form : group.forms)
            forms.append(form.text + QStringLiteral(" ") + QString::number(form.count));
        out.append((group.ambiguous ? QStringLiteral("? ") : QString()) + forms.join(QStringLiteral(" | ")));
    }
    return out;
}

using Difference = NameVariants::Difference;

} // namespace

Q_DECLARE_METATYPE(NameKind)
Q_DECLARE_METATYPE(NameVariants::Difference)

class TestNameVariants : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plantedCorpus()
    {
        JobControl control;
        const std::vector<NameVariants::Group> groups =
            NameVariants::find(NameKind::Creator, planted(), control);
        QCOMPARE(describe(groups), (QStringList{
                                       QStringLiteral("Kovács János 5 | Kovacs Janos 2 | Kovács J. 1"),
                                       QStringLiteral("Vörösmarty Mihály 6 | Vörösmarti Mihály 1"),
                                       QStringLiteral("? Szabó I. 1 | Szabó István 3 | Szabó Ilona 2"),
                                       QStringLiteral("Gyulai Gyula 1 | Gyulai Gy. 1"),
                                   }));
        QCOMPARE(groups.front().forms.front().databases, (QList<int>{0, 1}));
    }

    // Names one edit apart group only when both are longer than 8 characters;
    // the edit may be anywhere, in a run of equal letters too.
    void oneEditApart_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("grouped");
        const auto row = [](const char* tag, const char16_t* a, const char16_t* b, bool grouped) {
            QTest::newRow(tag) << QString::fromUtf16(a) << QString::fromUtf16(b) << grouped;
        };
        row("changed letter", u"Vörösmarty Mihály", u"Vörösmarti Mihály", true);
        row("first letter changed", u"Petőfi Sándor", u"Betőfi Sándor", true);
        row("last letter left out", u"Arany János", u"Arany Jáno", true);
        row("first letter left out", u"Madách Imre", u"adách Imre", true);
        row("letter added in a run", u"Kossuth Lajos", u"Kosssuth Lajos", true);
        row("letter left out of a run", u"Kossuth Lajos", u"Kosuth Lajos", true);
        row("nine characters", u"Ady Endre", u"Ady Endra", true);
        row("eight characters", u"Ady Ende", u"Ady Enda", false);
        row("nine beside eight", u"Ady Endre", u"Ady Ende", false);
        row("two letters changed", u"Jókai Mórica", u"Jókai Marico", false);
        row("letters swapped", u"Mikszáth Kálmán", u"Mikszáth Kálmná", false);
        row("two letters added", u"Babits Mihály", u"Babits Mihályka", false);
    }
    void oneEditApart()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, grouped);
        JobControl control;
        const std::vector<NameForm> forms{{a, 2, {0}}, {b, 1, {0}}};
        const std::vector<NameVariants::Group> groups =
            NameVariants::find(NameKind::Publisher, forms, control);
        QCOMPARE(groups.size(), size_t(grouped ? 1 : 0));
    }

    // Against the authorised form, a form that may name someone else is
    // marked (and starts unticked in the window); case, accents, initials
    // and a place's abbreviations are no such difference.
    void differences_data()
    {
        QTest::addColumn<NameKind>("kind");
        QTest::addColumn<QString>("authorised");
        QTest::addColumn<QString>("form");
        QTest::addColumn<Difference>("expected");
        const auto row = [](const char* tag, NameKind kind, const char* a, const char* b, Difference d) {
            QTest::newRow(tag) << kind << QString::fromUtf8(a) << QString::fromUtf8(b) << d;
        };
        const NameKind creator = NameKind::Creator;
        const NameKind place = NameKind::Place;
        row("family name of its own", creator, "Kovács János", "Kováts János", Difference::FamilyName);
        row("noble y", creator, "Vörösmarty Mihály", "Vörösmarti Mihály", Difference::FamilyName);
        row("inverted with a comma", creator, "Vogelsang, Heinrich", "Vogelsand, Heinrich",
            Difference::FamilyName);
        row("accents and case", creator, "Kovács János", "KOVACS Janos", Difference::None);
        row("initial", creator, "Kovács János", "Kovács J.", Difference::None);
        row("double-letter initial", creator, "Szabó Gyula", "Szabó Gy.", Difference::None);
        row("initials both ways", creator, "Kovács J. Pál", "Kovács János P.", Difference::None);
        row("given name", creator, "Kovács János", "Kovács Jánoss", Difference::GivenName);
        row("abbreviated capital", place, "Budapest", "Bp.", Difference::None);
        row("abbreviation with a stop inside", place, "Budapest", "B.pest", Difference::None);
        row("Kvár", place, "Kolozsvár", "Kvár", Difference::None);
        row("German name", place, "Pozsony", "Pressburg", Difference::OtherLanguage);
        row("Latin name", place, "Kolozsvár", "Claudiopoli", Difference::OtherLanguage);
        row("Vienna", place, "Bécs", "Wien", Difference::OtherLanguage);
        row("place typo", place, "Debrecen", "Debreczen", Difference::None);
        row("publisher", NameKind::Publisher, "Akadémiai Kiadó", "Akadémia Kiadó", Difference::None);
    }
    void differences()
    {
        QFETCH(NameKind, kind);
        QFETCH(QString, authorised);
        QFETCH(QString, form);
        QFETCH(Difference, expected);
        QCOMPARE(NameVariants::differenceFrom(kind, authorised, form), expected);
        QCOMPARE(NameVariants::differenceFrom(kind, form, authorised), expected);
    }

    // Places group with their usual abbreviations and names from the table;
    // the authorised form offered first is the place's name itself.
    void placesByTheTable()
    {
        const std::vector<NameForm> forms{
            {QStringLiteral("Bp."), 10, {0}},      {QStringLiteral("Budapest"), 6, {0}},
            {QStringLiteral("B.pest"), 1, {0}},    {QStringLiteral("Kvár"), 2, {0}},
            {QStringLiteral("Kolozsvár"), 5, {0}}, {QStringLiteral("Pozsony"), 3, {0}},
            {QStringLiteral("Pressburg"), 1, {0}}, {QStringLiteral("Szeged"), 2, {0}},
            {QStringLiteral("Szentes"), 1, {0}},
        };
        JobControl control;
        const std::vector<NameVariants::Group> groups = NameVariants::find(NameKind::Place, forms, control);
        QCOMPARE(describe(groups), (QStringList{
                                       QStringLiteral("Bp. 10 | Budapest 6 | B.pest 1"),
                                       QStringLiteral("Kolozsvár 5 | Kvár 2"),
                                       QStringLiteral("Pozsony 3 | Pressburg 1"),
                                   }));
        QCOMPARE(groups[0].forms[NameVariants::firstAuthorised(groups[0])].text, QStringLiteral("Budapest"));
        QCOMPARE(groups[1].forms[NameVariants::firstAuthorised(groups[1])].text, QStringLiteral("Kolozsvár"));
    }

    // "Kováts" is grouped beside "Kovács" (one letter apart), so that the
    // user sees it, but marked as a family name of its own; the authorised
    // form offered first is spelt out, not initialled.
    void familyNameInAGroup()
    {
        const std::vector<NameForm> forms{{QStringLiteral("Kovács J."), 7, {0}},
                                          {QStringLiteral("Kovács János"), 5, {0}},
                                          {QStringLiteral("Kováts János"), 1, {0}}};
        JobControl control;
        const std::vector<NameVariants::Group> groups = NameVariants::find(NameKind::Creator, forms, control);
        QCOMPARE(describe(groups),
                 QStringList{QStringLiteral("Kovács J. 7 | Kovács János 5 | Kováts János 1")});
        const NameVariants::Group& group = groups.front();
        const QString authorised = group.forms[NameVariants::firstAuthorised(group)].text;
        QCOMPARE(authorised, QStringLiteral("Kovács János"));
        QCOMPARE(NameVariants::differenceText(
                     NameVariants::differenceFrom(NameKind::Creator, authorised, group.forms[2].text)),
                 QStringLiteral("más családnév"));
    }

    // Making a name uniform is one step: undone, the file is given back byte for byte.
    void uniformThenUndo()
    {
        TempWorkDir dir;
        const QStringList lines{
            recordLine({{Field::Creator1, QStringLiteral("01Kovacs Janos")}}),
            recordLine(
                {{Field::Creator2, QStringLiteral("02Kovács J.")}, {Field::Title, QStringLiteral("B")}}),
            recordLine({{Field::Creator1, QStringLiteral("01Kovács Jánosné")}}),
            // A short line of an older program: kept as it is, but for the name.
            QStringLiteral("Ka00000900**könyv**tárgy**03Kovacs Janos"),
        };
        const QString path = dir.file(QStringLiteral("db.rtf"));
        TextFile::writeUnicode(path, lines);
        const QByteArray before = dir.readBytes(QStringLiteral("db.rtf"));
        EditingSession session;
        session.open(path);
        const auto changes = NameVariants::uniformChanges(
            session.document(), NameKind::Creator,
            {QStringLiteral("Kovacs Janos"), QStringLiteral("Kovács J.")}, QStringLiteral("Kovács János"));
        QCOMPARE(changes.size(), qsizetype(3));
        session.replaceLines(changes);
        QVERIFY(session.document().isModified());
        QCOMPARE(session.document().line(3), QStringLiteral("Ka00000900**könyv**tárgy**03Kovács János"));
        QCOMPARE(RecordLine::split(session.document().line(1)).at(4), QStringLiteral("02Kovács János"));
        QCOMPARE(session.document().line(2), lines[2]);
        session.undo();
        QVERIFY(!session.document().isModified());
        QCOMPARE(session.document().encode(), before);
        session.redo();
        session.saveDocument();
        session.undo();
        session.saveDocument();
        QCOMPARE(dir.readBytes(QStringLiteral("db.rtf")), before);
    }
};

QTEST_GUILESS_MAIN(TestNameVariants)
#include "tst_namevariants.moc"
