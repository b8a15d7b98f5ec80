#pragma once

#include "core/exchange/ExchangeRecord.h"
#include "core/exchange/ImportEntry.h"
#include "core/record/CsvText.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

enum class ExportFormat
{
    BibTeX,
    Ris,
    Csv
};

// What an export is asked beyond its format.
struct ExportOptions
{
    // CSV: whether the file starts with the byte-order mark spreadsheets need.
    CsvText::Mark csvMark = CsvText::Mark::ByteOrderMark;
};

// Turns record lines into one format's text. A writer serves one export
// from its first record to its last, so it may remember what it wrote.
class RecordWriter
{
public:
    RecordWriter() = default;
    virtual ~RecordWriter() = default;
    Q_DISABLE_COPY_MOVE(RecordWriter)

    // What the text starts with, before the first record.
    virtual void begin(QString& out) { Q_UNUSED(out); }
    virtual void write(QStringView line, QString& out) = 0;
};

// One reference-manager format: what it is called, which files are its own,
// how an entry of its files becomes a record and how a record line becomes
// its text.
class ExchangeFormat
{
public:
    ExchangeFormat() = default;
    virtual ~ExchangeFormat() = default;
    Q_DISABLE_COPY_MOVE(ExchangeFormat)

    virtual ExportFormat id() const = 0;
    // The command line's name: "bibtex", "ris", "csv".
    virtual QString name() const = 0;
    // What the dialogs call it: "BibTeX", "RIS", "CSV".
    virtual QString caption() const = 0;
    // Extension of its files, without the dot.
    virtual QString fileSuffix() const = 0;
    // One entry of a file dialog's filter: "BibTeX|*.bib".
    QString fileFilter() const;
    bool isFileOf(QStringView fileName) const;

    // Whether its files can be read; the reading members below serve only
    // a format that can.
    virtual bool canRead() const { return false; }
    // An entry that cannot be read is reported with the line it starts on
    // and left out; the others are read.
    virtual ParsedImport parse(const QStringList& lines) const;
    // The same on the whole text of a file, handing each entry on as soon as
    // it is read; returns the problems. The entries' values share the text's
    // characters rather than copying them, so `text` must outlive the entries.
    virtual QList<ImportProblem> parse(const QString& text, const ImportEntrySink& onEntry) const;
    // The record of an entry; values without a place in a record go into the
    // note with their names.
    virtual Exchange::Record toRecord(const ImportEntry& entry) const;

    // A writer for one export.
    virtual std::unique_ptr<RecordWriter> writer(const ExportOptions& options) const = 0;

    // BibTeX, RIS and CSV, in that order.
    static const QList<const ExchangeFormat*>& all();
    static const ExchangeFormat& of(ExportFormat id);
    // By name() or by a file name's extension (any letter case); null for none.
    static const ExchangeFormat* byName(QStringView name);
    static const ExchangeFormat* byFileName(QStringView fileName);
};
