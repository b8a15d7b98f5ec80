#include "core/search/BrowseList.h"

#include "core/record/NorlaError.h"
#include "core/record/RecordSchema.h"
#include "core/record/TextFile.h"
#include "core/record/Win1250.h"
#include "core/record/WorkFolder.h"
#include "core/search/ChunkText.h"
#include "core/search/IndexSetState.h"

#include <QDir>
#include <QFileInfo>

ByteStringList ByteStringList::fromLines(QByteArray bytes)
{
    ByteStringList list;
    qsizetype n = bytes.indexOf('\0');
    if (n < 0)
        n = bytes.size();
    const char* data = bytes.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        list.m_starts.push_back(start);
        list.m_lengths.push_back(i - start);
        if (c == '\r' && i + 1 < n && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n) {
        list.m_starts.push_back(start);
        list.m_lengths.push_back(n - start);
    }
    list.m_bytes = std::move(bytes);
    return list;
}

void ByteStringList::append(QByteArrayView text)
{
    m_starts.push_back(m_bytes.size());
    m_lengths.push_back(text.size());
    m_bytes.append(text);
}

void ByteStringList::clear()
{
    m_bytes.clear();
    m_starts.clear();
    m_lengths.clear();
}

void BrowseList::clear()
{
    m_names.clear();
    m_chunkNumbers.clear();
}

void BrowseList::load(const QString& startDir)
{
    const QDir dir(startDir);
    // The two lists must come from one set: read during a swap, they are
    // read again once it is over.
    for (int attempt = 1;; ++attempt) {
        clear();
        const IndexSetState before = IndexSetState::settled(startDir);
        try {
            m_names =
                ByteStringList::fromLines(TextFile::readBytes(dir.filePath(WorkFolder::RecordNamesFile)));
            m_chunkNumbers =
                ByteStringList::fromLines(TextFile::readBytes(dir.filePath(WorkFolder::ChunkNumbersFile)));
        } catch (const NorlaError&) {
            if (attempt == IndexSetState::MostReads || IndexSetState::of(startDir) == before)
                throw;
            continue;
        }
        if (attempt == IndexSetState::MostReads || IndexSetState::of(startDir) == before)
            return;
    }
}

int BrowseList::chunkNumberAt(qsizetype position) const
{
    if (position < 0 || position >= m_chunkNumbers.size())
        throw NorlaError(QStringLiteral("List index out of bounds (%1)").arg(position));
    const QByteArrayView entry = m_chunkNumbers.at(position);
    // A decimal number, optionally signed, that fits an int; nothing else.
    QByteArrayView digits = entry;
    if (digits.startsWith('+') || digits.startsWith('-'))
        digits = digits.sliced(1);
    bool ok = !digits.isEmpty();
    for (const char c : digits)
        ok = ok && c >= '0' && c <= '9';
    const int number = ok ? entry.toInt(&ok, 10) : 0;
    if (!ok)
        throw NorlaError(QStringLiteral("'%1' is not a valid integer value").arg(Win1250::toUnicode(entry)));
    return number;
}

namespace {

// Letter case ignored the way QString::compare does it, character by
// character, without building a string per entry.
bool sameIgnoringCase(QByteArrayView candidate, const QString& name)
{
    if (candidate.size() != name.size())
        return false;
    for (qsizetype k = 0; k < candidate.size(); ++k) {
        const QChar c(Win1250::toUnicodeChar(static_cast<unsigned char>(candidate[k])));
        if (c != name[k] && c.toCaseFolded() != name[k].toCaseFolded())
            return false;
    }
    return true;
}

} // namespace

qsizetype BrowseList::findName(const QString& name) const
{
    for (qsizetype i = 0; i < m_names.size(); ++i)
        if (sameIgnoringCase(m_names.at(i), name))
            return i;
    return -1;
}

qsizetype BrowseList::findRecord(const QString& name, int chunkNumber) const
{
    if (chunkNumber >= 0) {
        const QByteArray wanted = QByteArray::number(chunkNumber);
        for (qsizetype i = 0; i < m_names.size() && i < m_chunkNumbers.size(); ++i)
            if (sameIgnoringCase(m_names.at(i), name) && m_chunkNumbers.at(i).trimmed() == wanted)
                return i;
    }
    return findName(name);
}

QString BrowseList::chunkPath(const QString& startDir, int chunkNumber)
{
    return QDir(startDir).filePath(WorkFolder::chunkFile(chunkNumber));
}

namespace {

// A chunk file that vanished because an index run was swapping the set is
// read again once the swap is over.
QByteArray readChunk(const QString& chunkPath)
{
    const QString folder = QFileInfo(chunkPath).absolutePath();
    const IndexSetState before = IndexSetState::of(folder);
    try {
        return TextFile::readBytes(chunkPath);
    } catch (const NorlaError&) {
        if (!before.swapping() && IndexSetState::of(folder) == before)
            throw;
    }
    IndexSetState::settled(folder);
    return TextFile::readBytes(chunkPath);
}

} // namespace

bool BrowseList::findRecordLine(const QString& chunkPath, QByteArrayView recordName, QByteArray& line)
{
    const QByteArray bytes = readChunk(chunkPath);
    QByteArray storage;
    const ChunkText::LineReader reader(ChunkText::utf16Body(bytes, storage));
    const qsizetype units = reader.unitCount();
    ChunkText::LineBuffer buffer;
    qsizetype found = -1;
    // Compare the first ten characters only; convert the whole line once found.
    for (qsizetype start = 0; start < units;) {
        qsizetype end = start;
        while (end < units && !ChunkText::isLineBreak(reader.unit(end)))
            ++end;
        const qsizetype head = qMin(RecordSchema::RecordNameLength, end - start);
        if (head == recordName.size()) {
            bool same = true;
            for (qsizetype k = 0; k < head && same; ++k)
                same = Win1250::fromUnicodeChar(reader.unit(start + k)) == recordName[k];
            if (same)
                found = start;
        }
        start = reader.nextLineStart(end);
    }
    if (found < 0)
        return false;
    reader.convertLine(found, buffer);
    line = buffer.view().toByteArray();
    return true;
}
