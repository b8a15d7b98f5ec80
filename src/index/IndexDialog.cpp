#include "index/IndexDialog.h"

Tindexform::Tindexform(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("indexform"));
    setWindowTitle(QStringLiteral("Adatbázis indexelése"));
}

void Tindexform::setStartDir(const QString& startDir)
{
    Q_UNUSED(startDir);
}
