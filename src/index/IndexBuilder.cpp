#include "index/IndexBuilder.h"

#include "index/DatabaseStream.h"
#include "index/TextScan.h"
#include "record/NorlaError.h"
#include "record/TextFile.h"
#include "record/Win1250.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
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

// An index file written as it grows: the bytes go to "<name>.part" and the
// finished file is renamed over "<name>" in one step, so a run that stops
// leaves neither a half file under the real name nor a lost earlier one.
// The index is derived data that a new run rebuilds, so it is not forced to
// disk file by file; a run writes a thousand chunk files or more.
class PartFile final
{
    Q_DISABLE_COPY_MOVE(PartFile)

public:
    static constexpr qsizetype FlushSize = 1 << 18;

    PartFile() = default;
    ~PartFile() { discard(); }

    static QString suffix() { return QStringLiteral(".part"); }

    bool isOpen() const { return m_file.isOpen(); }
    const QString& target() const { return m_target; }

    void open(const QString& target)
    {
        m_target = target;
        m_buffer.clear();
        m_file.setFileName(target + suffix());
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw NorlaError::cannotCreate(target);
    }

    // Where the caller appends; written out once it has grown large.
    QByteArray& buffer() { return m_buffer; }
    void written()
    {
        if (m_buffer.size() >= FlushSize)
            flush();
    }

    void commit()
    {
        flush();
        m_file.close();
        const bool ok = m_file.error() == QFileDevice::NoError && !QFileInfo(m_target).isDir() &&
                        std::rename(QFile::encodeName(m_file.fileName()).constData(),
                                    QFile::encodeName(m_target).constData()) == 0;
        if (!ok) {
            discard();
            throw NorlaError::cannotCreate(m_target);
        }
    }

private:
    void flush()
    {
        if (m_file.write(m_buffer) != m_buffer.size()) {
            discard();
            throw NorlaError::cannotCreate(m_target);
        }
        m_buffer.clear();
    }

    void discard()
    {
        if (m_file.isOpen() || m_file.exists()) {
            m_file.close();
            if (!m_file.fileName().isEmpty())
                m_file.remove();
        }
    }

    QString m_target;
    QFile m_file;
    QByteArray m_buffer;
};

// The chunk being filled, streamed into its file so that even "Végtelen"
// never holds the whole index in memory.
class ChunkWriter final
{
    Q_DISABLE_COPY_MOVE(ChunkWriter)

public:
    explicit ChunkWriter(QString startDir) : m_startDir(std::move(startDir)) {}

    int number() const { return m_number; }

    void append(QStringView line)
    {
        if (!m_file.isOpen())
            open();
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

    // Writes the chunk, an empty one too, and moves on to the next number.
    void finish()
    {
        if (!m_file.isOpen())
            open();
        m_file.commit();
        ++m_number;
    }

private:
    void open()
    {
        m_file.open(m_startDir + QStringLiteral("/adatb%1.ztf").arg(m_number));
        m_file.buffer().append("\xFF\xFE", 2);
    }

    QString m_startDir;
    int m_number = 1;
    PartFile m_file;
};

// The fields the lists need, cut the way the 8-bit record is cut: "**"
// appended, then the leftmost "**" fifteen times. Converting to 8-bit keeps
// every position, so cutting the Unicode line gives the same pieces.
struct ListFields
{
    static constexpr int Count = 15;
    std::array<QStringView, Count + 1> field; // 1-based

    explicit ListFields(QStringView line)
    {
        const auto* data = reinterpret_cast<const char16_t*>(line.utf16());
        const std::size_t n = std::size_t(line.size());
        std::size_t start = 0;
        int k = 1;
        for (std::size_t i = TextScan::findUnit(data, 0, n, u'*'); i + 1 < n && k <= Count;) {
            if (data[i + 1] == u'*') {
                field[k++] = QStringView(data + start, qsizetype(i - start));
                start = i + 2;
                i = TextScan::findUnit(data, start, n, u'*');
            } else {
                i = TextScan::findUnit(data, i + 1, n, u'*');
            }
        }
        if (k <= Count)
            field[k] = lastField(data + std::min(start, n), n - std::min(start, n));
    }

