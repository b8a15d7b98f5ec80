#include "core/record/DiskStamp.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <optional>
#include <vector>

namespace {

constexpr quint64 Multiplier = 0xFF51AFD7ED558CCDull;

quint64 rotate(quint64 x, int r)
{
    return (x << r) | (x >> (64 - r));
}

// One word of the stream into the state.
quint64 step(quint64 state, quint64 word)
{
    return rotate(state ^ (word * Multiplier), 29) * 0x9E3779B97F4A7C15ull;
}

quint64 finalMix(quint64 x)
{
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return x;
}

// The hash of the file's bytes, read in pieces; nullopt when it cannot be read.
std::optional<quint64> hashOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    ContentHash hash;
    std::vector<char> piece(size_t(4) << 20);
    for (;;) {
        const qint64 n = file.read(piece.data(), qint64(piece.size()));
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        hash.add(QByteArrayView(piece.data(), n));
    }
    return hash.value();
}

} // namespace

void ContentHash::add(QByteArrayView bytes)
{
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    m_length += quint64(left);
    while (m_pendingCount > 0 && m_pendingCount < 8 && left > 0) {
        m_pending |= quint64(uchar(*data++)) << (8 * m_pendingCount++);
        --left;
    }
    if (m_pendingCount == 8) {
        m_state = step(m_state, m_pending);
        m_pending = 0;
        m_pendingCount = 0;
    }
    for (; left >= 8; data += 8, left -= 8)
        m_state = step(m_state, qFromLittleEndian<quint64>(data));
    for (; left > 0; --left)
        m_pending |= quint64(uchar(*data++)) << (8 * m_pendingCount++);
}

quint64 ContentHash::value() const
{
    const quint64 state = m_pendingCount > 0 ? step(m_state, m_pending) : m_state;
    return finalMix(state ^ m_length);
}

DiskStamp DiskStamp::taken(const QString& path, quint64 hash)
{
    DiskStamp stamp;
    stamp.path = path;
    const QFileInfo info(path);
    stamp.exists = info.exists();
    stamp.size = info.size();
    stamp.modified = info.lastModified();
    stamp.hash = hash;
    return stamp;
}

DiskStamp DiskStamp::read(const QString& path)
{
    return taken(path, hashOfFile(path).value_or(0));
}

bool DiskStamp::looksAlike(const DiskStamp& other) const
{
    return path == other.path && exists == other.exists && size == other.size && modified == other.modified;
}

bool DiskStamp::fileChanged(bool thorough) const
{
    if (!isValid())
        return false;
    QFileInfo info(path);
    // A folder (or anything else that is no file) in its place cannot be
    // written over: the save itself fails and says so.
    if (info.exists() && !info.isFile())
        return false;
    if (info.exists() != exists)
        return true;
    if (!exists)
        return false;
    if (info.size() != size)
        return true;
    if (!thorough && info.lastModified() == modified)
        return false;
    const std::optional<quint64> now = hashOfFile(path);
    return !now || *now != hash;
}
