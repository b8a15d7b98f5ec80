#pragma once

#include "core/exchange/ExchangeFormat.h"

// CSV for spreadsheets: UTF-8 with its mark (unless asked without), a header
// row of the 19 field names, one row per record, RFC 4180 quoting, and a
// leading apostrophe on a cell a spreadsheet would take for a formula.
// Written only: CSV is not among the forms a conversion reads.
class CsvFormat final : public ExchangeFormat
{
public:
    ExportFormat id() const override { return ExportFormat::Csv; }
    QString name() const override { return QStringLiteral("csv"); }
    QString caption() const override { return QStringLiteral("CSV"); }
    QString fileSuffix() const override { return QStringLiteral("csv"); }

    std::unique_ptr<RecordWriter> writer(const ExportOptions& options) const override;
};
