// bench_subjects [LINES]: loads a subject tree of LINES entries (default
// 500000: the five levels nested 100,000 times) into the "Tárgykörök" menu of
// the real main window on the offscreen platform, the way "Fájl" >
// "Tárgykörök betöltése..." does, and prints the time next to merely reading
// the file into memory, both interleaved, median of five, warm. It also prints
// the peak resident memory of the process (VmHWM) over the loads and its rise
// over the window alone, and the time to open the menu down to the fifth level
// the first time, when the entries on the way are made.
#include "app/NorlaProgram.h"
#include "core/record/TextFile.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/MainWindow.h"

#include "Timing.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Timing::median;
using Timing::millisecondsOf;

class FixedDialogs final : public UserDialogs
{
public:
    QString file;
    bool askYesNo(QWidget*, const QString&) override { return false; }
    Answer askYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    void inform(QWidget*, const QString& text) override { std::printf("message: %s\n", qPrintable(text)); }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override { return file; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
};

double megabytesOf(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QByteArray nestedTree(int lines)
{
    QByteArray bytes;
    for (int k = 0; k * 5 < lines; ++k)
        for (int depth = 1; depth <= 5 && k * 5 + depth <= lines; ++depth)
            bytes += QByteArray(depth, '*') + "Targykor, " + QByteArray::number(depth) + ". szint / " +
                     QByteArray::number(k) + "\r\n";
    return bytes;
}

// Opens the menu and, through the first branch of each level, its submenus
// down to the fifth level, as a user pointing at the first entries would.
void openDownToLevelFive(QMenu* menu)
{
    QMenu* level = menu;
    for (int depth = 1; depth <= 5 && level; ++depth) {
        level->popup(QPoint(0, 0));
        QApplication::processEvents();
        QMenu* next = nullptr;
        for (QAction* action : level->actions())
            if ((next = action->menu()))
                break;
        level = next;
    }
    menu->hide();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, atoi(argv[1])) : 500000;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString path = dir.filePath(QStringLiteral("targyak.zda"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(nestedTree(lines)) < 0)
            return 1;
    }
    FixedDialogs dialogs;
    dialogs.file = path;
    UserDialogs::install(&dialogs);
    {
        NorlaProgram program;
        MainWindow& window = program.mainWindow();
        window.show();
        QApplication::processEvents();
        QAction* load = window.findChild<QAction*>(QStringLiteral("rgykrfjlbetltse1"));
        QMenu* menu = window.findChild<QMenu*>(QStringLiteral("menu4_0"));

        const double windowOnly = megabytesOf("VmRSS:");
        resetPeak();
        std::vector<double> loadMs, readMs;
        for (int run = 0; run < 6; ++run) { // the first run warms the page cache and is not counted
            const double read = millisecondsOf([&] { TextFile::readBytes(path); });
            const double built = millisecondsOf([&] {
                load->trigger();
                QApplication::processEvents();
            });
            if (run > 0) {
                readMs.push_back(read);
                loadMs.push_back(built);
            }
        }
        const double peak = megabytesOf("VmHWM:");
        // What opening the top level costs beyond showing it: making its entries.
        const double fill = millisecondsOf([&] { emit menu->aboutToShow(); });
        const double open = millisecondsOf([&] { openDownToLevelFive(menu); });

        std::printf("subject tree: %d entries, %.1f MB file\n", lines, QFile(path).size() / 1e6);
        std::printf("load into the menu:      %8.1f ms  (median of 5)\n", median(loadMs));
        std::printf("baseline, read the file: %8.1f ms  (median of 5, interleaved)  ratio %.2f\n",
                    median(readMs), median(loadMs) / std::max(median(readMs), 1e-3));
        std::printf("peak memory (VmHWM):     %8.1f MB  (%.1f MB over the window alone)\n", peak,
                    peak - windowOnly);
        std::printf("top level made:          %8.1f ms  (%lld entries)\n", fill,
                    static_cast<long long>(menu->actions().size()));
        std::printf("then shown and opened down to level 5: %.1f ms\n", open);
    }
    UserDialogs::install(nullptr);
    return 0;
}
