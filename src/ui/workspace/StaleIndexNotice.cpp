#include "ui/workspace/StaleIndexNotice.h"

#include "core/index/IndexSources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

StaleIndexNotice::StaleIndexNotice(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statusz_index"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("lab_index_elavult"));
    auto* reindex = new QPushButton(QStringLiteral("Indexelés"), this);
    reindex->setObjectName(QStringLiteral("gomb_ujraindexeles"));
    connect(reindex, &QPushButton::clicked, this, &StaleIndexNotice::reindexRequested);
    layout->addWidget(m_text, 1);
    layout->addWidget(reindex);
    hide();
}

void StaleIndexNotice::check(const QString& startDir)
{
    const QStringList newer = IndexSources::newerThanIndex(startDir);
    if (newer.isEmpty()) {
        hide();
        return;
    }
    const QString text =
        QStringLiteral("Az index elavult: a(z) %1 az indexelés óta módosult, a keresés és a tallózás még a "
                       "korábbi állapotát látja.")
            .arg(newer.join(QStringLiteral(", ")));
    m_text->setText(text);
    m_text->setToolTip(text);
    show();
}
