#include "core/exchange/ExchangeRecord.h"

#include "core/exchange/CharacterScan.h"
#include "core/record/RecordLine.h"

#include <QRegularExpression>

#include <QVarLengthArray>

#include <array>

namespace Exchange {

namespace {

constexpr int SlotCount = RecordSchema::CreatorCount;

const QString kBook = QStringLiteral("könyv");
const QString kArticle = QStringLiteral("folyóiratcikk");
const QString kInCollection = QStringLiteral("cikk gyűjt. kötetben");
const QString kOffprint = QStringLiteral("külön lenyomat");
const QString kReview = QStringLiteral("rec.");
const QString kTranslation = QStringLiteral("fordítás");
const QString kPaper = QStringLiteral("papír");

// A value that would end a field early: "**" inside it, or a "*" at its end
// that joins the next separator. A blank keeps the asterisks apart.
QString fieldSafe(QStringView text)
{
    QString value = RecordLine::singleLine(text);
    while (value.contains(u"**"))
        value.replace(QStringLiteral("**"), QStringLiteral("* *"));
    if (value.endsWith(u'*'))
        value.append(u' ');
    return value;
}

// Most values hold neither a line break nor an asterisk and go into the line
// as they are.
bool isFieldSafe(QStringView value)
{
    return !CharacterScan::containsFieldBreaker(value.begin(), value.end());
}

// Fills a line through a pointer rather than append by append; the size
// given is what safe values need, and the rare value that grows when made
// safe grows the buffer.
class LineWriter final
{
public:
    explicit LineWriter(qsizetype size) : m_line(size, Qt::Uninitialized), m_at(m_line.data()) {}

    void field(QStringView value)
    {
        this->value(value);
        separator();
    }

    void value(QStringView value)
    {
        reserve(value.size());
        if (CharacterScan::copyUnlessFieldBreaker(value.begin(), value.end(), m_at))
            m_at += value.size();
        else
            copy(fieldSafe(value));
    }

    void copy(QStringView text)
    {
        reserve(text.size());
        std::copy_n(text.data(), text.size(), m_at);
        m_at += text.size();
    }

    void separator()
    {
        reserve(RecordLine::Separator.size());
        m_at[0] = RecordLine::Separator[0];
        m_at[1] = RecordLine::Separator[1];
        m_at += 2;
    }

    QString take()
    {
        m_line.truncate(m_at - m_line.constData());
        return std::move(m_line);
    }

private:
    void reserve(qsizetype more)
    {
        const qsizetype used = m_at - m_line.constData();
        if (used + more > m_line.size()) {
            m_line.resize(qMax(used + more, 2 * m_line.size()));
            m_at = m_line.data() + used;
        }
    }

    QString m_line;
    QChar* m_at;
};

} // namespace

EntryKind entryKindOf(QStringView type)
{
    if (type == kBook || type == kTranslation)
        return EntryKind::Book;
    if (type == kArticle || type == kOffprint || type == kReview)
        return EntryKind::Article;
    if (type == kInCollection)
        return EntryKind::InCollection;
    return EntryKind::Other;
}

QString recordTypeOf(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Book:
        return kBook;
    case EntryKind::Article:
        return kArticle;
    case EntryKind::InCollection:
        return kInCollection;
    case EntryKind::Other:
        break;
    }
    return {};
}

bool needsTypeNote(QStringView type)
{
    return !type.isEmpty() && recordTypeOf(entryKindOf(type)) != type;
}

QString roleCaption(const Creator& creator)
{
    static const std::array<QString, 4> captions = {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"),
                                                    QStringLiteral("Fordító"),
                                                    QStringLiteral("Bevezetést írta")};
    if (const std::optional<Role> role = creator.ownRole())
        return captions[size_t(RecordSchema::slotOf(*role))];
    return QStringLiteral("Alkotó (%1)").arg(creator.roleCode);
}

QString creatorNote(const Creator& creator)
{
    return QStringLiteral("Alkotó (%1): %2").arg(creator.roleCode, creator.name);
}

namespace {

// The usual creator note, "Alkotó (07): Név" on one line of plain letters,
// read by hand; anything else goes to the pattern, which settles the rare
// cases (surrogate pairs, line breaks) as it always has.
bool isPlainCreatorNote(QStringView text)
{
    constexpr qsizetype kNameAt = 13; // after "Alkotó (07): "
    if (text.size() <= kNameAt || text.sliced(10, 3) != u"): ")
        return false;
    for (const QChar c : text.sliced(8))
        if (c == u'\n' || c.isSurrogate())
            return false;
    return true;
}

} // namespace

