// bench_check [COUNT] (default 1000000): the long runs of the record checks,
// each next to a baseline measured in the same run.
//
// - Completion: an index of 500 000 distinct names for COUNT records, looked
//   up by the first 2 to 6 letters of a family or given name; the slowest and
//   the median look-up, next to a plain scan of the folded names for the same
//   word start (what a completer without an index does per keystroke). Its
//   memory is printed next to the bytes of the name list file it stands for.
// - Variants: the variant search over those names, next to sorting them.
// - Batch replace: a database of COUNT corpus records; the preview of a
//   publisher replaced in every record, and that of a regular expression in
//   every field, each next to a plain scan of the lines for the text; the
//   apply (the changed lines taken into the document as one undo step), next
//   to encoding the whole document as its save would.
// Warm-up, then five rounds with the two sides taking turns; medians count.
#include "Corpus.h"
#include "core/check/BatchReplace.h"
#include "core/check/CompletionIndex.h"
#include "core/check/NameVariants.h"
#include "core/record/TextFile.h"
#include "core/search/Folding.h"
#include "core/session/EditingSession.h"

#include "Timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 5;

using Timing::interleaved;
using Timing::median;
using Timing::millisecondsOf;
using Timing::Pair;

void print(const char* what, const Pair& pair, const char* baselineName)
{
    std::printf("%-34s %10.2f ms   %-30s %10.2f ms   ratio %6.2f\n", what, pair.work, baselineName,
                pair.baseline, pair.work / pair.baseline);
}

const char16_t* const kFamilies[] = {u"Kovács", u"Szabó",  u"Nagy",     u"Tóth",   u"Horváth", u"Kiss",
                                     u"Molnár", u"Varga",  u"Farkas",   u"Balogh", u"Papp",    u"Lakatos",
                                     u"Takács", u"Juhász", u"Mészáros", u"Oláh",   u"Simon",   u"Rácz"};
const char16_t* const kGiven[] = {u"János",  u"István", u"László",  u"Ilona", u"Erzsébet", u"Ödön",
                                  u"Zoltán", u"Gyula",  u"Katalin", u"Éva",   u"Péter",    u"Zsolt"};
const char16_t* const kSyllables[] = {u"ba", u"ko", u"ré", u"szi", u"lő", u"mu", u"ne", u"dö", u"tá", u"gyu"};

// 500 000 distinct names: a family name with a made-up ending, one or two
// given names; record counts follow a long tail, summing to about COUNT.
std::vector<NameForm> names(int distinct, int records)
{
    std::vector<NameForm> out;
    out.reserve(size_t(distinct));
    QRandomGenerator rng(7);
    qint64 left = records;
    for (int i = 0; i < distinct; ++i) {
        QString name = QString::fromUtf16(kFamilies[rng.bounded(int(std::size(kFamilies)))]);
        int n = i;
        do {
            name += QString::fromUtf16(kSyllables[n % 10]);
            n /= 10;
        } while (n > 0);
        name += u' ';
        name += QString::fromUtf16(kGiven[rng.bounded(int(std::size(kGiven)))]);
        if (rng.bounded(3) == 0) {
            name += u' ';
            name += QString::fromUtf16(kGiven[rng.bounded(int(std::size(kGiven)))]);
        }
        const qint64 count = i < distinct - 1
                                 ? qMax<qint64>(1, qint64(left / (distinct - i)) + (rng.bounded(5) - 2))
                                 : qMax<qint64>(1, left);
        left -= count;
        out.push_back({name, count, {}});
    }
    return out;
}

