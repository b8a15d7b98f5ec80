#include "core/record/DatabaseLock.h"

#include "core/record/NorlaError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString DatabaseLock::lockPathFor(const QString& databasePath)
{
    return databasePath + QStringLiteral(".norla-zarolas");
}

DatabaseLock::DatabaseLock(const QString& databasePath)
    : m_databasePath(databasePath), m_lock(lockPathFor(databasePath))
{
}

DatabaseLock::State DatabaseLock::acquire()
{
    m_state = [this] {
        switch (m_lock.tryLock()) {
        case FileLock::Outcome::Locked:
            return State::Locked;
        case FileLock::Outcome::Failed:
            return State::Unlockable;
        case FileLock::Outcome::Held:
            break;
        }
        const std::optional<LockOwner> holder = m_lock.owner();
        if (!holder) {
            const QDateTime written = QFileInfo(m_lock.path()).lastModified().toUTC();
            if (!written.isValid() || written.secsTo(QDateTime::currentDateTimeUtc()) >= NamelessAfterSeconds)
                return State::Nameless;
            return State::Held;
        }
        if (!holder->onThisHost && holder->since.isValid() &&
            holder->since.secsTo(QDateTime::currentDateTimeUtc()) > AbandonedAfterSeconds)
            return State::Abandoned;
        return State::Held;
    }();
    return m_state;
}

bool DatabaseLock::takeOver()
{
    if (!m_lock.takeOver())
        return false;
    m_state = State::Locked;
    return true;
}

bool DatabaseLock::sameDatabase(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

QString DatabaseLock::heldMessage(const QString& databasePath, const LockOwner& owner)
{
    if (owner.onThisHost && owner.pid == QCoreApplication::applicationPid())
        return QStringLiteral("A(z) %1 adatbázis ebben a programban van megnyitva. Amíg nyitva van, nem írom "
                              "felül; mentse más néven.")
            .arg(QDir::toNativeSeparators(databasePath));
    return QStringLiteral("A(z) %1 adatbázist most más tartja megnyitva: %2. Amíg nyitva van, nem írom "
                          "felül; mentse más néven, vagy kérje meg, hogy zárja be.")
        .arg(QDir::toNativeSeparators(databasePath), owner.describe());
}

std::unique_ptr<DatabaseLock> DatabaseLock::forReplacing(const QString& databasePath)
{
    auto lock = std::make_unique<DatabaseLock>(databasePath);
    if (lock->acquire() == State::Held) {
        const std::optional<LockOwner> holder = lock->owner();
        throw NorlaError(heldMessage(databasePath, holder.value_or(LockOwner{})));
    }
    return lock;
}
