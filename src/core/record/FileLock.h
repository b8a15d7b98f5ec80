#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <optional>

// Who holds a lock file: what QLockFile writes into it (host, process,
// program), the user that owns the file, and since when it is held.
struct LockOwner
{
    QString host;
    QString user;
    QString application;
    qint64 pid = 0;
    QDateTime since;
    bool onThisHost = false;

    // "Kati a(z) OLVASO2 gépen (norla), 2026-12-11 09:15 óta, 2 órája" as a
    // question or a message names the holder.
    QString describe() const;
    // "2 órája", "5 perce", "kevesebb mint egy perce": how long ago `since` was.
    static QString timeAgo(const QDateTime& since, const QDateTime& now);
};

// A lock file held for as long as this object lives (or until unlock()),
// kept by QLockFile: it creates the file exclusively and writes the host
// name, process id and program into it, which is what lets a second process,
// on this machine or another, tell who holds it. Unlike QLockFile's default,
// a lock never goes stale by age alone unless `staleAfterMs` asks for it: a
// database stays open for days, and only a dead process on this host (which
// QLockFile recognises by its id) gives its lock up unasked.
class FileLock final
{
    Q_DISABLE_COPY_MOVE(FileLock)

public:
    enum class Outcome
    {
        Locked,
        Held,  // another live process holds it (or one on another host)
        Failed // the lock file cannot be made here (a read-only folder, say)
    };

    explicit FileLock(const QString& lockPath, qint64 staleAfterMs = 0);

    const QString& path() const { return m_path; }
    // Takes the lock, waiting up to `waitMs` for it; a lock left by a dead
    // process of this host is taken over.
    Outcome tryLock(int waitMs = 0);
    bool isLocked() const { return m_lock.isLocked(); }
    void unlock() { m_lock.unlock(); }
    // The holder named in the lock file, when there is one.
    std::optional<LockOwner> owner() const;
    // Removes a lock file whose holder the user declared gone (one from
    // another host that nobody released), then takes the lock.
    bool takeOver();

private:
    QString m_path;
    QLockFile m_lock;
};
