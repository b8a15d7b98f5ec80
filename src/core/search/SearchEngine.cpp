#include "core/search/SearchEngine.h"

#include "core/record/FieldCursor.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/search/ChunkText.h"
#include "core/search/Folding.h"
#include "core/search/IndexSetState.h"
#include "core/search/OrderedWork.h"
#include "core/search/RecordMatcher.h"
#include "core/search/RecordView.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace {

// What the search of one chunk file found, kept until the hits of every
// earlier file have been delivered.
struct ChunkHits
{
    QString failedPath; // set when the file could not be read
    std::string names;  // the record names of the hits, one after the other
    std::vector<quint8> nameLengths;
    std::vector<QByteArray> entryLines; // 8-bit lines of the first hits, for the results text
    QStringList lines;                  // every hit's line as stored, when asked for
    qint64 units = 0;

    qsizetype hitCount() const { return qsizetype(nameLengths.size()); }
};

// Searches one chunk file at a time; its buffers are reused from file to
// file, so memory stays at one chunk per scanner.
class ChunkScanner final
{
public:
    using Progress = std::function<void(qint64 done, qint64 total)>;

    // `delivered`: the hits handed to the sink so far, which tells how many
    // results-text entries a chunk may still have to give.
    ChunkScanner(const RecordMatcher& matcher, bool keepLines, const std::atomic<qint64>& delivered)
        : m_matcher(matcher), m_needle(matcher.requiredText()), m_keepLines(keepLines),
          m_occurrenceRule(matcher.hasOccurrenceRule() && QSysInfo::ByteOrder == QSysInfo::LittleEndian),
          m_delivered(delivered)
    {
    }

    void scan(const QString& path, ChunkHits& out, const Progress& progress)
    {
        // The hits before this chunk are at least those delivered, so it needs
        // no more entries than are missing from them.
        m_entriesWanted =
            qMax<qint64>(0, SearchEngine::MaxResultEntries - m_delivered.load(std::memory_order_relaxed));
        try {
            const ChunkText::LineReader reader = m_reader.read(path);
            out.units = reader.unitCount();
            if (m_matcher.folded())
                scanLinesFolded(reader, out, progress);
            else if (m_needle.isEmpty())
                scanEveryLine(reader, out, progress);
            else
                scanLinesWithNeedle(reader, out, progress);
        } catch (...) {
            // Unreadable, vanished or too large for memory: the search stops
            // at this file with the message every unreadable file gives.
            out.failedPath = QFileInfo(path).absoluteFilePath();
        }
    }

private:
    void scanEveryLine(const ChunkText::LineReader& reader, ChunkHits& out, const Progress& progress)
    {
        const qsizetype units = reader.unitCount();
        qint64 lines = 0;
        for (qsizetype start = 0; start < units;) {
            if (m_matcher.hasVolumeGate() && !volumeMayMatch(reader, start)) {
                start = reader.nextLineStart(reader.lineEnd(start));
                continue;
            }
            const qsizetype end = reader.convertLine(start, m_line);
            test(out, reader, start, end);
            if (progress && ++lines % 4096 == 0)
                progress(end, units);
            start = reader.nextLineStart(end);
        }
    }

    // The volume comes from the first two characters of the record name, so
    // a line of another volume is passed over without being converted.
    bool volumeMayMatch(const ChunkText::LineReader& reader, qsizetype start) const
    {
        if (start + 2 > reader.unitCount() || ChunkText::isLineBreak(reader.unit(start)) ||
            ChunkText::isLineBreak(reader.unit(start + 1)))
            return false;
        return m_matcher.volumeGatePasses(ChunkText::LineReader::toCodePage(reader.unit(start)),
                                          ChunkText::LineReader::toCodePage(reader.unit(start + 1)));
    }

