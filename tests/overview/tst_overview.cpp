#include "Corpus.h"
#include "SearchFixtures.h"
#include "TestSupport.h"

#include "core/index/IndexBuilder.h"
#include "core/job/JobControl.h"
#include "core/overview/Overview.h"
#include "core/overview/TextCounts.h"
#include "core/record/CsvText.h"
#include "core/record/OperationCancelled.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/source/SubjectTree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

namespace {

using Overview::Dimension;

QMap<QString, qint64> asMap(const QList<Overview::CountRow>& rows)
{
    QMap<QString, qint64> map;
    for (const Overview::CountRow& row : rows)
        map.insert(row.label, row.count);
    return map;
}

// The year rule written out once more, the plain way: the first run of four
// digits with no letter or digit on either side, not starting with 0.
int plainYear(const QString& text)
{
    static const QRegularExpression year(
        QStringLiteral("(?<![\\p{L}\\p{N}])([1-9]\\d{3})(?![\\p{L}\\p{N}])"));
    const QRegularExpressionMatch match = year.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The counts two tallies agree on, field by field.
bool sameCounts(const RecordTally& a, const RecordTally& b)
{
    return a.records() == b.records() && a.volumes() == b.volumes() && a.emptyFields() == b.emptyFields() &&
           a.decades() == b.decades() && a.unknownYears() == b.unknownYears() &&
           a.recordTypes().counts() == b.recordTypes().counts() &&
           a.languages().counts() == b.languages().counts() && a.media().counts() == b.media().counts() &&
           a.subjects().counts() == b.subjects().counts();
}

// A line of runs of stars between short words, digits, blanks and letters
// outside ASCII, so that runs of every length fall across the blocks a
// sweep takes at once.
QString randomStarLine(QRandomGenerator& random)
{
    static const QString pieces[] = {QStringLiteral("*"),      QStringLiteral("**"),   QStringLiteral("***"),
                                     QStringLiteral("****"),   QStringLiteral("a"),    QStringLiteral("Ka"),
                                     QStringLiteral(" "),      QStringLiteral("1998"), QStringLiteral("ő"),
                                     QStringLiteral("magyar"), QStringLiteral("\t")};
    QString line;
    const int count = int(random.bounded(160));
    for (int i = 0; i < count; ++i)
        line += pieces[random.bounded(int(std::size(pieces)))];
    return line;
}

// Counts taken from the lines with the record reader and a plain loop.
struct Expected
{
    QMap<QString, qint64> volumes, types, languages, media, decades;
    std::array<qint64, RecordSchema::FieldCount> empty{};

    explicit Expected(const QStringList& lines)
    {
        for (int i = 0; i < CodeTables::VolumeCount; ++i)
            volumes.insert(CodeTables::volumeName(i), 0);
        for (const QString& line : lines) {
            const QStringList fields = RecordLine::split(Win1250::roundTrip(line));
            const int volume = CodeTables::volumePosition(QStringView(line).first(2));
            ++volumes[volume < 0 ? Overview::unknownLabel() : CodeTables::volumeName(volume)];
            count(types, RecordSchema::value(fields, Field::RecordType));
            count(languages, RecordSchema::value(fields, Field::Language));
            count(media, RecordSchema::value(fields, Field::Medium));
            const int year = plainYear(RecordSchema::value(fields, Field::Year));
            ++decades[year < 0 ? Overview::unknownLabel()
                               : QStringLiteral("%1–%2").arg(year / 10 * 10).arg(year / 10 * 10 + 9)];
            for (int f = 0; f < RecordSchema::FieldCount; ++f) {
                const QString& value = fields.at(f);
                const bool isEmpty = RecordSchema::isCreator(RecordSchema::fieldAt(f))
                                         ? value.size() <= 2
                                         : value.trimmed().isEmpty();
                empty[size_t(f)] += isEmpty ? 1 : 0;
            }
        }
    }
    static void count(QMap<QString, qint64>& map, const QString& value)
    {
        ++map[value.trimmed().isEmpty() ? Overview::unknownLabel() : value];
    }
};

// Indexes `lines` as two databases of the folder, split at `split`.
void indexLines(const TempWorkDir& dir, const QStringList& lines, qsizetype split)
{
    TextFile::writeUnicode(dir.file(QStringLiteral("egy.rtf")), lines.first(split));
    TextFile::writeUnicode(dir.file(QStringLiteral("ketto.rtf")), lines.sliced(split));
    IndexBuilder builder(dir.path());
    builder.setRecordsPerFile(100);
    builder.build({QStringLiteral("egy.rtf"), QStringLiteral("ketto.rtf")});
}

Overview::Summary summariseFolder(const TempWorkDir& dir)
{
    JobControl job;
    return Overview::summariseIndexSet(dir.path(), dir.file(QStringLiteral("menu0.zda")), job);
}

} // namespace

class TestOverview final : public QObject
{
    Q_OBJECT

private slots:
    void countsMatchAPlainCount()
    {
        TempWorkDir dir;
        const QStringList lines = Corpus::records(1234, 7);
        indexLines(dir, lines, 500);
        const Overview::Summary summary = summariseFolder(dir);
        const Expected expected(lines);

        QCOMPARE(summary.source, Overview::Source::IndexSet);
        QCOMPARE(summary.records, lines.size());
        QCOMPARE(asMap(summary.of(Dimension::Volume)), expected.volumes);
        QCOMPARE(asMap(summary.of(Dimension::RecordType)), expected.types);
        QCOMPARE(asMap(summary.of(Dimension::Language)), expected.languages);
        QCOMPARE(asMap(summary.of(Dimension::Medium)), expected.media);
        QCOMPARE(asMap(summary.of(Dimension::Decade)), expected.decades);
        for (const Overview::FieldGap& gap : summary.completeness)
            QCOMPARE(gap.empty, expected.empty[size_t(RecordSchema::position(gap.field))]);
        QCOMPARE(summary.of(Dimension::Database).size(), 2);
        QCOMPARE(summary.of(Dimension::Database).at(0).label, QStringLiteral("egy.rtf"));
        QCOMPARE(summary.of(Dimension::Database).at(0).count, 500);
        QCOMPARE(summary.of(Dimension::Database).at(1).count, lines.size() - 500);

        // The same lines as one database file give the same counts.
        JobControl job;
        TextFile::writeUnicode(dir.file(QStringLiteral("egesz.rtf")), lines);
        const Overview::Summary file =
            Overview::summariseDatabaseFile(dir.file(QStringLiteral("egesz.rtf")), QString(), job);
        QCOMPARE(file.source, Overview::Source::Database);
        for (const Dimension dimension : {Dimension::Volume, Dimension::RecordType, Dimension::Decade})
            QCOMPARE(asMap(file.of(dimension)), asMap(summary.of(dimension)));
        QCOMPARE(asMap(file.of(Dimension::Database)),
                 (QMap<QString, qint64>{{QStringLiteral("egesz.rtf"), 1234}}));
    }

