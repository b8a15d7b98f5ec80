#include "core/index/IndexSources.h"

#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace IndexSources {

void record(const QString& startDir, const QStringList& databaseFiles, const QList<qint64>& recordCounts)
{
    QStringList lines;
    for (qsizetype i = 0; i < databaseFiles.size(); ++i)
        lines.append(i < recordCounts.size() ? databaseFiles[i] + u'\t' + QString::number(recordCounts[i])
                                             : databaseFiles[i]);
    try {
        TextFile::writeBytes(QDir(startDir).filePath(WorkFolder::IndexSourcesFile),
                             lines.join(u'\n').toUtf8() + '\n');
    } catch (...) {
    }
}

QList<Source> read(const QString& startDir)
{
    QFile note(QDir(startDir).filePath(WorkFolder::IndexSourcesFile));
    if (!note.open(QIODevice::ReadOnly))
        return {};
    QList<Source> sources;
    const QStringList lines = QString::fromUtf8(note.read(1 << 20)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(u'\t');
        Source source{tab < 0 ? line : line.left(tab)};
        bool ok = false;
        const qint64 count = tab < 0 ? -1 : line.mid(tab + 1).toLongLong(&ok);
        source.records = ok && count >= 0 ? count : -1;
        sources.append(source);
    }
    return sources;
}

QStringList newerThanIndex(const QString& startDir)
{
    const QDir dir(startDir);
    const QFileInfo index(dir.filePath(WorkFolder::ChunkNumbersFile));
    QFile note(dir.filePath(WorkFolder::IndexSourcesFile));
    if (!index.exists() || !note.open(QIODevice::ReadOnly))
        return {};
    note.close();
    const QDateTime built = index.lastModified();
    QStringList newer;
    for (const Source& source : read(startDir)) {
        const QFileInfo database(dir.filePath(source.file));
        if (database.exists() && database.lastModified() > built)
            newer.append(source.file);
    }
    return newer;
}

} // namespace IndexSources
