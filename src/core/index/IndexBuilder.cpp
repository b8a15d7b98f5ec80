#include "core/index/IndexBuilder.h"

#include "core/index/IndexRunLock.h"
#include "core/index/IndexSources.h"

#include "core/index/DatabaseStream.h"
#include "core/record/CreatorSlot.h"
#include "core/record/FieldCursor.h"
#include "core/record/NorlaError.h"
#include "core/record/RecordSchema.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

// Where the lists take their text from the 8-bit form of a record: one
// lookup per UTF-16 unit for the 8-bit byte, and one for that byte with its
// letter case folded, for the "already listed?" test.
struct CodePage
{
    std::vector<char> toByte = std::vector<char>(0x10000);
    std::vector<char> toFoldedByte = std::vector<char>(0x10000);

    CodePage()
    {
        std::array<char, 256> fold{};
        for (int b = 0; b < 256; ++b) {
            const QChar lower = QChar(Win1250::toUnicodeChar(static_cast<unsigned char>(b))).toLower();
            const char lowerByte = Win1250::fromUnicodeChar(lower.unicode());
            fold[b] = (lowerByte != '?' || lower == u'?') ? lowerByte : char(b);
        }
        for (int c = 0; c < 0x10000; ++c) {
            toByte[c] = Win1250::fromUnicodeChar(char16_t(c));
            toFoldedByte[c] = fold[static_cast<unsigned char>(toByte[c])];
        }
    }
};

const CodePage& codePage()
{
    static const CodePage table;
    return table;
}

// Distinct names, letter case ignored, the first form met kept. Most offers
// repeat a name already listed, so the test is one pass that folds and
// hashes together, then a probe of an open-addressing table.
class NameList final
{
public:
    NameList() : m_slots(1024, 0) {}

    void offer(QStringView text)
    {
        const qsizetype n = text.size();
        if (n < 2)
            return;
        const char* fold = codePage().toFoldedByte.data();
        m_key.resize(std::size_t(n));
        quint64 hash = 14695981039346656037ull;
        for (qsizetype i = 0; i < n; ++i) {
            const char b = fold[text[i].unicode()];
            m_key[std::size_t(i)] = b;
            hash = (hash ^ static_cast<unsigned char>(b)) * 1099511628211ull;
        }
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = std::size_t(hash) & mask;; slot = (slot + 1) & mask) {
            const quint32 entry = m_slots[slot];
            if (entry == 0)
                return insert(slot, hash, text);
            const Entry& e = m_entries[entry - 1];
            if (e.hash == hash && e.length == m_key.size() &&
                m_keyPool.compare(e.offset, e.length, m_key) == 0)
                return;
        }
    }

    QStringList sorted() const
    {
        QStringList out = m_forms;
        IndexBuilder::sortIgnoringCase(out);
        return out;
    }

private:
    struct Entry
    {
        quint64 hash;
        std::size_t offset;
        std::size_t length;
    };

    void insert(std::size_t slot, quint64 hash, QStringView text)
    {
        m_entries.push_back({hash, m_keyPool.size(), m_key.size()});
        m_keyPool += m_key;
        m_slots[slot] = quint32(m_entries.size());
        const char* toByte = codePage().toByte.data();
        QByteArray form(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            form[i] = toByte[text[i].unicode()];
        m_forms.append(Win1250::toUnicode(form));
        if (m_entries.size() * 2 > m_slots.size())
            grow();
    }

    void grow()
    {
        std::vector<quint32> table(m_slots.size() * 2, 0);
        const std::size_t mask = table.size() - 1;
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            std::size_t slot = std::size_t(m_entries[i].hash) & mask;
            while (table[slot] != 0)
                slot = (slot + 1) & mask;
            table[slot] = quint32(i + 1);
        }
        m_slots.swap(table);
    }

    std::string m_key;
    std::string m_keyPool;
    std::vector<Entry> m_entries;
    std::vector<quint32> m_slots;
    QStringList m_forms;
};

