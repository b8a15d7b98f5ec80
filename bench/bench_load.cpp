// bench_load [SIZES...]: opens generated databases (default 10000, 100000 and
// 1000000 records) in the real main window on the offscreen platform and
// prints the time of the whole open (loading window, lookup lists, record-name
// list, first record shown) next to the time to merely read the same file
// into memory, measured in the same run. It also times moving between
// records: the next button, a jump to the last and the first record, picking
// a record in the record-name list, and opening that list.
#include "Corpus.h"

#include "app/NorlaProgram.h"
#include "core/record/TextFile.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double bestMilliseconds(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
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

    NorlaProgram program;
    MainWindow& window = program.mainWindow();
    window.show();
    QCoreApplication::processEvents();
    QAction* next = window.findChild<QAction*>(QStringLiteral("gnyil3_action"));
    QAction* first = window.findChild<QAction*>(QStringLiteral("gnyil1_action"));
    QAction* last = window.findChild<QAction*>(QStringLiteral("gnyil4_action"));
    auto* list = window.findChild<QComboBox*>(QStringLiteral("cb_rekordok0"));

    std::printf("%9s %9s | %12s %12s %8s | %10s %10s %10s %10s\n", "records", "file MB", "read file ms",
                "open ms", "ratio", "next us", "last+first", "pick us", "list ms");
    for (const int count : sizes) {
        const QString path = work.filePath(QStringLiteral("korpusz%1.rtf").arg(count));
        Corpus::writeDatabase(path, count);
        const double megabytes = QFileInfo(path).size() / 1e6;
        const int runs = count >= 1000000 ? 2 : 3;

        const double readMs = bestMilliseconds(runs, [&] { readWholeFile(path); });
        const double openMs = bestMilliseconds(runs, [&] { window.loadDatabase(path); });
        if (window.document().lineCount() != count) {
            std::fprintf(stderr, "bench_load: %d records expected, %d opened\n", count,
                         window.document().lineCount());
            return 1;
        }

        constexpr int moves = 1000;
        const double nextMs = bestMilliseconds(1, [&] {
            for (int i = 0; i < moves; ++i)
                next->trigger();
        });
        const double jumpMs = bestMilliseconds(3, [&] {
            last->trigger();
            first->trigger();
        });
        // Picking in the list: the handler the list runs for a mouse or key choice.
        const double pickMs = bestMilliseconds(1, [&] {
            for (int i = 0; i < moves; ++i) {
                const int index = int((quint64(i) * 7919u) % quint64(count));
                list->setCurrentIndex(index);
                emit list->activated(index);
            }
        });
        const double popupMs = bestMilliseconds(1, [&] {
            list->showPopup();
            QCoreApplication::processEvents();
            list->hidePopup();
        });

        std::printf("%9d %9.1f | %12.1f %12.1f %7.1fx | %10.1f %10.2f %10.1f %10.1f\n", count, megabytes,
                    readMs, openMs, openMs / readMs, nextMs * 1000 / moves, jumpMs, pickMs * 1000 / moves,
                    popupMs);
        std::fflush(stdout);
        QFile::remove(path);
    }
    return 0;
}
