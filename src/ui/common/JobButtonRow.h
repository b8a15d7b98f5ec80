#pragma once

#include <QHBoxLayout>
#include <QList>

class BackgroundJob;
class QDialog;
class QLabel;
class QPushButton;

// The bottom row of a dialog that runs a job the user may stop: a summary on
// the left, then "Mégsem", which stops the job and is the one control that
// takes input while it runs, the dialog's own buttons, and "Bezárás".
class JobButtonRow final : public QHBoxLayout
{
public:
    JobButtonRow(QDialog* dialog, const QList<QPushButton*>& ownButtons);

    QLabel* summary() const { return m_summary; }
    QPushButton* stopButton() const { return m_stopButton; }
    BackgroundJob* job() const { return m_job; }

private:
    QLabel* m_summary = nullptr;
    QPushButton* m_stopButton = nullptr;
    BackgroundJob* m_job = nullptr;
};