// One file of the new index set, written as it grows into the run's staging
// folder (see IndexFolder); a failure names the file of the working folder it
// is meant to become, the one the user knows. The index is derived data that
// a new run rebuilds, so it is not forced to disk file by file; a run writes a
// thousand chunk files or more.
class PartFile final
{
    Q_DISABLE_COPY_MOVE(PartFile)

public:
    static constexpr qsizetype FlushSize = 1 << 18;

    PartFile() = default;

    bool isOpen() const { return m_file.isOpen(); }

    void open(const QString& path, const QString& shownPath)
    {
        m_shownPath = shownPath;
        m_buffer.clear();
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw NorlaError::cannotCreate(m_shownPath);
    }

    // Where the caller appends; written out once it has grown large.
    QByteArray& buffer() { return m_buffer; }
    void written()
    {
        if (m_buffer.size() >= FlushSize)
            flush();
    }

    // Writes bytes straight from where they are, after what the buffer holds.
    void writeThrough(QByteArrayView bytes)
    {
        flush();
        if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
            throw NorlaError::cannotCreate(m_shownPath);
    }

    void commit()
    {
        flush();
        m_file.close();
        if (m_file.error() != QFileDevice::NoError)
            throw NorlaError::cannotCreate(m_shownPath);
    }

private:
    void flush()
    {
        if (m_file.write(m_buffer) != m_buffer.size())
            throw NorlaError::cannotCreate(m_shownPath);
        m_buffer.clear();
    }

    QString m_shownPath;
    QFile m_file;
    QByteArray m_buffer;
};

// The list files of the set, in the order a run writes them.
const QStringList& listFileNames()
{
    static const QStringList names = {WorkFolder::CreatorsFile, WorkFolder::PublishersFile,
                                      WorkFolder::PlacesFile, WorkFolder::ChunkNumbersFile,
                                      WorkFolder::RecordNamesFile};
    return names;
}

NorlaError cannotDelete(const QString& path)
{
    return NorlaError(QStringLiteral("Cannot delete file %1").arg(QFileInfo(path).absoluteFilePath()));
}

// An entry that belongs to an index file set: a file, or a link that leads
// nowhere, which readers meet under the file's name just the same.
bool isSetEntry(const QFileInfo& entry)
{
    return entry.isFile() || (entry.isSymLink() && !entry.exists());
}

bool renameEntry(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Removes a folder of the run with what it holds; a link of that name is
// removed itself, never followed.
void removeRunFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    const bool removed =
        info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path);
    if (!removed)
        throw cannotDelete(path);
}

// The index file set is replaced as a whole, so that a run that fails, or a
// process that is killed, never leaves a mix of two sets that the search and
// the browse view would read as one. A run writes the new set into a staging
// folder inside the working folder; only when every file is complete does it
// move the previous set aside into a second folder, move the new set in and
// drop the previous one. Every step is a rename within one file system, and
// readers look only at adatb*.ztf and the list files of the working folder
// itself, so the content of these folders is never read as part of an index.
//
// Which folders exist tells how far a run got, so a run cut short is undone
// the same way by the run itself or at the start of the next one:
//   building            the new set is being written; the live set is whole
//   building, previous  the live set is being moved aside, entry by entry
//   moving, previous    the whole previous set is aside; live entries are new
//   discarded           the new set is in place; the rest is rubbish
class IndexFolder final
{
    Q_DISABLE_COPY_MOVE(IndexFolder)

public:
    explicit IndexFolder(QString startDir) : m_startDir(std::move(startDir)) {}

    // Where a file of the set lives, and where the run writes it first.
    QString live(const QString& name) const { return m_startDir + u'/' + name; }
    QString staged(const QString& name) const { return runFolder(Building) + u'/' + name; }

    // Makes the working folder hold one whole set again after an earlier run
    // that was cut short, drops what only stands in the way, and makes an
    // empty staging folder.
    void prepare()
    {
        restore();
        removeDanglingChunkLinks();
        removeUnfinishedChunks();
        if (!QDir().mkdir(runFolder(Building)))
            throw NorlaError::cannotCreate(live(WorkFolder::chunkFile(1)));
    }

