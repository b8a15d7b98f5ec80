#include "record/DatabaseDocument.h"

#include "record/TextFile.h"
#include "record/Win1250.h"

void DatabaseDocument::load(const QString& path)
{
    QStringList lines = TextFile::readUnicode(path);
    m_path = path;
    m_lines = std::move(lines);
    m_modified = false;
    m_hasFile = true;
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

QString DatabaseDocument::saveAs(const QString& path)
{
    const QString target = withRtfExtension(path);
    TextFile::writeUnicode(target, m_lines);
    m_modified = false;
    return target;
}

QString DatabaseDocument::save()
{
    return saveAs(m_path.isEmpty() ? FallbackSavePath : m_path);
}

void DatabaseDocument::appendLine(const QString& line)
{
    m_lines.append(line);
    m_modified = true;
}

void DatabaseDocument::replaceLine(int index, const QString& line)
{
    if (index < 0 || index >= m_lines.size())
        return;
    m_lines[index] = line;
    m_modified = true;
}

void DatabaseDocument::removeLine(int index)
{
    if (index < 0 || index >= m_lines.size())
        return;
    m_lines.removeAt(index);
    m_modified = true;
}

void DatabaseDocument::rebuildRecordNames()
{
    const qsizetype count = m_lines.size();
    m_names = QByteArray(count * RecordNameLength, Qt::Uninitialized);
    m_nameLengths = QByteArray(count, Qt::Uninitialized);
    char* names = m_names.data();
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView name =
            QStringView(m_lines[i]).first(qMin<qsizetype>(RecordNameLength, m_lines[i].size()));
        for (qsizetype c = 0; c < name.size(); ++c)
            names[i * RecordNameLength + c] = Win1250::fromUnicodeChar(name[c].unicode());
        m_nameLengths[i] = char(name.size());
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
    return m_lines.join(u'\n');
}