    // The rest of a line with fewer separators than fields; it holds no "**".
    // With "**" appended, a "*" at its end pairs with the first appended one,
    // so the cut falls before it: a short line whose last field is "Kovács*"
    // gives "Kovács".
    static QStringView lastField(const char16_t* rest, std::size_t size)
    {
        if (size > 0 && rest[size - 1] == u'*')
            --size;
        return QStringView(rest, qsizetype(size));
    }
};

// fsz0.zda and fsz1.zda, streamed as their 8-bit lines while the run goes
// and put in place when the run gets to them.
class RecordDirectory final
{
    Q_DISABLE_COPY_MOVE(RecordDirectory)

public:
    explicit RecordDirectory(const QString& startDir)
        : m_chunkNumbersPath(startDir + QStringLiteral("/fsz0.zda")),
          m_recordNamesPath(startDir + QStringLiteral("/fsz1.zda"))
    {
    }

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
        m_chunkNumbers.open(m_chunkNumbersPath);
        m_recordNames.open(m_recordNamesPath);
    }

    QString m_chunkNumbersPath;
    QString m_recordNamesPath;
    PartFile m_chunkNumbers;
    PartFile m_recordNames;
    int m_chunk = 0;
    QByteArray m_chunkLine;
};

void deleteEarlierChunks(const QString& startDir)
{
    const QDir dir(startDir);
    const QStringList chunks =
        dir.entryList({QStringLiteral("adatb*.ztf"), QStringLiteral("adatb*.ztf") + PartFile::suffix()},
                      QDir::Files | QDir::Hidden);
    for (const QString& name : chunks) {
        if (!QFile::remove(dir.filePath(name)))
            throw NorlaError(QStringLiteral("Cannot delete file %1").arg(dir.absoluteFilePath(name)));
    }
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
    std::stable_sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

QStringList IndexBuilder::offeredDatabases(const QString& startDir)
{
    QStringList names = QDir(startDir).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Unsorted);
    names.removeIf([](const QString& name) { return name == u"adatbazis.rtf"; });
    sortIgnoringCase(names);
    return names;
}

QString IndexBuilder::databaseFileName(const QString& name)
{
    // Offered names may end in ".RTF"; adding ".rtf" to those would name a file that is not there.
    return name.contains(u".rtf", Qt::CaseInsensitive) ? name : name + QStringLiteral(".rtf");
}

void IndexBuilder::build(const QStringList& databaseNames)
{
    m_recordCount = 0;
    m_chunkCount = 0;
    deleteEarlierChunks(m_startDir);

    ChunkWriter chunk(m_startDir);
    qint64 inChunk = 0;
    NameList creators, publishers, places;
    RecordDirectory directory(m_startDir);
    qint64 records = 0;
    if (m_progress)
        m_progress->runStarted(int(databaseNames.size()));

    for (int d = 0; d < databaseNames.size(); ++d) {
        const QString path = m_startDir + u'/' + databaseFileName(databaseNames.at(d));
        if (m_progress)
            m_progress->databaseStarted(d + 1, path);
        DatabaseStream database(path);
        const qint64 lineCount = database.countRemaining();
        if (lineCount == 0)
            continue;
        if (m_progress)
            m_progress->databaseSized(lineCount);
        database.restart();
        QStringView line;
        for (qint64 k = 1; database.next(&line); ++k) {
            if (m_progress)
                m_progress->recordIndexed(k);
            const ListFields fields(line);
            publishers.offer(fields.field[10]);
            for (int slot = 4; slot <= 7; ++slot)
                creators.offer(fields.field[slot].mid(2));
            places.offer(fields.field[14]);
            chunk.append(line);
            directory.add(chunk.number(), fields.field[1]);
            ++records;
            if (++inChunk == m_recordsPerFile) {
                chunk.finish();
                inChunk = 0;
            }
        }
    }
    chunk.finish();

    TextFile::writeUnicode(m_startDir + QStringLiteral("/alkoto.zda"), creators.sorted());
    TextFile::writeUnicode(m_startDir + QStringLiteral("/kiado.zda"), publishers.sorted());
    TextFile::writeUnicode(m_startDir + QStringLiteral("/megjhely.zda"), places.sorted());
    directory.commitChunkNumbers();
    directory.commitRecordNames();
    m_recordCount = records;
    m_chunkCount = chunk.number() - 1;
}
