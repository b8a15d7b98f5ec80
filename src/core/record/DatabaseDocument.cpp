#include "core/record/DatabaseDocument.h"

#include "core/record/DatabaseFormat.h"
#include "core/record/RecordSchema.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include "core/record/NorlaError.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <bit>
#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// FF FE, then every line in UTF-16LE followed by CR LF.
template <typename LineAt> QByteArray encodeLines(int count, LineAt lineAt)
{
    qsizetype units = 0;
    for (int i = 0; i < count; ++i)
        units += lineAt(i).size() + 2;
    QByteArray out(2 + units * 2, Qt::Uninitialized);
    char* dst = out.data();
    *dst++ = char(0xFF);
    *dst++ = char(0xFE);
    for (int i = 0; i < count; ++i) {
        const QStringView text = lineAt(i);
        qToLittleEndian<char16_t>(text.utf16(), text.size(), dst);
        dst += text.size() * 2;
        qToLittleEndian<char16_t>(u"\r\n", 2, dst);
        dst += 4;
    }
    return out;
}

// The same bytes as encodeLines(), written in pieces of about a megabyte, so
// a save of a large database does not first build a copy of the whole file
// in memory. Throws "Cannot create file" when a piece is not written whole.
// `hash` takes every byte written, so the document knows the file it left.
template <typename LineAt>
void writeLines(QIODevice& out, const QString& path, ContentHash& hash, int count, LineAt lineAt)
{
    constexpr qsizetype PieceSize = qsizetype(1) << 20;
    QByteArray piece;
    piece.reserve(PieceSize * 2);
    const auto flush = [&] {
        hash.add(piece);
        if (out.write(piece) != piece.size())
            throw NorlaError::cannotCreate(QFileInfo(path).absoluteFilePath());
        piece.resize(0);
    };
    piece.append("\xFF\xFE", 2);
    for (int i = 0; i < count; ++i) {
        const QStringView text = lineAt(i);
        const qsizetype used = piece.size();
        piece.resize(used + (text.size() + 2) * 2);
        char* dst = piece.data() + used;
        qToLittleEndian<char16_t>(text.utf16(), text.size(), dst);
        qToLittleEndian<char16_t>(u"\r\n", 2, dst + text.size() * 2);
        if (piece.size() >= PieceSize)
            flush();
    }
    flush();
}

// Finding line ends is most of the work of a load after the read itself: a
// database is hundreds of millions of code units, nearly none of them a line
// end. The search is done many units at a time for units that may be one
// (up to CR, or U+2028); the caller checks the unit found.
#if defined(__GNUC__) && defined(__x86_64__)
__attribute__((target("avx2"))) qsizetype findCandidateAvx2(const char16_t* units, qsizetype from,
                                                            qsizetype end)
{
    const __m256i cr = _mm256_set1_epi16('\r');
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ls = _mm256_set1_epi16(short(0x2028));
    for (; from + 32 <= end; from += 32) {
        const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(units + from));
        const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(units + from + 16));
        const __m256i a =
            _mm256_or_si256(_mm256_cmpeq_epi16(_mm256_subs_epu16(va, cr), zero), _mm256_cmpeq_epi16(va, ls));
        const __m256i b =
            _mm256_or_si256(_mm256_cmpeq_epi16(_mm256_subs_epu16(vb, cr), zero), _mm256_cmpeq_epi16(vb, ls));
        const __m256i any = _mm256_or_si256(a, b);
        if (_mm256_testz_si256(any, any))
            continue;
        const unsigned maskA = unsigned(_mm256_movemask_epi8(a));
        if (maskA != 0)
            return from + std::countr_zero(maskA) / 2;
        return from + 16 + std::countr_zero(unsigned(_mm256_movemask_epi8(b))) / 2;
    }
    return from;
}
#endif

qsizetype findLineEndCandidate(const char16_t* units, qsizetype from, qsizetype end)
{
#if defined(__GNUC__) && defined(__x86_64__)
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    if (hasAvx2) {
        from = findCandidateAvx2(units, from, end);
        if (from + 32 <= end)
            return from;
    }
#endif
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi16('\r');
    const __m128i ls = _mm_set1_epi16(short(0x2028));
    for (; from + 8 <= end; from += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + from));
        const __m128i hits =
            _mm_or_si128(_mm_cmpeq_epi16(_mm_subs_epu16(v, cr), _mm_setzero_si128()), _mm_cmpeq_epi16(v, ls));
        const unsigned mask = unsigned(_mm_movemask_epi8(hits));
        if (mask != 0)
            return from + std::countr_zero(mask) / 2;
    }
