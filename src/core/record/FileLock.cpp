#include "core/record/FileLock.h"

#include <QFileInfo>
#include <QSysInfo>

QString LockOwner::timeAgo(const QDateTime& since, const QDateTime& now)
{
    const qint64 seconds = qMax<qint64>(0, since.secsTo(now));
    if (seconds < 60)
        return QStringLiteral("kevesebb mint egy perce");
    if (seconds < 3600)
        return QStringLiteral("%1 perce").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1 órája").arg(seconds / 3600);
    return QStringLiteral("%1 napja").arg(seconds / 86400);
}

QString LockOwner::describe() const
{
    const QString who = user.isEmpty() ? QStringLiteral("egy ismeretlen felhasználó") : user;
    const QString where =
        host.isEmpty() ? QStringLiteral("egy ismeretlen gépen") : QStringLiteral("a(z) %1 gépen").arg(host);
    QString text = who + u' ' + where;
    if (!application.isEmpty())
        text += QStringLiteral(" (%1)").arg(application);
    if (since.isValid())
        text += QStringLiteral(", %1 óta (%2)")
                    .arg(since.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                         timeAgo(since, QDateTime::currentDateTimeUtc()));
    return text;
}

FileLock::FileLock(const QString& lockPath, qint64 staleAfterMs) : m_path(lockPath), m_lock(lockPath)
{
    m_lock.setStaleLockTime(int(staleAfterMs));
}

FileLock::Outcome FileLock::tryLock(int waitMs)
{
    if (m_lock.isLocked())
        return Outcome::Locked;
    if (m_lock.tryLock(waitMs))
        return Outcome::Locked;
    return m_lock.error() == QLockFile::LockFailedError ? Outcome::Held : Outcome::Failed;
}

std::optional<LockOwner> FileLock::owner() const
{
    LockOwner owner;
    if (!m_lock.getLockInfo(&owner.pid, &owner.host, &owner.application))
        return std::nullopt;
    const QFileInfo file(m_path);
    owner.user = file.owner();
    // QLockFile writes the file once, when it takes the lock.
    owner.since = file.lastModified().toUTC();
    owner.onThisHost = owner.host.isEmpty() || owner.host == QSysInfo::machineHostName();
    return owner;
}

bool FileLock::takeOver()
{
    if (m_lock.isLocked())
        return true;
    m_lock.removeStaleLockFile();
    return tryLock() == Outcome::Locked;
}
