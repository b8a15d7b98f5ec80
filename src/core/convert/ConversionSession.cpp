#include "core/convert/ConversionSession.h"

#include "core/record/TextFile.h"

#include <QFileInfo>

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

void ConversionSession::convert(const RecordLineSink& sink) const
{
    if (const SourceFormat* source = format())
        source->convert(ConversionInput{m_table, m_sourceLines, m_volume}, sink);
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

QString ConversionSession::saveResult(const QString& chosen, const QStringList& lines)
{
    const QString name = resultFileName(chosen);
    TextFile::writeUnicode(name, lines);
    return name;
}
