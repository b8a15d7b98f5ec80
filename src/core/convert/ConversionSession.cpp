#include "core/convert/ConversionSession.h"

#include "core/record/OperationCancelled.h"
#include "core/record/TextFile.h"

#include <QFileInfo>

namespace {

// Asking for every line would cost a virtual call a line for nothing.
constexpr qint64 kLinesBetweenChecks = 256;

void throwIfCancelled(const ConversionProgress* progress)
{
    if (progress && progress->cancelRequested())
        throw OperationCancelled();
}

} // namespace

void ConversionSession::openSource(const QString& path)
{
    m_sourcePath = path;
    if (m_kind == SourceKind::DBase) {
        m_table.close();
        m_table.open(path);
        return;
    }
    m_sourceLines.clear();
    const SourceFormat* source = format();
    m_sourceLines = source ? source->readLines(path) : TextFile::readUnicode(path);
}

void ConversionSession::convert(const RecordLineSink& sink, const ConversionProgress* progress) const
{
    const SourceFormat* source = format();
    if (!source)
        return;
    throwIfCancelled(progress);
    if (!progress) {
        source->convert(ConversionInput{m_table, m_sourceLines, m_volume}, sink);
        return;
    }
    qint64 built = 0;
    source->convert(ConversionInput{m_table, m_sourceLines, m_volume}, [&](const QString& line) {
        if (++built % kLinesBetweenChecks == 0)
            throwIfCancelled(progress);
        sink(line);
    });
    // A stop asked during the last stretch still counts: the caller has not
    // yet been told that the step is done.
    throwIfCancelled(progress);
}

QStringList ConversionSession::leftOutNotes() const
{
    if (const SourceFormat* source = format())
        return source->leftOutNotes(ConversionInput{m_table, m_sourceLines, m_volume});
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
                                      const ConversionProgress* progress)
{
    const QString name = resultFileName(chosen);
    throwIfCancelled(progress);
    const QByteArray bytes = TextFile::encodeUnicode(lines);
    // The last moment to stop: the write replaces the file atomically, whole or not at all.
    throwIfCancelled(progress);
    TextFile::writeBytes(name, bytes);
    return name;
}
