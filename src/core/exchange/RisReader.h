#pragma once

#include "core/exchange/ExchangeRecord.h"
#include "core/exchange/ImportEntry.h"

// Reads RIS: "TY  - " opens an entry, "ER  - " closes it, every tag line in
// between is a field; a line without a tag continues the field before it.
namespace RisReader {

// An entry that is not closed before the next one opens or the file ends, and
// tag lines outside an entry, are reported with their line numbers and left
// out; the other entries are read.
ParsedImport parse(const QStringList& lines);
// The same on the whole text of a file, handing each entry on as soon as it
// is read; returns the problems. The entries' values share the text's
// characters rather than copying them, so `text` must outlive the entries.
QList<ImportProblem> parse(QStringView text, const ImportEntrySink& onEntry);
// The record of an entry; tags without a place in a record go into the note
// as "TAG: value".
Exchange::Record toRecord(const ImportEntry& entry);

} // namespace RisReader
