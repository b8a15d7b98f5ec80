#pragma once

#include "core/exchange/ExchangeFormat.h"

// RIS. Read: "TY  - " opens an entry, "ER  - " closes it, every tag line in
// between is a field, and a line without a tag continues the field before
// it. An entry that is not closed before the next one opens or the file
// ends, and tag lines outside an entry, are reported with their line numbers
// and left out. Written: UTF-8, CR LF after every line.
class RisFormat final : public ExchangeFormat
{
public:
    ExportFormat id() const override { return ExportFormat::Ris; }
    QString name() const override { return QStringLiteral("ris"); }
    QString caption() const override { return QStringLiteral("RIS"); }
    QString fileSuffix() const override { return QStringLiteral("ris"); }

    bool canRead() const override { return true; }
    ParsedImport parse(const QStringList& lines) const override;
    QList<ImportProblem> parse(const QString& text, const ImportEntrySink& onEntry) const override;
    // Tags without a place in a record go into the note as "TAG: value".
    Exchange::Record toRecord(const ImportEntry& entry) const override;

    std::unique_ptr<RecordWriter> writer(const ExportOptions& options) const override;
};
