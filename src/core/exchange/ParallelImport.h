#pragma once

#include "core/exchange/ImportEntry.h"

#include <functional>

namespace Exchange {

// Reads the entries of a file on one thread while the calling thread turns
// them into records: the two halves of an import cost about the same, so on
// two cores the import takes about half as long. `read` parses and hands each
// entry to the sink it is given, returning the problems found; `onEntry` gets
// the entries on the calling thread, in file order. An exception from either
// side stops both and reaches the caller. On a single core it all runs on the
// calling thread.
QList<ImportProblem> readAlongside(const std::function<QList<ImportProblem>(const ImportEntrySink&)>& read,
                                   const ImportEntrySink& onEntry);

} // namespace Exchange