    // Every bar of a restriction leads to exactly its records.
    void barSearchFindsTheBarsRecords()
    {
        TempWorkDir dir;
        indexLines(dir, Corpus::records(600, 3), 300);
        const Overview::Summary summary = summariseFolder(dir);
        for (const Dimension dimension : {Dimension::Volume, Dimension::RecordType, Dimension::Medium}) {
            for (const Overview::CountRow& row : summary.of(dimension)) {
                const std::optional<SearchCriteria> criteria = Overview::searchFor(dimension, row);
                QVERIFY2(criteria, qPrintable(row.label));
                CollectingSink sink;
                QCOMPARE(SearchEngine(*criteria, {}).run(dir.path(), sink), row.count);
            }
        }
        QVERIFY(!Overview::searchFor(Dimension::Database, summary.of(Dimension::Database).first()));
    }

    void yearOf_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("year");
        QTest::newRow("plain") << QStringLiteral("1998") << 1998;
        QTest::newRow("with a number") << QStringLiteral("1998/2") << 1998;
        QTest::newRow("century") << QStringLiteral("19. sz.") << -1;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("after words") << QStringLiteral("kb. 1905") << 1905;
        QTest::newRow("a range") << QStringLiteral("1989-1991") << 1989;
        QTest::newRow("glued to a letter") << QStringLiteral("1998a") << -1;
        QTest::newRow("five digits") << QStringLiteral("19985") << -1;
        QTest::newRow("leading zero") << QStringLiteral("0998") << -1;
        QTest::newRow("accented letter") << QStringLiteral("é1998") << -1;
    }
    void yearOf()
    {
        QFETCH(QString, field);
        QFETCH(int, year);
        QCOMPARE(RecordTally::yearOf(Win1250::fromUnicode(field)), year);
    }

