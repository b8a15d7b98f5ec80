// Proofreading measured on a realistic corpus (tests/data/spelling/corpus.rtf,
// written by make_corpus.py there): Hungarian, German, Latin and English
// titles in records of either language, names, abbreviations and sigla, old
// spellings, and single-edit typos planted in it, listed in corpus_key.tsv.
// norla-cli spell is run over it as a user runs it, and its report is scored:
// - precision: of the reported words, the share that are planted (a typo,
//   or an old form in an old record);
// - recall: of the planted words, the share reported with their record;
// - suggestions: of the planted typos found, the share whose meant word is
//   among the first three suggestions (--suggest).
// The figures are printed; each must reach 0.9.

#include "TestSupport.h"

#include <QFile>
#include <QSet>
#include <QtTest>

namespace {

const QString CorpusFolder = QStringLiteral(NORLA_TEST_DATA_DIR "/spelling");

struct Planted
{
    QString record; // as the report and the record-name list write it: "Ko00000100"
    QString word;
    bool old = false;
    QString meant; // the word a typo was made of
};

QList<Planted> readKey()
{
    QFile file(CorpusFolder + QStringLiteral("/corpus_key.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Planted> planted;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QStringList columns = line.split(u'\t');
        if (line.startsWith(u'#') || columns.size() != 4)
            continue;
        planted.append({columns[0], columns[1], columns[2] == u"old", columns[3]});
    }
    return planted;
}

} // namespace

class TestSpellingCorpus final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsTheRealErrorsAndFindsThePlantedOnes()
    {
        const QList<Planted> planted = readKey();
        QVERIFY(planted.size() >= 50);
        QSet<std::pair<QString, QString>> expected;
        for (const Planted& p : planted)
            expected.insert({p.record, p.word});

        // A folder of its own: no word list or index set of the test data's folder counts.
        TempWorkDir dir;
        QVERIFY(QFile::copy(CorpusFolder + QStringLiteral("/corpus.rtf"),
                            dir.file(QStringLiteral("corpus.rtf"))));
        const ProgramRun run = runProgram(
            QStringLiteral(NORLA_CLI_PATH),
            {QStringLiteral("spell"), QStringLiteral("--suggest"), QStringLiteral("corpus.rtf")}, dir.path());
        QCOMPARE(run.exitCode, 0);

        int reported = 0;
        int real = 0;
        int oldReported = 0;
        int oldRight = 0;
        QSet<std::pair<QString, QString>> found;
        QStringList falseAlarms;
        int typosFound = 0;
        int meantOffered = 0;
        QStringList badlySuggested;
        for (const QString& line : run.out.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList columns = line.split(u'\t');
            QVERIFY2(columns.size() >= 5, qPrintable(line));
            const QString& word = columns[0];
            const QStringList firstThree = columns[4].split(QStringLiteral(", ")).mid(0, 3);
            bool hit = false;
            bool plantedOld = false;
            QString meant;
            for (const QString& record : columns[3].split(QStringLiteral(", "))) {
                if (expected.contains({record, word})) {
                    hit = true;
                    found.insert({record, word});
                    for (const Planted& p : planted) {
                        if (p.record == record && p.word == word) {
                            plantedOld = plantedOld || p.old;
                            meant = p.old ? meant : p.meant;
                        }
                    }
                }
            }
            if (!meant.isEmpty()) {
                ++typosFound;
                if (firstThree.contains(meant))
                    ++meantOffered;
                else
                    badlySuggested.append(word);
            }
            ++reported;
            real += hit ? 1 : 0;
            if (!hit)
                falseAlarms.append(word);
            if (columns.size() > 5) {
                ++oldReported;
                oldRight += plantedOld ? 1 : 0;
            }
        }
        const double precision = reported ? double(real) / reported : 1.0;
        const double recall = double(found.size()) / double(expected.size());
        qInfo("corpus: %lld planted (typos and old forms), %d words reported, %d of them planted",
              qlonglong(expected.size()), reported, real);
        qInfo("precision %.3f  recall %.3f  (\"régi alak?\": %d reported, %d of them planted old forms)",
              precision, recall, oldReported, oldRight);
        qInfo("false alarms: %s", qPrintable(falseAlarms.join(u", ")));
        const double offered = typosFound ? double(meantOffered) / typosFound : 1.0;
        qInfo("suggestions: the meant word among the first three for %d of %d typos found (%.3f)%s%s",
              meantOffered, typosFound, offered,
              badlySuggested.isEmpty() ? "" : ", not for: ", qPrintable(badlySuggested.join(u", ")));
        QVERIFY2(precision >= 0.9, qPrintable(QString::number(precision)));
        QVERIFY2(offered >= 0.9, qPrintable(QString::number(offered)));
        QVERIFY2(recall >= 0.9, qPrintable(QString::number(recall)));
        QCOMPARE(oldRight, oldReported);
    }
};

QTEST_GUILESS_MAIN(TestSpellingCorpus)
#include "tst_spellingcorpus.moc"
