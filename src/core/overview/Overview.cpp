#include "core/overview/Overview.h"

#include "core/index/DatabaseStream.h"
#include "core/index/IndexSources.h"
#include "core/job/JobControl.h"
#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/Win1250.h"
#include "core/search/ChunkText.h"
#include "core/search/OrderedWork.h"
#include "core/search/SearchEngine.h"
#include "core/source/SubjectTree.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <memory>

namespace Overview {

namespace {

// A stop is looked for, and the progress moved, this often while lines are counted.
constexpr qint64 kLinesBetweenChecks = 4096;

// The term fields ("Miben keressen") a search for a decade or a subject looks in.
constexpr int kSubjectTermField = 0;
constexpr int kYearTermField = 8;
static_assert(SearchCriteria::TermFieldRows[kSubjectTermField] == FieldGrid::Subject);
static_assert(SearchCriteria::TermFieldRows[kYearTermField] == FieldGrid::Year);

// What one chunk file gave: its counts, or why it gave none.
struct ChunkTally
{
    RecordTally tally;
    QString failedPath;
    bool stopped = false;
};

// Counts the chunk files given to one thread, through the search's reader.
class ChunkCounter final
{
public:
    explicit ChunkCounter(const JobControl& job) : m_job(job) {}

    std::unique_ptr<ChunkTally> count(const QString& path)
    {
        auto out = std::make_unique<ChunkTally>();
        try {
            const ChunkText::LineReader reader = m_reader.read(path);
            const qsizetype units = reader.unitCount();
            qint64 lines = 0;
            for (qsizetype start = 0; start < units;) {
                const qsizetype end = countLine(reader, start, out->tally);
                if (++lines % kLinesBetweenChecks == 0 && m_job.stopRequested()) {
                    out->stopped = true;
                    break;
                }
                start = reader.nextLineStart(end);
            }
        } catch (...) {
            // Unreadable, vanished or too large for memory: the pass stops
            // here with the message every unreadable file gives.
            out->failedPath = QFileInfo(path).absoluteFilePath();
        }
        return out;
    }

private:
    // Counts the line at `start`; returns where it ends. The lines are read
    // in place where the processor's byte order is the file's.
    qsizetype countLine(const ChunkText::LineReader& reader, qsizetype start, RecordTally& tally)
    {
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            return start + tally.addFirstLine(reader.text(start, reader.unitCount()));
        } else {
            const qsizetype end = reader.convertLine(start, m_line);
            m_line.append("**");
            tally.add(m_line.view());
            return end;
        }
    }

