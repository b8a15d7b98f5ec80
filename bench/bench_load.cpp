// bench_load [SIZES...]: opens generated databases (default 10000, 100000 and
// 1000000 records) in the real main window on the offscreen platform and
// prints the time of the whole open (loading window, file read on its thread,
// lookup lists, record-name list, first record shown) next to the time to
// merely read the same file into memory, the two interleaved, median of five
// runs after a warm-up read. At each size it then times one Append, one
// Replace and one Delete through their commands (the record-name list and the
// raw view following), next to what rebuilding the record-name list alone
// costs, and Save next to a plain write of the same bytes; and moving between
// records: the next button, a jump to the last and the first record, picking
// a record in the record-name list, and opening that list.
#include "Corpus.h"

#include "app/NorlaProgram.h"
#include "core/record/TextFile.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/DataEntryPage.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/RadioGroup.h"

#include "Timing.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <unistd.h>

namespace {

using Timing::median;
using Timing::millisecondsOf;

constexpr int Runs = 5;

// The two sides alternate, so a busy moment of the machine falls on both.
std::pair<double, double> interleavedMedians(const std::function<void()>& baseline,
                                             const std::function<void()>& work)
{
    std::vector<double> base;
    std::vector<double> ours;
    for (int i = 0; i < Runs; ++i) {
        base.push_back(millisecondsOf(baseline));
        ours.push_back(millisecondsOf(work));
    }
    return {median(base), median(ours)};
}

double medianOf(const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        prepare();
        times.push_back(millisecondsOf(work));
    }
    return median(times);
}

// The events an edit leaves behind (the list and the views repainting) are
// part of its cost: a frame is not done before they are.
void settle()
{
    QCoreApplication::processEvents();
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The baseline of a save: the same bytes written whole through a temporary
// file, synced, renamed, as any careful writer does.
void writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        ::fsync(file.handle()) != 0 || !file.commit())
        std::fprintf(stderr, "bench_load: cannot write %s\n", qPrintable(path));
}

void writeLists(const QString& dir)
{
    TextFile::write8Bit(dir + QStringLiteral("/tipus.zda"),
                        {QStringLiteral("könyv"), QStringLiteral("folyóiratcikk"),
                         QStringLiteral("cikk gyűjt. kötetben"), QStringLiteral("külön lenyomat"),
                         QStringLiteral("rec.")});
    TextFile::write8Bit(dir + QStringLiteral("/szerep.zda"),
                        {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"), QStringLiteral("Fordító"),
                         QStringLiteral("Bevezetést írta"), QStringLiteral("Illusztrátor")});
    TextFile::write8Bit(dir + QStringLiteral("/nyelv.zda"),
                        {QStringLiteral("magyar"), QStringLiteral("latin"), QStringLiteral("német")});
}

// Says yes to the delete question and to nothing else.
class YesDialogs final : public UserDialogs
{
public:
    bool askYesNo(QWidget*, const QString&) override { return true; }
    Answer askYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    void inform(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "bench_load: %s\n", qPrintable(text));
    }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
};

class Bench
{
public:
    explicit Bench(MainWindow& window) : m_window(window) {}

    QAction* action(const char* name) const
    {
        return m_window.findChild<QAction*>(QString::fromLatin1(name));
    }

