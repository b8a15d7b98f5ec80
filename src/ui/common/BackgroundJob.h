#pragma once

#include "core/job/JobControl.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSemaphore>

#include <exception>
#include <functional>

class QThread;
class QWidget;

// Every long job the windows start (an index run, a search, an export, a
// conversion step, a database or source load, the duplicate search) runs
// through one of these, on a worker thread, while the window keeps painting.
// The job owns the JobControl it hands to the work: the work looks there for
// a stop and ends with OperationCancelled once one was asked.
//
// Two ways to run:
// - run() returns only when the job has ended, the way a modal dialog's
//   exec() does, so its caller reads as straight-line code. Meanwhile the
//   event loop runs: the window repaints and progress moves, but every user
//   input is held back except on the job's stop controls, so no second job
//   can start and nothing the job reads can be edited. Esc, a stop control's
//   own action and an attempt to close a window ask the job to stop; run()
//   hands on OperationCancelled like any other exception.
// - start() returns at once and leaves the windows taking input as usual;
//   the caller's own controls ask for the stop (requestStop()), and a
//   callback hears how the work ended.
class BackgroundJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackgroundJob)

public:
    // The work looks at its control for a stop and may store its progress there.
    using Work = std::function<void(JobControl& control)>;
    // How a started job ended: what the work threw, or null.
    using Finished = std::function<void(std::exception_ptr failure)>;

    explicit BackgroundJob(QObject* parent = nullptr);
    // Asks a started job still running to stop and waits for its thread;
    // its Finished callback does not come then.
    ~BackgroundJob() override;

    // Input still reaches these (and what they hold) while a job runs.
    void setStopControls(const QList<QWidget*>& controls);
    // Run on the window's thread now and then while the job runs, and once
    // when it has ended: moves the progress displays from what the job stored.
    void setRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }

    // Runs `work` on a worker thread, handing it this job's control, and
    // returns when it has returned; rethrows what it threw. A call while a
    // job runs does nothing.
    void run(const Work& work);
    // run() for work that the user may stop: false when it ended at a stop
    // (OperationCancelled), true when it ran to its end. Anything else it
    // threw is handed on.
    bool runStoppable(const Work& work);
    // Starts `work` on a worker thread and returns; `finished` runs on this
    // object's thread once the work has returned. The thread is a child of
    // this object while it runs. A call while a job runs does nothing.
    void start(Work work, Finished finished);
    // From run() or start() until the job has ended and, for a started one,
    // its Finished callback is called.
    bool isRunning() const { return m_running; }

    // From the window: the job is to stop at its next look for a stop. A
    // stop asked before a started job's Finished callback counts, even when
    // the work had already returned (control().wasStopRequested() says so).
    void requestStop();
    // For a started job: asks it to stop and returns once its thread has
    // ended; its Finished callback does not come then.
    void stopAndWait();
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
    void startedJobEnded(Finished finished, std::exception_ptr failure);

    QList<QPointer<QWidget>> m_stopControls;
    std::function<void()> m_refresh;
    bool m_running = false;
    QThread* m_started = nullptr; // the thread of a started job
    quint64 m_startCount = 0;     // tells a started job's end from an earlier one's
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
