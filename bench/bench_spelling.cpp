// bench_spelling [COUNT] (default 100000): the three figures of proofreading,
// each next to a baseline measured in the same run.
// - Loading the Hungarian dictionary (what opening the first record costs the
//   background load), next to reading its two files into memory.
// - Checking a title of 300 characters (what every keystroke in "Cím:" costs
//   on the window's thread), next to only finding its words: once with every
//   word new, once as typed, where the field's judge has seen all but one.
// - Proofreading COUNT corpus records on two threads, next to splitting every
//   record into its fields on one (the least any pass over them costs), and
//   the same proofreading on one thread.
// Every pair runs once to warm up, then five times with the two sides taking
// turns; the medians count.
#include "Corpus.h"
#include "core/record/RecordLine.h"
#include "core/record/TextFile.h"
#include "core/spelling/Dictionaries.h"
#include "core/spelling/FieldJudge.h"
#include "core/spelling/Proofreader.h"
#include "core/spelling/SpellingLexicon.h"
#include "core/spelling/TextSpelling.h"

#include "Timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Timing::interleaved;
using Timing::median;
using Timing::millisecondsOf;
using Timing::Pair;

constexpr int Runs = 5;

void print(const char* what, const char* baselineName, Pair pair)
{
    std::printf("%-44s %10.3f ms   %-28s %10.3f ms   ratio %6.1f\n", what, pair.work, baselineName,
                pair.baseline, pair.work / qMax(pair.baseline, 1e-6));
    std::fflush(stdout);
}

// 300 characters of a real-looking Hungarian title, subtitle and all.
const QString Title = QStringLiteral(
    "A magyar könyvtártörténet forrásai a tizenkilencedik századi egyházi gyűjteményekben és a főúri "
    "könyvtárakban: különös tekintettel a nyomtatványok őrzésére, valamint a kéziratos hagyaték "
    "feldolgozására szolgáló bibliográfiai módszerekre és az összehasonlító irodalomtudományi vizsgálatok "
    "eredményeire");

// 1 -> "b", 27 -> "bb": a word never seen before for every keystroke.
QString lettersOf(int number)
{
    QString letters;
    do {
        letters.prepend(QChar(u'a' + number % 26));
        number /= 26;
    } while (number > 0);
    return letters;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    SpellingLanguages languages;
    const QString aff = languages.affixPath(QStringLiteral("magyar"));
    if (aff.isEmpty()) {
        std::fprintf(stderr, "bench_spelling: the Hungarian dictionary (hunspell-hu) is not installed\n");
        return 1;
    }

    print("dictionary load (hu_HU)", "read .aff and .dic",
          interleaved(
              [&] {
                  TextFile::readBytes(aff);
                  TextFile::readBytes(aff.chopped(4) + QStringLiteral(".dic"));
              },
              [&] { SpellEngine::load(aff); }));

    // A title is judged as the field's underline judges it: in every
    // installed language it may be in, with the shipped word tables.
    Dictionaries typing(languages);
    FieldJudge::Languages candidates;
    for (const QString& name : FieldJudge::candidateLanguages(languages, QStringLiteral("magyar")))
        candidates.push_back({name, typing.forLanguage(name)});
    const SpellingLexicon lexicon = SpellingLexicon::builtIn();
    std::printf("title: %lld characters, %zu words, %zu languages\n", qlonglong(Title.size()),
                WordScanner::words(Title).size(), candidates.size());
    print("title check (300 characters)", "finding its words",
          interleaved([&] { WordScanner::words(Title); },
                      [&] {
                          FieldJudge fresh(lexicon);
                          fresh.judge(Title, candidates, false);
                      },
                      Runs, 20));
    // As typed: the field's judge remembers the words it has judged, so a
    // keystroke (here: one word changed each time) costs the new word's look-ups.
    FieldJudge judge(lexicon);
    int keystroke = 0;
    print("title check as typed (one word new)", "finding its words",
          interleaved([&] { WordScanner::words(Title); },
                      [&] {
                          const QString typed = Title + QStringLiteral(" vizsgálat") + lettersOf(++keystroke);
                          judge.judge(typed, candidates, false);
                      },
                      Runs, 20));

    const QStringList lines = Corpus::records(count, 7);
    Dictionaries dictionaries(languages);
    dictionaries.forLanguage(QStringLiteral("magyar"));
    const WordList accepted;
    const auto proofread = [&](int threads) {
        Proofreader::Options options;
        options.threads = threads;
        JobControl job;
        return Proofreader(dictionaries, accepted, options)
            .run(
                int(lines.size()), [&](int i) { return QStringView(lines[i]); }, job);
    };
    const auto splitAll = [&] {
        for (const QString& line : lines)
            RecordLine::split(line);
    };
    const Proofreader::Result result = proofread(2);
    std::printf("%d records: %d checked, %zu unknown words\n", count, result.checkedRecords,
                result.words.size());
    char label[64];
    std::snprintf(label, sizeof label, "proofread %d records, 2 threads", count);
    print(label, "split every record", interleaved(splitAll, [&] { proofread(2); }));
    std::snprintf(label, sizeof label, "proofread %d records, 1 thread", count);
    print(label, "split every record", interleaved(splitAll, [&] { proofread(1); }));
    return 0;
}
