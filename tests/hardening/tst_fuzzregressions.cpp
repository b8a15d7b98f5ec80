// Every input a fuzzer once found crashing, hanging or breaking a reader's
// promise goes through the same target code again (tests/data/fuzz/<target>/).
// The targets check their readers' promises themselves and abort on a broken one.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstdint>

// Every reader is core code, so one program without widgets replays them all.
#define NORLA_FUZZ_TARGETS(X)                                                                                \
    X(fuzz_textfile)                                                                                         \
    X(fuzz_rtf)                                                                                              \
    X(fuzz_recordline)                                                                                       \
    X(fuzz_settings)                                                                                         \
    X(fuzz_lookuplist)                                                                                       \
    X(fuzz_subjecttree)                                                                                      \
    X(fuzz_zdb)                                                                                              \
    X(fuzz_director)                                                                                         \
    X(fuzz_dbf)                                                                                              \
    X(fuzz_browselist)                                                                                       \
    X(fuzz_chunks)                                                                                           \
    X(fuzz_ris)                                                                                              \
    X(fuzz_bibtex)

#define NORLA_DECLARE_ENTRY(name) extern "C" int name##_testOneInput(const uint8_t* data, size_t size);
NORLA_FUZZ_TARGETS(NORLA_DECLARE_ENTRY)

namespace {

using EntryPoint = int (*)(const uint8_t*, size_t);

struct Target
{
    const char* name;
    EntryPoint entry;
};

#define NORLA_TARGET_ROW(name) Target{#name, name##_testOneInput},
const Target kTargets[] = {NORLA_FUZZ_TARGETS(NORLA_TARGET_ROW)};

} // namespace

class TestFuzzRegressions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replaysKeptInputs_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("path");
        for (int t = 0; t < int(std::size(kTargets)); ++t) {
            const QString name = QString::fromLatin1(kTargets[t].name);
            // Every entry point runs at least on nothing at all.
            QTest::addRow("%s/empty", kTargets[t].name) << t << QString();
            const QDir dir(testDataPath(QStringLiteral("fuzz/") + name));
            for (const QString& file : dir.entryList(QDir::Files, QDir::Name))
                QTest::addRow("%s/%s", kTargets[t].name, qPrintable(file)) << t << dir.filePath(file);
        }
    }

    void replaysKeptInputs()
    {
        QFETCH(int, target);
        QFETCH(QString, path);
        QByteArray bytes;
        if (!path.isEmpty()) {
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            bytes = file.readAll();
        }
        QCOMPARE(
            kTargets[target].entry(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
            0);
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
