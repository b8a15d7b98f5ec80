// The extreme inputs of bench/limits at a size a test run affords: each
// reader gets through them with the right result. The figures at full size
// come from bench/limits/run-limits.sh.
#include "TestSupport.h"

#include "core/convert/DbfTable.h"
#include "core/convert/SourceFormat.h"
#include "core/index/IndexBuilder.h"
#include "core/record/FieldGrid.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordNumber.h"
#include "core/record/TextFile.h"
#include "core/search/BrowseList.h"
#include "core/search/SearchEngine.h"
#include "core/source/SubjectTree.h"

#include <QFile>
#include <QtTest>

namespace {

QString recordLine(int k, const QString& title)
{
    return QStringLiteral("Ka%1**könyv**tárgy**01Kovács Ödön**02**03**04**%2**sor**Gondolat**1**1990**9 p."
                          "**Budapest**jegyzet****0**magyar**papír")
        .arg(k, 8, 10, QLatin1Char('0'))
        .arg(title);
}

class HitNames final : public SearchSink
{
public:
    void hit(QByteArrayView recordName, const FieldGrid*) override { names.append(recordName.toByteArray()); }
    QList<QByteArray> names;
};

} // namespace

class TestLimits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A title of a million characters and a line of a million characters
    // without any separator, through reading, decoding, indexing, search and browse.
    void megabyteLinesPassEveryReader()
    {
        TempWorkDir dir;
        QString longTitle;
        while (longTitle.size() < 1'000'000)
            longTitle += QStringLiteral("hosszú cím ");
        const QStringList lines = {recordLine(1, QStringLiteral("rövid")), recordLine(2, longTitle),
                                   QString(1'000'000, u'x'), recordLine(3, QStringLiteral("vég"))};
        TextFile::writeUnicode(dir.file(QStringLiteral("hosszu.rtf")), lines);

        QCOMPARE(TextFile::readUnicode(dir.file(QStringLiteral("hosszu.rtf"))), lines);
        QCOMPARE(RecordLine::split(lines[1]).value(7), longTitle);
        QCOMPARE(RecordLine::split(lines[2]).size(), RecordLine::FieldCount);
        QVERIFY(FieldGrid::decodeUnicode(lines[1])[FieldGrid::Title].startsWith("hossz"));

        IndexBuilder builder(dir.path());
        builder.build({QStringLiteral("hosszu.rtf")});
        QCOMPARE(builder.recordCount(), 4);

        SearchCriteria criteria;
        criteria.term = QStringLiteral("hosszú cím");
        HitNames hits;
        SearchEngine(criteria, {}).run(dir.path(), hits);
        QCOMPARE(hits.names, QList<QByteArray>{"Ka00000002"});

        QByteArray found;
        QVERIFY(BrowseList::findRecordLine(BrowseList::chunkPath(dir.path(), 1), "Ka00000002", found));
        QVERIFY(found.size() > 1'000'000);
    }

    // The header promises more rows than the file holds: a clear message, no read past the end.
    void dbaseTableClaimingMoreRowsThanItHolds()
    {
        TempWorkDir dir;
        QFile seed(QStringLiteral(NORLA_FUZZ_SEEDS "/fuzz_dbf/cp1250.dbf"));
        QVERIFY(seed.open(QIODevice::ReadOnly));
        QByteArray bytes = seed.readAll();
        for (int i = 0; i < 4; ++i)
            bytes[4 + i] = char(i == 3 ? 0x7F : 0xFF); // 2^31 - 1 rows
        dir.writeBytes(QStringLiteral("csonka.dbf"), bytes);
        DbfTable table;
        try {
            table.open(dir.file(QStringLiteral("csonka.dbf")));
            QFAIL("a truncated table was opened");
        } catch (const NorlaError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("2147483647")), qPrintable(error.message()));
            QVERIFY(error.message().contains(dir.file(QStringLiteral("csonka.dbf"))));
        }
        QVERIFY(!table.isOpen());
    }

    // Many rows renamed to one shared key and away again: every row keeps its own values.
    void zdbMassRenames()
    {
        const int count = 20'000;
        const QString shared = QStringLiteral("közös   ");
        QStringList lines;
        for (int k = 0; k < count; ++k) {
            lines.append(QStringLiteral("%1").arg(k, 8, 10, QLatin1Char('0')) + QStringLiteral("000") +
                         shared);
            lines.append(shared + QStringLiteral("005cím ") + QString::number(k));
        }
        for (int k = 0; k < count; ++k)
            lines.append(shared + QStringLiteral("000új") + QString::number(k));
        QStringList records;
        const DbfTable closed;
        SourceFormat::forKind(SourceKind::Zdb)->convert({closed, lines, -1}, [&](const QString& line) {
            records.append(line);
        });
        QCOMPARE(records.size(), count);
        // Rows stay in the order their keys first appeared; the last row given
        // the shared key is the first one renamed away from it.
        QCOMPARE(RecordLine::split(records.last()).value(7), QStringLiteral("cím %1").arg(count - 1));
        QVERIFY(records.last().startsWith(RecordNumber::fixWidth(QStringLiteral("új0"), 8)));
        QCOMPARE(RecordLine::split(records.first()).value(7), QStringLiteral("cím 0"));
        QVERIFY(records.first().startsWith(RecordNumber::fixWidth(QStringLiteral("új%1").arg(count - 1), 8)));
    }

    void subjectTreeExtremes_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("repeats");
        QTest::newRow("10,000 entries on one level") << 1 << 10'000;
        QTest::newRow("five levels nested 10,000 times") << 5 << 10'000;
    }
    void subjectTreeExtremes()
    {
        QFETCH(int, levels);
        QFETCH(int, repeats);
        QList<QByteArray> lines;
        for (int k = 0; k < repeats; ++k)
            for (int depth = 1; depth <= levels; ++depth)
                lines.append(QByteArray(depth, '*') + "Tárgy " + QByteArray::number(k));
        const SubjectTree::Outline outline = SubjectTree::outline(lines);
        QCOMPARE(outline.orphanLine, -1);
        QCOMPARE(outline.entries.size(), lines.size());
        QCOMPARE(outline.entries.last().depth, levels);
    }
};

QTEST_GUILESS_MAIN(TestLimits)
#include "tst_limits.moc"
