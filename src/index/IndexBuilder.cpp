#include "index/IndexBuilder.h"

#include "index/DatabaseStream.h"
#include "record/NorlaError.h"
#include "record/TextFile.h"
#include "record/Win1250.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// Where the lists take their text from the 8-bit form of a record: one
// lookup per UTF-16 unit, and a byte-wise letter-case fold for the
// "already listed?" test.
struct CodePage
{
    std::vector<char> toByte = std::vector<char>(0x10000);
    std::array<char, 256> fold{};

    CodePage()
    {
        for (int c = 0; c < 0x10000; ++c)
            toByte[c] = Win1250::fromUnicodeChar(char16_t(c));
        for (int b = 0; b < 256; ++b) {
            const QChar lower = QChar(Win1250::toUnicodeChar(static_cast<unsigned char>(b))).toLower();
            const char lowerByte = Win1250::fromUnicodeChar(lower.unicode());
            fold[b] = (lowerByte != '?' || lower == u'?') ? lowerByte : char(b);
        }
    }
};

const CodePage& codePage()
{
    static const CodePage table;
    return table;
}

// Distinct names, letter case ignored, the first form met kept.
class NameList final
{
public:
    void offer(QStringView text)
    {
        if (text.size() < 2)
            return;
        const CodePage& cp = codePage();
        m_key.resize(std::size_t(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i)
            m_key[std::size_t(i)] = cp.fold[static_cast<unsigned char>(cp.toByte[text[i].unicode()])];
        if (!m_seen.insert(m_key).second)
            return;
        QByteArray form(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            form[i] = cp.toByte[text[i].unicode()];
        m_entries.append(Win1250::toUnicode(form));
    }

    QStringList sorted() const
    {
        QStringList out = m_entries;
        IndexBuilder::sortIgnoringCase(out);
        return out;
    }

private:
    std::string m_key;
    std::unordered_set<std::string> m_seen;
    QStringList m_entries;
};

// The chunk being filled, streamed into its file so that even "Végtelen"
// never holds the whole index in memory. The file appears under its name only
// when the chunk is complete; a run that stops leaves no half chunk behind.
class ChunkWriter final
{
    Q_DISABLE_COPY_MOVE(ChunkWriter)

public:
    explicit ChunkWriter(QString startDir) : m_startDir(std::move(startDir)) {}

    int number() const { return m_number; }

    void append(QStringView line)
    {
        if (!m_file)
            open();
        const qsizetype bytes = line.size() * 2;
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            m_buffer.append(reinterpret_cast<const char*>(line.utf16()), bytes);
        } else {
            for (const QChar c : line)
                m_buffer.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        }
        m_buffer.append("\r\0\n\0", 4);
        if (m_buffer.size() >= kFlushSize)
            flush();
    }

    // Writes the chunk, an empty one too, and moves on to the next number.
    void finish()
    {
        if (!m_file)
            open();
        flush();
        if (!m_file->commit())
            throw NorlaError::cannotCreate(path());
        m_file.reset();
        ++m_number;
    }

private:
    static constexpr qsizetype kFlushSize = 1 << 18;

    QString path() const { return m_startDir + QStringLiteral("/adatb%1.ztf").arg(m_number); }

    void open()
    {
        m_file = std::make_unique<QSaveFile>(path());
        if (QFileInfo(path()).isDir() || !m_file->open(QIODevice::WriteOnly))
            throw NorlaError::cannotCreate(path());
        m_buffer.clear();
        m_buffer.append("\xFF\xFE", 2);
    }

    void flush()
    {
        if (m_file->write(m_buffer) != m_buffer.size())
            throw NorlaError::cannotCreate(path());
        m_buffer.clear();
    }

    QString m_startDir;
    int m_number = 1;
    std::unique_ptr<QSaveFile> m_file;
    QByteArray m_buffer;
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
        const QChar* data = line.data();
        const qsizetype n = line.size();
        qsizetype start = 0;
        int k = 1;
        for (qsizetype i = 0; i + 1 < n && k <= Count; ++i) {
            if (data[i] == u'*' && data[i + 1] == u'*') {
                field[k++] = QStringView(data + start, i - start);
                start = i + 2;
                ++i;
            }
        }
        if (k <= Count)
            field[k] = line.sliced(std::min(start, n));
    }
};

// fsz0.zda and fsz1.zda, built as their 8-bit bytes while the run goes.
struct RecordDirectory
{
    QByteArray chunkNumbers;
    QByteArray recordNames;

    void add(int chunk, QStringView name)
    {
        chunkNumbers.append(QByteArray::number(chunk)).append("\r\n", 2);
        const CodePage& cp = codePage();
        for (const QChar c : name)
            recordNames.append(cp.toByte[c.unicode()]);
        recordNames.append("\r\n", 2);
    }
};

void deleteEarlierChunks(const QString& startDir)
{
    const QDir dir(startDir);
    const QStringList chunks = dir.entryList({QStringLiteral("adatb*.ztf")}, QDir::Files | QDir::Hidden);
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
    RecordDirectory directory;
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
    TextFile::writeBytes(m_startDir + QStringLiteral("/fsz0.zda"), directory.chunkNumbers);
    TextFile::writeBytes(m_startDir + QStringLiteral("/fsz1.zda"), directory.recordNames);
    m_recordCount = records;
    m_chunkCount = chunk.number() - 1;
}