    // One Append, Replace and Delete through their commands (median of five
    // each, the change undone between runs).
    struct EditTimes
    {
        double append, replace, remove;
    };
    EditTimes timeEdits()
    {
        const int count = m_window.document().lineCount();
        const auto checkCount = [&](int change) {
            if (m_window.document().lineCount() != count + change)
                std::fprintf(stderr, "bench_load: %d records expected, %d found\n", count + change,
                             m_window.document().lineCount());
        };
        DataEntryPage& page = *m_window.entryPage();
        QAction* saveAction = action("menu3_mentes");
        // What F2 does; the command checks the savable rule itself, and a
        // value set from here (unlike one typed) does not enable it.
        const auto save = [saveAction] {
            saveAction->setEnabled(true);
            saveAction->trigger();
            settle();
        };
        QAction* undo = action("menu6_visszavonas");
        EditTimes times{};
        action("menu3_felvitel")->trigger();
        times.append = medianOf(
            [&] {
                page.edit(Field::RecordName)->setText(QStringLiteral("77"));
                page.recordType->setCurrentIndex(0);
                page.volume->button(1)->click();
            },
            save);
        checkCount(Runs);
        for (int i = 0; i < Runs; ++i)
            undo->trigger();
        action("menu3_tallozas")->trigger();
        const int middle = m_window.document().lineCount() / 2;
        auto* list = m_window.findChild<QComboBox*>(QStringLiteral("cb_rekordok0"));
        const auto goToMiddle = [&] {
            list->setCurrentIndex(middle);
            Q_EMIT list->activated(middle);
        };
        const QString middleLine = m_window.document().line(middle).toString();
        times.replace = medianOf(
            [&] {
                goToMiddle();
                page.edit(Field::Title)->setText(QStringLiteral("Javított cím"));
            },
            save);
        if (m_window.document().line(middle) == middleLine)
            std::fprintf(stderr, "bench_load: the record was not replaced\n");
        for (int i = 0; i < Runs; ++i)
            undo->trigger();
        times.remove = medianOf(goToMiddle, [&] {
            action("menu3_torles")->trigger();
            settle();
        });
        checkCount(-Runs);
        for (int i = 0; i < Runs; ++i)
            undo->trigger();
        return times;
    }

private:
    MainWindow& m_window;
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QList<int> sizes;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        sizes.append(arg.toInt());
    if (sizes.isEmpty())
        sizes = {10000, 100000, 1000000};

    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "bench_load: cannot create a temporary folder\n");
        return 1;
    }
    QDir::setCurrent(work.path());
    writeLists(work.path());
    YesDialogs dialogs;
    UserDialogs::install(&dialogs);

    NorlaProgram program;
    MainWindow& window = program.mainWindow();
    window.show();
    QCoreApplication::processEvents();
    Bench bench(window);
    QAction* next = bench.action("gnyil3_action");
    QAction* first = bench.action("gnyil1_action");
    QAction* last = bench.action("gnyil4_action");
    auto* list = window.findChild<QComboBox*>(QStringLiteral("cb_rekordok0"));

    const int rawLimit = qEnvironmentVariableIsSet("NORLA_BENCH_RAW_LIMIT")
                             ? qEnvironmentVariableIntValue("NORLA_BENCH_RAW_LIMIT")
                             : 100000;
    std::printf("Open: median of %d, interleaved with a plain read of the file\n", Runs);
    std::printf("%9s %9s | %10s %10s %7s | %9s %9s %9s %12s | %9s %9s %7s\n", "records", "file MB", "read ms",
                "open ms", "ratio", "append ms", "replace", "delete", "names rebuilt", "write ms", "save ms",
                "ratio");
    struct Moves
    {
        int count;
        double next, jump, pick, popup;
        Bench::EditTimes raw;
    };
    QList<Moves> moves;
    for (const int count : sizes) {
        const QString path = work.filePath(QStringLiteral("korpusz%1.rtf").arg(count));
        Corpus::writeDatabase(path, count);
        const double megabytes = double(QFileInfo(path).size()) / 1e6;

        readWholeFile(path); // warm
        const auto [readMs, openMs] =
            interleavedMedians([&] { readWholeFile(path); }, [&] { window.loadDatabase(path); });
        if (window.document().lineCount() != count) {
            std::fprintf(stderr, "bench_load: %d records expected, %d opened\n", count,
                         window.document().lineCount());
            return 1;
        }

        const Bench::EditTimes edits = bench.timeEdits();
        // Again with the raw view built (its page shown once), which then
        // follows each change too. Building it for a million records takes
        // long and gigabytes, so only up to `rawLimit` records.
        Bench::EditTimes rawEdits{-1, -1, -1};
        if (count <= rawLimit) {
            bench.action("sb_monitor_action")->trigger();
            rawEdits = bench.timeEdits();
        }
        // What each append and delete cost when the list was built anew.
        DatabaseDocument copy;
        copy.load(path);
        const double rebuildMs = medianOf([] {}, [&] { copy.rebuildRecordNames(); });

        // Saved over its own file, so the open document stays unmodified.
        const QByteArray bytes = window.document().encode();
        const QString plainPath = work.filePath(QStringLiteral("plain.rtf"));
        QAction* saveDatabase = bench.action("menu0_save");
        const auto [writeMs, saveMs] = interleavedMedians([&] { writeWholeFile(plainPath, bytes); },
                                                          [&] {
                                                              saveDatabase->setEnabled(true);
                                                              saveDatabase->trigger();
                                                          });
        QFile::remove(plainPath);

        std::printf("%9d %9.1f | %10.1f %10.1f %6.2fx | %9.2f %9.2f %9.2f %12.2f | %9.1f %9.1f %6.2fx\n",
                    count, megabytes, readMs, openMs, openMs / readMs, edits.append, edits.replace,
                    edits.remove, rebuildMs, writeMs, saveMs, saveMs / writeMs);
        std::fflush(stdout);

        constexpr int steps = 1000;
        Moves m{count, 0, 0, 0, 0, rawEdits};
        m.next = millisecondsOf([&] {
                     for (int i = 0; i < steps; ++i)
                         next->trigger();
                 }) *
                 1000 / steps;
        m.jump = medianOf([] {},
                          [&] {
                              last->trigger();
                              first->trigger();
                          });
        // Picking in the list: the handler the list runs for a mouse or key choice.
        m.pick = millisecondsOf([&] {
                     for (int i = 0; i < steps; ++i) {
                         const int index = int((quint64(i) * 7919u) % quint64(count));
                         list->setCurrentIndex(index);
                         Q_EMIT list->activated(index);
                     }
                 }) *
                 1000 / steps;
        m.popup = millisecondsOf([&] {
            list->showPopup();
            QCoreApplication::processEvents();
            list->hidePopup();
        });
        moves.append(m);
        QFile::remove(path);
    }

    std::printf("\nMoving between records; edits with the raw view built (ms, median of %d)\n"
                "%9s | %10s %10s %10s %10s | %9s %9s %9s\n",
                Runs, "records", "next us", "last+first", "pick us", "list ms", "append", "replace",
                "delete");
    for (const Moves& m : moves) {
        std::printf("%9d | %10.1f %10.2f %10.1f %10.1f |", m.count, m.next, m.jump, m.pick, m.popup);
        if (m.raw.append < 0)
            std::printf(" %9s %9s %9s\n", "-", "-", "-");
        else
            std::printf(" %9.2f %9.2f %9.2f\n", m.raw.append, m.raw.replace, m.raw.remove);
    }
    UserDialogs::install(nullptr);
    return 0;
}
