#include "core/publish/EntryText.h"

#include "core/publish/FilingRules.h"
#include "core/record/CreatorSlot.h"
#include "core/record/RecordSchema.h"

#include <QRegularExpression>

namespace EntryText {

namespace {

using FilingRules::Creator;
using FilingRules::RolePlace;
using RecordSchema::value;

bool endsSentence(QStringView text)
{
    return !text.isEmpty() && (text.back() == u'.' || text.back() == u'!' || text.back() == u'?');
}

// Collects the runs of an entry area by area. ISBD opens every area after
// the first with ". – ", and drops the full stop where the area before ends
// with one already ("252 p. – ").
class RunWriter
{
public:
    void regular(const QString& text) { add(text, false); }
    void italic(const QString& text) { add(text, true); }
    void text(const QString& text, bool italic) { add(text, italic); }
    QList<HitRun> take() { return std::move(m_runs); }
    bool isEmpty() const { return m_runs.isEmpty(); }

    QString last() const { return m_runs.isEmpty() ? QString() : m_runs.constLast().text; }

    void newArea()
    {
        if (m_runs.isEmpty())
            return;
        regular(endsSentence(last()) ? QStringLiteral(" – ") : QStringLiteral(". – "));
    }
    // A full stop at the end of the entry, unless it ends with one, with the
    // series' closing parenthesis, or with a web address, which a stop would
    // change when it is copied. A number and its unit ("252 p.", "3. sz.")
    // are joined by a no-break space, so no line ends between them.
    void finish(bool endsWithAddress)
    {
        const QString text = last();
        if (!text.isEmpty() && !endsSentence(text) && !text.endsWith(u')') && !endsWithAddress)
            regular(QStringLiteral("."));
        static const QRegularExpression unit(QStringLiteral("(?<=\\d|\\d\\.) (?=(?:p|sz|évf|köt|füz)\\.)"));
        for (HitRun& run : m_runs)
            run.text.replace(unit, QStringLiteral("\u00A0"));
    }

private:
    void add(const QString& text, bool italic)
    {
        if (text.isEmpty())
            return;
        if (!m_runs.isEmpty() && m_runs.constLast().italic == italic)
            m_runs.last().text += text;
        else
            m_runs.append(HitRun{text, false, italic, false});
    }

    QList<HitRun> m_runs;
};

QString trimmed(const QStringList& fields, Field field)
{
    return indexForm(value(fields, field));
}

bool isDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isDigit())
            return false;
    return true;
}

// "Császárkor: tanulmányok" as ISBD sets title and other title information:
// "Császárkor : tanulmányok".
QString isbdTitle(const QString& title)
{
    QString text = title;
    const qsizetype colon = text.indexOf(QStringLiteral(": "));
    if (colon > 0 && text.at(colon - 1) != u' ')
        text.insert(colon, u' ');
    return text;
}

// A number in the volume field without a series: the volume of a work in
// several volumes.
QString volumeLabel(const QString& volume)
{
    return isDigits(volume) ? volume + QStringLiteral(". köt.") : volume;
}

// Pages of a part, "204–208." or "204–208", as "204–208. p.".
QString partPages(const QString& pages)
{
    if (pages.isEmpty() || pages.contains(u'p'))
        return pages;
    return (pages.endsWith(u'.') ? pages : pages + u'.') + QStringLiteral(" p.");
}

// The extent of a whole work: "252" becomes "252 p."; anything else stays as typed.
QString extent(const QString& pages)
{
    return isDigits(pages) ? pages + QStringLiteral(" p.") : pages;
}

QString withStop(const QString& text)
{
    return text.isEmpty() || endsSentence(text) ? text : text + u'.';
}

// "place : publisher, year", each part left out with its mark when empty.
QString publication(const QString& place, const QString& publisher, const QString& year)
{
    QString text = place;
    if (!publisher.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" : ")) + publisher;
    if (!year.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + year;
    return text;
}

// The creators of a place grouped by role, in the order the roles first
// come: "ford. Kiss Anna, Nagy Béla ; ill. Szabó Éva".
QStringList statements(const QList<Creator>& creators, const QList<RolePlace>& places)
{
    QStringList order;
    QHash<QString, QStringList> names;
    for (const Creator& creator : creators) {
        if (!places.contains(creator.role.place))
            continue;
        const QString& abbreviation = creator.role.abbreviation;
        if (!names.contains(abbreviation))
            order.append(abbreviation);
        names[abbreviation].append(creator.name);
    }
    QStringList result;
    for (const QString& abbreviation : order) {
        const QString list = names.value(abbreviation).join(QStringLiteral(", "));
        result.append(abbreviation.isEmpty() ? list : abbreviation + u' ' + list);
    }
    return result;
}

struct Entry
{
    Kind kind;
    QList<Creator> creators;
    QStringList heading; // the authors the entry is headed by
    const QStringList& fields;

