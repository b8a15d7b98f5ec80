#pragma once

#include <QString>
#include <QStringList>

// The databases an index set was built from. The set itself does not name
// them, so the builder notes them beside it; comparing their times with the
// set's tells whether edits saved since are missing from search and browse.
namespace IndexSources {

// Best effort: a folder where the note cannot be written only loses the
// stale-index warning, never the index.
void record(const QString& startDir, const QStringList& databaseFiles);
// The noted databases saved after the index set was written, by file name.
// A few stat calls; empty when there is no index set or no note.
QStringList newerThanIndex(const QString& startDir);

} // namespace IndexSources