    const JobControl& m_job;
    ChunkText::FileReader m_reader;
    ChunkText::LineBuffer m_line;
};

bool isBlank(const std::string& value)
{
    return std::all_of(value.begin(), value.end(), [](char c) { return c == ' ' || c == '\t'; });
}

QString unicode(const std::string& value)
{
    return Win1250::toUnicode(QByteArrayView(value.data(), qsizetype(value.size())));
}

// Most records first; equal counts in the order of their labels. The unknown
// row, if any, goes last.
QList<CountRow> ordered(QList<CountRow> rows, qint64 unknown)
{
    std::sort(rows.begin(), rows.end(), [](const CountRow& a, const CountRow& b) {
        return a.count != b.count ? a.count > b.count : a.label < b.label;
    });
    if (unknown > 0)
        rows.append({unknownLabel(), unknown, {}});
    return rows;
}

// Rows of the values of one field, as a restriction searches them.
QList<CountRow> valueRows(const RecordTally::ValueCounts& values)
{
    QList<CountRow> rows;
    qint64 unknown = 0;
    for (const auto& [value, count] : values.counts()) {
        if (isBlank(value)) {
            unknown += count;
            continue;
        }
        const QString label = unicode(value);
        rows.append({label, count, {label}});
    }
    return ordered(rows, unknown);
}

QList<CountRow> volumeRows(const RecordTally& tally)
{
    QList<CountRow> rows;
    for (int i = 0; i < CodeTables::VolumeCount; ++i) {
        const QString name = CodeTables::volumeName(i);
        rows.append({name, tally.volumes()[size_t(i)], {name}});
    }
    if (const qint64 unknown = tally.volumes()[RecordTally::UnknownVolume]; unknown > 0)
        rows.append({unknownLabel(), unknown, {}});
    return rows;
}

QList<CountRow> decadeRows(const RecordTally& tally)
{
    QList<CountRow> rows;
    for (int d = 0; d < RecordTally::DecadeCount; ++d) {
        const qint64 count = tally.decades()[size_t(d)];
        if (count == 0)
            continue;
        const int first = RecordTally::FirstYear + 10 * d;
        QStringList years;
        for (int year = first; year < first + 10; ++year)
            years.append(QString::number(year));
        rows.append({QStringLiteral("%1–%2").arg(first).arg(first + 9), count, years});
    }
    if (tally.unknownYears() > 0)
        rows.append({unknownLabel(), tally.unknownYears(), {}});
    return rows;
}

// Where each subject text of the tree sits: its top two levels, as a label.
QHash<QString, QString> subjectPlaces(const SubjectTree::Tree& tree)
{
    QHash<QString, QString> places;
    std::array<QString, SubjectTree::MaxDepth + 1> path;
    for (int entry = 0; entry < tree.entryCount(); ++entry) {
        if (tree.isSeparator(entry))
            continue;
        const int depth = tree.depth(entry);
        const QString text = tree.subjectText(entry);
        path[size_t(depth)] = text;
        const QString place = depth == 1 ? text : path[1] + QStringLiteral(" › ") + path[2];
        if (!places.contains(text)) // the first place of a subject named twice
            places.insert(text, place);
    }
    return places;
}

QList<CountRow> subjectRows(const RecordTally& tally, const SubjectTree::Tree& tree)
{
    const QHash<QString, QString> places = subjectPlaces(tree);
    QHash<QString, CountRow> byPlace;
    qint64 unknown = 0;
    for (const auto& [value, count] : tally.subjects().counts()) {
        if (isBlank(value)) {
            unknown += count;
            continue;
        }
        const QString subject = unicode(value);
        const QString place = places.value(subject, subject);
        CountRow& row = byPlace[place];
        row.label = place;
        row.count += count;
        row.searchTexts.append(subject);
    }
    QList<CountRow> rows;
    for (CountRow& row : byPlace) {
        row.searchTexts.sort();
        rows.append(row);
    }
    return ordered(rows, unknown);
}

QList<CountRow> databaseRows(const QList<DatabaseCount>& databases, qint64 records)
{
    QList<CountRow> rows;
    qint64 sum = 0;
    for (const DatabaseCount& database : databases) {
        rows.append({database.name, database.records, {}});
        sum += database.records;
    }
    if (sum == records && !rows.isEmpty())
        return rows;
    if (records == 0)
        return {};
    return {{unknownLabel(), records, {}}};
}

SubjectTree::Tree readSubjects(const QString& path)
{
    if (path.isEmpty()) // no tree chosen in the settings
        return {};
    try {
        return SubjectTree::Tree::read(path);
    } catch (const NorlaError&) {
        // Without its tree every subject counts as itself.
        return {};
    }
}

// The note of the index run, when it tells how many records each database gave.
QList<DatabaseCount> indexedDatabases(const QString& startDir)
{
    QList<DatabaseCount> databases;
    for (const IndexSources::Source& source : IndexSources::read(startDir)) {
        if (source.records < 0)
            return {};
        databases.append({source.file, source.records});
    }
    return databases;
}

} // namespace

QString caption(Dimension dimension)
{
    switch (dimension) {
    case Dimension::Volume:
        return QStringLiteral("Kötet");
    case Dimension::Decade:
        return QStringLiteral("Évtized");
    case Dimension::RecordType:
        return QStringLiteral("Rekord típusa");
    case Dimension::Language:
        return QStringLiteral("Nyelv");
    case Dimension::Medium:
        return QStringLiteral("Adathordozó");
    case Dimension::Subject:
        return QStringLiteral("Tárgykör");
    case Dimension::Database:
        return QStringLiteral("Adatbázis");
    }
    return {};
}

QString key(Dimension dimension)
{
    switch (dimension) {
    case Dimension::Volume:
        return QStringLiteral("volume");
    case Dimension::Decade:
        return QStringLiteral("decade");
    case Dimension::RecordType:
        return QStringLiteral("recordType");
    case Dimension::Language:
        return QStringLiteral("language");
    case Dimension::Medium:
        return QStringLiteral("medium");
    case Dimension::Subject:
        return QStringLiteral("subject");
    case Dimension::Database:
        return QStringLiteral("database");
    }
    return {};
}

