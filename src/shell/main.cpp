#include "shell/NorlaProgram.h"
#include "workspace/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norla"));
    QApplication::setApplicationDisplayName(QStringLiteral("Norla"));

    NorlaProgram program;
    program.mainWindow().show();
    return QApplication::exec();
}