    // Only lines that hold the required text can match: find it, then test
    // the one line around it.
    void scanLinesWithNeedle(const ChunkText::LineReader& reader, ChunkHits& out, const Progress& progress)
    {
        const qsizetype units = reader.unitCount();
        qint64 lines = 0;
        // An occurrence found beyond the line being decided, the next line
        // to look at (-1: none is left; below the floor: not looked for).
        qsizetype ahead = -2;
        for (qsizetype floor = 0; floor < units;) {
            const qsizetype at = ahead >= floor || ahead == -1 ? ahead : reader.find(m_needle, floor);
            if (at < 0)
                break;
            const qsizetype start = reader.lineStartBefore(at, floor);
            if (m_occurrenceRule) {
                const qsizetype end = reader.lineEnd(at);
                const Verdict verdict = occurrenceVerdict(reader, start, at, end, ahead);
                if (verdict != Verdict::Undecided) {
                    if (verdict == Verdict::Hit)
                        addHit(out, reader, start, end, [&reader, start, this] {
                            reader.convertLine(start, m_line);
                            return m_line.view();
                        });
                    if (progress && ++lines % 4096 == 0)
                        progress(end, units);
                    floor = reader.nextLineStart(end);
                    continue;
                }
            }
            const qsizetype end = reader.convertLine(start, m_line);
            test(out, reader, start, end);
            if (progress && ++lines % 4096 == 0)
                progress(end, units);
            floor = reader.nextLineStart(end);
        }
    }

    // A folded search compares folded texts, so the required text cannot be
    // looked for in the UTF-16 text: each line is folded whole (cheap, one
    // table look-up per character) and searched for it. A line that holds it
    // is converted with only the characters the code page lacks folded, so
    // they are tested by their base letter, and decoded for the full test.
    void scanLinesFolded(const ChunkText::LineReader& reader, ChunkHits& out, const Progress& progress)
    {
        const auto& fullyFolded = Folding::unitTable();
        const auto& codePageFolded = Folding::codePageTable();
        const QByteArray& needle = m_matcher.requiredText();
        const qsizetype units = reader.unitCount();
        qint64 lines = 0;
        for (qsizetype start = 0; start < units;) {
            qsizetype end = 0;
            bool candidate = true;
            if (m_matcher.hasVolumeGate() && !volumeMayMatch(reader, start)) {
                end = reader.lineEnd(start);
                candidate = false;
            } else if (!needle.isEmpty()) {
                end = reader.convertLineFolded(start, m_folded, fullyFolded, true);
                candidate = Bytes::contains(m_folded.view(), needle);
            }
            if (candidate) {
                end = reader.convertLineFolded(start, m_line, codePageFolded, false);
                test(out, reader, start, end, [&reader, start, this]() -> QByteArrayView {
                    reader.convertLine(start, m_exact);
                    return m_exact.view();
                });
            }
            if (progress && ++lines % 4096 == 0)
                progress(end, units);
            start = reader.nextLineStart(end);
        }
    }

    void test(ChunkHits& out, const ChunkText::LineReader& reader, qsizetype start, qsizetype end)
    {
        test(out, reader, start, end, [this] { return m_line.view().first(m_lineLength); });
    }

    enum class Verdict
    {
        Hit,
        Miss,
        Undecided
    };

    // Decides the line [start, end), in which the required text occurs at
    // unit `at`, by the fields its occurrences lie in: a hit when one lies in
    // a field that makes it one, a miss when none does. The fields are cut as
    // the decoded record cuts them, the line followed by "**"; an overlong
    // line, which the record reads only in part, is left to the full test.
    // `ahead` receives the next occurrence after the line when it was looked
    // for (-1 when there is none), -2 otherwise.
    Verdict occurrenceVerdict(const ChunkText::LineReader& reader, qsizetype start, qsizetype at,
                              qsizetype end, qsizetype& ahead) const
    {
        ahead = -2;
        if (end - start > RecordLine::MaxReadLength - 2)
            return Verdict::Undecided;
        const QStringView line = reader.text(start, end);
        int field = 0;
        qsizetype fieldStart = 0;
        qsizetype fieldEnd = 0;
        qsizetype fieldLength = 0;
        const auto cutField = [&] {
            const qsizetype separator = FieldSeparator::find(line.sliced(fieldStart));
            if (separator >= 0) {
                fieldEnd = fieldStart + separator;
                fieldLength = separator;
            } else {
                // The appended "**" pairs with a final "*" of the line.
                fieldEnd = line.size();
                fieldLength = line.size() - fieldStart;
                if (fieldLength > 0 && line.back() == u'*')
                    --fieldLength;
            }
        };
        cutField();
        for (qsizetype offset = at - start;;) {
            // The term holds no "*", so an occurrence lies wholly in one field.
            while (fieldEnd < offset) {
                if (++field > RecordMatcher::LastTermField)
                    return Verdict::Miss; // later fields hold no term row
                fieldStart = fieldEnd + 2;
                cutField();
            }
            if (m_matcher.occurrenceMatches(field, fieldLength))
                return Verdict::Hit;
            const qsizetype next = reader.find(m_needle, start + offset + 1);
            if (next < 0 || next >= end) {
                ahead = next;
                return Verdict::Miss;
            }
            offset = next - start;
        }
    }

