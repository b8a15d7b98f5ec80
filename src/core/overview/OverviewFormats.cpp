#include "core/overview/Overview.h"

#include "core/record/CsvText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Overview {

namespace {

QString sourceName(Source source)
{
    return source == Source::IndexSet ? QStringLiteral("index") : QStringLiteral("database");
}

QString emptyFieldsCaption()
{
    return QStringLiteral("Üresen hagyott mező");
}

void appendCsvLine(QString& out, const QString& group, const QString& label, qint64 count)
{
    CsvText::appendCell(out, group, u';');
    out += u';';
    CsvText::appendCell(out, label, u';');
    out += u';' + QString::number(count) + QStringLiteral("\r\n");
}

// Label and count lines under a heading, the counts right-aligned.
void appendTextGroup(QString& out, const QString& heading, const QList<QPair<QString, qint64>>& rows)
{
    out += heading + u'\n';
    qsizetype labelWidth = 0;
    qsizetype countWidth = 0;
    for (const auto& [label, count] : rows) {
        labelWidth = qMax(labelWidth, label.size());
        countWidth = qMax(countWidth, formatCount(count).size());
    }
    for (const auto& [label, count] : rows)
        out += QStringLiteral("  ") + label.leftJustified(labelWidth) + QStringLiteral("  ") +
               formatCount(count).rightJustified(countWidth) + u'\n';
    if (rows.isEmpty())
        out += QStringLiteral("  –\n");
    out += u'\n';
}

} // namespace

QString toText(const Summary& summary)
{
    QString out =
        QStringLiteral("Rekordok: %1 (%2)\n\n")
            .arg(formatCount(summary.records),
                 summary.source == Source::IndexSet ? QStringLiteral("index") : QStringLiteral("adatbázis"));
    for (const Dimension dimension : Dimensions) {
        QList<QPair<QString, qint64>> rows;
        for (const CountRow& row : summary.of(dimension))
            rows.append({row.label, row.count});
        appendTextGroup(out, caption(dimension), rows);
    }
    QList<QPair<QString, qint64>> gaps;
    for (const FieldGap& gap : summary.completeness)
        gaps.append({fieldCaption(gap.field), gap.empty});
    appendTextGroup(out, emptyFieldsCaption(), gaps);
    out.chop(1); // no empty line at the end
    return out;
}

QByteArray toCsv(const Summary& summary, CsvText::Mark mark)
{
    QString out = QStringLiteral("Szempont;Érték;Rekordok\r\n");
    appendCsvLine(out, QStringLiteral("Összesen"), {}, summary.records);
    for (const Dimension dimension : Dimensions)
        for (const CountRow& row : summary.of(dimension))
            appendCsvLine(out, caption(dimension), row.label, row.count);
    for (const FieldGap& gap : summary.completeness)
        appendCsvLine(out, emptyFieldsCaption(), fieldCaption(gap.field), gap.empty);
    return CsvText::startOfFile(mark) + out.toUtf8();
}

QByteArray toJson(const Summary& summary)
{
    QJsonArray groups;
    for (const Dimension dimension : Dimensions) {
        QJsonArray rows;
        for (const CountRow& row : summary.of(dimension))
            rows.append(
                QJsonObject{{QStringLiteral("label"), row.label}, {QStringLiteral("count"), row.count}});
        groups.append(QJsonObject{{QStringLiteral("key"), key(dimension)},
                                  {QStringLiteral("caption"), caption(dimension)},
                                  {QStringLiteral("rows"), rows}});
    }
    QJsonArray gaps;
    for (const FieldGap& gap : summary.completeness)
        gaps.append(QJsonObject{{QStringLiteral("field"), fieldCaption(gap.field)},
                                {QStringLiteral("position"), RecordSchema::position(gap.field) + 1},
                                {QStringLiteral("empty"), gap.empty}});
    const QJsonObject root{{QStringLiteral("source"), sourceName(summary.source)},
                           {QStringLiteral("records"), summary.records},
                           {QStringLiteral("groups"), groups},
                           {QStringLiteral("emptyFields"), gaps}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace Overview