    // A line is counted from its Unicode text, cut in one sweep; the counts
    // are those of its 8-bit text cut field by field, odd lines included.
    void unicodeLineCountsAsItsEightBitText_data()
    {
        QTest::addColumn<QString>("line");
        Rec rec;
        rec.name = QStringLiteral("Ka00000100");
        rec.type = QStringLiteral("könyv");
        rec.year = QStringLiteral("1998");
        rec.subject = QStringLiteral("Irodalom – vers");
        const QString whole = rec.line();
        QTest::newRow("a record") << whole;
        QTest::newRow("a star at its end") << whole + u'*';
        QTest::newRow("two stars at its end") << whole + QStringLiteral("**");
        QTest::newRow("three stars in a field")
            << QString(whole).replace(QStringLiteral("**1998**"), QStringLiteral("***1998**"));
        QTest::newRow("stars across a block") << QStringLiteral("Ka0000010*") + QString(whole).mid(10);
        QTest::newRow("fewer fields") << QStringLiteral("Ka00000100**könyv**Irodalom");
        QTest::newRow("one character") << QStringLiteral("K");
        QTest::newRow("empty") << QString();
        QTest::newRow("only stars") << QString(41, u'*');
        QTest::newRow("overlong") << whole + QString(RecordLine::MaxReadLength, u'x') + QStringLiteral("**x");
        QTest::newRow("no volume code") << QStringLiteral("Őx") + whole.mid(2);
    }
    void unicodeLineCountsAsItsEightBitText()
    {
        QFETCH(QString, line);
        RecordTally fromUnicode;
        fromUnicode.addLine(line);
        RecordTally fromBytes;
        fromBytes.add(Win1250::fromUnicode(line) + "**");
        QCOMPARE(fromUnicode.volumes(), fromBytes.volumes());
        QCOMPARE(fromUnicode.emptyFields(), fromBytes.emptyFields());
        QCOMPARE(fromUnicode.decades(), fromBytes.decades());
        QCOMPARE(fromUnicode.unknownYears(), fromBytes.unknownYears());
        for (const auto& [unicode, bytes] : {std::pair{&fromUnicode.recordTypes(), &fromBytes.recordTypes()},
                                             {&fromUnicode.languages(), &fromBytes.languages()},
                                             {&fromUnicode.media(), &fromBytes.media()},
                                             {&fromUnicode.subjects(), &fromBytes.subjects()}})
            QVERIFY(unicode->counts() == bytes->counts());

        // Read from a chunk, the line ends at its line break, found in the
        // same sweep as its fields, whatever follows.
        for (const QString& after :
             {QStringLiteral("\r\nKa**x**y"), QStringLiteral("\n**"), QStringLiteral("\u2028*"), QString()}) {
            RecordTally inChunk;
            QCOMPARE(inChunk.addFirstLine(line + after), line.size());
            QCOMPARE(inChunk.volumes(), fromBytes.volumes());
            QCOMPARE(inChunk.emptyFields(), fromBytes.emptyFields());
            QCOMPARE(inChunk.decades(), fromBytes.decades());
            QVERIFY(inChunk.subjects().counts() == fromBytes.subjects().counts());
            QVERIFY(inChunk.languages().counts() == fromBytes.languages().counts());
        }
    }