#endif
    for (; from < end; ++from)
        if (units[from] <= u'\r' || units[from] == 0x2028)
            return from;
    return end;
}

bool isUtf16LittleEndianWithMark(QByteArrayView bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE;
}

bool isUtf16(QByteArrayView bytes)
{
    return isUtf16LittleEndianWithMark(bytes) ||
           (bytes.size() >= 2 && uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF);
}

} // namespace

// Line ends as every Unicode text file is read: CR LF, CR, LF and U+2028; a
// final line end adds no empty line. Each line's record name is taken in the
// same pass, while the line is still in the cache.
class DatabaseDocument::LineSplitter final
{
public:
    LineSplitter(Contents& out, qsizetype expectedUnits) : m_out(out)
    {
        // A record line is a couple of hundred characters; guessing short
        // wastes a little memory, guessing long a few copies.
        const size_t expectedLines = size_t(expectedUnits / 160 + 16);
        m_out.m_lineRefs.reserve(expectedLines);
        m_out.m_names.reserve(qsizetype(expectedLines) * RecordNameLength);
        m_out.m_nameLengths.reserve(qsizetype(expectedLines));
    }

    // Splits what has arrived of the text, `available` units. A CR as the last
    // unit waits for the next piece, which may begin with its LF.
    void feed(const char16_t* units, qsizetype available, bool atEnd)
    {
        qsizetype i = m_next;
        for (;;) {
            i = findLineEnd(units, i, available);
            if (i >= available || (units[i] == u'\r' && i + 1 == available && !atEnd))
                break;
            addLine(units, m_start, i);
            if (units[i] == u'\r' && i + 1 < available && units[i + 1] == u'\n')
                ++i;
            m_start = ++i;
        }
        m_next = i;
        if (atEnd && m_start < available) {
            addLine(units, m_start, available);
            m_start = m_next = available;
        }
    }

    void restart()
    {
        m_out.m_lineRefs.clear();
        m_out.m_names.clear();
        m_out.m_nameLengths.clear();
        m_start = m_next = 0;
    }

private:
    static bool isLineEnd(char16_t c) { return c == u'\r' || c == u'\n' || c == 0x2028; }

    static qsizetype findLineEnd(const char16_t* units, qsizetype from, qsizetype end)
    {
        for (;; ++from) {
            from = findLineEndCandidate(units, from, end);
            if (from >= end || isLineEnd(units[from]))
                return from;
        }
    }

    void addLine(const char16_t* units, qsizetype start, qsizetype end)
    {
        m_out.m_lineRefs.push_back({start, end - start});
        char name[RecordNameLength] = {};
        const QStringView text = RecordSchema::recordName(QStringView(units + start, end - start));
        for (qsizetype c = 0; c < text.size(); ++c) {
            // Names are nearly always ASCII, which Windows-1250 keeps as it is.
            const char16_t u = text[c].unicode();
            name[c] = u < 0x80 ? char(u) : Win1250::fromUnicodeChar(u);
        }
        m_out.m_names.append(name, RecordNameLength);
        m_out.m_nameLengths.append(char(text.size()));
    }

    Contents& m_out;
    qsizetype m_start = 0; // where the line being split begins
    qsizetype m_next = 0;  // where the search for its end goes on
};

void DatabaseDocument::load(const QString& path)
{
    adopt(path, read(path));
}

