#include "shell/AboutBox.h"

Tnevjform::Tnevjform(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("nevjform"));
    setWindowTitle(QStringLiteral("Névjegy"));
}
