#pragma once

#include "core/overview/RecordTally.h"
#include "core/record/CsvText.h"
#include "core/record/DatabaseDocument.h"
#include "core/record/RecordSchema.h"
#include "core/search/SearchCriteria.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class JobControl;

namespace SubjectTree {
class Tree;
}

// Where the bibliography stands in numbers: one pass over the index set or
// over a database counts its records by volume, decade, record type,
// language, medium, subject and database file, and how many leave each
// field empty. The overview page draws it, norla-cli stats prints it.
namespace Overview {

enum class Dimension
{
    Volume,
    Decade,
    RecordType,
    Language,
    Medium,
    Subject,
    Database,
};
inline constexpr int DimensionCount = 7;
inline constexpr std::array<Dimension, DimensionCount> Dimensions = {
    Dimension::Volume, Dimension::Decade,  Dimension::RecordType, Dimension::Language,
    Dimension::Medium, Dimension::Subject, Dimension::Database,
};

// "Kötet", "Évtized", … as the page and the outputs name them.
QString caption(Dimension dimension);
// "volume", "decade", … for the JSON output.
QString key(Dimension dimension);
// The row of values that are missing or cannot be read ("ismeretlen").
QString unknownLabel();
// The field's name in the completeness table ("Cím", "1. alkotó", …).
QString fieldCaption(Field field);
// A count as Hungarian writes it: groups of three digits, a (no-break) space between.
QString formatCount(qint64 count);

struct CountRow
{
    QString label;
    qint64 count = 0;
    // The texts a search for the row's records looks for: the volume name,
    // the record type …; a decade's ten years; every subject text counted
    // under a subject. Empty for the rows no search can find (the unknown
    // values, the database files).
    QStringList searchTexts;
};

struct FieldGap
{
    Field field = Field::RecordName;
    qint64 empty = 0;
};

enum class Source
{
    IndexSet,
    Database,
};

struct Summary
{
    Source source = Source::IndexSet;
    qint64 records = 0;
    std::array<QList<CountRow>, DimensionCount> rows;
    QList<FieldGap> completeness; // every field of the line, in line order

    const QList<CountRow>& of(Dimension dimension) const { return rows[size_t(dimension)]; }
};

// How many records each database of the index set gave when it was built,
// in the order of the run (empty when the index set does not say).
struct DatabaseCount
{
    QString name;
    qint64 records = 0;
};

// The passes. Each runs on the caller's thread, reports its progress to
// `job` and ends with OperationCancelled once a stop is asked; an unreadable
// file throws NorlaError "Cannot open file".
//
// The chunk files of the index set, read by `threads` threads (0: one per
// processor) through the search's chunk reader.
RecordTally tallyIndexSet(const QString& startDir, JobControl& job, int threads = 0);
// The lines of the open database, taken at one moment.
RecordTally tallySnapshot(const DatabaseDocument::Snapshot& lines, JobControl& job);
// A database file, streamed.
RecordTally tallyDatabaseFile(const QString& path, JobControl& job);

// The rows of a tally. Subjects are counted under the top two levels of
// `subjects` that hold them; a subject the tree lacks counts as itself.
// `databases` gives the database rows; a list that does not add up to the
// records counted gives one unknown row instead.
Summary summarise(const RecordTally& tally, Source source, const SubjectTree::Tree& subjects,
                  const QList<DatabaseCount>& databases);

// The whole pass over the index set of a working folder: the records, the
// subject tree at `subjectTreePath` (none when it cannot be read) and the
// database counts the index set noted.
Summary summariseIndexSet(const QString& startDir, const QString& subjectTreePath, JobControl& job);
// The same over one database file, or over the lines of the open database
// named `name`.
Summary summariseDatabaseFile(const QString& path, const QString& subjectTreePath, JobControl& job);
Summary summariseSnapshot(const DatabaseDocument::Snapshot& lines, const QString& name,
                          const QString& subjectTreePath, JobControl& job);

// A bar of a chart: one row, or rows added up in one bar.
struct ChartBar
{
    CountRow row;
    QList<CountRow> folded; // the rows added up in this bar; empty for a row of its own
};

// The bars of a chart that shows at most `maxBars`. Decades stay in time
// order, the newest always shown: the oldest are added up in a first bar,
// "korábbi", whose search looks for all their years. The other charts keep
// their first (largest) rows and add the rest up in a last bar, "egyéb (N
// érték)", which searches nothing but lists its rows.
QList<ChartBar> chartBars(Dimension dimension, const QList<CountRow>& rows, int maxBars);
QString earlierLabel();

// The search that lists a row's records, set as the search dialog would be
// set for it; none for a row no search can find.
std::optional<SearchCriteria> searchFor(Dimension dimension, const CountRow& row);

// The summary as text (for a terminal), CSV (UTF-8, ";" between the fields,
// as spreadsheets of the Hungarian locale read it, cells guarded as
// CsvText writes them) and JSON.
QString toText(const Summary& summary);
QByteArray toCsv(const Summary& summary, CsvText::Mark mark = CsvText::Mark::ByteOrderMark);
QByteArray toJson(const Summary& summary);

} // namespace Overview
