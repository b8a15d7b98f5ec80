#include "core/exchange/RecordExporter.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <QBuffer>
#include <QSaveFile>

namespace {

// Text is gathered as UTF-16 and turned into UTF-8 once per this many
// characters, not once per record.
constexpr qsizetype kFlushChars = 1 << 19;

} // namespace

RecordExporter::RecordExporter(ExportFormat format, QIODevice& out, QString outName,
                               const ExportOptions& options)
    : m_writer(ExchangeFormat::of(format).writer(options)), m_out(out), m_outName(std::move(outName))
{
    m_writer->begin(m_text);
}

RecordExporter::~RecordExporter() = default;

bool RecordExporter::formatFromName(QStringView name, ExportFormat* format)
{
    const ExchangeFormat* known = ExchangeFormat::byName(name);
    if (known)
        *format = known->id();
    return known;
}

bool RecordExporter::formatFromFileName(QStringView fileName, ExportFormat* format)
{
    const ExchangeFormat* known = ExchangeFormat::byFileName(fileName);
    if (known)
        *format = known->id();
    return known;
}

QString RecordExporter::nameFilter()
{
    QStringList filters;
    for (const ExchangeFormat* format : ExchangeFormat::all())
        filters.append(format->fileFilter());
    return filters.join(u'|');
}

void RecordExporter::add(QStringView line)
{
    m_writer->write(line, m_text);
    ++m_count;
    flushIfFull();
}

void RecordExporter::flushIfFull()
{
    if (m_text.size() >= kFlushChars)
        flush();
}

void RecordExporter::flush()
{
    if (!m_text.isEmpty()) {
        m_buffer.append(m_text.toUtf8());
        m_text.resize(0); // keeps its capacity for the next records
    }
    if (m_buffer.isEmpty())
        return;
    if (m_out.write(m_buffer) != m_buffer.size())
        throw NorlaError::cannotCreate(m_outName);
    m_buffer.clear();
}

void RecordExporter::finish()
{
    flush();
}

QByteArray RecordExporter::encodeAll(ExportFormat format, const QStringList& lines,
                                     const ExportOptions& options)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    RecordExporter exporter(format, buffer, QString(), options);
    for (const QString& line : lines)
        exporter.add(line);
    exporter.finish();
    return bytes;
}

ExportFile::ExportFile(const QString& path, ExportFormat format, const ExportOptions& options)
    : m_path(path), m_file(std::make_unique<QSaveFile>(path))
{
    if (!m_file->open(QIODevice::WriteOnly))
        throw NorlaError::cannotCreate(path);
    m_exporter = std::make_unique<RecordExporter>(format, *m_file, path, options);
}

// An uncommitted QSaveFile leaves the previous file as it was.
ExportFile::~ExportFile() = default;

void ExportFile::commit()
{
    m_exporter->finish();
    TextFile::commit(*m_file, m_path);
}