    // The value table grows and probes past equal lengths and collisions
    // without losing a count: many distinct values, the empty one, and
    // values that differ only in their last unit, against a plain map.
    void valueTableKeepsEveryCount()
    {
        QRandomGenerator random(27);
        QHash<QString, qint64> expected;
        TextCounts counts;
        for (int i = 0; i < 20000; ++i) {
            const int pick = int(random.bounded(5000));
            const QString value = pick == 0 ? QString() : QStringLiteral("Irodalom – %1").arg(pick);
            counts.add(value);
            ++expected[value];
        }
        QHash<QString, qint64> counted;
        counts.forEach([&](QStringView text, qint64 count) { counted.insert(text.toString(), count); });
        QCOMPARE(counted, expected);
    }

    // Every vector width the processor offers cuts a line as the record
    // view cuts its 8-bit text, star runs across block edges included.
    void sweepWidthsCutStarRunsAlike()
    {
        QRandomGenerator random(20261211);
        QStringList lines;
        for (int i = 0; i < 400; ++i)
            lines.append(randomStarLine(random));
        for (const int width : {512, 256, 128, 0}) {
            RecordTally::limitSweepWidth(width);
            for (const QString& line : std::as_const(lines)) {
                RecordTally fromBytes;
                fromBytes.add(Win1250::fromUnicode(line) + "**");
                RecordTally fromUnicode;
                fromUnicode.addLine(line);
                RecordTally inChunk;
                const qsizetype length = inChunk.addFirstLine(line + QStringLiteral("\r\n**x**") + line);
                if (!sameCounts(fromUnicode, fromBytes) || !sameCounts(inChunk, fromBytes) ||
                    length != line.size()) {
                    RecordTally::limitSweepWidth(512);
                    QFAIL(qPrintable(QStringLiteral("width %1: %2").arg(width).arg(line)));
                }
            }
        }
        RecordTally::limitSweepWidth(512);
    }

    void oddYearsAndEmptyFields()
    {
        TempWorkDir dir;
        QStringList lines;
        for (const QString& year : {QStringLiteral("1998/2"), QStringLiteral("19. sz."), QString()}) {
            Rec rec;
            rec.year = year;
            rec.language.clear();
            lines.append(rec.line());
        }
        indexLines(dir, lines, 1);
        const Overview::Summary summary = summariseFolder(dir);
        QCOMPARE(asMap(summary.of(Dimension::Decade)),
                 (QMap<QString, qint64>{{QStringLiteral("1990–1999"), 1}, {Overview::unknownLabel(), 2}}));
        QCOMPARE(asMap(summary.of(Dimension::Language)),
                 (QMap<QString, qint64>{{Overview::unknownLabel(), 3}}));
        QVERIFY(!Overview::searchFor(Dimension::Decade, summary.of(Dimension::Decade).last()));
        const std::optional<SearchCriteria> decade =
            Overview::searchFor(Dimension::Decade, summary.of(Dimension::Decade).first());
        QVERIFY(decade);
        CollectingSink sink;
        QCOMPARE(SearchEngine(*decade, {}).run(dir.path(), sink), 1);
        const auto gap = [&](Field field) {
            return summary.completeness.at(RecordSchema::position(field)).empty;
        };
        QCOMPARE(gap(Field::Year), 1);
        QCOMPARE(gap(Field::Title), 3);
        QCOMPARE(gap(Field::Creator1), 3); // a role code alone names nobody
        QCOMPARE(gap(Field::RecordName), 0);
    }

