#include "core/check/DatabaseCheck.h"

#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"

#include <algorithm>
#include <numeric>

namespace {

QString detailOf(const QStringList& names)
{
    return names.join(QStringLiteral(", "));
}

Finding duplicateFinding(QList<int> lines, QStringList indexed, const QStringList& docNames)
{
    Finding finding;
    finding.field = Field::RecordName;
    finding.kind = CheckKind::Duplicate;
    finding.otherLines = std::move(lines);
    finding.otherIndexed = std::move(indexed);
    QStringList all = docNames;
    for (const QString& name : std::as_const(finding.otherIndexed))
        all.append(name + QStringLiteral(" (index)"));
    finding.detail = detailOf(all);
    return finding;
}

// Groups of equal hashes, each member pointing at the others: the whole
// document's duplicates in one sort instead of a scan per line.
std::vector<std::vector<int>> othersByHash(const std::vector<quint64>& hashes)
{
    std::vector<int> order(hashes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return hashes[size_t(a)] < hashes[size_t(b)]; });
    std::vector<std::vector<int>> others(hashes.size());
    for (size_t i = 0; i < order.size();) {
        size_t j = i;
        while (j < order.size() && hashes[size_t(order[j])] == hashes[size_t(order[i])])
            ++j;
        if (hashes[size_t(order[i])] != 0 && j - i > 1) {
            for (size_t a = i; a < j; ++a)
                for (size_t b = i; b < j && others[size_t(order[a])].size() < 50; ++b)
                    if (a != b)
                        others[size_t(order[a])].push_back(order[b]);
        }
        i = j;
    }
    return others;
}

QByteArray csvField(const QString& text)
{
    return CsvText::cell(text, u',').toUtf8();
}

} // namespace

namespace DatabaseCheck {

std::vector<Finding> duplicatesOf(const DatabaseDocument& document, int index, const DocumentKeys& keys,
                                  const IndexedWorks* indexed)
{
    std::vector<Finding> out;
    if (index < 0 || index >= document.lineCount())
        return out;
    QList<int> lines;
    for (const int other : keys.sameName(index))
        lines.append(other);
    for (const int other : keys.sameWork(index))
        if (!lines.contains(other))
            lines.append(other);
    std::sort(lines.begin(), lines.end());
    const QStringView line = document.line(index);
    QStringList fromIndex;
    if (indexed) {
        const QString ownName = RecordSchema::recordName(line).toString();
        fromIndex = indexed->namesOf(DuplicateKeys::workHash(line), ownName);
        // Records of the open database are named already from the document.
        QStringList docNames;
        for (const int other : std::as_const(lines))
            docNames.append(RecordSchema::listedName(document.line(other)));
        fromIndex.removeIf([&](const QString& name) { return docNames.contains(name); });
    }
    if (lines.isEmpty() && fromIndex.isEmpty())
        return out;
    QStringList docNames;
    for (const int other : std::as_const(lines))
        docNames.append(RecordSchema::listedName(document.line(other)));
    out.push_back(duplicateFinding(lines, fromIndex, docNames));
    return out;
}

std::vector<RecordFinding> run(const DatabaseDocument::Snapshot& lines, const RecordChecker& checker,
                               const IndexedWorks* indexed, JobControl& control)
{
    const int count = lines.lineCount();
    std::vector<quint64> names(static_cast<size_t>(count));
    std::vector<quint64> works(static_cast<size_t>(count));
    std::vector<RecordFinding> findings;
    for (int i = 0; i < count; ++i) {
        if (i % 1024 == 0) {
            control.throwIfStopped();
            control.setProgress(i, qint64(count) * 2);
        }
        const QStringView line = lines.line(i);
        names[size_t(i)] = DuplicateKeys::nameHash(line);
        works[size_t(i)] = DuplicateKeys::workHash(line);
        if (line.isEmpty())
            continue;
        const QString name = RecordSchema::listedName(line);
        for (Finding& finding : checker.check(RecordLine::split(line)))
            findings.push_back({i, name, std::move(finding)});
    }
    const std::vector<std::vector<int>> sameName = othersByHash(names);
    const std::vector<std::vector<int>> sameWork = othersByHash(works);
    for (int i = 0; i < count; ++i) {
        if (i % 4096 == 0) {
            control.throwIfStopped();
            control.setProgress(qint64(count) + i, qint64(count) * 2);
        }
        QList<int> others(sameName[size_t(i)].begin(), sameName[size_t(i)].end());
        for (const int other : sameWork[size_t(i)])
            if (!others.contains(other))
                others.append(other);
        std::sort(others.begin(), others.end());
        QStringList fromIndex;
        const QStringView line = lines.line(i);
        QStringList docNames;
        for (const int other : std::as_const(others))
            docNames.append(RecordSchema::listedName(lines.line(other)));
        if (indexed && works[size_t(i)] != 0) {
            const QString ownName = RecordSchema::recordName(line).toString();
            fromIndex = indexed->namesOf(works[size_t(i)], ownName);
            fromIndex.removeIf([&](const QString& name) { return docNames.contains(name); });
        }
        if (others.isEmpty() && fromIndex.isEmpty())
            continue;
        findings.push_back(
            {i, RecordSchema::listedName(line), duplicateFinding(others, fromIndex, docNames)});
    }
    control.setProgress(qint64(count) * 2, qint64(count) * 2);
    std::stable_sort(findings.begin(), findings.end(), [](const RecordFinding& a, const RecordFinding& b) {
        if (a.recordName != b.recordName)
            return a.recordName < b.recordName;
        if (a.line != b.line)
            return a.line < b.line;
        return RecordSchema::position(a.finding.field) < RecordSchema::position(b.finding.field);
    });
    return findings;
}

QString toText(const std::vector<RecordFinding>& findings)
{
    QString text;
    for (const RecordFinding& f : findings)
        text += f.recordName + u'\t' + CheckText::fieldName(f.finding.field) + u'\t' +
                CheckText::kindName(f.finding.kind) +
                (f.finding.detail.isEmpty() ? QString() : u'\t' + f.finding.detail) + u'\n';
    return text;
}

QByteArray toCsv(const std::vector<RecordFinding>& findings, CsvText::Mark mark)
{
    QByteArray csv = CsvText::startOfFile(mark);
    csv += "Rekord,Mez\xc5\x91,Ellen\xc5\x91rz\xc3\xa9s,R\xc3\xa9szlet\r\n";
    for (const RecordFinding& f : findings) {
        csv += csvField(f.recordName) + ',' + csvField(CheckText::fieldName(f.finding.field)) + ',' +
               csvField(CheckText::kindName(f.finding.kind)) + ',' + csvField(f.finding.detail) + "\r\n";
    }
    return csv;
}

} // namespace DatabaseCheck
