#pragma once

#include "core/record/OperationCancelled.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

// What a long run (a load, an index run, a search, a conversion, a check)
// shares with whoever started it: the request to stop, and how far it got.
// The run asks stopRequested() or calls throwIfStopped() between pieces of
// work, from any thread; the window (or the command line) asks for the stop
// and reads the progress. A run that is not to be stopped gets none().
class JobControl final
{
    Q_DISABLE_COPY_MOVE(JobControl)

public:
    JobControl() = default;
    // For a part of a run that works on a thread of its own and may end early
    // by itself (a reader ahead of a builder that gave up): it stops when it
    // is asked to, or when the whole run is. `whole` outlives the part.
    explicit JobControl(const JobControl* whole) : m_whole(whole) {}

    void requestStop() noexcept { m_stop.store(true, std::memory_order_relaxed); }
    void reset() noexcept
    {
        m_stop.store(false, std::memory_order_relaxed);
        m_done.store(0, std::memory_order_relaxed);
        m_total.store(0, std::memory_order_relaxed);
    }

    bool stopRequested() const
    {
        if (m_checkpoint)
            m_checkpoint();
        return m_stop.load(std::memory_order_relaxed) || (m_whole && m_whole->stopRequested());
    }
    // The same answer without passing the checkpoint: for whoever started the
    // run, while waiting on it or after it, so a test that counts the run's
    // own checks is not thrown off.
    bool wasStopRequested() const noexcept
    {
        return m_stop.load(std::memory_order_relaxed) || (m_whole && m_whole->wasStopRequested());
    }
    // Ends the run with OperationCancelled once a stop was asked.
    void throwIfStopped() const
    {
        if (stopRequested())
            throw OperationCancelled();
    }

    void setProgress(qint64 done, qint64 total) noexcept
    {
        m_total.store(total, std::memory_order_relaxed);
        m_done.store(done, std::memory_order_relaxed);
    }
    qint64 progressDone() const noexcept { return m_done.load(std::memory_order_relaxed); }
    qint64 progressTotal() const noexcept { return m_total.load(std::memory_order_relaxed); }

    // Test seam: run on the job's thread every time it asks whether to stop,
    // so a test can hold a run at a known point and stop it meanwhile.
    void setCheckpoint(std::function<void()> checkpoint) { m_checkpoint = std::move(checkpoint); }

    // For runs nobody stops (a headless command, a test).
    static const JobControl& none()
    {
        static const JobControl never;
        return never;
    }

private:
    const JobControl* m_whole = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    std::function<void()> m_checkpoint;
};