    // Tests the line in m_line; on a hit records its name and, for the
    // results text, its 8-bit line as `exactLine` gives it.
    template <typename ExactLine>
    void test(ChunkHits& out, const ChunkText::LineReader& reader, qsizetype start, qsizetype end,
              const ExactLine& exactLine)
    {
        m_lineLength = m_line.size();
        m_line.append("**");
        m_record.decode(m_line.view());
        if (!m_matcher.matches(m_record))
            return;
        addHit(out, reader, start, end, exactLine);
    }

    // Records a hit: its name as search results show it, taken from the
    // chunk's text; for the results text, its 8-bit line as `exactLine` gives
    // it; and the stored line when asked for.
    template <typename ExactLine>
    void addHit(ChunkHits& out, const ChunkText::LineReader& reader, qsizetype start, qsizetype end,
                const ExactLine& exactLine)
    {
        char name[RecordSchema::RecordNameLength];
        const qsizetype nameLength = RecordSchema::writeShownName(
            end - start,
            [&](qsizetype i) { return ChunkText::LineReader::toCodePage(reader.unit(start + i)); }, name);
        out.names.append(name, size_t(nameLength));
        out.nameLengths.push_back(quint8(nameLength));
        if (qint64(out.entryLines.size()) < m_entriesWanted)
            out.entryLines.push_back(exactLine().toByteArray());
        if (m_keepLines)
            out.lines.append(unicodeLine(reader, start, end));
    }

    // The line as the chunk file holds it, every character kept, for callers
    // that pass the records on (an export) rather than show them.
    static QString unicodeLine(const ChunkText::LineReader& reader, qsizetype start, qsizetype end)
    {
        QString line(end - start, Qt::Uninitialized);
        for (qsizetype i = start; i < end; ++i)
            line[i - start] = QChar(reader.unit(i));
        return line;
    }

    const RecordMatcher& m_matcher;
    const ChunkText::Needle m_needle;
    const bool m_keepLines;
    const bool m_occurrenceRule;
    const std::atomic<qint64>& m_delivered;
    qint64 m_entriesWanted = SearchEngine::MaxResultEntries;
    ChunkText::FileReader m_reader;
    ChunkText::LineBuffer m_line;
    qsizetype m_lineLength = 0;
    ChunkText::LineBuffer m_folded; // the line fully folded, searched for the required text
    ChunkText::LineBuffer m_exact;  // the line as the exact search sees it, for the hit's output
    RecordView m_record;
};

// Thrown when the set was replaced while the search read it.
struct SetReplaced
{
};

// Every chunk file's hits are checked against the set the search began
// with after the file was read, so a chunk read after a swap began is
// never delivered as part of the set before it.
qint64 deliver(const QString& file, const ChunkHits& hits, qint64 count, SearchSink& sink,
               const JobControl& control, const std::function<bool()>& setChanged)
{
    control.throwIfStopped();
    if (setChanged())
        throw SetReplaced();
    if (!hits.failedPath.isEmpty())
        throw NorlaError::cannotOpen(hits.failedPath);
    sink.chunkStarted(SearchEngine::chunkNumberOf(file));
    qsizetype offset = 0;
    for (qsizetype i = 0; i < hits.hitCount(); ++i) {
        const QByteArrayView name(hits.names.data() + offset, hits.nameLengths[size_t(i)]);
        offset += name.size();
        ++count;
        if (count <= SearchEngine::MaxResultEntries && i < qsizetype(hits.entryLines.size())) {
            const FieldGrid record = FieldGrid::decode(hits.entryLines[size_t(i)]);
            sink.hit(name, &record);
        } else {
            sink.hit(name, nullptr);
        }
        if (i < hits.lines.size())
            sink.hitLine(hits.lines[i]);
    }
    sink.progress(hits.units, hits.units);
    sink.chunkFinished();
    return count;
}

} // namespace

SearchEngine::SearchEngine(const SearchCriteria& criteria, const QList<QByteArray>& roles)
    : m_criteria(criteria), m_roles(roles)
{
}

