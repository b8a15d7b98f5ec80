#include "search/BrowsePage.h"

BrowsePage::BrowsePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lap_tallozas"));
}
