#pragma once

#include "core/job/JobControl.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSemaphore>

#include <functional>

class QWidget;

// A long job (an index run, a search, a conversion step) run on a worker
// thread while the window keeps painting.
//
// run() returns only when the job has ended, the way a modal dialog's exec()
// does, so its caller reads as straight-line code. Meanwhile the event loop
// runs: the window repaints and progress moves, but every user input is held
// back except on the job's stop controls, so no second job can start and
// nothing the job reads can be edited. Esc, a stop control's own action and
// an attempt to close a window ask the job to stop; the job sees the stop
// through the JobControl it is handed, and ends with OperationCancelled,
// which run() hands on like any other exception.
class BackgroundJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackgroundJob)

public:
    explicit BackgroundJob(QObject* parent = nullptr);
    ~BackgroundJob() override;

    // Input still reaches these (and what they hold) while a job runs.
    void setStopControls(const QList<QWidget*>& controls);
    // Run on the window's thread now and then while the job runs, and once
    // when it has ended: moves the progress displays from what the job stored.
    void setRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }

    // Runs `work` on a worker thread, handing it this job's control, and
    // returns when it has returned; rethrows what it threw. A call while a
    // job runs does nothing.
    void run(const std::function<void(const JobControl&)>& work);
    bool isRunning() const { return m_running; }

    // From the window: the job is to stop at its next look for a stop.
    void requestStop();
    // What the work is handed: the stop request, asked from any thread.
    const JobControl& control() const { return m_control; }

    // From the worker: runs `update` on the window's thread, after what was
    // posted before. At most a couple of updates wait at a time, so a fast
    // job cannot bury the window under a backlog that it would then work off
    // in one long stall; the worker waits for its turn (and stops waiting
    // with OperationCancelled once a stop is asked).
    void post(std::function<void()> update);

    // Test seam: called on the worker every time the job asks whether it is
    // to stop, before the answer is read, so a test can hold the job at a
    // known point and stop it from the window meanwhile. nullptr removes it.
    static void setCheckpointHook(std::function<void()> hook);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isStopControl(QObject* object) const;

    QList<QPointer<QWidget>> m_stopControls;
    std::function<void()> m_refresh;
    bool m_running = false;
    JobControl m_control;
    QSemaphore m_postSlots;
};

// Disables controls for the length of a job and gives each back, when it
// goes out of scope or restore() is called, the enabled state it had: a
// control that was off before the job stays off after it.
class DisabledControls final
{
    Q_DISABLE_COPY_MOVE(DisabledControls)

public:
    explicit DisabledControls(const QList<QWidget*>& controls);
    ~DisabledControls() { restore(); }
    void restore();

private:
    QList<QPair<QPointer<QWidget>, bool>> m_controls;
};
