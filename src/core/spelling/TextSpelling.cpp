#include "core/spelling/TextSpelling.h"

std::optional<int> TextSpelling::publicationYear(QStringView yearField)
{
    int run = 0;
    int value = 0;
    for (qsizetype i = 0; i <= yearField.size(); ++i) {
        const bool digit = i < yearField.size() && yearField[i].isDigit() && yearField[i].digitValue() >= 0;
        if (digit) {
            value = value * 10 + yearField[i].digitValue();
            ++run;
            continue;
        }
        if (run == 4)
            return value;
        run = 0;
        value = 0;
    }
    return std::nullopt;
}

bool TextSpelling::isOldSpelling(QStringView yearField, int before)
{
    const std::optional<int> year = publicationYear(yearField);
    return year && *year < before;
}

std::vector<WordScanner::Span> TextSpelling::unknownWords(QStringView text, const KnownWord& isKnown)
{
    std::vector<WordScanner::Span> unknown;
    for (const WordScanner::Span& span : WordScanner::words(text))
        if (!isKnown(text.sliced(span.start, span.length)))
            unknown.push_back(span);
    return unknown;
}
