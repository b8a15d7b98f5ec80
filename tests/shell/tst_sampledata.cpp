#include "TestSupport.h"

#include "core/record/CodeTables.h"
#include "core/record/LookupList.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

// The sample working folder is what a new user starts from and what other
// tests seed their folders with, so it must read cleanly through the core.
class TestSampleData final : public QObject
{
    Q_OBJECT

private:
    static QString sample(const QString& name) { return QStringLiteral(NORLA_SAMPLE_DIR "/") + name; }

private slots:
    void lookupLists()
    {
        const QStringList roles = LookupList::read(sample(WorkFolder::RolesFile));
        QCOMPARE(roles.size(), 30);
        QCOMPARE(roles.mid(0, 4),
                 (QStringList{QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"),
                              QStringLiteral("Fordító"), QStringLiteral("Bevezetést írta")}));
        const QStringList types = LookupList::read(sample(WorkFolder::RecordTypesFile));
        for (const char* type : {"könyv", "folyóiratcikk", "cikk gyűjt. kötetben", "külön lenyomat", "rec."})
            QVERIFY2(types.contains(QString::fromUtf8(type)), type);
        QVERIFY(LookupList::read(sample(WorkFolder::LanguagesFile)).contains(QStringLiteral("magyar")));
    }

    void pickLists()
    {
        QStringList volumes;
        for (int i = 0; i < CodeTables::VolumeCount; ++i)
            volumes << CodeTables::volumeName(i);
        QCOMPARE(TextFile::readUnicode(sample(QStringLiteral("kotet.zda"))), volumes);
        QCOMPARE(TextFile::readUnicode(sample(QStringLiteral("adath.zda"))), CodeTables::media());
    }

    void subjectTreeNestsProperly()
    {
        const QStringList lines = TextFile::read8Bit(sample(QStringLiteral("menu0.zda")));
        QVERIFY(lines.size() >= 30);
        int previous = 0;
        int deepest = 0;
        for (const QString& line : lines) {
            int depth = 1;
            while (depth < 5 && line.startsWith(QString(depth + 1, u'*')))
                ++depth;
            QVERIFY2(depth <= previous + 1, qPrintable(line));
            previous = depth;
            deepest = qMax(deepest, depth);
        }
        QCOMPARE(deepest, 5);
    }

    void databases_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("adatbazis") << QStringLiteral("adatbazis.rtf");
        QTest::newRow("kotetek1") << QStringLiteral("kotetek1.rtf");
        QTest::newRow("kotetek2") << QStringLiteral("kotetek2.rtf");
    }

    void databases()
    {
        QFETCH(QString, name);
        const QByteArray bytes = TextFile::readBytes(sample(name));
        QVERIFY(bytes.startsWith("\xff\xfe"));
        QVERIFY(bytes.endsWith(QByteArray("\r\0\n\0", 4)));

        const QStringList types = LookupList::read(sample(WorkFolder::RecordTypesFile));
        const QStringList languages = LookupList::read(sample(WorkFolder::LanguagesFile));
        static const QRegularExpression recordName(
            QStringLiteral("^(Ka|Lu|No|Si|Vu|Ze|Go|Ma)\\d{6}(00|\\d[a-z])$"));
        const QStringList lines = TextFile::decodeUnicode(bytes);
        QVERIFY(lines.size() >= 40);
        for (const QString& line : lines) {
            // The round trip proves exactly 18 separators; a field at the edge of
            // one must not start or end with "*", or the separator would move.
            const QStringList fields = RecordLine::split(line);
            QCOMPARE(RecordLine::join(fields), line);
            for (const QString& field : fields)
                QVERIFY2(!field.startsWith(u'*') && !field.endsWith(u'*'), qPrintable(line));
            QVERIFY2(recordName.match(fields[0]).hasMatch(), qPrintable(fields[0]));
            QVERIFY2(types.contains(fields[1]), qPrintable(line));
            for (int slot = 3; slot <= 6; ++slot) {
                const int role = CodeTables::rolePosition(QStringView(fields[slot]).left(2));
                QVERIFY2(role >= 1 && role <= 30, qPrintable(line));
            }
            QVERIFY(fields[17].isEmpty() || languages.contains(fields[17]));
            QVERIFY(CodeTables::media().contains(fields[18]));
        }
    }
};

QTEST_GUILESS_MAIN(TestSampleData)
#include "tst_sampledata.moc"
