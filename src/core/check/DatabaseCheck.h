#pragma once

#include "core/check/DuplicateKeys.h"
#include "core/check/RecordCheck.h"
#include "core/job/JobControl.h"
#include "core/record/CsvText.h"
#include "core/record/DatabaseDocument.h"

#include <QByteArray>

#include <vector>

// One finding of the whole-database check, with the record it belongs to.
struct RecordFinding
{
    int line = -1;      // index in the document
    QString recordName; // as the record-name list shows it
    Finding finding;
};

namespace DatabaseCheck {

// The duplicate findings of line `index`: other lines of the document with
// its name or work, and indexed records with its work (`indexed` may be
// null or empty when no index set is at hand).
std::vector<Finding> duplicatesOf(const DatabaseDocument& document, int index, const DocumentKeys& keys,
                                  const IndexedWorks* indexed);

// Every check over every line; the findings sorted by record name, then by
// line and field. Throws OperationCancelled when `control` asks to stop.
std::vector<RecordFinding> run(const DatabaseDocument::Snapshot& lines, const RecordChecker& checker,
                               const IndexedWorks* indexed, JobControl& control);

// The findings as a text a user reads, one per line: record, field, check.
QString toText(const std::vector<RecordFinding>& findings);
// The findings as CSV (UTF-8, comma-separated, cells guarded and quoted as
// CsvText writes them, CR LF line ends), with a header row.
QByteArray toCsv(const std::vector<RecordFinding>& findings,
                 CsvText::Mark mark = CsvText::Mark::ByteOrderMark);

} // namespace DatabaseCheck
