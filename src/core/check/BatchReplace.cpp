#include "core/check/BatchReplace.h"

#include "core/check/FieldSpans.h"
#include "core/record/RecordSchema.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace {

// The part of a field the replace works on: a creator's name without its
// role code, every other field whole.
QStringView editablePart(Field field, QStringView value)
{
    if (!RecordSchema::isCreator(field))
        return value;
    return value.size() > 2 ? value.sliced(2) : QStringView();
}

QString withPrefix(Field field, QStringView value, const QString& part)
{
    if (!RecordSchema::isCreator(field))
        return part;
    return value.first(qMin<qsizetype>(2, value.size())).toString() + part;
}

std::vector<Field> fieldsOf(const BatchReplace::Request& request)
{
    if (request.field)
        return {*request.field};
    std::vector<Field> fields;
    for (int p = RecordSchema::position(Field::RecordType); p < RecordSchema::FieldCount; ++p)
        fields.push_back(RecordSchema::fieldAt(p));
    return fields;
}

// Whether a match inside a field is sure to be a match of its whole line
// too: so when the pattern says nothing about what lies around a match
// (anchors, word boundaries, look-arounds, verbs, options) and gives no
// part of it up without trying shorter (possessive and atomic parts), since
// such a match rests on the characters it takes alone, and a field is a
// part of its line. Any doubt counts as no.
bool matchesOnlyWhatItTakes(const QString& pattern)
{
    static const char16_t* const contextual[] = {u"^",   u"$",   u"\\b", u"\\B", u"\\A",
                                                 u"\\z", u"\\Z", u"\\G", u"\\K", u"(?",
                                                 u"(*",  u"++",  u"*+",  u"?+",  u"}+"};
    QString tokens = pattern;
    tokens.replace(QStringLiteral("(?:"), QStringLiteral("(")); // a group that only groups
    return std::none_of(std::begin(contextual), std::end(contextual),
                        [&](const char16_t* token) { return tokens.contains(QStringView(token)); });
}

class Replacer final
{
public:
    explicit Replacer(const BatchReplace::Request& request)
        : m_request(request),
          m_pattern(request.regex
                        ? QRegularExpression(request.find, QRegularExpression::UseUnicodePropertiesOption)
                        : QRegularExpression()),
          m_lineTest(request.regex && !request.field && matchesOnlyWhatItTakes(request.find))
    {
    }

    // A cheap look at the whole line: can the text occur in it at all? With
    // every field searched, one match over a line spares a match per field
    // on the many lines that hold none; for one field, matching that field
    // costs less than matching the line.
    bool mayHit(QStringView line) const
    {
        if (!m_request.regex)
            return line.contains(m_request.find);
        return !m_lineTest || m_pattern.match(line).hasMatch();
    }

    std::optional<QString> replaced(QStringView part) const
    {
        if (m_request.regex ? !m_pattern.match(part).hasMatch() : !part.contains(m_request.find))
            return std::nullopt;
        QString text = part.toString();
        if (m_request.regex)
            text.replace(m_pattern, m_request.with);
        else
            text.replace(m_request.find, m_request.with);
        if (text == part)
            return std::nullopt;
        return text;
    }

private:
    const BatchReplace::Request& m_request;
    const QRegularExpression m_pattern;
    const bool m_lineTest;
};

} // namespace

QString BatchReplace::problem(const Request& request)
{
    if (request.find.isEmpty())
        return QStringLiteral("Adja meg a keresendő szöveget.");
    if (request.regex) {
        const QRegularExpression pattern(request.find);
        if (!pattern.isValid())
            return QStringLiteral("Hibás reguláris kifejezés: %1").arg(pattern.errorString());
    }
    return {};
}

QString BatchReplace::refusalFor(Field field, const QString& text)
{
    if (text.contains(u"**"))
        return QStringLiteral("A mezőbe \"**\" kerülne, ami a rekordot szétvágná.");
    for (const QChar c : text)
        if (c == u'\n' || c == u'\r' || c == QChar(0x2028) || c == QChar(0x2029))
            return QStringLiteral("A mezőbe sortörés kerülne, ami a rekordot szétvágná.");
    if (field != Field::Medium && text.endsWith(u'*'))
        return QStringLiteral("A mező \"*\"-ra végződne, ami a következő mezőket elcsúsztatná.");
    return {};
}

std::vector<BatchReplace::Row> BatchReplace::preview(const DatabaseDocument::Snapshot& lines,
                                                     const Request& request, JobControl& control,
                                                     const std::vector<int>* onlyLines)
{
    std::vector<Row> rows;
    if (!problem(request).isEmpty())
        return rows;
    const Replacer replacer(request);
    const std::vector<Field> fields = fieldsOf(request);
    const int total = onlyLines ? int(onlyLines->size()) : lines.lineCount();
    for (int n = 0; n < total; ++n) {
        if (n % 4096 == 0) {
            control.throwIfStopped();
            control.setProgress(n, total);
        }
        const int index = onlyLines ? (*onlyLines)[size_t(n)] : n;
        if (index < 0 || index >= lines.lineCount())
            continue;
        const QStringView line = lines.line(index);
        if (!replacer.mayHit(line))
            continue;
        const FieldSpans spans(line);
        for (const Field field : fields) {
            const QStringView value = spans.value(field);
            const std::optional<QString> after = replacer.replaced(editablePart(field, value));
            if (!after)
                continue;
            Row row;
            row.line = index;
            row.recordName = RecordSchema::listedName(line);
            row.field = field;
            row.before = value.toString();
            row.after = withPrefix(field, value, *after);
            row.refusal = refusalFor(field, row.after);
            rows.push_back(std::move(row));
        }
    }
    control.setProgress(total, total);
    return rows;
}

namespace {

template <typename LineAt>
QList<std::pair<int, QString>> changesOf(int lineCount, LineAt lineAt,
                                         const std::vector<BatchReplace::Row>& rows)
{
    std::map<int, std::vector<const BatchReplace::Row*>> byLine;
    for (const BatchReplace::Row& row : rows)
        if (row.canApply() && row.line >= 0 && row.line < lineCount)
            byLine[row.line].push_back(&row);
    QList<std::pair<int, QString>> out;
    for (const auto& [index, lineRows] : byLine) {
        const QStringView line = lineAt(index);
        const FieldSpans spans(line);
        std::vector<FieldSpans::Edit> edits;
        for (const BatchReplace::Row* row : lineRows)
            if (spans.value(row->field) == row->before)
                edits.push_back({row->field, row->after});
        if (edits.empty())
            continue;
        QString changed = spans.apply(edits);
        if (changed != line)
            out.emplace_back(index, std::move(changed));
    }
    return out;
}

} // namespace

QList<std::pair<int, QString>> BatchReplace::changes(const DatabaseDocument::Snapshot& lines,
                                                     const std::vector<Row>& rows)
{
    return changesOf(
        lines.lineCount(), [&](int i) { return lines.line(i); }, rows);
}

QList<std::pair<int, QString>> BatchReplace::changes(const DatabaseDocument& document,
                                                     const std::vector<Row>& rows)
{
    return changesOf(
        document.lineCount(), [&](int i) { return document.line(i); }, rows);
}