qint64 SearchEngine::run(const QString& startDir, SearchSink& sink, const JobControl& control) const
{
    for (int attempt = 1;; ++attempt) {
        const IndexSetState before = IndexSetState::settled(startDir);
        bool delivered = false;
        const auto setChanged = [&] {
            const bool changed = IndexSetState::of(startDir) != before;
            delivered = delivered || !changed;
            return changed;
        };
        try {
            const qint64 count = runOnce(startDir, sink, control, setChanged);
            if (!setChanged())
                return count;
        } catch (const SetReplaced&) {
        }
        if (attempt == IndexSetState::MostReads || (delivered && !sink.restart()))
            throw NorlaError(QStringLiteral("Az index fájljait a keresés közben egy indexelés lecserélte. "
                                            "Indítsa újra a keresést."));
    }
}

qint64 SearchEngine::runOnce(const QString& startDir, SearchSink& sink, const JobControl& control,
                             const std::function<bool()>& setChanged) const
{
    const QStringList files = chunkFiles(startDir);
    const RecordMatcher matcher(m_criteria, m_roles);
    const int threads = orderedWorkThreads(m_threads, files.size());
    qint64 count = 0;
    std::atomic<qint64> delivered{0};
    if (threads <= 1) {
        ChunkScanner scanner(matcher, m_keepLines, delivered);
        for (const QString& file : files) {
            ChunkHits hits;
            scanner.scan(file, hits, [&sink](qint64 done, qint64 total) { sink.progress(done, total); });
            count = deliver(file, hits, count, sink, control, setChanged);
            delivered.store(count, std::memory_order_relaxed);
        }
        return count;
    }
    // Where each chunk file's scan has got to, for the progress shown while
    // the one to be delivered next is still being read.
    struct ScanProgress
    {
        std::atomic<qint64> done{0};
        std::atomic<qint64> total{0};
    };
    const auto progress = std::make_unique<ScanProgress[]>(size_t(files.size()));
    OrderedWork<std::unique_ptr<ChunkHits>> work(files.size(), threads, [&] {
        return [&, scanner = std::make_unique<ChunkScanner>(matcher, m_keepLines, delivered)](int index) {
            ScanProgress& at = progress[size_t(index)];
            auto hits = std::make_unique<ChunkHits>();
            scanner->scan(files.at(index), *hits, [&at](qint64 done, qint64 total) {
                at.total.store(total, std::memory_order_relaxed);
                at.done.store(done, std::memory_order_relaxed);
            });
            return hits;
        };
    });
    for (int i = 0; i < files.size(); ++i) {
        const ScanProgress& at = progress[size_t(i)];
        const auto hits = work.take(i, [&] {
            control.throwIfStopped();
            sink.progress(at.done.load(std::memory_order_relaxed), at.total.load(std::memory_order_relaxed));
        });
        count = deliver(files.at(i), *hits, count, sink, control, setChanged);
        delivered.store(count, std::memory_order_relaxed);
    }
    return count;
}

QStringList SearchEngine::chunkFiles(const QString& startDir)
{
    const QDir dir(startDir);
    // A dangling link is listed too, so its chunk is reported as unreadable
    // instead of silently left out; pipes and devices are never read.
    QStringList names;
    const QFileInfoList entries = dir.entryInfoList({WorkFolder::ChunkFilePattern},
                                                    QDir::Files | QDir::System | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo& entry : entries)
        if (entry.isFile() || (entry.isSymLink() && !entry.exists()))
            names.append(entry.fileName());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    QStringList paths;
    paths.reserve(names.size());
    for (const QString& name : std::as_const(names))
        paths.append(dir.filePath(name));
    return paths;
}

int SearchEngine::chunkNumberOf(const QString& chunkPath)
{
    const QString name = QFileInfo(chunkPath).fileName();
    static const QLatin1String prefix("adatb");
    static const QLatin1String suffix(".ztf");
    if (!name.startsWith(prefix, Qt::CaseInsensitive) || !name.endsWith(suffix, Qt::CaseInsensitive))
        return -1;
    const QStringView digits =
        QStringView(name).sliced(prefix.size(), name.size() - prefix.size() - suffix.size());
    bool ok =
        !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
    const int number = ok ? digits.toInt(&ok) : -1;
    return ok ? number : -1;
}
