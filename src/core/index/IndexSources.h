#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The databases an index set was built from. The set itself does not name
// them, so the builder notes them beside it; comparing their times with the
// set's tells whether edits saved since are missing from search and browse.
namespace IndexSources {

// One noted database and how many records of the set it gave (-1 when a
// note of an older run does not say).
struct Source
{
    QString file;
    qint64 records = -1;
};

// Best effort: a folder where the note cannot be written only loses the
// stale-index warning, never the index. Each line holds a file name and,
// after a tab, its record count: the set keeps the databases' records in
// this order, so the counts tell which database an indexed record came from.
void record(const QString& startDir, const QStringList& databaseFiles,
            const QList<qint64>& recordCounts = {});
// The noted databases in indexing order; empty without a note.
QList<Source> read(const QString& startDir);
// The noted databases saved after the index set was written, by file name.
// A few stat calls; empty when there is no index set or no note.
QStringList newerThanIndex(const QString& startDir);

} // namespace IndexSources