    QString field(Field f) const { return trimmed(fields, f); }
    bool isChapter() const { return kind == Kind::Chapter; }
    bool isPeriodical() const { return kind == Kind::JournalArticle || kind == Kind::Review; }
    bool standsAlone() const { return !isChapter() && !isPeriodical(); }
};

void writeHeading(RunWriter& out, const Entry& entry)
{
    if (entry.heading.isEmpty())
        return;
    const FilingRules::Tables& tables = FilingRules::Tables::shipped();
    QStringList names;
    for (const QString& name : entry.heading)
        names.append(tables.filingName(name));
    out.regular(names.join(QStringLiteral(" – ")) + QStringLiteral(": "));
}

// Title, other title information, volume and the statement of responsibility.
void writeTitleArea(RunWriter& out, const Entry& entry)
{
    QString title = isbdTitle(entry.field(Field::Title));
    if (title.isEmpty())
        title = QStringLiteral("[Cím nélkül]");
    out.text(title, entry.standsAlone());
    const QString volume = entry.field(Field::VolumeRun);
    if (entry.standsAlone() && entry.field(Field::Publication).isEmpty() && !volume.isEmpty())
        out.regular((endsSentence(title) ? QStringLiteral(" ") : QStringLiteral(". ")) + volumeLabel(volume));

    QStringList statement;
    if (entry.heading.isEmpty()) {
        QStringList authors;
        for (const Creator& creator : entry.creators)
            if (creator.role.place == RolePlace::Author)
                authors.append(creator.name);
        // More than three of one function: the first and "[et al.]".
        if (authors.size() > 3)
            statement.append(authors.first() + QStringLiteral(" [et al.]"));
        else if (!authors.isEmpty())
            statement.append(authors.join(QStringLiteral(", ")));
    }
    QList<RolePlace> places{RolePlace::Statement};
    if (!entry.isChapter())
        places.append(RolePlace::Host);
    statement += statements(entry.creators, places);
    if (!statement.isEmpty())
        out.regular(QStringLiteral(" / ") + statement.join(QStringLiteral(" ; ")));
}

// "In: Nyelv és Kor, 72. évf. 2018. 3. sz. 204–208. p."
void writeJournal(RunWriter& out, const Entry& entry)
{
    static const QRegularExpression volumeThenIssue(QStringLiteral("^(.*?évf\\.?)\\s*(.*)$"));
    const QString run = entry.field(Field::VolumeRun);
    QString volume;
    QString issue;
    if (isDigits(run)) {
        volume = run + QStringLiteral(". évf.");
    } else if (const QRegularExpressionMatch match = volumeThenIssue.match(run); match.hasMatch()) {
        volume = match.captured(1);
        issue = match.captured(2);
    } else {
        issue = run;
    }
    QStringList parts;
    for (const QString& part :
         {volume, withStop(entry.field(Field::Year)), issue, partPages(entry.field(Field::Pages))})
        if (!part.isEmpty())
            parts.append(part);
    const QString journal = entry.field(Field::Publication);
    out.newArea();
    out.regular(QStringLiteral("In: "));
    out.italic(journal);
    if (!parts.isEmpty())
        out.regular((journal.isEmpty() ? QString() : QStringLiteral(", ")) + parts.join(u' '));
}

// "In: Emlékkönyv … / szerk. Nagy Béla. – Szeged : Ezüsthíd Kiadó, 2023. – 29–57. p."
void writeHost(RunWriter& out, const Entry& entry)
{
    const QString host = entry.field(Field::Publication);
    const QString volume = entry.field(Field::VolumeRun);
    const QStringList editors = statements(entry.creators, {RolePlace::Host});
    if (!host.isEmpty() || !volume.isEmpty() || !editors.isEmpty()) {
        out.newArea();
        out.regular(QStringLiteral("In: "));
        out.italic(host);
        if (!volume.isEmpty())
            out.regular((host.isEmpty() || endsSentence(host) ? QStringLiteral(" ") : QStringLiteral(". ")) +
                        volumeLabel(volume));
        if (!editors.isEmpty())
            out.regular(QStringLiteral(" / ") + editors.join(QStringLiteral(" ; ")));
    }
    const QString published =
        publication(entry.field(Field::Place), entry.field(Field::Publisher), entry.field(Field::Year));
    if (!published.isEmpty()) {
        out.newArea();
        out.regular(published);
    }
    const QString pages = partPages(entry.field(Field::Pages));
    if (!pages.isEmpty()) {
        out.newArea();
        out.regular(pages);
    }
}