    void emptyAndSingleRecordSets()
    {
        TempWorkDir dir;
        Overview::Summary none = summariseFolder(dir);
        QCOMPARE(none.records, 0);
        QCOMPARE(none.of(Dimension::Volume).size(), CodeTables::VolumeCount);
        QVERIFY(none.of(Dimension::Decade).isEmpty());
        QVERIFY(none.of(Dimension::Database).isEmpty());

        Rec rec;
        rec.name = QStringLiteral("Zz00000100");
        rec.year = QStringLiteral("2004");
        indexLines(dir, {rec.line()}, 1);
        const Overview::Summary one = summariseFolder(dir);
        QCOMPARE(one.records, 1);
        QCOMPARE(one.of(Dimension::Volume).last().label, Overview::unknownLabel());
        QCOMPARE(asMap(one.of(Dimension::Decade)), (QMap<QString, qint64>{{QStringLiteral("2000–2009"), 1}}));
        QCOMPARE(asMap(one.of(Dimension::Database)),
                 (QMap<QString, qint64>{{QStringLiteral("egy.rtf"), 1}, {QStringLiteral("ketto.rtf"), 0}}));
    }

    // Subjects count under the top two levels of the tree that hold them.
    void subjectsByTheirPlaceInTheTree()
    {
        TempWorkDir dir;
        TextFile::write8Bit(dir.file(QStringLiteral("menu0.zda")),
                            {QStringLiteral("*Történet"), QStringLiteral("**Ókor"), QStringLiteral("***Róma"),
                             QStringLiteral("****Pannonia"), QStringLiteral("*Nyelv")});
        QStringList lines;
        for (const QString& subject :
             {QStringLiteral("Pannonia"), QStringLiteral("Róma"), QStringLiteral("Ókor"),
              QStringLiteral("Nyelv"), QStringLiteral("Más"), QString()}) {
            Rec rec;
            rec.subject = subject;
            lines.append(rec.line());
        }
        indexLines(dir, lines, 3);
        const Overview::Summary summary = summariseFolder(dir);
        const QList<Overview::CountRow>& rows = summary.of(Dimension::Subject);
        QCOMPARE(asMap(rows), (QMap<QString, qint64>{{QStringLiteral("Történet › Ókor"), 3},
                                                     {QStringLiteral("Nyelv"), 1},
                                                     {QStringLiteral("Más"), 1},
                                                     {Overview::unknownLabel(), 1}}));
        QCOMPARE(rows.first().label, QStringLiteral("Történet › Ókor"));
        QCOMPARE(rows.first().searchTexts,
                 (QStringList{QStringLiteral("Pannonia"), QStringLiteral("Róma"), QStringLiteral("Ókor")}));
        const std::optional<SearchCriteria> search = Overview::searchFor(Dimension::Subject, rows.first());
        QVERIFY(search);
        CollectingSink sink;
        QCOMPARE(SearchEngine(*search, {}).run(dir.path(), sink), 3);
    }

