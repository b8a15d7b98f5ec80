#pragma once

// Helpers shared by the fuzz targets whose readers take a path rather than bytes.

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace FuzzSupport {

// One private folder for the whole run, removed when the process ends.
inline const QDir& scratchDir()
{
    static QTemporaryDir dir;
    static const QDir path = [] {
        if (!dir.isValid())
            std::abort();
        return QDir(dir.path());
    }();
    return path;
}

// Replaces the file `name` in the scratch folder with the bytes; returns its path.
inline QString writeScratchFile(const QString& name, QByteArrayView bytes)
{
    const QString path = scratchDir().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
    return path;
}

inline void removeScratchFile(const QString& name)
{
    QFile::remove(scratchDir().filePath(name));
}

// Splits a fuzz input at the first occurrence of a separator byte sequence,
// so one input can carry several files.
inline QByteArrayView part(QByteArrayView bytes, int index, QByteArrayView separator = "\n==\n")
{
    for (int i = 0; i < index; ++i) {
        const qsizetype at = bytes.indexOf(separator);
        if (at < 0)
            return {};
        bytes = bytes.sliced(at + separator.size());
    }
    const qsizetype end = bytes.indexOf(separator);
    return end < 0 ? bytes : bytes.first(end);
}

} // namespace FuzzSupport
