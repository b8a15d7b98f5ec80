#pragma once

#include "core/exchange/ExchangeFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

class QIODevice;
class QSaveFile;

// Writes records in one of the exchange formats, all UTF-8, one record line
// at a time, so that an index set of any size is exported with a small,
// fixed amount of memory. The bytes go to a device opened for writing; a
// failed write throws NorlaError "Cannot create file" with the name given.
class RecordExporter final
{
    Q_DISABLE_COPY_MOVE(RecordExporter)

public:
    RecordExporter(ExportFormat format, QIODevice& out, QString outName, const ExportOptions& options = {});
    ~RecordExporter();

    // "bibtex", "ris", "csv".
    static bool formatFromName(QStringView name, ExportFormat* format);
    // By the extension of a file name: .bib, .ris, .csv (any letter case).
    static bool formatFromFileName(QStringView fileName, ExportFormat* format);
    // The save dialog's filter, one entry per format ("Description|*.ext|…").
    static QString nameFilter();

    void add(QStringView line);
    // Writes what is still buffered; call it once after the last record.
    void finish();
    qint64 recordCount() const { return m_count; }

    // The whole export of `lines` as bytes.
    static QByteArray encodeAll(ExportFormat format, const QStringList& lines,
                                const ExportOptions& options = {});

private:
    void flushIfFull();
    void flush();

    std::unique_ptr<RecordWriter> m_writer;
    QIODevice& m_out;
    QString m_outName;
    QString m_text; // the records not yet turned into UTF-8
    QByteArray m_buffer;
    qint64 m_count = 0;
};

// Exports to a file atomically: the file is replaced only when every record
// reached the disk, so a failure leaves the previous file whole.
class ExportFile final
{
    Q_DISABLE_COPY_MOVE(ExportFile)

public:
    // Throws NorlaError "Cannot create file".
    ExportFile(const QString& path, ExportFormat format, const ExportOptions& options = {});
    ~ExportFile();

    void add(QStringView line) { m_exporter->add(line); }
    qint64 recordCount() const { return m_exporter->recordCount(); }
    // Throws NorlaError "Cannot create file"; the previous file stays then.
    void commit();

private:
    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<RecordExporter> m_exporter;
};