    void csvAndJsonReadBack()
    {
        TempWorkDir dir;
        indexLines(dir, Corpus::records(300, 5), 100);
        const Overview::Summary summary = summariseFolder(dir);

        QMap<QString, qint64> fromCsv;
        const QByteArray bytes = Overview::toCsv(summary);
        QVERIFY(bytes.startsWith(CsvText::byteOrderMark()));
        QCOMPARE(Overview::toCsv(summary, CsvText::Mark::None), bytes.mid(3));
        const QStringList csv = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(csv.first(), QStringLiteral("Szempont;Érték;Rekordok"));
        for (const QString& line : csv.mid(1)) {
            if (line.isEmpty())
                continue;
            const QStringList cells = line.split(u';');
            QCOMPARE(cells.size(), 3);
            fromCsv.insert(cells.at(0) + u'/' + cells.at(1), cells.at(2).toLongLong());
        }
        QCOMPARE(fromCsv.value(QStringLiteral("Összesen/")), 300);

        const QJsonObject json = QJsonDocument::fromJson(Overview::toJson(summary)).object();
        QCOMPARE(json.value(QStringLiteral("records")).toInteger(), 300);
        QCOMPARE(json.value(QStringLiteral("source")).toString(), QStringLiteral("index"));
        const QJsonArray groups = json.value(QStringLiteral("groups")).toArray();
        QCOMPARE(groups.size(), Overview::DimensionCount);
        for (const Dimension dimension : Overview::Dimensions) {
            const QJsonObject group = groups.at(int(dimension)).toObject();
            QCOMPARE(group.value(QStringLiteral("key")).toString(), Overview::key(dimension));
            const QJsonArray rows = group.value(QStringLiteral("rows")).toArray();
            QCOMPARE(rows.size(), summary.of(dimension).size());
            for (int i = 0; i < rows.size(); ++i) {
                const Overview::CountRow& row = summary.of(dimension).at(i);
                QCOMPARE(rows.at(i)[QStringLiteral("label")].toString(), row.label);
                QCOMPARE(rows.at(i)[QStringLiteral("count")].toInteger(), row.count);
                QCOMPARE(fromCsv.value(Overview::caption(dimension) + u'/' + row.label), row.count);
            }
        }
        const QJsonArray gaps = json.value(QStringLiteral("emptyFields")).toArray();
        QCOMPARE(gaps.size(), RecordSchema::FieldCount);
        QCOMPARE(gaps.at(7)[QStringLiteral("empty")].toInteger(), summary.completeness.at(7).empty);
    }

