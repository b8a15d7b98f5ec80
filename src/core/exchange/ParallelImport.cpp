#include "core/exchange/ParallelImport.h"

#include <QThread>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace Exchange {

namespace {

// Entries travel in batches, so that the threads meet a few hundred times in
// a large file and not once per entry; a few batches in flight keep both
// threads busy without holding much of the file at once.
constexpr size_t kBatchSize = 256;
constexpr size_t kBatchesInFlight = 8;

using Batch = std::vector<ImportEntry>;

// Thrown on the reading thread when the calling side has stopped, to unwind
// the parser.
struct ReadingStopped
{
};

class Handover final
{
public:
    // Reading side: waits while enough batches are in flight. Spent batches
    // come back here to be freed by the thread that allocated them: freed
    // elsewhere, their memory would not come back to this thread's heap, which
    // measurably slows the whole import.
    void put(Batch&& batch)
    {
        std::deque<Batch> spent;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopped || m_ready.size() < kBatchesInFlight; });
            if (m_stopped)
                throw ReadingStopped{};
            m_ready.push_back(std::move(batch));
            spent.swap(m_spent);
        }
        m_changed.notify_all();
    }

    void finish(std::exception_ptr failure)
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
            m_failure = failure;
        }
        m_changed.notify_all();
    }

    // Calling side: the next batch, or false when the reader has finished.
    bool take(Batch* batch)
    {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_finished || !m_ready.empty(); });
            if (m_ready.empty())
                return false;
            *batch = std::move(m_ready.front());
            m_ready.pop_front();
        }
        m_changed.notify_all();
        return true;
    }

    void giveBack(Batch&& batch)
    {
        std::lock_guard lock(m_mutex);
        m_spent.push_back(std::move(batch));
    }

    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }

    std::exception_ptr failure() const { return m_failure; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_ready;
    std::deque<Batch> m_spent;
    bool m_finished = false;
    bool m_stopped = false;
    std::exception_ptr m_failure;
};

} // namespace

QList<ImportProblem> readAlongside(const std::function<QList<ImportProblem>(const ImportEntrySink&)>& read,
                                   const ImportEntrySink& onEntry)
{
    if (QThread::idealThreadCount() < 2)
        return read(onEntry);

    Handover handover;
    QList<ImportProblem> problems;
    std::thread reader([&] {
        try {
            Batch batch;
            batch.reserve(kBatchSize);
            const ImportEntrySink collect = [&](ImportEntry&& entry) {
                batch.push_back(std::move(entry));
                if (batch.size() < kBatchSize)
                    return;
                handover.put(std::move(batch));
                batch = Batch();
                batch.reserve(kBatchSize);
            };
            problems = read(collect);
            if (!batch.empty())
                handover.put(std::move(batch));
            handover.finish(nullptr);
        } catch (const ReadingStopped&) {
            handover.finish(nullptr);
        } catch (...) {
            handover.finish(std::current_exception());
        }
    });

    try {
        Batch batch;
        while (handover.take(&batch)) {
            for (ImportEntry& entry : batch)
                onEntry(std::move(entry));
            handover.giveBack(std::move(batch));
        }
    } catch (...) {
        handover.stop();
        reader.join();
        throw;
    }
    reader.join();
    if (handover.failure())
        std::rethrow_exception(handover.failure());
    return problems;
}

} // namespace Exchange
