// bench_stall [COUNT] [--runs N]: how long the window stops answering while
// the long jobs run. It drives the real indexing dialog and the real search
// dialog (with its hits page) on the offscreen platform over a generated
// corpus of COUNT records (default 1000000) in eight databases, and measures
// the event loop's longest stall: a 5 ms timer records the largest gap
// between its ticks during an index run ("Automatikus", 1000 records per
// chunk file) and during a search for a common term (magyar, nearly every
// record). The baseline is the same measurement on an idle event loop for
// the same length of time, taken right after each job, so both sides are
// interleaved; the medians of N runs (default 5) are printed.
#include "Corpus.h"

#include "core/record/TextFile.h"
#include "ui/common/UserDialogs.h"
#include "ui/index/IndexDialog.h"
#include "ui/search/HitsPage.h"
#include "ui/search/SearchDialog.h"

#include "Timing.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Timing::median;

constexpr int kTickMs = 5;
constexpr int kDatabases = 8;
constexpr double kGoalMs = 50;

// Messages would open real boxes; here they are printed and the run goes on.
class PrintingDialogs final : public UserDialogs
{
public:
    bool askYesNo(QWidget*, const QString& text) override
    {
        print(text);
        return true;
    }
    Answer askYesNoCancel(QWidget*, const QString& text) override
    {
        print(text);
        return Answer::Yes;
    }
    void inform(QWidget*, const QString& text) override { print(text); }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }

private:
    static void print(const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
};

// The largest gap between two ticks of a timer that should tick every 5 ms.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kTickMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }

    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // Milliseconds of the longest gap, the stretch after the last tick included.
    double stop()
    {
        tick();
        m_timer.stop();
        return m_longest / 1e6;
    }
    double elapsedMs() const { return m_clock.nsecsElapsed() / 1e6; }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

struct Measured
{
    double stallMs = 0;
    double baselineMs = 0;
    double wallMs = 0;
};

// The job's stall, then the idle loop's for as long as the job took.
Measured measure(const std::function<void()>& job)
{
    StallMeter meter;
    Measured m;
    meter.start();
    job(); // returns when the job has ended; the event loop ran meanwhile
    m.wallMs = meter.elapsedMs();
    m.stallMs = meter.stop();

    QEventLoop idle;
    QTimer::singleShot(int(m.wallMs), &idle, &QEventLoop::quit);
    meter.start();
    idle.exec();
    m.baselineMs = meter.stop();
    return m;
}

template <typename T> T* control(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "bench_stall: no control %s\n", name);
        std::exit(1);
    }
    return found;
}

void settle()
{
    QCoreApplication::processEvents();
}

void report(const char* what, const std::vector<Measured>& runs)
{
    std::vector<double> stalls, baselines, walls;
    for (const Measured& m : runs) {
        stalls.push_back(m.stallMs);
        baselines.push_back(m.baselineMs);
        walls.push_back(m.wallMs);
    }
    const double stall = median(stalls);
    const double baseline = median(baselines);
    std::printf("%-28s longest stall %8.1f ms   idle baseline %6.1f ms   ratio %5.2f   run %8.0f ms   %s\n",
                what, stall, baseline, stall / baseline, median(walls),
                stall <= kGoalMs ? "within 50 ms" : "ABOVE 50 ms");
    std::printf("%-28s each run (stall/baseline ms):", "");
    for (const Measured& m : runs)
        std::printf(" %.1f/%.1f", m.stallMs, m.baselineMs);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int count = 1000000;
    int runs = 5;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--runs") && i + 1 < args.size())
            runs = qMax(1, args[++i].toInt());
        else
            count = args[i].toInt();
    }

    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "bench_stall: cannot create a temporary folder\n");
        return 1;
    }
    const QString dir = work.path();
    QDir::setCurrent(dir);
    PrintingDialogs dialogs;
    UserDialogs::install(&dialogs);

    std::printf("bench_stall: %d records in %d databases, %d runs, timer every %d ms\n", count, kDatabases,
                runs, kTickMs);
    std::fflush(stdout);
    for (int d = 0; d < kDatabases; ++d) {
        const int first = int(qint64(count) * d / kDatabases);
        const int next = int(qint64(count) * (d + 1) / kDatabases);
        Corpus::writeDatabase(dir + QStringLiteral("/korpusz%1.rtf").arg(d + 1, 2, 10, QLatin1Char('0')),
                              next - first, 1, first);
    }
    TextFile::write8Bit(dir + QStringLiteral("/szerep.zda"),
                        {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"), QStringLiteral("Fordító"),
                         QStringLiteral("Bevezetést írta")});

    IndexDialog indexDialog;
    indexDialog.setStartDir(dir);
    HitsPage hitsPage;
    hitsPage.resize(900, 600);
    SearchDialog searchDialog;
    searchDialog.setStartDir(dir);
    searchDialog.setHitsPage(&hitsPage);

    std::vector<Measured> indexRuns, searchRuns;
    qint64 hits = 0;
    for (int run = 0; run < runs; ++run) {
        indexDialog.show();
        settle();
        control<QPushButton>(indexDialog, "gomb_mindbe")->click();
        indexRuns.push_back(measure([&] { control<QPushButton>(indexDialog, "gomb_index")->click(); }));
        if (indexDialog.isVisible()) {
            std::fprintf(stderr, "bench_stall: the index run did not complete\n");
            return 1;
        }

        hitsPage.show();
        searchDialog.show();
        settle();
        control<QLineEdit>(searchDialog, "edit_1")->setText(QStringLiteral("magyar"));
        searchRuns.push_back(measure([&] { control<QPushButton>(searchDialog, "gomb_keres")->click(); }));
        hits = control<QListView>(hitsPage, "lb_talalat")->model()->rowCount();
        searchDialog.hide();
        hitsPage.hide();
        settle();
    }
    std::printf("search hits: %lld\n", static_cast<long long>(hits));
    report("index run", indexRuns);
    report("search (magyar)", searchRuns);
    UserDialogs::install(nullptr);
    return 0;
}
