#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Generated bibliographic records for benchmarks and manual testing: realistic
// Hungarian content and field lengths, deterministic for a given seed. Record
// i depends only on (i, seed), so any slice of a corpus can be made alone.
namespace Corpus {

QString record(int index, quint32 seed);
// Records 0 … count-1.
QStringList records(int count, quint32 seed = 1);
// Writes records firstIndex … firstIndex+count-1 as a database file (UTF-16LE
// with byte-order mark, CR LF after every line), streamed so that a million
// records never sit in memory at once. Throws NorlaError when it cannot write.
void writeDatabase(const QString& path, int count, quint32 seed = 1, int firstIndex = 0);

} // namespace Corpus
