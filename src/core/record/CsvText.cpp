#include "core/record/CsvText.h"

namespace CsvText {

namespace {

// Digits with an optional sign and one decimal part ("." or ","), nothing else.
bool isPlainNumber(QStringView text)
{
    qsizetype i = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    const qsizetype digitsFrom = i;
    while (i < text.size() && text[i].isDigit())
        ++i;
    if (i == digitsFrom)
        return false;
    if (i < text.size() && (text[i] == u'.' || text[i] == u',')) {
        const qsizetype fractionFrom = ++i;
        while (i < text.size() && text[i].isDigit())
            ++i;
        if (i == fractionFrom)
            return false;
    }
    return i == text.size();
}

bool needsQuotes(QStringView text, QChar separator)
{
    for (const QChar c : text)
        if (c == separator || c == u'"' || c == u'\n' || c == u'\r')
            return true;
    return false;
}

} // namespace

bool readsAsFormula(QStringView cell)
{
    if (cell.isEmpty())
        return false;
    const QChar first = cell.front();
    if (first == u'=' || first == u'@' || first == u'\t' || first == u'\r')
        return true;
    return (first == u'+' || first == u'-') && !isPlainNumber(cell);
}

void appendCell(QString& out, QStringView cell, QChar separator)
{
    const bool guarded = readsAsFormula(cell);
    if (!needsQuotes(cell, separator)) {
        if (guarded)
            out.append(u'\'');
        out.append(cell);
        return;
    }
    out.append(u'"');
    if (guarded)
        out.append(u'\'');
    for (const QChar c : cell) {
        if (c == u'"')
            out.append(u'"');
        out.append(c);
    }
    out.append(u'"');
}

QString cell(QStringView text, QChar separator)
{
    QString out;
    appendCell(out, text, separator);
    return out;
}

} // namespace CsvText
