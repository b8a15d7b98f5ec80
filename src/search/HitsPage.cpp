#include "search/HitsPage.h"

HitsPage::HitsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lap_talalatok"));
}
