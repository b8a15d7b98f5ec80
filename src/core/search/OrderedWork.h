#pragma once

#include <QThread>
#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// How many threads work through `items` chunk files: the requested number,
// or one per processor (at most eight) when 0 is asked; never more than items.
inline int orderedWorkThreads(int requested, qsizetype items)
{
    const int wanted = requested > 0 ? requested : qBound(1, QThread::idealThreadCount(), 8);
    return int(qMin<qsizetype>(wanted, qMax<qsizetype>(1, items)));
}

// Works through items 0 … count-1 on worker threads, a bounded number ahead
// of the one being taken, and hands the results over strictly in item order,
// so what the caller makes of them does not depend on the number of threads.
// The search and the duplicate finder read the chunk files so.
template <typename Result> class OrderedWork final
{
public:
    // `makeWorker` is called once on each worker thread and returns that
    // thread's callable Result(int index), which may keep its own state.
    template <typename MakeWorker>
    OrderedWork(qsizetype count, int threads, MakeWorker makeWorker)
        : m_results(size_t(count)), m_count(count), m_window(qsizetype(2) * threads)
    {
        for (int i = 0; i < threads; ++i)
            m_workers.emplace_back([this, makeWorker] {
                auto work = makeWorker();
                serve(work);
            });
    }

    ~OrderedWork()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread& worker : m_workers)
            worker.join();
    }

    Q_DISABLE_COPY_MOVE(OrderedWork)

    // The result of item `index`, the items being taken in order. While it is
    // not ready, `whileWaiting` runs every 50 ms without the lock; whatever it
    // throws ends the wait (and the workers stop with this object).
    template <typename WhileWaiting> Result take(qsizetype index, WhileWaiting whileWaiting)
    {
        std::optional<Result>& slot = m_results[size_t(index)];
        std::unique_lock lock(m_mutex);
        while (!slot) {
            if (m_changed.wait_for(lock, std::chrono::milliseconds(50)) == std::cv_status::timeout) {
                lock.unlock();
                whileWaiting();
                lock.lock();
            }
        }
        Result result = std::move(*slot);
        slot.reset();
        m_consumed = index + 1;
        lock.unlock();
        m_changed.notify_all();
        return result;
    }

private:
    template <typename Work> void serve(Work& work)
    {
        for (;;) {
            qsizetype index = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(
                    lock, [this] { return m_stop || m_next >= m_count || m_next < m_consumed + m_window; });
                if (m_stop || m_next >= m_count)
                    return;
                index = m_next++;
            }
            Result result = work(int(index));
            {
                const std::lock_guard lock(m_mutex);
                m_results[size_t(index)].emplace(std::move(result));
            }
            m_changed.notify_all();
        }
    }

    std::vector<std::optional<Result>> m_results;
    const qsizetype m_count;
    const qsizetype m_window;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qsizetype m_next = 0;
    qsizetype m_consumed = 0;
    bool m_stop = false;
    std::vector<std::thread> m_workers; // last, so the threads start once the rest is made
};
