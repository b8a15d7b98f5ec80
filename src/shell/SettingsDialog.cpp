#include "shell/SettingsDialog.h"

Tconfigform::Tconfigform(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("configform"));
    setWindowTitle(QStringLiteral("Beállítások"));
}
