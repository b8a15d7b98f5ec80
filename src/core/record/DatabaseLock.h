#pragma once

#include "core/record/FileLock.h"

#include <QString>

#include <memory>
#include <optional>

// The lock of one database file, taken while a window has it open for
// writing, so that a second window, program or bibliographer on another
// machine learns who has it and opens it for reading only. The lock file
// sits beside the database: "kotetek1.rtf" is held by "kotetek1.rtf.norla-zarolas",
// a name the *.rtf listings of the folder never match.
class DatabaseLock final
{
    Q_DISABLE_COPY_MOVE(DatabaseLock)

public:
    enum class State
    {
        Locked,    // this process holds it
        Held,      // a live process holds it; open for reading only
        Abandoned, // another host's lock older than a day: offered for taking over
        Nameless,  // a lock file that names no holder (empty or unreadable, as a crash while
                   // taking the lock leaves it): offered for taking over
        Unlockable // no lock file can be made there (read-only folder); opened as before
    };

    // Another host's lock counts as abandoned after this long: its process
    // cannot be asked whether it lives, and nobody keeps a database open for days.
    static constexpr qint64 AbandonedAfterSeconds = 24 * 60 * 60;
    // A lock file is written within a moment of being made; one still empty
    // after this long never will be.
    static constexpr qint64 NamelessAfterSeconds = 2;

    static QString lockPathFor(const QString& databasePath);

    explicit DatabaseLock(const QString& databasePath);

    const QString& databasePath() const { return m_databasePath; }
    // Tries to take the lock (without waiting) and remembers the outcome.
    State acquire();
    State state() const { return m_state; }
    bool takeOver();
    bool isLocked() const { return m_lock.isLocked(); }
    std::optional<LockOwner> owner() const { return m_lock.owner(); }

    // Whether two paths name one database, so that a window reopening its
    // own database keeps its lock instead of meeting it.
    static bool sameDatabase(const QString& a, const QString& b);

    // For a write that replaces `databasePath` (a conversion result, a save
    // under another name): holds the target's lock for the write, and throws
    // NorlaError naming the holder when another process has it open.
    static std::unique_ptr<DatabaseLock> forReplacing(const QString& databasePath);
    // The message of that refusal.
    static QString heldMessage(const QString& databasePath, const LockOwner& owner);
    // Whether the lock may be offered for taking over: its holder is gone
    // for all anyone can tell (Abandoned, Nameless).
    static bool mayBeTakenOver(State state) { return state == State::Abandoned || state == State::Nameless; }

private:
    QString m_databasePath;
    FileLock m_lock;
    State m_state = State::Unlockable;
};
