#include "search/BrowsePage.h"

BrowsePage::BrowsePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lap_tallozas"));
}

void BrowsePage::loadBrowseList(const QString& startDir, bool quietWhenAbsent)
{
    Q_UNUSED(startDir);
    Q_UNUSED(quietWhenAbsent);
}

bool BrowsePage::openRecord(const QString& recordName)
{
    Q_UNUSED(recordName);
    return false;
}
