#include "core/exchange/ParallelImport.h"

#include "core/record/BoundedQueue.h"

#include <QThread>

#include <exception>
#include <limits>
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

} // namespace

QList<ImportProblem> readAlongside(const std::function<QList<ImportProblem>(const ImportEntrySink&)>& read,
                                   const ImportEntrySink& onEntry)
{
    if (QThread::idealThreadCount() < 2)
        return read(onEntry);

    BoundedQueue<Batch> ready(kBatchesInFlight);
    // Spent batches go back to be freed by the thread that allocated them:
    // freed elsewhere, their memory would not come back to that thread's
    // heap, which measurably slows the whole import.
    BoundedQueue<Batch> spent(std::numeric_limits<size_t>::max());
    QList<ImportProblem> problems;
    std::exception_ptr failure;
    std::thread reader([&] {
        try {
            Batch batch;
            batch.reserve(kBatchSize);
            const auto handOn = [&] {
                while (spent.tryPop()) {
                }
                if (!ready.push(std::move(batch)))
                    throw ReadingStopped{};
                batch = Batch();
                batch.reserve(kBatchSize);
            };
            problems = read([&](ImportEntry&& entry) {
                batch.push_back(std::move(entry));
                if (batch.size() == kBatchSize)
                    handOn();
            });
            if (!batch.empty())
                handOn();
        } catch (const ReadingStopped&) {
        } catch (...) {
            failure = std::current_exception();
        }
        ready.close();
    });

    try {
        while (std::optional<Batch> batch = ready.pop()) {
            for (ImportEntry& entry : *batch)
                onEntry(std::move(entry));
            spent.push(std::move(*batch));
        }
    } catch (...) {
        ready.abandon();
        reader.join();
        throw;
    }
    reader.join();
    if (failure)
        std::rethrow_exception(failure);
    return problems;
}

} // namespace Exchange
