#pragma once

#include <QDateTime>
#include <QString>

// What a reader can see of which index file set a folder holds, so that a
// search or a browse look-up that ran while an index run swapped the set
// can tell, and read again, instead of reporting a chunk file that vanished
// under it or mixing chunks of two sets. A run writes the record directory
// anew each time and moves it in last, with the previous set waiting in a
// folder of its own meanwhile: the directory's files and that folder tell
// the sets apart.
class IndexSetState final
{
public:
    // How long a reader waits for a swap under way to end before it reads anyway.
    static constexpr int SwapWaitMs = 2000;
    // How often a reader that keeps meeting swaps (index runs one after the
    // other on a busy folder) reads again before it gives up with a message.
    static constexpr int MostReads = 4;

    static IndexSetState of(const QString& startDir);
    // The state once no swap is under way; waits while one is (only while an
    // index run holds the folder, so a folder left mid-swap by a killed run
    // is read at once).
    static IndexSetState settled(const QString& startDir);

    bool swapping() const { return m_swapping; }
    bool operator==(const IndexSetState& other) const = default;

private:
    struct FileIdentity
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        QDateTime changed; // the inode's change time: a rename moves it
        bool operator==(const FileIdentity& other) const = default;
    };
    static FileIdentity identityOf(const QString& path);

    bool m_swapping = false;
    FileIdentity m_chunkNumbers;
    FileIdentity m_recordNames;
};
