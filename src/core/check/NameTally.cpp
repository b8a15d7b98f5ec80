#include "core/check/NameTally.h"

#include "core/index/IndexSources.h"
#include "core/record/FieldCursor.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordSchema.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/search/ChunkText.h"
#include "core/search/OrderedWork.h"
#include "core/search/SearchEngine.h"

#include <QDir>

#include <algorithm>
#include <map>

namespace {

constexpr qsizetype MinimumNameLength = 2;

// The indexed record ordinal (from 0) where each database's records start.
struct DatabaseSpans
{
    std::vector<qint64> starts;

    int databaseOf(qint64 ordinal) const
    {
        if (starts.empty())
            return -1;
        const auto it = std::upper_bound(starts.begin(), starts.end(), ordinal);
        return it == starts.begin() ? -1 : int(it - starts.begin()) - 1;
    }
};

// How many records each chunk holds, from the record directory (fsz0.zda
// has one line per record naming its chunk), so a chunk's first record
// ordinal is known before the chunks before it are read.
std::map<int, qint64> recordsPerChunk(const QString& startDir)
{
    std::map<int, qint64> counts;
    try {
        const QByteArray bytes = TextFile::readBytes(QDir(startDir).filePath(WorkFolder::ChunkNumbersFile));
        for (const QByteArray& line : TextFile::split8BitLines(bytes))
            ++counts[line.toInt()];
    } catch (...) {
    }
    return counts;
}

struct ChunkTally
{
    QString failedPath;
    NameTally tally;
    std::vector<std::pair<quint64, QByteArray>> works;
};

} // namespace

void NameTally::add(NameKind kind, QStringView text, int database, qint64 count)
{
    if (text.size() < MinimumNameLength)
        return;
    auto& positions = m_positions[size_t(kind)];
    auto& forms = m_forms[size_t(kind)];
    auto it = positions.find(text);
    if (it == positions.end()) {
        const QString key = text.toString();
        it = positions.emplace(key, qsizetype(forms.size())).first;
        forms.push_back({key, 0, {}});
    }
    NameForm& form = forms[size_t(it->second)];
    form.count += count;
    if (database >= 0 && !form.databases.contains(database))
        form.databases.append(database);
}

void NameTally::addRecord(QStringView line, int database)
{
    ++m_records;
    FieldCursor cursor(line);
    for (int position = 0; position < RecordSchema::FieldCount && !cursor.atEnd(); ++position) {
        const QStringView value = cursor.next();
        switch (RecordSchema::fieldAt(position)) {
        case Field::Creator1:
        case Field::Creator2:
        case Field::Creator3:
        case Field::Creator4:
            if (value.size() > 2)
                add(NameKind::Creator, value.sliced(2), database);
            break;
        case Field::Publisher:
            add(NameKind::Publisher, value, database);
            break;
        case Field::Place:
            add(NameKind::Place, value, database);
            return; // nothing after the place is a name
        case Field::Publication:
            add(NameKind::Publication, value, database);
            break;
        default:
            break;
        }
    }
}

void NameTally::merge(const NameTally& other)
{
    m_records += other.m_records;
    for (int kind = 0; kind < NameKindCount; ++kind) {
        for (const NameForm& form : other.m_forms[size_t(kind)]) {
            if (form.databases.isEmpty())
                add(NameKind(kind), form.text, -1, form.count);
            for (qsizetype i = 0; i < form.databases.size(); ++i)
                add(NameKind(kind), form.text, form.databases[i], i == 0 ? form.count : 0);
        }
    }
}

NameTally NameTally::fromIndexSet(const QString& startDir, JobControl& control, IndexedWorks* works)
{
    QStringList files = SearchEngine::chunkFiles(startDir);
    // In chunk order, which is the order the records were indexed in.
    std::stable_sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return SearchEngine::chunkNumberOf(a) < SearchEngine::chunkNumberOf(b);
    });
    NameTally total;
    DatabaseSpans spans;
    const QList<IndexSources::Source> sources = IndexSources::read(startDir);
    const bool counted = !sources.isEmpty() && std::all_of(sources.begin(), sources.end(),
                                                           [](const auto& s) { return s.records >= 0; });
    if (counted) {
        qint64 start = 0;
        for (const IndexSources::Source& source : sources) {
            total.m_databases.append(source.file);
            spans.starts.push_back(start);
            start += source.records;
        }
    }
    const std::map<int, qint64> perChunk = counted ? recordsPerChunk(startDir) : std::map<int, qint64>{};
    std::vector<qint64> firstOrdinal(size_t(files.size()), -1);
    if (!perChunk.empty()) {
        qint64 ordinal = 0;
        for (qsizetype f = 0; f < files.size(); ++f) {
            const int number = SearchEngine::chunkNumberOf(files[f]);
            firstOrdinal[size_t(f)] = ordinal;
            const auto it = perChunk.find(number);
            ordinal += it == perChunk.end() ? 0 : it->second;
        }
    }

    OrderedWork<ChunkTally> scan(files.size(), orderedWorkThreads(0, files.size()), [&] {
        return [&](int index) {
            ChunkTally result;
            try {
                const QByteArray bytes = TextFile::readBytes(files.at(index));
                QByteArray storage;
                const ChunkText::LineReader reader(ChunkText::utf16Body(bytes, storage));
                qint64 ordinal = firstOrdinal[size_t(index)];
                for (qsizetype start = 0; start < reader.unitCount();) {
                    if (control.stopRequested())
                        return result;
                    const qsizetype end = reader.lineEnd(start);
                    const QStringView line = reader.text(start, end);
                    result.tally.addRecord(line, ordinal >= 0 ? spans.databaseOf(ordinal) : -1);
                    if (works) {
                        QByteArray name(DatabaseDocument::RecordNameLength, '\0');
                        for (qsizetype i = 0; i < name.size() && i < line.size(); ++i)
                            name[i] = ChunkText::LineReader::toCodePage(line[i].unicode());
                        result.works.emplace_back(DuplicateKeys::workHash(line), name);
                    }
                    if (ordinal >= 0)
                        ++ordinal;
                    start = reader.nextLineStart(end);
                }
            } catch (...) {
                result.failedPath = files.at(index);
            }
            return result;
        };
    });
    for (qsizetype f = 0; f < files.size(); ++f) {
        ChunkTally chunk = scan.take(f, [&] { control.throwIfStopped(); });
        control.throwIfStopped();
        if (!chunk.failedPath.isEmpty())
            throw NorlaError::cannotOpen(chunk.failedPath);
        total.merge(chunk.tally);
        if (works)
            for (const auto& [hash, name] : chunk.works)
                works->add(hash, name);
        control.setProgress(f + 1, files.size());
    }
    if (works)
        works->finish();
    return total;
}

NameTally NameTally::fromLines(const DatabaseDocument::Snapshot& lines, JobControl& control)
{
    NameTally tally;
    for (int i = 0; i < lines.lineCount(); ++i) {
        if (i % 4096 == 0)
            control.throwIfStopped();
        tally.addRecord(lines.line(i), -1);
    }
    return tally;
}