// Publication, extent and series of a stand-alone work.
void writeStandAlone(RunWriter& out, const Entry& entry)
{
    const QString published =
        publication(entry.field(Field::Place), entry.field(Field::Publisher), entry.field(Field::Year));
    if (!published.isEmpty()) {
        out.newArea();
        out.regular(published);
    }
    const QString pages = extent(entry.field(Field::Pages));
    if (!pages.isEmpty()) {
        out.newArea();
        out.regular(pages);
    }
    const QString series = entry.field(Field::Publication);
    if (!series.isEmpty()) {
        QString text = series;
        const QStringList editors = statements(entry.creators, {RolePlace::Series});
        if (!editors.isEmpty())
            text += QStringLiteral(" / ") + editors.join(QStringLiteral(" ; "));
        const QString number = entry.field(Field::VolumeRun);
        if (!number.isEmpty())
            text += QStringLiteral(" ; ") + number;
        out.newArea();
        out.regular(u'(' + text + u')');
    }
}

QStringList notes(const Entry& entry)
{
    QStringList result;
    switch (entry.kind) {
    case Kind::Offprint:
        result.append(QStringLiteral("Különlenyomat"));
        break;
    case Kind::Thesis:
        result.append(QStringLiteral("Disszertáció"));
        break;
    case Kind::Manuscript:
        result.append(QStringLiteral("Kézirat"));
        break;
    case Kind::Review:
        if (!entry.field(Field::Note).startsWith(QStringLiteral("Ismertetett mű")))
            result.append(QStringLiteral("Recenzió"));
        break;
    default:
        break;
    }
    // "Témavezető: Kiss Anna", a note of its own for each such role.
    QStringList noteRoles;
    QHash<QString, QStringList> noteNames;
    for (const Creator& creator : entry.creators) {
        if (creator.role.place != RolePlace::Note)
            continue;
        if (!noteNames.contains(creator.role.abbreviation))
            noteRoles.append(creator.role.abbreviation);
        noteNames[creator.role.abbreviation].append(creator.name);
    }
    for (const QString& role : noteRoles)
        result.append(role + QStringLiteral(": ") + noteNames.value(role).join(QStringLiteral(", ")));
    bool translatorNamed = false;
    for (const Creator& creator : entry.creators)
        translatorNamed = translatorNamed || creator.role.abbreviation == u"ford.";
    if (value(entry.fields, Field::Translation) == u"1" && !translatorNamed)
        result.append(QStringLiteral("Fordítás"));
    const QString note = entry.field(Field::Note);
    if (!note.isEmpty())
        result.append(note);
    const QString medium = entry.field(Field::Medium);
    if (!medium.isEmpty() && medium != u"papír") {
        QString text = medium;
        text[0] = text[0].toUpper();
        result.append(text);
    }
    const QString link = entry.field(Field::Link);
    if (!link.isEmpty())
        result.append(QStringLiteral("Elérhető: ") + link);
    return result;
}

} // namespace

Kind kindOf(QStringView recordType, QStringView volumeRun)
{
    const QStringView type = recordType.trimmed();
    if (type == u"könyv")
        return Kind::Book;
    if (type == u"külön lenyomat")
        return Kind::Offprint;
    if (type == u"disszertáció")
        return Kind::Thesis;
    if (type == u"kézirat")
        return Kind::Manuscript;
    if (type == u"folyóiratcikk")
        return Kind::JournalArticle;
    if (type == u"cikk gyűjt. kötetben")
        return Kind::Chapter;
    if (type == u"rec.")
        return Kind::Review;
    // A type the table lacks: an annual run in the volume field marks an
    // article in a journal, anything else is taken for a book.
    if (volumeRun.contains(u"évf") || volumeRun.contains(u"sz."))
        return Kind::JournalArticle;
    return Kind::Book;
}

bool isArticleType(QStringView recordType)
{
    return recordType == u"folyóiratcikk" || recordType == u"cikk gyűjt. kötetben" || recordType == u"rec.";
}

QString indexForm(QStringView text)
{
    return text.toString().simplified();
}

QStringList creatorNames(const QStringList& fields)
{
    QStringList names;
    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
        const QString name =
            indexForm(CreatorSlot::of(QStringView(value(fields, RecordSchema::creator(slot)))).name);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

QList<HitRun> build(const QStringList& fields, const QStringList& roleNames)
{
    const QList<Creator> creators = FilingRules::creatorsOf(fields, roleNames);
    const Entry entry{kindOf(value(fields, Field::RecordType), value(fields, Field::VolumeRun)), creators,
                      FilingRules::headingAuthors(creators), fields};
    RunWriter out;
    writeHeading(out, entry);
    writeTitleArea(out, entry);
    if (entry.isPeriodical())
        writeJournal(out, entry);
    else if (entry.isChapter())
        writeHost(out, entry);
    else
        writeStandAlone(out, entry);
    for (const QString& note : notes(entry)) {
        out.newArea();
        out.regular(note);
    }
    out.finish(!entry.field(Field::Link).isEmpty());
    return out.take();
}

} // namespace EntryText
