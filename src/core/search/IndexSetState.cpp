#include "core/search/IndexSetState.h"

#include "core/record/WorkFolder.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

IndexSetState::FileIdentity IndexSetState::identityOf(const QString& path)
{
    const QFileInfo info(path);
    FileIdentity identity;
    identity.exists = info.exists();
    if (identity.exists) {
        identity.size = info.size();
        identity.modified = info.lastModified();
        identity.changed = info.metadataChangeTime();
    }
    return identity;
}

IndexSetState IndexSetState::of(const QString& startDir)
{
    const QString base = startDir + u'/';
    IndexSetState state;
    state.m_swapping = QFileInfo(base + WorkFolder::IndexPreviousFolder).isDir() ||
                       QFileInfo(base + WorkFolder::IndexMovingFolder).isDir();
    state.m_chunkNumbers = identityOf(base + WorkFolder::ChunkNumbersFile);
    state.m_recordNames = identityOf(base + WorkFolder::RecordNamesFile);
    return state;
}

IndexSetState IndexSetState::settled(const QString& startDir)
{
    IndexSetState state = of(startDir);
    if (!state.m_swapping || !QFileInfo::exists(startDir + u'/' + WorkFolder::IndexLockFile))
        return state;
    const QDeadlineTimer deadline(SwapWaitMs);
    while (state.m_swapping && !deadline.hasExpired()) {
        QThread::msleep(20);
        state = of(startDir);
    }
    return state;
}