    // Replaces the live set by the staged one of `chunkCount` chunks. On
    // failure the previous set is put back and the error thrown.
    void swapIn(int chunkCount)
    {
        if (!QDir().mkdir(runFolder(Previous)))
            throw NorlaError::cannotCreate(live(WorkFolder::chunkFile(1)));
        setPreviousAside();
        if (!renameEntry(runFolder(Building), runFolder(Moving)))
            throw NorlaError::cannotCreate(live(WorkFolder::chunkFile(1)));
        for (int n = 1; n <= chunkCount; ++n)
            moveIn(WorkFolder::chunkFile(n));
        for (const QString& name : listFileNames())
            moveIn(name);
        // From here on the new set stands: a run cut short is not undone any more.
        if (!renameEntry(runFolder(Previous), runFolder(Discarded)))
            throw cannotDelete(runFolder(Previous));
        // What is left holds nothing of either set; should it resist, the next run clears it.
        try {
            removeRunFolder(runFolder(Moving));
            removeRunFolder(runFolder(Discarded));
        } catch (const NorlaError&) {
        }
    }

    // Undoes a run that failed; false when the previous set could not be put
    // back whole (it stays aside, and the next run puts it back first).
    bool rollBack() noexcept
    {
        try {
            putPreviousBack();
        } catch (...) {
            return false;
        }
        // Folders left over hold nothing a reader sees; the next run clears them.
        try {
            removeRunFolders();
        } catch (...) {
        }
        return true;
    }

private:
    enum Folder
    {
        Building,
        Moving,
        Previous,
        Discarded
    };

    QString runFolder(Folder folder) const
    {
        static const std::array<QString, 4> names = {
            QStringLiteral(".norla-index-building"), WorkFolder::IndexMovingFolder,
            WorkFolder::IndexPreviousFolder, QStringLiteral(".norla-index-discarded")};
        return live(names[folder]);
    }

    bool isRunFolder(Folder folder) const
    {
        const QFileInfo info(runFolder(folder));
        return info.isDir() && !info.isSymLink();
    }

