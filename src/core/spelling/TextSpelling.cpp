#include "core/spelling/TextSpelling.h"

#include "core/record/RecordLine.h"

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

QString TextSpelling::replaceWord(QStringView text, const QString& word, const QString& replacement)
{
    QString result;
    qsizetype copied = 0;
    for (const WordScanner::Span& span : WordScanner::words(text)) {
        if (text.sliced(span.start, span.length) != word)
            continue;
        result += text.sliced(copied, span.start - copied);
        result += replacement;
        copied = span.start + span.length;
    }
    result += text.sliced(copied);
    return result;
}

bool TextSpelling::isValidReplacement(const QString& replacement)
{
    return !replacement.trimmed().isEmpty() && !replacement.contains(u'*') &&
           RecordLine::singleLine(replacement) == replacement;
}

QString TextSpelling::replaceInRecord(QStringView line, const QString& word, const QString& replacement)
{
    QStringList fields = RecordLine::split(line);
    if (!isValidReplacement(replacement) || RecordLine::join(fields) != line)
        return line.toString();
    for (Field field : CheckedFields) {
        QString& text = RecordSchema::value(fields, field);
        text = replaceWord(text, word, replacement);
    }
    return RecordLine::join(fields);
}
