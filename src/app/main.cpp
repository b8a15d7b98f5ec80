#include "app/NorlaProgram.h"
#include "ui/workspace/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norla"));

    NorlaProgram program;
    program.mainWindow().show();
    // Without a window manager (or with one that does not focus new windows)
    // the window would never become active, and the work of the first
    // activation would never run.
    program.mainWindow().activateWindow();
    return QApplication::exec();
}