    // The chunk files as the search finds them: adatb*.ztf, letter case ignored.
    QFileInfoList liveChunks() const
    {
        QFileInfoList chunks = QDir(m_startDir)
                                   .entryInfoList({WorkFolder::ChunkFilePattern},
                                                  QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
        chunks.removeIf([](const QFileInfo& entry) { return !isSetEntry(entry); });
        return chunks;
    }

    QFileInfoList liveLists() const
    {
        QFileInfoList lists;
        for (const QString& name : listFileNames()) {
            const QFileInfo entry(live(name));
            if (isSetEntry(entry))
                lists.append(entry);
        }
        return lists;
    }

    // Every entry of the live set goes into the previous folder. A chunk that
    // cannot go is one that could not be deleted; a list file that cannot go
    // is one the new set cannot replace.
    void setPreviousAside()
    {
        const QString previous = runFolder(Previous) + u'/';
        for (const QFileInfo& chunk : liveChunks()) {
            if (!renameEntry(chunk.filePath(), previous + chunk.fileName()))
                throw cannotDelete(chunk.filePath());
        }
        for (const QFileInfo& list : liveLists()) {
            if (!renameEntry(list.filePath(), previous + list.fileName()))
                throw NorlaError::cannotCreate(list.filePath());
        }
    }

    void moveIn(const QString& name)
    {
        if (!renameEntry(runFolder(Moving) + u'/' + name, live(name)))
            throw NorlaError::cannotCreate(live(name));
    }

    // Back to one whole set, whichever step a run stopped at (see the class
    // comment), then every folder of the run removed.
    void restore()
    {
        putPreviousBack();
        removeRunFolders();
    }

    void putPreviousBack()
    {
        if (isRunFolder(Previous)) {
            if (isRunFolder(Moving))
                removeNewEntries();
            const QDir previous(runFolder(Previous));
            const QStringList names =
                previous.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
            for (const QString& name : names) {
                if (!renameEntry(previous.filePath(name), live(name)))
                    throw NorlaError::cannotCreate(live(name));
            }
        }
    }

    // Called only once the previous set is back in place (or was never set
    // aside), so that a run stopped while putting it back can still finish
    // the job later.
    void removeRunFolders()
    {
        for (const Folder folder : {Moving, Previous, Building, Discarded})
            removeRunFolder(runFolder(folder));
    }

    // With the whole previous set aside, every live entry is one the cut-short
    // run moved in; they go before the previous set comes back.
    void removeNewEntries()
    {
        for (const QFileInfo& entry : liveChunks() + liveLists()) {
            if (!QFile::remove(entry.filePath()))
                throw cannotDelete(entry.filePath());
        }
        removeRunFolder(runFolder(Moving));
    }

    // A dangling chunk link holds no record, yet the search would report it
    // as unreadable on every run.
    void removeDanglingChunkLinks()
    {
        for (const QFileInfo& chunk : liveChunks()) {
            if (!chunk.exists() && !QFile::remove(chunk.filePath()))
                throw cannotDelete(chunk.filePath());
        }
    }

    // Chunk files an older build of the program left half-written beside the
    // real ones when it was stopped.
    void removeUnfinishedChunks()
    {
        const QDir dir(m_startDir);
        for (const QString& name : dir.entryList({WorkFolder::ChunkFilePattern + QStringLiteral(".part")},
                                                 QDir::Files | QDir::Hidden)) {
            if (!QFile::remove(dir.filePath(name)))
                throw cannotDelete(dir.filePath(name));
        }
    }

    QString m_startDir;
};

// Creates the staged chunk files a few numbers ahead of the writer, on a
// thread of its own: making a file costs the file system more than filling
// it, and a run makes a thousand of them. A file is only ever made new and
// left empty (a file already there is left alone), so the writer, which opens
// its file truncated and makes it itself when it is not there yet, never
// loses a byte to it; a failure here shows when the writer opens the file.
// Files made beyond the last chunk stay in the staging folder, which the run
// removes.
class ChunkFileMaker final
{
    Q_DISABLE_COPY_MOVE(ChunkFileMaker)

public:
    static constexpr int Ahead = 16;

    explicit ChunkFileMaker(const IndexFolder& folder) : m_folder(folder), m_thread([this] { run(); }) {}

    ~ChunkFileMaker()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // The writer is about to open chunk `number`.
    void reached(int number)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_reached = number;
        }
        m_changed.notify_all();
    }

private:
    void run()
    {
        for (int number = 1;; ++number) {
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stop || number <= m_reached + Ahead; });
                if (m_stop)
                    return;
                if (number <= m_reached)
                    continue; // the writer got there first
            }
            QFile file(m_folder.staged(WorkFolder::chunkFile(number)));
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                file.close();
        }
    }

    const IndexFolder& m_folder;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_reached = 0;
    bool m_stop = false;
    std::thread m_thread;
};

// The chunk being filled, streamed into its file so that even "Végtelen"
// never holds the whole index in memory. A chunk line is the database line
// byte for byte, so lines the database file holds in UTF-16LE with CR LF are
// written from there, as many adjoining ones as come in one write.
class ChunkWriter final
{
    Q_DISABLE_COPY_MOVE(ChunkWriter)

public:
    explicit ChunkWriter(const IndexFolder& folder) : m_folder(folder), m_maker(folder) {}

    int number() const { return m_number; }

    // `stored`: the line with its CR LF as the database holds them in
    // UTF-16LE (DatabaseStream::storedLine), or empty.
    void append(QStringView line, QByteArrayView stored)
    {
        if (!m_file.isOpen())
            open();
        if (!stored.isEmpty()) {
            if (stored.data() != m_span.data() + m_span.size())
                writeSpan();
            m_span = QByteArrayView(m_span.isEmpty() ? stored.data() : m_span.data(),
                                    m_span.size() + stored.size());
            // Written while the stream still holds it in memory (it keeps the
            // last 8 MiB read).
            if (m_span.size() >= MaxSpan)
                writeSpan();
            return;
        }
        writeSpan();
        QByteArray& out = m_file.buffer();
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            out.append(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
        } else {
            for (const QChar c : line)
                out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        }
        out.append("\r\0\n\0", 4);
        m_file.written();
    }