DatabaseDocument::Contents DatabaseDocument::read(const QString& path, const JobControl& control)
{
    Contents contents;
    ContentHash hash;
    qsizetype hashed = 0;
    // A UTF-16LE file of whole code units is already the text a QString
    // holds: it is split piece by piece as it arrives and then read in
    // place, never copied. Any other file is decoded once it is whole.
    const qint64 expectedSize = QFileInfo(path).size();
    LineSplitter splitter(contents, expectedSize / 2);
    bool splitting = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    bool headChecked = false;
    QByteArray bytes = TextFile::readBytes(path, [&](QByteArrayView soFar) {
        control.throwIfStopped();
        hash.add(soFar.sliced(hashed));
        hashed = soFar.size();
        // A file that is no database is refused on its first piece, before
        // a large one is read whole.
        if (!headChecked && (soFar.size() >= DatabaseFormat::SampleBytes || soFar.size() >= expectedSize)) {
            DatabaseFormat::check(path, soFar, {}, expectedSize);
            headChecked = true;
        }
        if (!splitting || soFar.size() < 2)
            return;
        if (!isUtf16LittleEndianWithMark(soFar)) {
            splitting = false;
            return;
        }
        splitter.feed(reinterpret_cast<const char16_t*>(soFar.constData() + 2), (soFar.size() - 2) / 2,
                      false);
    });
    control.throwIfStopped();
    DatabaseFormat::check(path, bytes, QByteArrayView(bytes).last(qMin<qsizetype>(2, bytes.size())),
                          bytes.size());
    hash.add(QByteArrayView(bytes).sliced(hashed));
    contents.m_stamp = DiskStamp::taken(path, hash.value());

    const bool inPlace = splitting && isUtf16LittleEndianWithMark(bytes) && bytes.size() % 2 == 0;
    if (inPlace) {
        contents.m_text = QString::fromRawData(reinterpret_cast<const QChar*>(bytes.constData() + 2),
                                               (bytes.size() - 2) / 2);
    } else {
        // Text in one byte per letter never holds a NUL; a binary file does.
        if (!isUtf16(bytes))
            DatabaseFormat::checkNoNulByte(path, bytes);
        contents.m_text = TextFile::decodeUnicodeToString(bytes);
        control.throwIfStopped();
        splitter.restart();
    }
    splitter.feed(reinterpret_cast<const char16_t*>(contents.m_text.constData()), contents.m_text.size(),
                  true);
    if (inPlace)
        contents.m_fileBytes = std::move(bytes);
    return contents;
}

void DatabaseDocument::adopt(const QString& path, Contents&& contents)
{
    m_path = path;
    m_fileBytes = std::move(contents.m_fileBytes);
    m_text = std::move(contents.m_text);
    m_lineRefs = std::move(contents.m_lineRefs);
    m_names = std::move(contents.m_names);
    m_nameLengths = std::move(contents.m_nameLengths);
    m_edited.clear();
    m_modified = false;
    m_hasFile = true;
    m_diskStamp = std::move(contents.m_stamp);
}

QStringView DatabaseDocument::line(int index) const
{
    if (index < 0 || size_t(index) >= m_lineRefs.size())
        return {};
    const LineRef& ref = m_lineRefs[size_t(index)];
    if (ref.edited >= 0)
        return m_edited[ref.edited];
    return QStringView(m_text).sliced(ref.offset, ref.length);
}

QStringList DatabaseDocument::lines() const
{
    QStringList out;
    out.reserve(lineCount());
    for (int i = 0; i < lineCount(); ++i)
        out.append(line(i).toString());
    return out;
}

QString DatabaseDocument::withRtfExtension(const QString& path)
{
    if (path.contains(QStringLiteral(".rtf")))
        return path;
    return path + QStringLiteral(".rtf");
}

QString DatabaseDocument::createEmptyFile(const QString& chosenName)
{
    const QString name = withRtfExtension(chosenName);
    TextFile::writeUnicode(name, {});
    return name;
}

QByteArray DatabaseDocument::encode() const
{
    return encodeLines(lineCount(), [this](int i) { return line(i); });
}

void DatabaseDocument::loadRecovered(const QString& databasePath, const QString& copyPath)
{
    adoptRecovered(databasePath, read(copyPath));
}

void DatabaseDocument::adoptRecovered(const QString& databasePath, Contents&& copy)
{
    // The database file is what a later save must find unchanged, not the copy.
    DiskStamp database =
        m_hasFile && m_diskStamp.path == databasePath ? m_diskStamp : DiskStamp::read(databasePath);
    adopt(databasePath, std::move(copy));
    m_diskStamp = std::move(database);
    m_modified = true;
}

DatabaseDocument::Snapshot DatabaseDocument::snapshot() const
{
    Snapshot snapshot;
    snapshot.m_fileBytes = m_fileBytes;
    snapshot.m_text = m_text;
    snapshot.m_lineRefs = m_lineRefs;
    snapshot.m_edited = m_edited;
    return snapshot;
}

QStringView DatabaseDocument::Snapshot::line(int index) const
{
    if (index < 0 || size_t(index) >= m_lineRefs.size())
        return {};
    const LineRef& ref = m_lineRefs[size_t(index)];
    if (ref.edited >= 0)
        return m_edited[ref.edited];
    return QStringView(m_text).sliced(ref.offset, ref.length);
}

QByteArray DatabaseDocument::Snapshot::encode() const
{
    return encodeLines(lineCount(), [this](int i) { return line(i); });
}

