#include "ui/common/JobButtonRow.h"

#include "ui/common/BackgroundJob.h"
#include "ui/common/Named.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

JobButtonRow::JobButtonRow(QDialog* dialog, const QList<QPushButton*>& ownButtons)
{
    m_summary = named(new QLabel(dialog), QStringLiteral("lab_osszegzes"));
    addWidget(m_summary, 1);
    m_stopButton = named(new QPushButton(QStringLiteral("Mégsem"), dialog), QStringLiteral("gomb_megsem"));
    m_stopButton->setEnabled(false);
    addWidget(m_stopButton);
    QWidget* before = m_stopButton;
    for (QPushButton* button : ownButtons) {
        addWidget(button);
        QWidget::setTabOrder(before, button);
        before = button;
    }
    auto* close = named(new QPushButton(QStringLiteral("Bezárás"), dialog), QStringLiteral("gomb_bezar"));
    addWidget(close);
    QWidget::setTabOrder(before, close);

    m_job = new BackgroundJob(dialog);
    m_job->setStopControls({m_stopButton});
    QObject::connect(m_stopButton, &QPushButton::clicked, m_job, &BackgroundJob::requestStop);
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);
}