    // Writes what is still held in the database's memory; called before the
    // database is closed.
    void writeSpan()
    {
        if (m_span.isEmpty())
            return;
        m_file.writeThrough(m_span);
        m_span = {};
    }

    // Writes the chunk, an empty one too, and moves on to the next number.
    void finish()
    {
        if (!m_file.isOpen())
            open();
        writeSpan();
        m_file.commit();
        ++m_number;
    }

private:
    void open()
    {
        m_maker.reached(m_number);
        const QString name = WorkFolder::chunkFile(m_number);
        m_file.open(m_folder.staged(name), m_folder.live(name));
        m_file.buffer().append("\xFF\xFE", 2);
    }

    static constexpr qsizetype MaxSpan = qsizetype(4) << 20;

    const IndexFolder& m_folder;
    ChunkFileMaker m_maker;
    int m_number = 1;
    PartFile m_file;
    QByteArrayView m_span;
};

// The fields the lists need from a record, cut the way the 8-bit record is
// cut: as if "**" followed it. Converting to 8-bit keeps every position, so
// cutting the Unicode line gives the same pieces.
struct ListFields
{
    QStringView name;
    std::array<QStringView, CreatorSlot::Count> creatorNames; // without their role codes
    QStringView publisher;
    QStringView place;

    explicit ListFields(QStringView line)
    {
        auto fields = FieldCursor::asIfSeparatorAppended(line);
        int next = 0; // the position of the field fields.next() gives
        const auto take = [&](Field field) {
            fields.skip(RecordSchema::position(field) - next);
            next = RecordSchema::position(field) + 1;
            return fields.next();
        };
        name = take(Field::RecordName);
        for (int slot = 0; slot < CreatorSlot::Count; ++slot)
            creatorNames[size_t(slot)] = CreatorSlot::of(take(RecordSchema::creator(slot))).name;
        publisher = take(Field::Publisher);
        place = take(Field::Place);
    }
};

// The three name lists, collected on a thread of their own while the
// building thread writes the chunks: it reads the same databases in the same
// order, so the lists come out as from one pass. A failure on its side is
// kept and thrown by the building thread; the building thread also tells it
// to stop when the run ends early.
class NameCollector final
{
    Q_DISABLE_COPY_MOVE(NameCollector)

public:
    explicit NameCollector(QStringList paths)
        : m_paths(std::move(paths)), m_thread([this] { collectAndSort(); })
    {
    }

    ~NameCollector()
    {
        m_stop.store(true, std::memory_order_relaxed);
        if (m_thread.joinable())
            m_thread.join();
    }

    // Waits for the sorted lists; throws what stopped the collection.
    void finish()
    {
        m_thread.join();
        if (m_error)
            std::rethrow_exception(m_error);
    }

    QStringList creators, publishers, places;

private:
    void collectAndSort()
    {
        try {
            NameList creatorNames, publisherNames, placeNames;
            for (const QString& path : std::as_const(m_paths)) {
                DatabaseStream database(path);
                QStringView line;
                for (qint64 k = 1; database.next(&line); ++k) {
                    if (k % 1024 == 0 && m_stop.load(std::memory_order_relaxed))
                        return;
                    const ListFields fields(line);
                    publisherNames.offer(fields.publisher);
                    for (const QStringView creator : fields.creatorNames)
                        creatorNames.offer(creator);
                    placeNames.offer(fields.place);
                }
            }
            creators = creatorNames.sorted();
            publishers = publisherNames.sorted();
            places = placeNames.sorted();
        } catch (...) {
            m_error = std::current_exception();
        }
    }

    const QStringList m_paths;
    std::atomic<bool> m_stop{false};
    std::exception_ptr m_error;
    std::thread m_thread;
};

