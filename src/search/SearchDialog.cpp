#include "search/SearchDialog.h"

Tkeresform::Tkeresform(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("keresform"));
    setWindowTitle(QStringLiteral("Összetett keresés"));
}

void Tkeresform::setHitsPage(HitsPage* page)
{
    Q_UNUSED(page);
}

void Tkeresform::setStartDir(const QString& startDir)
{
    Q_UNUSED(startDir);
}
