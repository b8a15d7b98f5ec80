#include "core/convert/SourceFormat.h"

#include "core/convert/DbfTable.h"
#include "core/convert/DirectorFile.h"
#include "core/convert/RecordMapping.h"
#include "core/convert/ZdbTable.h"

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

} // namespace

const QList<const SourceFormat*>& SourceFormat::all()
{
    static const DbaseFormat dbase;
    static const ZdbFormat zdb;
    static const DirectorFormat director;
    static const QList<const SourceFormat*> formats = {&dbase, &zdb, &director};
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
