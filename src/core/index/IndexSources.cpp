#include "core/index/IndexSources.h"

#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace IndexSources {

void record(const QString& startDir, const QStringList& databaseFiles)
{
    try {
        TextFile::writeBytes(QDir(startDir).filePath(WorkFolder::IndexSourcesFile),
                             databaseFiles.join(u'\n').toUtf8() + '\n');
    } catch (...) {
    }
}

QStringList newerThanIndex(const QString& startDir)
{
    const QDir dir(startDir);
    const QFileInfo index(dir.filePath(WorkFolder::ChunkNumbersFile));
    QFile note(dir.filePath(WorkFolder::IndexSourcesFile));
    if (!index.exists() || !note.open(QIODevice::ReadOnly))
        return {};
    const QDateTime built = index.lastModified();
    QStringList newer;
    const QStringList names = QString::fromUtf8(note.read(1 << 20)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        const QFileInfo database(dir.filePath(name));
        if (database.exists() && database.lastModified() > built)
            newer.append(name);
    }
    return newer;
}

} // namespace IndexSources