// fsz0.zda and fsz1.zda, streamed as their 8-bit lines while the run goes
// and finished when the run gets to them.
class RecordDirectory final
{
    Q_DISABLE_COPY_MOVE(RecordDirectory)

public:
    explicit RecordDirectory(const IndexFolder& folder) : m_folder(folder) {}

    void add(int chunk, QStringView name)
    {
        if (!m_recordNames.isOpen())
            open();
        if (chunk != m_chunk) {
            m_chunk = chunk;
            m_chunkLine = QByteArray::number(chunk) + "\r\n";
        }
        m_chunkNumbers.buffer().append(m_chunkLine);
        m_chunkNumbers.written();

        QByteArray& names = m_recordNames.buffer();
        const qsizetype at = names.size();
        names.resize(at + name.size() + 2);
        char* out = names.data() + at;
        const char* toByte = codePage().toByte.data();
        for (const QChar c : name)
            *out++ = toByte[c.unicode()];
        *out++ = '\r';
        *out = '\n';
        m_recordNames.written();
    }

    void commitChunkNumbers()
    {
        if (!m_chunkNumbers.isOpen())
            open();
        m_chunkNumbers.commit();
    }
    void commitRecordNames()
    {
        if (!m_recordNames.isOpen())
            open();
        m_recordNames.commit();
    }

private:
    void open()
    {
        openFile(m_chunkNumbers, WorkFolder::ChunkNumbersFile);
        openFile(m_recordNames, WorkFolder::RecordNamesFile);
    }
    void openFile(PartFile& file, const QString& name)
    {
        file.open(m_folder.staged(name), m_folder.live(name));
    }

    const IndexFolder& m_folder;
    PartFile m_chunkNumbers;
    PartFile m_recordNames;
    int m_chunk = 0;
    QByteArray m_chunkLine;
};

// A name list goes in whole, like the chunks: derived data, not forced to
// disk on its own; a failure names the file of the working folder.
void writeList(const IndexFolder& folder, const QString& name, const QStringList& entries)
{
    PartFile file;
    file.open(folder.staged(name), folder.live(name));
    file.buffer() = TextFile::encodeUnicode(entries);
    file.commit();
}

struct StagedSet
{
    qint64 records = 0;
    int chunks = 0;
    QList<qint64> recordsPerDatabase; // in the order indexed
};

// The name of a record (its whole first field), cut as the lists cut it.
QStringView recordName(QStringView line)
{
    return FieldCursor::asIfSeparatorAppended(line).next();
}

// The new set, written into the staging folder in one pass over the
// databases, the name lists collected beside it on a second thread.
StagedSet writeNewSet(const IndexFolder& folder, const QStringList& databaseNames, int recordsPerFile,
                      IndexProgress* progress, const JobControl& control)
{
    QStringList paths;
    for (const QString& name : databaseNames)
        paths.append(folder.live(IndexBuilder::databaseFileName(name)));
    NameCollector names(paths);
    ChunkWriter chunk(folder);
    qint64 inChunk = 0;
    RecordDirectory directory(folder);
    qint64 records = 0;
    QList<qint64> perDatabase;
    if (progress)
        progress->runStarted(int(paths.size()));

    for (int d = 0; d < paths.size(); ++d) {
        const QString& path = paths.at(d);
        control.throwIfStopped();
        if (progress)
            progress->databaseStarted(d + 1, path);
        DatabaseStream database(path);
        const qint64 lineCount = database.countRemaining();
        perDatabase.append(lineCount);
        if (lineCount == 0)
            continue;
        if (progress)
            progress->databaseSized(lineCount);
        database.restart();
        QStringView line;
        for (qint64 k = 1; database.next(&line); ++k) {
            if (progress)
                progress->recordIndexed(k);
            if (k % 1024 == 0)
                control.throwIfStopped();
            chunk.append(line, database.storedLine());
            directory.add(chunk.number(), recordName(line));
            ++records;
            if (++inChunk == recordsPerFile) {
                chunk.finish();
                inChunk = 0;
            }
        }
        chunk.writeSpan();
    }
    chunk.finish();
    control.throwIfStopped();

    names.finish();
    writeList(folder, WorkFolder::CreatorsFile, names.creators);
    writeList(folder, WorkFolder::PublishersFile, names.publishers);
    writeList(folder, WorkFolder::PlacesFile, names.places);
    directory.commitChunkNumbers();
    directory.commitRecordNames();
    return {records, chunk.number() - 1, perDatabase};
}

} // namespace

