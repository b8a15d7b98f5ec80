#include "core/exchange/RisReader.h"

#include "core/record/CodeTables.h"

#include <QRegularExpression>

namespace RisReader {

namespace {

// "TY  - JOUR"; readers in the wild also write one blank, or none after the
// dash of an empty "ER  -".
const QRegularExpression& tagLine()
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Z][A-Z0-9]) {1,2}-(?: (.*))?$"));
    return pattern;
}

Exchange::EntryKind kindOfRisType(QStringView type)
{
    static const QStringList books = {QStringLiteral("BOOK"), QStringLiteral("EBOOK"),
                                      QStringLiteral("EDBOOK")};
    static const QStringList articles = {QStringLiteral("JOUR"), QStringLiteral("EJOUR"),
                                         QStringLiteral("MGZN"), QStringLiteral("NEWS")};
    static const QStringList parts = {QStringLiteral("CHAP"), QStringLiteral("ECHAP"), QStringLiteral("CONF"),
                                      QStringLiteral("CPAPER")};
    const QString t = type.toString();
    if (books.contains(t))
        return Exchange::EntryKind::Book;
    if (articles.contains(t))
        return Exchange::EntryKind::Article;
    if (parts.contains(t))
        return Exchange::EntryKind::InCollection;
    return Exchange::EntryKind::Other;
}

// RIS dates are "YYYY/MM/DD/other"; a year alone keeps its text.
QString yearOf(const QString& value, QString& note)
{
    static const QRegularExpression date(QStringLiteral("^(\\d{4})/([^/]*)/([^/]*)/(.*)$"));
    const QRegularExpressionMatch match = date.match(value);
    if (!match.hasMatch())
        return value;
    if (!match.captured(2).isEmpty() || !match.captured(3).isEmpty() || !match.captured(4).isEmpty())
        Exchange::appendToNote(note, QStringLiteral("PY: ") + value);
    return match.captured(1);
}

} // namespace

ParsedImport parse(const QStringList& lines)
{
    ParsedImport result;
    ImportEntry current;
    bool inEntry = false;
    bool continues = false; // the last line was a field that a plain line may continue
    for (int i = 0; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (i == 0 && line.startsWith(u'\xFEFF'))
            line = line.mid(1);
        const int lineNo = i + 1;
        if (line.trimmed().isEmpty()) {
            continues = false;
            continue;
        }
        const QRegularExpressionMatch match = tagLine().match(line.toString());
        if (!match.hasMatch()) {
            if (inEntry && continues && !current.fields.isEmpty()) {
                current.fields.last().second.append(u' ').append(line.trimmed());
                continue;
            }
            if (inEntry)
                continue; // stray text inside an entry; the entry is still whole
            result.problems.append({lineNo, QStringLiteral("sor bejegyzésen kívül, „TY  - ” nélkül")});
            continue;
        }
        const QString tag = match.captured(1);
        const QString value = match.captured(2);
        if (tag == u"TY") {
            if (inEntry)
                result.problems.append(
                    {current.line, QStringLiteral("a bejegyzés nincs lezárva („ER  - ” hiányzik)")});
            current = ImportEntry{lineNo, value.trimmed(), {}};
            inEntry = !current.type.isEmpty();
            if (!inEntry)
                result.problems.append({lineNo, QStringLiteral("„TY  - ” típus nélkül")});
            continues = false;
            continue;
        }
        if (!inEntry) {
            if (tag != u"ER")
                result.problems.append({lineNo, QStringLiteral("„%1” mező bejegyzésen kívül").arg(tag)});
            continue;
        }
        if (tag == u"ER") {
            result.entries.append(current);
            inEntry = false;
            continues = false;
            continue;
        }
        current.fields.append({tag, value});
        continues = true;
    }
    if (inEntry)
        result.problems.append(
            {current.line, QStringLiteral("a bejegyzés nincs lezárva („ER  - ” hiányzik)")});
    return result;
}

Exchange::Record toRecord(const ImportEntry& entry)
{
    using Exchange::Creator;
    const Exchange::EntryKind kind = kindOfRisType(entry.type);
    Exchange::Record r;
    r.type = Exchange::recordTypeOf(kind);
    QString note;
    QStringList extras;
    QString startPage;
    QString endPage;
    QStringList keywords;
    if (kind == Exchange::EntryKind::Other && entry.type != u"GEN")
        extras.append(QStringLiteral("TY: ") + entry.type);
    const auto takeFirst = [&extras](QString& target, const QString& tag, const QString& value) {
        if (target.isEmpty())
            target = value;
        else
            extras.append(tag + QStringLiteral(": ") + value);
    };
    for (const auto& [tag, raw] : entry.fields) {
        const QString value = raw;
        if (value.isEmpty())
            continue;
        if (tag == u"AU" || tag == u"A1")
            r.creators.append(Creator{CodeTables::roleCode(Exchange::AuthorRole), value});
        else if (tag == u"ED" || tag == u"A2")
            r.creators.append(Creator{CodeTables::roleCode(Exchange::EditorRole), value});
        else if (tag == u"A4")
            r.creators.append(Creator{CodeTables::roleCode(Exchange::TranslatorRole), value});
        else if (tag == u"TI" || tag == u"T1")
            takeFirst(r.title, tag, value);
        else if (tag == u"T2" || tag == u"T3" || tag == u"JO" || tag == u"JF" || tag == u"JA" || tag == u"BT")
            takeFirst(r.publication, tag, value);
        else if (tag == u"PB")
            takeFirst(r.publisher, tag, value);
        else if (tag == u"VL")
            takeFirst(r.volume, tag, value);
        else if ((tag == u"PY" || tag == u"Y1") && r.year.isEmpty())
            r.year = yearOf(value, note);
        else if (tag == u"SP")
            takeFirst(startPage, tag, value);
        else if (tag == u"EP")
            takeFirst(endPage, tag, value);
        else if (tag == u"CY")
            takeFirst(r.place, tag, value);
        else if (tag == u"N1") {
            Creator creator;
            if (Exchange::parseCreatorNote(value, &creator))
                r.creators.append(creator);
            else if (value.startsWith(u"Adathordozó: ") && CodeTables::media().contains(value.mid(13)))
                r.medium = value.mid(13);
            else
                Exchange::appendToNote(note, value);
        } else if (tag == u"UR")
            takeFirst(r.link, tag, value);
        else if (tag == u"LA")
            takeFirst(r.language, tag, value);
        else if (tag == u"KW")
            keywords.append(value);
        else if (tag == u"M3" && Exchange::entryKindOf(value) == kind && r.type != value &&
                 Exchange::needsTypeNote(value))
            r.type = value;
        else if (tag == u"ID")
            continue; // the record gets a name of its own
        else
            extras.append(tag + QStringLiteral(": ") + value);
    }
    r.pages = endPage.isEmpty() || startPage.isEmpty() ? startPage + endPage : startPage + u'-' + endPage;
    r.subject = keywords.join(QStringLiteral("; "));
    Exchange::finishImported(r, note, extras);
    return r;
}

} // namespace RisReader
