#include "core/index/IndexRunLock.h"

#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/WorkFolder.h"

#include <QDeadlineTimer>

namespace {

constexpr int PollMs = 100;

} // namespace

IndexRunLock::IndexRunLock(const QString& startDir)
    : m_lock(startDir + u'/' + WorkFolder::IndexLockFile, StaleAfterMs)
{
}

void IndexRunLock::acquire(int waitMs, const std::function<bool()>& stopRequested)
{
    const QDeadlineTimer deadline(qMax(0, waitMs));
    for (;;) {
        if (stopRequested && stopRequested())
            throw OperationCancelled();
        const int slice = int(qMin<qint64>(PollMs, deadline.remainingTime()));
        switch (m_lock.tryLock(slice)) {
        case FileLock::Outcome::Locked:
        case FileLock::Outcome::Failed:
            return;
        case FileLock::Outcome::Held:
            break;
        }
        if (deadline.hasExpired()) {
            const std::optional<LockOwner> owner = m_lock.owner();
            // Released between the two looks: the folder is free after all.
            if (!owner && m_lock.tryLock() != FileLock::Outcome::Held)
                return;
            throw NorlaError(busyMessage(owner.value_or(LockOwner{})));
        }
    }
}

QString IndexRunLock::busyMessage(const LockOwner& owner)
{
    return QStringLiteral("Ebben a mappában most más indexel: %1. Egyszerre csak egy indexelés futhat; "
                          "várja meg, amíg befejeződik, majd indítsa újra.")
        .arg(owner.describe());
}