QString unknownLabel()
{
    return QStringLiteral("ismeretlen");
}

QString fieldCaption(Field field)
{
    static const std::array<QString, RecordSchema::FieldCount> captions = {
        QStringLiteral("Rekordnév"),   QStringLiteral("Rekord típusa"),
        QStringLiteral("Tárgykör"),    QStringLiteral("1. alkotó"),
        QStringLiteral("2. alkotó"),   QStringLiteral("3. alkotó"),
        QStringLiteral("4. alkotó"),   QStringLiteral("Cím"),
        QStringLiteral("Kiadvány"),    QStringLiteral("Kiadó"),
        QStringLiteral("Évfolyam"),    QStringLiteral("Év"),
        QStringLiteral("Oldalszám"),   QStringLiteral("Megjelenés helye"),
        QStringLiteral("Megjegyzés"),  QStringLiteral("Link"),
        QStringLiteral("Fordítás"),    QStringLiteral("Nyelv"),
        QStringLiteral("Adathordozó"),
    };
    return captions[size_t(RecordSchema::position(field))];
}

QString formatCount(qint64 count)
{
    static const QLocale hungarian(QLocale::Hungarian, QLocale::Hungary);
    return hungarian.toString(count);
}

RecordTally tallyIndexSet(const QString& startDir, JobControl& job, int threads)
{
    const QStringList files = SearchEngine::chunkFiles(startDir);
    RecordTally total;
    job.setProgress(0, files.size());
    if (files.isEmpty())
        return total;
    OrderedWork<std::unique_ptr<ChunkTally>> work(
        files.size(), orderedWorkThreads(threads, files.size()), [&] {
            return [&, counter = std::make_unique<ChunkCounter>(job)](int index) {
                return counter->count(files.at(index));
            };
        });
    for (int i = 0; i < files.size(); ++i) {
        const auto chunk = work.take(i, [&job] { job.throwIfStopped(); });
        if (chunk->stopped)
            throw OperationCancelled();
        if (!chunk->failedPath.isEmpty())
            throw NorlaError::cannotOpen(chunk->failedPath);
        total.merge(chunk->tally);
        job.setProgress(i + 1, files.size());
        job.throwIfStopped();
    }
    return total;
}

RecordTally tallySnapshot(const DatabaseDocument::Snapshot& lines, JobControl& job)
{
    RecordTally tally;
    const int total = lines.lineCount();
    job.setProgress(0, total);
    for (int i = 0; i < total; ++i) {
        tally.addLine(lines.line(i));
        if ((i + 1) % kLinesBetweenChecks == 0) {
            job.setProgress(i + 1, total);
            job.throwIfStopped();
        }
    }
    job.setProgress(total, total);
    return tally;
}

RecordTally tallyDatabaseFile(const QString& path, JobControl& job)
{
    RecordTally tally;
    DatabaseStream stream(path);
    const qint64 total = stream.countRemaining();
    stream.restart();
    job.setProgress(0, total);
    QStringView line;
    for (qint64 done = 1; stream.next(&line); ++done) {
        tally.addLine(line);
        if (done % kLinesBetweenChecks == 0) {
            job.setProgress(done, total);
            job.throwIfStopped();
        }
    }
    job.setProgress(total, total);
    return tally;
}

Summary summarise(const RecordTally& tally, Source source, const SubjectTree::Tree& subjects,
                  const QList<DatabaseCount>& databases)
{
    Summary summary;
    summary.source = source;
    summary.records = tally.records();
    summary.rows[size_t(Dimension::Volume)] = volumeRows(tally);
    summary.rows[size_t(Dimension::Decade)] = decadeRows(tally);
    summary.rows[size_t(Dimension::RecordType)] = valueRows(tally.recordTypes());
    summary.rows[size_t(Dimension::Language)] = valueRows(tally.languages());
    summary.rows[size_t(Dimension::Medium)] = valueRows(tally.media());
    summary.rows[size_t(Dimension::Subject)] = subjectRows(tally, subjects);
    summary.rows[size_t(Dimension::Database)] = databaseRows(databases, tally.records());
    for (int i = 0; i < RecordSchema::FieldCount; ++i)
        summary.completeness.append({RecordSchema::fieldAt(i), tally.emptyFields()[size_t(i)]});
    return summary;
}