QString DatabaseDocument::saveAs(const QString& path)
{
    const QString target = withRtfExtension(path);
    QSaveFile file(target);
    if (QFileInfo(target).isDir() || !file.open(QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(QFileInfo(target).absoluteFilePath());
    ContentHash hash;
    writeLines(file, target, hash, lineCount(), [this](int i) { return line(i); });
    TextFile::commit(file, target);
    m_modified = false;
    // A save under another name leaves the document its own file (its next
    // save goes there), so only a save to that file moves the stamp.
    if (target == saveTarget())
        m_diskStamp = DiskStamp::taken(target, hash.value());
    return target;
}

QString DatabaseDocument::save()
{
    return saveAs(m_path.isEmpty() ? FallbackSavePath : m_path);
}

QString DatabaseDocument::saveTarget(const QString& path) const
{
    if (!path.isEmpty())
        return withRtfExtension(path);
    return withRtfExtension(m_path.isEmpty() ? FallbackSavePath : m_path);
}

bool DatabaseDocument::fileChangedOnDisk(const QString& path, bool thorough) const
{
    return m_diskStamp.path == saveTarget(path) && m_diskStamp.fileChanged(thorough);
}

void DatabaseDocument::appendLine(const QString& line)
{
    m_edited.append(line);
    m_lineRefs.push_back({0, line.size(), m_edited.size() - 1});
    m_modified = true;
}

void DatabaseDocument::replaceLine(int index, const QString& line)
{
    if (index < 0 || size_t(index) >= m_lineRefs.size())
        return;
    m_edited.append(line);
    m_lineRefs[size_t(index)] = {0, line.size(), m_edited.size() - 1};
    m_modified = true;
}

void DatabaseDocument::removeLine(int index)
{
    if (index < 0 || size_t(index) >= m_lineRefs.size())
        return;
    m_lineRefs.erase(m_lineRefs.begin() + index);
    m_modified = true;
}

void DatabaseDocument::insertLine(int index, const QString& line)
{
    if (index < 0 || size_t(index) > m_lineRefs.size())
        return;
    m_edited.append(line);
    m_lineRefs.insert(m_lineRefs.begin() + index, {0, line.size(), m_edited.size() - 1});
    m_modified = true;
}

void DatabaseDocument::rebuildRecordNames()
{
    const qsizetype count = lineCount();
    m_names = QByteArray(count * RecordNameLength, Qt::Uninitialized);
    m_nameLengths = QByteArray(count, Qt::Uninitialized);
    char* names = m_names.data();
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView text = RecordSchema::recordName(line(int(i)));
        for (qsizetype c = 0; c < text.size(); ++c)
            names[i * RecordNameLength + c] = Win1250::fromUnicodeChar(text[c].unicode());
        m_nameLengths[i] = char(text.size());
    }
}

void DatabaseDocument::insertRecordName(int index)
{
    if (index < 0 || index > m_nameLengths.size())
        return;
    m_names.insert(qsizetype(index) * RecordNameLength, RecordNameLength, '\0');
    m_nameLengths.insert(index, '\0');
    refreshRecordName(index);
}

void DatabaseDocument::removeRecordName(int index)
{
    if (index < 0 || index >= m_nameLengths.size())
        return;
    m_names.remove(qsizetype(index) * RecordNameLength, RecordNameLength);
    m_nameLengths.remove(index, 1);
}

void DatabaseDocument::refreshRecordName(int index)
{
    if (index < 0 || index >= m_nameLengths.size())
        return;
    const QStringView text = RecordSchema::recordName(line(index));
    char* name = m_names.data() + qsizetype(index) * RecordNameLength;
    for (qsizetype c = 0; c < text.size(); ++c)
        name[c] = Win1250::fromUnicodeChar(text[c].unicode());
    m_nameLengths[index] = char(text.size());
}

QByteArrayView DatabaseDocument::recordName(int index) const
{
    if (index < 0 || index >= m_nameLengths.size())
        return {};
    return QByteArrayView(m_names).sliced(qsizetype(index) * RecordNameLength, m_nameLengths[index]);
}

QString DatabaseDocument::plainText() const
{
    qsizetype size = 0;
    for (int i = 0; i < lineCount(); ++i)
        size += line(i).size() + 1;
    QString text;
    text.reserve(size);
    for (int i = 0; i < lineCount(); ++i) {
        if (i > 0)
            text.append(u'\n');
        text.append(line(i));
    }
    return text;
}
