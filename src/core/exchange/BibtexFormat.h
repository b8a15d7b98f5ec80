#pragma once

#include "core/exchange/ExchangeFormat.h"

// BibTeX and biblatex. Read: "@type{key, field = value, …}" entries with
// braced, quoted, numeric or @string values joined by "#"; @string macros and
// the month names are known, @comment and @preamble are passed over, and the
// LaTeX of values becomes Unicode text. An entry that breaks the grammar is
// reported with the line it starts on and left out; reading goes on at the
// next line that starts with "@". Written: UTF-8 with braced values, biblatex
// fields where BibTeX has none, and keys made unique from the record names.
class BibtexFormat final : public ExchangeFormat
{
public:
    ExportFormat id() const override { return ExportFormat::BibTeX; }
    QString name() const override { return QStringLiteral("bibtex"); }
    QString caption() const override { return QStringLiteral("BibTeX"); }
    QString fileSuffix() const override { return QStringLiteral("bib"); }

    bool canRead() const override { return true; }
    ParsedImport parse(const QStringList& lines) const override;
    QList<ImportProblem> parse(const QString& text, const ImportEntrySink& onEntry) const override;
    // Fields without a place in a record go into the note as "field: value".
    Exchange::Record toRecord(const ImportEntry& entry) const override;

    std::unique_ptr<RecordWriter> writer(const ExportOptions& options) const override;
};
