#include "core/record/DatabaseDocument.h"

#include "core/record/TextFile.h"
#include "core/record/Win1250.h"

#include <QtEndian>

#include <cstring>

namespace {

bool isLineEnd(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == 0x2028;
}

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

bool isUtf16LittleEndianWithMark(QByteArrayView bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE;
}

} // namespace

void DatabaseDocument::load(const QString& path)
{
    QByteArray bytes = TextFile::readBytes(path);
    QString text;
    // A UTF-16LE file of whole code units is already the text a QString
    // holds; it is read in place instead of being copied.
    const bool inPlace =
        Q_BYTE_ORDER == Q_LITTLE_ENDIAN && isUtf16LittleEndianWithMark(bytes) && bytes.size() % 2 == 0;
    if (inPlace)
        text = QString::fromRawData(reinterpret_cast<const QChar*>(bytes.constData() + 2),
                                    (bytes.size() - 2) / 2);
    else
        text = TextFile::decodeUnicodeToString(bytes);

    // Line ends as every Unicode text file is read: CR LF, CR, LF and U+2028;
    // a final line end adds no empty line.
    std::vector<LineRef> refs;
    refs.reserve(size_t(text.size() / 128 + 16));
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (!isLineEnd(units[i]))
            continue;
        refs.push_back({start, i - start});
        if (units[i] == u'\r' && i + 1 < n && units[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        refs.push_back({start, n - start});

    m_path = path;
    m_fileBytes = inPlace ? std::move(bytes) : QByteArray();
    m_text = std::move(text);
    m_lineRefs = std::move(refs);
    m_edited.clear();
    m_modified = false;
    m_hasFile = true;
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
    load(copyPath);
    m_path = databasePath;
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
    TextFile::writeBytes(target, encode());
    m_modified = false;
    return target;
}

QString DatabaseDocument::save()
{
    return saveAs(m_path.isEmpty() ? FallbackSavePath : m_path);
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
        const QStringView text = line(int(i));
        const qsizetype length = qMin<qsizetype>(RecordNameLength, text.size());
        for (qsizetype c = 0; c < length; ++c)
            names[i * RecordNameLength + c] = Win1250::fromUnicodeChar(text[c].unicode());
        m_nameLengths[i] = char(length);
    }
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