    // A chart of many rows: decades keep the newest and add the oldest up in
    // "korábbi" first; other charts keep the largest and add the rest up in
    // "egyéb" last. Rows are "label:count"; decades are named by their first year.
    void chartBarsFoldTheRest_data()
    {
        QTest::addColumn<int>("dimension");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("maxBars");
        QTest::addColumn<QStringList>("bars");
        QTest::addColumn<QStringList>("folded");
        const auto decades = [](int from, int to) {
            QStringList rows;
            for (int first = from; first <= to; first += 10)
                rows.append(QStringLiteral("%1:%2").arg(first).arg(first % 100 + 1));
            return rows;
        };
        QTest::newRow("decades that fit")
            << int(Dimension::Decade) << decades(1990, 2020) << 4
            << QStringList{QStringLiteral("1990–1999:91"), QStringLiteral("2000–2009:1"),
                           QStringLiteral("2010–2019:11"), QStringLiteral("2020–2029:21")}
            << QStringList();
        QTest::newRow("18 decades, the newest shown")
            << int(Dimension::Decade) << decades(1850, 2020) << 15
            << (QStringList{QStringLiteral("korábbi:")} + QStringList{QStringLiteral("1890–1899:91")})
            << QStringList{QStringLiteral("1850–1859:51"), QStringLiteral("1860–1869:61"),
                           QStringLiteral("1870–1879:71"), QStringLiteral("1880–1889:81")};
        QTest::newRow("decades and unknown")
            << int(Dimension::Decade) << (decades(1970, 2020) << QStringLiteral("?:5")) << 4
            << QStringList{QStringLiteral("korábbi:"), QStringLiteral("2010–2019:11"),
                           QStringLiteral("2020–2029:21"), QStringLiteral("ismeretlen:5")}
            << QStringList{QStringLiteral("1970–1979:71"), QStringLiteral("1980–1989:81"),
                           QStringLiteral("1990–1999:91"), QStringLiteral("2000–2009:1")};
        QTest::newRow("languages") << int(Dimension::Language)
                                   << QStringList{QStringLiteral("magyar:50"), QStringLiteral("német:20"),
                                                  QStringLiteral("latin:9"), QStringLiteral("angol:3"),
                                                  QStringLiteral("?:2")}
                                   << 3
                                   << QStringList{QStringLiteral("magyar:50"), QStringLiteral("német:20"),
                                                  QStringLiteral("egyéb (3 érték):14")}
                                   << QStringList{QStringLiteral("latin:9"), QStringLiteral("angol:3"),
                                                  QStringLiteral("ismeretlen:2")};
    }
    void chartBarsFoldTheRest()
    {
        QFETCH(int, dimension);
        QFETCH(QStringList, rows);
        QFETCH(int, maxBars);
        QFETCH(QStringList, bars);
        QFETCH(QStringList, folded);
        QList<Overview::CountRow> counted;
        for (const QString& row : std::as_const(rows)) {
            const QString label = row.section(u':', 0, 0);
            const qint64 count = row.section(u':', 1).toLongLong();
            if (label == u"?") {
                counted.append({Overview::unknownLabel(), count, {}});
            } else if (Dimension(dimension) == Dimension::Decade) {
                QStringList years;
                for (int year = label.toInt(); year < label.toInt() + 10; ++year)
                    years.append(QString::number(year));
                counted.append({QStringLiteral("%1–%2").arg(label).arg(label.toInt() + 9), count, years});
            } else {
                counted.append({label, count, {label}});
            }
        }
        const QList<Overview::ChartBar> chart = Overview::chartBars(Dimension(dimension), counted, maxBars);
        QVERIFY(chart.size() <= maxBars);
        const auto named = [](const Overview::CountRow& row) {
            return row.label + u':' + QString::number(row.count);
        };
        QStringList shown;
        for (const Overview::ChartBar& bar : chart)
            shown.append(named(bar.row));
        QStringList foldedShown;
        QStringList foldedYears;
        qint64 total = 0;
        for (const Overview::ChartBar& bar : chart) {
            total += bar.row.count;
            for (const Overview::CountRow& row : bar.folded) {
                foldedShown.append(named(row));
                foldedYears += row.searchTexts;
            }
        }
        // Nothing is lost: the bars add up to the rows.
        qint64 all = 0;
        for (const Overview::CountRow& row : std::as_const(counted))
            all += row.count;
        QCOMPARE(total, all);
        QCOMPARE(foldedShown, folded);
        if (chart.constFirst().row.label == Overview::earlierLabel()) { // its count is the sum checked above
            QCOMPARE(shown.size(), maxBars);
            QCOMPARE(chart.constFirst().row.searchTexts, foldedYears);
            const std::optional<SearchCriteria> search =
                Overview::searchFor(Dimension::Decade, chart.constFirst().row);
            QVERIFY(search);
            QCOMPARE(search->terms, foldedYears);
            QCOMPARE(shown.mid(1, bars.size() - 1), bars.mid(1));
            QCOMPARE(chart.constLast().row.label.left(4),
                     Dimension(dimension) == Dimension::Decade && counted.constLast().searchTexts.isEmpty()
                         ? QStringLiteral("isme")
                         : QStringLiteral("2020"));
        } else {
            QCOMPARE(shown, bars);
        }
        if (!folded.isEmpty() && Dimension(dimension) != Dimension::Decade)
            QVERIFY(!Overview::searchFor(Dimension(dimension), chart.constLast().row));
    }

