#include "core/convert/ConversionSession.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#endif

namespace {

// Asking for every line would cost a call a line for nothing.
constexpr qint64 kLinesBetweenChecks = 256;

// The lines are handed to the file in pieces of this size, so that neither
// the write calls nor the memory held grow with the file.
constexpr qsizetype kResultBufferBytes = 1 << 20;

} // namespace

ConversionResult::ConversionResult(const QString& chosen)
    : m_name(ConversionSession::resultFileName(chosen)), m_targetLock(DatabaseLock::forReplacing(m_name)),
      m_file(std::make_unique<QSaveFile>(m_name))
{
    if (QFileInfo(m_name).isDir() || !m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw NorlaError::cannotCreate(QFileInfo(m_name).absoluteFilePath());
    m_buffer.reserve(kResultBufferBytes + 4096);
    m_buffer.append("\xFF\xFE", 2); // UTF-16LE, as every database file
}

ConversionResult::~ConversionResult() = default; // an uncommitted QSaveFile removes its temporary file

void ConversionResult::append(QStringView line)
{
    const qsizetype at = m_buffer.size();
    m_buffer.resize(at + (line.size() + 2) * 2);
    char* out = m_buffer.data() + at;
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        std::memcpy(out, line.utf16(), size_t(line.size()) * 2);
        out += line.size() * 2;
    } else {
        for (const QChar c : line) {
            qToLittleEndian(c.unicode(), out);
            out += 2;
        }
    }
    std::memcpy(out, "\r\0\n\0", 4);
    ++m_lineCount;
    if (m_buffer.size() >= kResultBufferBytes)
        writeBuffer();
}

void ConversionResult::writeBuffer()
{
    if (m_file->write(m_buffer) != m_buffer.size())
        throw NorlaError::cannotCreate(QFileInfo(m_name).absoluteFilePath());
    m_buffer.resize(0); // keeps its room
    startWriteBack();
}

// Asks the system to start writing what is in the file so far to the disk,
// without waiting for it, so that the disk works while the conversion goes
// on and the sync of commit() finds little left to do. Only a request: the
// sync is what makes the file safe.
void ConversionResult::startWriteBack()
{
#if defined(Q_OS_LINUX)
    constexpr qint64 kWriteBackStep = qint64(8) << 20;
    const qint64 written = m_file->pos();
    if (written - m_writeBackFrom < kWriteBackStep)
        return;
    ::sync_file_range(m_file->handle(), m_writeBackFrom, written - m_writeBackFrom, SYNC_FILE_RANGE_WRITE);
    m_writeBackFrom = written;
#endif
}

QString ConversionResult::commit()
{
    writeBuffer();
    TextFile::commit(*m_file, m_name);
    return m_name;
}

void ConversionSession::openSource(const QString& path)
{
    m_sourcePath = path;
    m_leftOutNotes.reset();
    if (m_kind == SourceKind::DBase) {
        m_table.close();
        m_table.open(path);
        return;
    }
    m_sourceLines.clear();
    m_sourceText.clear();
    m_textRead = false;
    m_sourceLinesCut = true;
    const SourceFormat* source = format();
    if (source && source->readsWholeText()) {
        m_sourceText = source->readText(path);
        m_textRead = true;
        m_sourceLinesCut = false;
        return;
    }
    m_sourceLines = source ? source->readLines(path) : TextFile::readUnicode(path);
}

void ConversionSession::setKind(SourceKind kind)
{
    m_kind = kind;
    m_leftOutNotes.reset();
    // A kind that reads lines would otherwise cut them on first use, which
    // may be on the conversion's worker while the window reads them too; the
    // kind is only ever changed between jobs, so they are cut here.
    const SourceFormat* source = format();
    if (m_textRead && !(source && source->readsWholeText()))
        sourceLines();
}

const QStringList& ConversionSession::sourceLines() const
{
    if (!m_sourceLinesCut) {
        m_sourceLines = TextFile::splitUnicodeLines(m_sourceText);
        m_sourceLinesCut = true;
    }
    return m_sourceLines;
}

// The whole text when the source was read so and the kind reads it so, the
// lines otherwise (a kind changed after the file was opened reads what was
// opened, as before).
ConversionInput ConversionSession::input() const
{
    const SourceFormat* source = format();
    if (m_textRead && source && source->readsWholeText())
        return ConversionInput{m_table, m_sourceLines, m_volume, &m_sourceText, &m_leftOutNotes};
    return ConversionInput{m_table, sourceLines(), m_volume, nullptr, &m_leftOutNotes};
}

void ConversionSession::convert(const RecordLineSink& sink, const JobControl& control) const
{
    const SourceFormat* source = format();
    if (!source)
        return;
    control.throwIfStopped();
    m_leftOutNotes.reset();
    qint64 built = 0;
    source->convert(input(), [&](const QString& line) {
        if (++built % kLinesBetweenChecks == 0)
            control.throwIfStopped();
        sink(line);
    });
    // A stop asked during the last stretch still counts: the caller has not
    // yet been told that the step is done.
    control.throwIfStopped();
}

QStringList ConversionSession::leftOutNotes() const
{
    if (m_leftOutNotes)
        return *m_leftOutNotes;
    if (const SourceFormat* source = format())
        return source->leftOutNotes(input());
    return {};
}

QString ConversionSession::resultFileName(const QString& chosen)
{
    return chosen.contains(u".rtf") ? chosen : chosen + QStringLiteral(".rtf");
}

bool ConversionSession::replacesExistingFile(const QString& fileName)
{
    const QFileInfo file(fileName);
    return file.exists() && !file.isDir();
}

QString ConversionSession::saveResult(const QString& chosen, const QStringList& lines,
                                      const JobControl& control)
{
    const QString name = resultFileName(chosen);
    control.throwIfStopped();
    const QByteArray bytes = TextFile::encodeUnicode(lines);
    // The last moment to stop: the write replaces the file atomically, whole or not at all.
    control.throwIfStopped();
    const std::unique_ptr<DatabaseLock> targetLock = DatabaseLock::forReplacing(name);
    TextFile::writeBytes(name, bytes);
    return name;
}
