#include "core/convert/SourceFormat.h"

#include "core/convert/DbfTable.h"
#include "core/convert/DirectorFile.h"
#include "core/convert/RecordMapping.h"
#include "core/convert/ZdbTable.h"
#include "core/exchange/ExchangeFormat.h"
#include "core/exchange/ParallelImport.h"
#include "core/record/RecordNumber.h"
#include "core/record/TextFile.h"
#include "core/record/Utf8Text.h"

#include <optional>

namespace {

class DbaseFormat final : public SourceFormat
{
public:
    SourceKind kind() const override { return SourceKind::DBase; }
    QString shortName() const override { return QStringLiteral("dbf"); }
    QString nameFilter() const override { return QStringLiteral("Dbase fájl|*.dbf"); }
    QString fileSuffix() const override { return QStringLiteral("dbf"); }
    bool isTable() const override { return true; }
    void convert(const ConversionInput& input, const RecordLineSink& sink) const override
    {
        input.table.forEachRecord(
            [&](const DbfTable::Record& record) { sink(RecordMapping::fromDbase(record)); });
    }
    QStringList leftOutNotes(const ConversionInput& input) const override
    {
        const std::optional<DbfTable::Record> first = input.table.leftOutRecord();
        if (!first)
            return {};
        const QString& name = (*first)[DbfTable::REKORD];
        const QString which = name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name);
        return {QStringLiteral("A tábla első rekordja%1 nem került át: a konvertálás a második rekordtól "
                               "indul.")
                    .arg(which)};
    }
};

class ZdbFormat final : public SourceFormat
{
public:
    SourceKind kind() const override { return SourceKind::Zdb; }
    QString shortName() const override { return QStringLiteral("zdb"); }
    QString nameFilter() const override { return QStringLiteral("Zdb fájl|*.zdb"); }
    QString fileSuffix() const override { return QStringLiteral("zdb"); }
    void convert(const ConversionInput& input, const RecordLineSink& sink) const override
    {
        // The whole file is read before the first line is built: a bad line
        // anywhere stops the conversion with nothing produced.
        ZdbTable table;
        table.read(input.lines);
        for (int row = 0; row < table.rowCount(); ++row)
            sink(RecordMapping::fromZdb(table, row));
    }
};

class DirectorFormat final : public SourceFormat
{
public:
    SourceKind kind() const override { return SourceKind::Director; }
    QString shortName() const override { return QStringLiteral("director"); }
    QString nameFilter() const override { return QStringLiteral("Director fájl|*.txt"); }
    QString fileSuffix() const override { return QStringLiteral("txt"); }
    bool needsVolume() const override { return true; }
    void convert(const ConversionInput& input, const RecordLineSink& sink) const override
    {
        const QString volumeCode = RecordMapping::directorVolumeCode(input.volume);
        DirectorFile::forEachBlock(input.lines, [&](const QStringList& block) {
            sink(RecordMapping::fromDirector(block, volumeCode));
        });
    }
    QStringList leftOutNotes(const ConversionInput& input) const override
    {
        const qsizetype trailing = DirectorFile::trailingLineCount(input.lines);
        if (trailing == 0)
            return {};
        return {QStringLiteral("A fájl végéről %1 sor nem került át: nem tesz ki egy teljes, %2 soros "
                               "rekordot.")
                    .arg(trailing)
                    .arg(DirectorFile::BlockLines)};
    }
};

// The files of the reference managers: UTF-8 as a rule, so a file without a
// byte-order mark is read as UTF-8 when it is valid UTF-8, and as
// Windows-1250 only when it is not. Decoded once into one string.
QString readExchangeText(const QString& path)
{
    Utf8Text::FileText file = Utf8Text::readValidText(path);
    if (file.text)
        return *std::move(file.text);
    return TextFile::decodeUnicodeToString(file.bytes);
}

QStringList notesOf(const QList<ImportProblem>& problems)
{
    QStringList notes;
    for (const ImportProblem& problem : problems)
        notes.append(QStringLiteral("A(z) %1. sorban kezdődő bejegyzés hibás (%2), nem került át.")
                         .arg(problem.line)
                         .arg(problem.text));
    return notes;
}