const QList<RecordsPerFileChoice>& IndexBuilder::recordsPerFileChoices()
{
    static const QList<RecordsPerFileChoice> choices = [] {
        QList<RecordsPerFileChoice> list{{QStringLiteral("Automatikus"), AutomaticRecordsPerFile}};
        for (const int n : {100, 500, 1000, 1500, 2000, 3000, 4000, 5000, 6000, 8000, 9000, 10000})
            list.append({QString::number(n), n});
        list.append({QStringLiteral("Végtelen"), InfiniteRecordsPerFile});
        return list;
    }();
    return choices;
}

void IndexBuilder::sortIgnoringCase(QStringList& names)
{
    QCollator collator{QLocale::system()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Names equal but for letter case keep a fixed order between them.
    const auto tieBroken = [](int order, const QString& a, const QString& b) {
        return order != 0 ? order < 0 : a < b;
    };
    // The C locale has no collation of its own: its comparison is a plain
    // one, with no sort key that orders the same way.
    if (collator.locale().language() == QLocale::C || names.size() < 2) {
        std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
            return tieBroken(collator.compare(a, b), a, b);
        });
        return;
    }
    // A sort key per name, made once, orders as the collator compares; a
    // list of a hundred thousand names would otherwise collate each name
    // some twenty times.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(std::size_t(names.size()));
    for (const QString& name : std::as_const(names))
        keys.push_back(collator.sortKey(name));
    std::vector<qsizetype> order(std::size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return tieBroken(keys[std::size_t(a)].compare(keys[std::size_t(b)]), names[a], names[b]);
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : order)
        sorted.append(names[i]);
    names.swap(sorted);
}

QStringList IndexBuilder::offeredDatabases(const QString& startDir)
{
    QStringList names = QDir(startDir).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Unsorted);
    names.removeIf([](const QString& name) { return name == WorkFolder::DefaultDatabaseFile; });
    sortIgnoringCase(names);
    return names;
}

QString IndexBuilder::databaseFileName(const QString& name)
{
    // Offered names may end in ".RTF"; adding ".rtf" to those would name a file that is not there.
    return name.contains(u".rtf", Qt::CaseInsensitive) ? name : name + QStringLiteral(".rtf");
}

void IndexBuilder::build(const QStringList& databaseNames, const JobControl& control)
{
    m_recordCount = 0;
    m_chunkCount = 0;
    // Taken before anything of the folder is touched: the staging and
    // discarded folders of a live run are its own until it ends.
    IndexRunLock runLock(m_startDir);
    runLock.acquire(m_lockWaitMs, [&control] { return control.stopRequested(); });
    IndexFolder folder(m_startDir);
    folder.prepare();
    try {
        const StagedSet staged = writeNewSet(folder, databaseNames, m_recordsPerFile, m_progress, control);
        folder.swapIn(staged.chunks);
        QStringList files;
        for (const QString& name : databaseNames)
            files.append(databaseFileName(name));
        IndexSources::record(m_startDir, files, staged.recordsPerDatabase);
        m_recordCount = staged.records;
        m_chunkCount = staged.chunks;
    } catch (const NorlaError& error) {
        if (folder.rollBack())
            throw;
        throw NorlaError(error.message() + u'\n' +
                         QStringLiteral("Az előző index fájljait nem sikerült visszatenni a helyükre; "
                                        "a következő indexelés elsőként visszateszi őket."));
    } catch (...) {
        folder.rollBack();
        throw;
    }
}
