#include "shell/SettingsDialog.h"

Tconfigform::Tconfigform(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("configform"));
    setWindowTitle(QStringLiteral("Beállítások"));
}

void Tconfigform::setMainWindow(TForm1* mainWindow)
{
    Q_UNUSED(mainWindow);
}

void Tconfigform::openOnPage(Page page)
{
    Q_UNUSED(page);
    exec();
}