Summary summariseIndexSet(const QString& startDir, const QString& subjectTreePath, JobControl& job)
{
    const RecordTally tally = tallyIndexSet(startDir, job);
    return summarise(tally, Source::IndexSet, readSubjects(subjectTreePath), indexedDatabases(startDir));
}

Summary summariseDatabaseFile(const QString& path, const QString& subjectTreePath, JobControl& job)
{
    const RecordTally tally = tallyDatabaseFile(path, job);
    return summarise(tally, Source::Database, readSubjects(subjectTreePath),
                     {{QFileInfo(path).fileName(), tally.records()}});
}

Summary summariseSnapshot(const DatabaseDocument::Snapshot& lines, const QString& name,
                          const QString& subjectTreePath, JobControl& job)
{
    const RecordTally tally = tallySnapshot(lines, job);
    return summarise(tally, Source::Database, readSubjects(subjectTreePath), {{name, tally.records()}});
}

QString earlierLabel()
{
    return QStringLiteral("korábbi");
}

QList<ChartBar> chartBars(Dimension dimension, const QList<CountRow>& rows, int maxBars)
{
    QList<ChartBar> bars;
    if (rows.size() <= maxBars || maxBars < 2) {
        for (const CountRow& row : rows)
            bars.append({row, {}});
        return bars;
    }
    if (dimension == Dimension::Decade) {
        // The unknown row, last, is no decade: it keeps its own bar.
        const bool unknownLast = rows.constLast().searchTexts.isEmpty();
        const qsizetype decades = rows.size() - (unknownLast ? 1 : 0);
        const qsizetype shownDecades = maxBars - 1 - (unknownLast ? 1 : 0);
        ChartBar earlier{{earlierLabel(), 0, {}}, rows.first(decades - shownDecades)};
        for (const CountRow& row : std::as_const(earlier.folded)) {
            earlier.row.count += row.count;
            earlier.row.searchTexts += row.searchTexts;
        }
        bars.append(earlier);
        for (qsizetype i = decades - shownDecades; i < rows.size(); ++i)
            bars.append({rows.at(i), {}});
        return bars;
    }
    for (qsizetype i = 0; i < maxBars - 1; ++i)
        bars.append({rows.at(i), {}});
    ChartBar others{{QStringLiteral("egyéb (%1 érték)").arg(rows.size() - maxBars + 1), 0, {}},
                    rows.sliced(maxBars - 1)};
    for (const CountRow& row : std::as_const(others.folded))
        others.row.count += row.count;
    bars.append(others);
    return bars;
}

std::optional<SearchCriteria> searchFor(Dimension dimension, const CountRow& row)
{
    if (row.searchTexts.isEmpty())
        return std::nullopt;
    SearchCriteria criteria;
    const auto restrict = [&](SearchCriteria::Restriction restriction) {
        criteria.restrictions[size_t(restriction)] = {true, row.searchTexts.first()};
    };
    // Looks for any of the texts in one term field, each as a word of its own.
    const auto anyTermIn = [&](int termField) {
        criteria.termFields.fill(false);
        criteria.termFields[size_t(termField)] = true;
        criteria.matchKind = SearchCriteria::MatchKind::Word;
        if (row.searchTexts.size() == 1) {
            criteria.term = row.searchTexts.first();
        } else {
            criteria.mode = SearchCriteria::Mode::SeveralTerms;
            criteria.terms = row.searchTexts;
            criteria.connective = SearchCriteria::Connective::Or;
        }
    };
    switch (dimension) {
    case Dimension::Volume:
        restrict(SearchCriteria::Volume);
        break;
    case Dimension::RecordType:
        restrict(SearchCriteria::RecordType);
        break;
    case Dimension::Language:
        restrict(SearchCriteria::Language);
        break;
    case Dimension::Medium:
        restrict(SearchCriteria::Medium);
        break;
    case Dimension::Decade:
        anyTermIn(kYearTermField);
        break;
    case Dimension::Subject:
        anyTermIn(kSubjectTermField);
        break;
    case Dimension::Database:
        return std::nullopt;
    }
    return criteria;
}

} // namespace Overview
