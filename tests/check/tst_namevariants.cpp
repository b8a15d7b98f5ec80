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

} // namespace

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
