#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// A 64-bit hash of a byte stream fed in pieces of any size, equal to the
// hash of the same bytes fed at once. Eight bytes per step, so hashing a
// database costs a small part of reading it.
class ContentHash final
{
public:
    void add(QByteArrayView bytes);
    quint64 value() const;

    static quint64 of(QByteArrayView bytes)
    {
        ContentHash hash;
        hash.add(bytes);
        return hash.value();
    }

private:
    quint64 m_state = 0x9E3779B97F4A7C15ull;
    quint64 m_length = 0;
    quint64 m_pending = 0; // bytes waiting for a whole word, lowest first
    int m_pendingCount = 0;
};

// What a file looked like when it was read or written: enough to tell later
// whether someone else has written it since. The size and modification time
// answer quickly; the content hash settles it when they differ (a copy put
// back, a file touched) or when the time is too coarse to trust.
struct DiskStamp
{
    QString path;
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    quint64 hash = 0;

    bool isValid() const { return !path.isEmpty(); }

    // The stamp of `path` whose bytes were just read or written (`hash` of them).
    static DiskStamp taken(const QString& path, quint64 hash);
    // The stamp of `path` as it is now, its bytes read to hash them.
    static DiskStamp read(const QString& path);

    // The same file with the same size and time (the content is not compared).
    bool looksAlike(const DiskStamp& other) const;

    // Whether the file at `path` still holds what the stamp recorded. With
    // `thorough`, the content is compared whenever the size agrees, so a
    // write within the file system's time resolution is still seen (before a
    // save); without it an unchanged size and time are taken as unchanged
    // (when the window is merely activated).
    bool fileChanged(bool thorough) const;
};