// The volume code, the running number in six digits and "00", as a
// Director export numbers its records; written by hand, as an import names
// every entry so.
QString numberedName(const QString& volumeCode, int number)
{
    constexpr int kDigits = 6;
    if (number >= 1000000)
        return volumeCode + RecordNumber::fixWidth(QString::number(number), kDigits) + QStringLiteral("00");
    QString name(volumeCode.size() + kDigits + 2, Qt::Uninitialized);
    QChar* out = std::copy_n(volumeCode.constData(), volumeCode.size(), name.data());
    for (int i = kDigits - 1; i >= 0; --i, number /= 10)
        out[i] = QChar(u'0' + number % 10);
    out[kDigits] = out[kDigits + 1] = QChar(u'0');
    return name;
}

// A RIS or BibTeX file: its entries become records named with the chosen
// volume and their running number; broken entries are told, not converted.
class ExchangeSource final : public SourceFormat
{
public:
    ExchangeSource(SourceKind kind, const ExchangeFormat& format) : m_kind(kind), m_format(format) {}

    SourceKind kind() const override { return m_kind; }
    QString shortName() const override { return m_format.name(); }
    QString nameFilter() const override
    {
        return m_format.caption() + QStringLiteral(" fájl|*.") + m_format.fileSuffix();
    }
    QString fileSuffix() const override { return m_format.fileSuffix(); }
    bool needsVolume() const override { return true; }
    QStringList readLines(const QString& path) const override
    {
        return TextFile::splitUnicodeLines(readExchangeText(path));
    }
    bool readsWholeText() const override { return true; }
    QString readText(const QString& path) const override { return readExchangeText(path); }
    // Each entry becomes its line as soon as it is read, so the entries of a
    // large file are never all held at once.
    void convert(const ConversionInput& input, const RecordLineSink& sink) const override
    {
        const QString volumeCode = RecordMapping::directorVolumeCode(input.volume);
        int number = 0;
        const ImportEntrySink toLine = [&](ImportEntry&& entry) {
            Exchange::Record record = m_format.toRecord(entry);
            record.name = numberedName(volumeCode, ++number);
            sink(record.toLine());
        };
        QList<ImportProblem> problems;
        if (input.text) {
            problems = Exchange::readAlongside(
                [this, &input](const ImportEntrySink& onEntry) {
                    return m_format.parse(*input.text, onEntry);
                },
                toLine);
        } else {
            ParsedImport parsed = m_format.parse(input.lines);
            for (ImportEntry& entry : parsed.entries)
                toLine(std::move(entry));
            problems = std::move(parsed.problems);
        }
        if (input.leftOutNotes)
            *input.leftOutNotes = notesOf(problems);
    }
    QStringList leftOutNotes(const ConversionInput& input) const override
    {
        if (input.text)
            return notesOf(m_format.parse(*input.text, [](ImportEntry&&) {}));
        return notesOf(m_format.parse(input.lines).problems);
    }

private:
    const SourceKind m_kind;
    const ExchangeFormat& m_format;
};

} // namespace

QStringList SourceFormat::readLines(const QString& path) const
{
    return TextFile::readUnicode(path);
}

QString SourceFormat::readText(const QString& path) const
{
    return TextFile::readUnicode(path).join(u'\n');
}

const QList<const SourceFormat*>& SourceFormat::all()
{
    static const DbaseFormat dbase;
    static const ZdbFormat zdb;
    static const DirectorFormat director;
    static const ExchangeSource ris(SourceKind::Ris, ExchangeFormat::of(ExportFormat::Ris));
    static const ExchangeSource bibtex(SourceKind::BibTeX, ExchangeFormat::of(ExportFormat::BibTeX));
    static const QList<const SourceFormat*> formats = {&dbase, &zdb, &director, &ris, &bibtex};
    return formats;
}

const SourceFormat* SourceFormat::forKind(SourceKind kind)
{
    for (const SourceFormat* format : all())
        if (format->kind() == kind)
            return format;
    return nullptr;
}

const SourceFormat* SourceFormat::forShortName(QStringView name)
{
    for (const SourceFormat* format : all())
        if (format->shortName() == name)
            return format;
    return nullptr;
}
