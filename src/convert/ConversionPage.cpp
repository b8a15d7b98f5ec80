#include "convert/ConversionPage.h"

ConversionPage::ConversionPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lap_konvertal"));
}

void ConversionPage::resetForMenuEntry()
{
}