void benchCompletion(const std::vector<NameForm>& forms)
{
    QElapsedTimer timer;
    timer.start();
    const CompletionIndex index(forms);
    const double built = double(timer.nsecsElapsed()) / 1e6;
    QStringList file;
    for (const NameForm& form : forms)
        file.append(form.text);
    const qsizetype fileBytes = TextFile::encodeUnicode(file).size();
    std::printf("completion index: %lld names, built in %.0f ms (off the window's thread), %.1f MB, "
                "name list file %.1f MB, ratio %.2f (goal <= 2)\n",
                qlonglong(index.size()), built, double(index.memoryUsed()) / 1e6, double(fileBytes) / 1e6,
                double(index.memoryUsed()) / double(fileBytes));

    std::vector<QByteArray> folded;
    for (const NameForm& form : forms)
        folded.push_back(Folding::fold(form.text));
    const QStringList typedTexts{QStringLiteral("ko"), QStringLiteral("kov"),        QStringLiteral("kovac"),
                                 QStringLiteral("ja"), QStringLiteral("jan"),        QStringLiteral("ödö"),
                                 QStringLiteral("sz"), QStringLiteral("szabó"),      QStringLiteral("ta"),
                                 QStringLiteral("to"), QStringLiteral("nagykobare"), QStringLiteral("zsolt")};
    std::vector<double> lookups;
    std::vector<double> scans;
    for (int round = 0; round < Runs; ++round) {
        for (const QString& typed : typedTexts) {
            lookups.push_back(millisecondsOf([&] { (void)index.lookup(typed); }));
            scans.push_back(millisecondsOf([&] {
                const QByteArray wanted = Folding::fold(typed);
                int hits = 0;
                for (const QByteArray& name : folded)
                    if (name.startsWith(wanted) || name.contains(' ' + wanted))
                        ++hits;
                (void)hits;
            }));
        }
    }
    const double slowest = *std::max_element(lookups.begin(), lookups.end());
    std::printf("%-34s %10.3f ms   %-30s %10.2f ms   (slowest look-up %.3f ms, goal 5 ms)\n",
                "completion look-up, median", median(lookups), "plain scan of the names", median(scans),
                slowest);
}

void benchVariants(const std::vector<NameForm>& forms)
{
    JobControl control;
    std::size_t groups = 0;
    const Pair pair = interleaved(
        [&] {
            QStringList texts;
            for (const NameForm& form : forms)
                texts.append(form.text);
            texts.sort();
        },
        [&] { groups = NameVariants::find(NameKind::Creator, forms, control).size(); }, 3);
    print("variant search", pair, "sorting the names");
    std::printf("  %zu groups (goal 2000 ms)\n", groups);
}

void benchReplace(int count)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("korpusz.rtf"));
    Corpus::writeDatabase(path, count, 1);
    EditingSession session;
    session.open(path);
    const BatchReplace::Request request{Field::Publisher, QStringLiteral("Kiadó"), false,
                                        QStringLiteral("Könyvkiadó")};
    JobControl control;
    std::vector<BatchReplace::Row> rows;
    const DatabaseDocument::Snapshot snapshot = session.document().snapshot();
    // The count is printed: Qt declares its string search pure, so a scan
    // whose result went unused would be dropped by the compiler.
    int linesHolding = 0;
    const auto scanLines = [&] {
        linesHolding = 0;
        for (int i = 0; i < snapshot.lineCount(); ++i)
            linesHolding += snapshot.line(i).contains(request.find) ? 1 : 0;
    };
    const Pair preview =
        interleaved(scanLines, [&] { rows = BatchReplace::preview(snapshot, request, control); });
    print("replace preview", preview, "plain scan of the lines");
    std::printf("  %zu rows of %d records, %d lines hold the text (goal 1000 ms)\n", rows.size(), count,
                linesHolding);
    // A regular expression over every field: each line is matched once
    // before its fields are.
    const BatchReplace::Request everyField{std::nullopt, QStringLiteral("(\\w+) Kiadó"), true,
                                           QStringLiteral("\\1 Könyvkiadó")};
    std::size_t everyFieldRows = 0;
    const Pair regexPreview = interleaved(
        scanLines, [&] { everyFieldRows = BatchReplace::preview(snapshot, everyField, control).size(); });
    print("replace preview, regex, all fields", regexPreview, "plain scan of the lines");
    std::printf("  %zu rows (goal 1000 ms)\n", everyFieldRows);
    std::vector<double> applies;
    std::vector<double> encodes;
    for (int i = 0; i < 3; ++i) {
        encodes.push_back(millisecondsOf([&] { (void)session.document().encode(); }));
        applies.push_back(
            millisecondsOf([&] { session.replaceLines(BatchReplace::changes(session.document(), rows)); }));
        session.undo();
    }
    print("replace apply (one undo step)", {median(encodes), median(applies)}, "encoding the document");
    std::printf("  (goal 3000 ms)\n");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const int count = args.isEmpty() ? 1000000 : args.first().toInt();
    if (count <= 0) {
        std::fprintf(stderr, "Usage: bench_check [COUNT]\n");
        return 2;
    }
    const std::vector<NameForm> forms = names(qMin(500000, count / 2 > 0 ? count / 2 : 1), count);
    if (qEnvironmentVariableIsEmpty("SKIPC"))
        benchCompletion(forms);
    benchVariants(forms);
    if (qEnvironmentVariableIsEmpty("SKIPR"))
        benchReplace(count);
    return 0;
}
