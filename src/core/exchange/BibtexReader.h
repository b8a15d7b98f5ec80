#pragma once

#include "core/exchange/ExchangeRecord.h"
#include "core/exchange/ImportEntry.h"

// Reads BibTeX and biblatex: "@type{key, field = value, …}" entries with
// braced, quoted, numeric or @string values joined by "#"; @string macros and
// the month names are known, @comment and @preamble are passed over. LaTeX
// accents and escapes in values become Unicode text.
namespace BibtexReader {

// An entry that breaks the grammar is reported with the line it starts on
// and left out; reading goes on at the next line that starts with "@".
ParsedImport parse(const QStringList& lines);
// The same on the whole text of a file, handing each entry on as soon as it
// is read; returns the problems. The entries' values share the text's
// characters rather than copying them, so `text` must outlive the entries.
QList<ImportProblem> parse(const QString& text, const ImportEntrySink& onEntry);
// The record of an entry; fields without a place in a record go into the
// note as "field: value".
Exchange::Record toRecord(const ImportEntry& entry);
// Text of a value with its LaTeX commands, escapes and grouping braces resolved.
QString latexToUnicode(QStringView text);

} // namespace BibtexReader
