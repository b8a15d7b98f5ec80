#include "search/SearchDialog.h"

Tkeresform::Tkeresform(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("keresform"));
    setWindowTitle(QStringLiteral("Összetett keresés"));
}