bool parseCreatorNote(QStringView text, Creator* creator)
{
    if (!text.startsWith(u"Alkotó (")) // most notes are not creators
        return false;
    if (isPlainCreatorNote(text)) {
        creator->roleCode = text.sliced(8, 2).toString();
        creator->name = text.sliced(13).toString();
        return true;
    }
    static const QRegularExpression pattern(QStringLiteral("^Alkotó \\((..)\\): (.+)$"));
    const QRegularExpressionMatch match = pattern.match(text.toString());
    if (!match.hasMatch())
        return false;
    creator->roleCode = match.captured(1);
    creator->name = match.captured(2);
    return true;
}

bool isOnPaper(QStringView medium)
{
    return medium.isEmpty() || medium == kPaper;
}

void appendToNote(QString& note, const QString& part)
{
    if (part.isEmpty())
        return;
    if (!note.isEmpty())
        note.append(QStringLiteral("; "));
    note.append(part);
}

void finishImported(Record& record, QString note, const QStringList& extras)
{
    for (const QString& extra : extras)
        appendToNote(note, extra);
    record.note = note;
    bool translated = false;
    for (const Creator& creator : std::as_const(record.creators))
        translated = translated || creator.ownRole() == Role::Translator;
    record.translation = translated ? QStringLiteral("1") : QStringLiteral("0");
    if (record.medium.isEmpty())
        record.medium = kPaper;
}

Record Record::fromLine(QStringView line)
{
    const QStringList fields = RecordLine::split(line);
    const auto f = [&fields](Field field) -> const QString& { return RecordSchema::value(fields, field); };
    Record r;
    r.name = f(Field::RecordName);
    r.type = f(Field::RecordType);
    r.subject = f(Field::Subject);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QString& value = f(RecordSchema::creator(slot));
        if (value.size() > RecordSchema::RoleCodeLength)
            r.creators.append(
                Creator{value.left(RecordSchema::RoleCodeLength), value.mid(RecordSchema::RoleCodeLength)});
    }
    r.title = f(Field::Title);
    r.publication = f(Field::Publication);
    r.publisher = f(Field::Publisher);
    r.volume = f(Field::VolumeRun);
    r.year = f(Field::Year);
    r.pages = f(Field::Pages);
    r.place = f(Field::Place);
    r.note = f(Field::Note);
    r.link = f(Field::Link);
    r.translation = f(Field::Translation);
    r.language = f(Field::Language);
    r.medium = f(Field::Medium);
    return r;
}

QString Record::toLine() const
{
    std::array<const Creator*, SlotCount> taken{};
    QVarLengthArray<const Creator*, SlotCount> rest;
    for (const Creator& creator : creators) {
        const std::optional<Role> role = creator.ownRole();
        if (role && !taken[size_t(RecordSchema::slotOf(*role))])
            taken[size_t(RecordSchema::slotOf(*role))] = &creator;
        else
            rest.append(&creator);
    }
    QString fullNote = note;
    // A second creator of one of the first four roles follows the first one
    // (the next free slot); a creator of any other role usually stands in
    // the last slot, so it takes the last free one.
    for (const Creator* creator : std::as_const(rest)) {
        auto free = taken.end();
        if (creator->ownRole()) {
            free = std::find(taken.begin(), taken.end(), nullptr);
        } else {
            const auto last = std::find(taken.rbegin(), taken.rend(), nullptr);
            if (last != taken.rend())
                free = std::prev(last.base());
        }
        if (free != taken.end())
            *free = creator;
        else
            appendToNote(fullNote, QStringLiteral("%1: %2").arg(roleCaption(*creator), creator->name));
    }
    // The line is written field by field straight into one buffer sized for
    // it: an import builds one for every entry it reads.
    qsizetype size = 2 * (RecordLine::FieldCount - 1) + 4 * 2 + name.size() + type.size() + subject.size() +
                     title.size() + publication.size() + publisher.size() + volume.size() + year.size() +
                     pages.size() + place.size() + fullNote.size() + link.size() + translation.size() +
                     language.size() + medium.size();
    for (const Creator* creator : taken)
        size += creator ? creator->name.size() : 0;
    LineWriter line(size);
    line.field(name);
    line.field(type);
    line.field(subject);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const Creator* creator = taken[size_t(slot)];
        if (!creator) {
            const char16_t code[] = {u'0', char16_t(u'1' + slot)};
            line.field(QStringView(code, 2));
        } else if (isFieldSafe(creator->roleCode) && isFieldSafe(creator->name)) {
            line.copy(creator->roleCode);
            line.copy(creator->name);
            line.separator();
        } else {
            line.field(creator->roleCode + creator->name);
        }
    }
    for (const QString* value : {&title, &publication, &publisher, &volume, &year, &pages, &place,
                                 static_cast<const QString*>(&fullNote), &link, &translation, &language})
        line.field(*value);
    line.value(medium);
    return line.take();
}

} // namespace Exchange