    // What norla-cli writes to standard output, as bytes.
    static QByteArray shellOutput(const TempWorkDir& dir, const QStringList& args)
    {
        QStringList quoted;
        for (const QString& arg : args)
            quoted.append(u'\'' + arg + u'\'');
        const ProgramRun run = runProgram(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("'%1' %2 > out.bin").arg(QStringLiteral(NORLA_CLI_PATH), quoted.join(u' '))},
            dir.path());
        return run.exitCode == 0 ? dir.readBytes(QStringLiteral("out.bin")) : QByteArray();
    }

    // norla-cli stats prints what the page shows, in each format; a wrong
    // call or an unreadable database gives its exit status.
    void statsOnTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("json") << QStringList{QStringLiteral("--format"), QStringLiteral("json")} << 0
                              << QStringLiteral("json");
        QTest::newRow("csv of the index")
            << QStringList{QStringLiteral("--index"), QStringLiteral("--format=csv")} << 0
            << QStringLiteral("csv");
        QTest::newRow("csv without the mark")
            << QStringList{QStringLiteral("--format=csv"), QStringLiteral("--no-bom")} << 0
            << QStringLiteral("csv without the mark");
        QTest::newRow("text") << QStringList() << 0 << QStringLiteral("text");
        QTest::newRow("a database") << QStringList{QStringLiteral("egy.rtf"), QStringLiteral("--format"),
                                                   QStringLiteral("json")}
                                    << 0 << QStringLiteral("database");
        QTest::newRow("no such database") << QStringList{QStringLiteral("nincs.rtf")} << 1 << QString();
        QTest::newRow("unknown format")
            << QStringList{QStringLiteral("--format"), QStringLiteral("xml")} << 2 << QString();
        QTest::newRow("both sources")
            << QStringList{QStringLiteral("egy.rtf"), QStringLiteral("--index")} << 2 << QString();
    }
    void statsOnTheCommandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        TempWorkDir dir;
        indexLines(dir, Corpus::records(120, 9), 50);
        const ProgramRun run = runProgram(QStringLiteral(NORLA_CLI_PATH),
                                          QStringList{QStringLiteral("stats")} + args, dir.path());
        QCOMPARE(run.exitCode, exitCode);
        const Overview::Summary summary = summariseFolder(dir);
        if (output == u"json")
            QCOMPARE(run.out.toUtf8(), Overview::toJson(summary));
        else if (output.startsWith(u"csv"))
            // The bytes as a file gets them: the decoded output has lost its mark.
            QCOMPARE(shellOutput(dir, QStringList{QStringLiteral("stats")} + args),
                     Overview::toCsv(summary,
                                     output == u"csv" ? CsvText::Mark::ByteOrderMark : CsvText::Mark::None));
        else if (output == u"text")
            QCOMPARE(run.out, Overview::toText(summary));
        else if (output == u"database")
            QCOMPARE(QJsonDocument::fromJson(run.out.toUtf8())[QStringLiteral("records")].toInteger(), 50);
        else
            QVERIFY(!run.err.isEmpty());
    }

    void aStopEndsThePass()
    {
        TempWorkDir dir;
        indexLines(dir, Corpus::records(400, 2), 200);
        JobControl job;
        job.setCheckpoint([&job] { job.requestStop(); });
        QVERIFY_THROWS_EXCEPTION(OperationCancelled, Overview::tallyIndexSet(dir.path(), job, 1));
    }

    void unreadableChunkIsReported()
    {
        TempWorkDir dir;
        indexLines(dir, Corpus::records(300, 2), 150);
        QVERIFY(QFile::remove(dir.file(QStringLiteral("adatb2.ztf"))));
        // A link to nothing stays listed, so the pass meets it and cannot read it.
        QVERIFY(QFile::link(dir.file(QStringLiteral("nincs.ztf")), dir.file(QStringLiteral("adatb2.ztf"))));
        JobControl job;
        QCOMPARE(errorOf([&] { Overview::tallyIndexSet(dir.path(), job); }),
                 cannotOpenFile(dir.file(QStringLiteral("adatb2.ztf"))));
    }

    void hungarianNumbers()
    {
        QCOMPARE(Overview::formatCount(1234567), QStringLiteral("1\u00a0234\u00a0567"));
        QCOMPARE(Overview::formatCount(999), QStringLiteral("999"));
    }
};

QTEST_GUILESS_MAIN(TestOverview)
#include "tst_overview.moc"
