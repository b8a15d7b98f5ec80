#pragma once

#include "core/record/FileLock.h"

#include <QString>

#include <functional>

// The one index run of a working folder. Two runs at once, from two editors,
// from the editor and norla-cli, or from two machines on one share, would
// take each other's staging folder and chunk files away halfway; the second
// one waits a little for the first to end and otherwise stops with a
// message that says who is indexing and since when.
//
// A run killed on this host leaves a lock that the next run takes over at
// once; one from another host is taken over after a day, longer than any run.
class IndexRunLock final
{
    Q_DISABLE_COPY_MOVE(IndexRunLock)

public:
    static constexpr qint64 StaleAfterMs = qint64(24) * 60 * 60 * 1000;

    explicit IndexRunLock(const QString& startDir);

    // Waits up to `waitMs` for the folder's running index to end. Throws
    // NorlaError naming its holder when it does not, OperationCancelled when
    // `stopRequested` says so meanwhile. A folder where no lock file can be
    // made is indexed as before, unlocked: its run fails at its first file.
    void acquire(int waitMs, const std::function<bool()>& stopRequested = {});

    static QString busyMessage(const LockOwner& owner);

private:
    FileLock m_lock;
};
