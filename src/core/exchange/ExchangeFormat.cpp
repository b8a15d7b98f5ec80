#include "core/exchange/ExchangeFormat.h"

#include "core/exchange/BibtexFormat.h"
#include "core/exchange/CsvFormat.h"
#include "core/exchange/RisFormat.h"

QString ExchangeFormat::fileFilter() const
{
    return caption() + QStringLiteral("|*.") + fileSuffix();
}

bool ExchangeFormat::isFileOf(QStringView fileName) const
{
    const QString suffix = fileSuffix();
    return fileName.size() > suffix.size() && fileName.endsWith(suffix, Qt::CaseInsensitive) &&
           fileName[fileName.size() - suffix.size() - 1] == u'.';
}

ParsedImport ExchangeFormat::parse(const QStringList& lines) const
{
    Q_UNUSED(lines);
    return {};
}

QList<ImportProblem> ExchangeFormat::parse(const QString& text, const ImportEntrySink& onEntry) const
{
    Q_UNUSED(text);
    Q_UNUSED(onEntry);
    return {};
}

Exchange::Record ExchangeFormat::toRecord(const ImportEntry& entry) const
{
    Q_UNUSED(entry);
    return {};
}

const QList<const ExchangeFormat*>& ExchangeFormat::all()
{
    static const BibtexFormat bibtex;
    static const RisFormat ris;
    static const CsvFormat csv;
    static const QList<const ExchangeFormat*> formats = {&bibtex, &ris, &csv};
    return formats;
}

const ExchangeFormat& ExchangeFormat::of(ExportFormat id)
{
    for (const ExchangeFormat* format : all())
        if (format->id() == id)
            return *format;
    Q_UNREACHABLE();
}

const ExchangeFormat* ExchangeFormat::byName(QStringView name)
{
    for (const ExchangeFormat* format : all())
        if (format->name() == name)
            return format;
    return nullptr;
}

const ExchangeFormat* ExchangeFormat::byFileName(QStringView fileName)
{
    for (const ExchangeFormat* format : all())
        if (format->isFileOf(fileName))
            return format;
    return nullptr;
}
