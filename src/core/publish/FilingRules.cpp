#include "core/publish/FilingRules.h"

#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/RecordSchema.h"

#include <QDir>
#include <QFile>

namespace FilingRules {

namespace {

QString fileText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// A shipped table, followed by the lines of the file of the same name in the
// working folder, if there is one: its roles and languages replace the
// shipped ones of the same name, its given names are added.
QString tableText(const QString& name)
{
    return fileText(QStringLiteral(":/publish/") + name) + u'\n' + fileText(QDir::current().filePath(name));
}

// The lines of a table, comments and blank lines left out, each split at its tabs.
QList<QStringList> rows(QStringView text)
{
    QList<QStringList> result;
    for (const QStringView line : text.split(u'\n')) {
        const QStringView content = line.trimmed();
        if (content.isEmpty() || content.startsWith(u'#'))
            continue;
        QStringList cells;
        for (const QStringView cell : line.split(u'\t'))
            cells.append(cell.trimmed().toString());
        result.append(cells);
    }
    return result;
}

RolePlace placeOf(const QString& word)
{
    if (word == u"szerző")
        return RolePlace::Author;
    if (word == u"kötet")
        return RolePlace::Host;
    if (word == u"sorozat")
        return RolePlace::Series;
    if (word == u"megjegyzés")
        return RolePlace::Note;
    return RolePlace::Statement;
}

bool isLetter(QChar c)
{
    return c.isLetter();
}

} // namespace

const Tables& Tables::shipped()
{
    static const Tables tables(tableText(QStringLiteral("szerepek.tsv")),
                               tableText(QStringLiteral("nevelok.tsv")),
                               tableText(QStringLiteral("utonevek.tsv")));
    return tables;
}

Tables::Tables(QStringView roles, QStringView articles, QStringView givenNames)
{
    for (const QStringList& row : rows(roles))
        m_roles.insert(row.at(0).toLower(), Role{placeOf(row.value(1)), row.value(2)});
    for (const QStringList& row : rows(articles))
        m_articles.insert(row.at(0).toLower(), row.value(1).toLower().split(u' ', Qt::SkipEmptyParts));
    for (const QStringList& row : rows(givenNames)) {
        const QString name = row.at(0).toLower();
        m_givenNames.insert(name);
        if (row.value(1) == u"idegen")
            m_foreignGivenNames.insert(name);
    }
}

Role Tables::role(QStringView roleName) const
{
    const QString key = roleName.trimmed().toString().toLower();
    const auto found = m_roles.constFind(key);
    if (found != m_roles.cend())
        return *found;
    return Role{RolePlace::Statement, key};
}

QString Tables::filingTitle(QStringView title, QStringView language) const
{
    QString text = title.toString().simplified();
    qsizetype start = 0;
    while (start < text.size() && !text.at(start).isLetterOrNumber())
        ++start;
    text.remove(0, start);
    const QString lang =
        language.trimmed().isEmpty() ? QStringLiteral("magyar") : language.trimmed().toString().toLower();
    // The typographic apostrophe ("L’imprimerie") elides like the straight one.
    const QString lower = text.toLower().replace(u'’', u'\'');
    for (const QString& article : m_articles.value(lang)) {
        if (!lower.startsWith(article))
            continue;
        const qsizetype after = article.size();
        // "l'" needs no blank after it; a word article needs one, and a title
        // that is the article alone keeps it.
        const bool elided = article.endsWith(u'\'');
        if (after < lower.size() && (elided ? isLetter(lower.at(after)) : lower.at(after) == u' ')) {
            text.remove(0, elided ? after : after + 1);
            break;
        }
    }
    return text;
}

QString Tables::filingName(QStringView name) const
{
    const QString text = name.toString().simplified();
    if (text.contains(u','))
        return text;
    const QStringList words = text.split(u' ');
    if (words.size() < 2)
        return text;
    if (!m_foreignGivenNames.contains(words.first().toLower()) ||
        m_givenNames.contains(words.last().toLower()))
        return text;
    return words.last() + QStringLiteral(", ") + words.mid(0, words.size() - 1).join(u' ');
}

QList<Creator> creatorsOf(const QStringList& fields, const QStringList& roleNames, const Tables& tables)
{
    static const QStringList firstRoles{QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"),
                                        QStringLiteral("Fordító"), QStringLiteral("Bevezetést írta")};
    const QStringList& names = roleNames.isEmpty() ? firstRoles : roleNames;
    QList<Creator> creators;
    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
        const QString& text = RecordSchema::value(fields, RecordSchema::creator(slot));
        const CreatorSlot creator = CreatorSlot::of(QStringView(text));
        const QString name = creator.name.toString().simplified();
        if (name.isEmpty())
            continue;
        // An unknown code reads as the first role, the way the browse view names it.
        const int index = CodeTables::roleNameIndex(creator.role, int(names.size()));
        creators.append(Creator{name, tables.role(names.at(index))});
    }
    return creators;
}

QStringList headingAuthors(const QList<Creator>& creators)
{
    QStringList authors;
    for (const Creator& creator : creators)
        if (creator.role.place == RolePlace::Author)
            authors.append(creator.name);
    if (authors.size() > 3)
        return {};
    return authors;
}

QString filingKey(QStringView filingName)
{
    QString key = filingName.toString();
    key.replace(QStringLiteral(", "), QStringLiteral(" "));
    return key;
}

QString filingLetter(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && !text.at(start).isLetterOrNumber())
        ++start;
    if (start == text.size())
        return {};
    const QString rest = text.sliced(start).left(3).toString().toUpper();
    for (const char* digraph : {"DZS", "CS", "DZ", "GY", "LY", "NY", "SZ", "TY", "ZS"}) {
        const QString letters = QString::fromLatin1(digraph);
        if (rest.startsWith(letters)) {
            QString letter = letters.toLower();
            letter[0] = letter[0].toUpper();
            return letter;
        }
    }
    const QChar first = rest.at(0);
    if (first.isDigit())
        return QStringLiteral("0–9");
    switch (first.unicode()) {
    case u'Á':
        return QStringLiteral("A");
    case u'É':
        return QStringLiteral("E");
    case u'Í':
        return QStringLiteral("I");
    case u'Ó':
        return QStringLiteral("O");
    case u'Ö':
    case u'Ő':
        return QStringLiteral("Ö");
    case u'Ú':
        return QStringLiteral("U");
    case u'Ü':
    case u'Ű':
        return QStringLiteral("Ü");
    default:
        break;
    }
    // Other accented letters go under their base letter ("Ἰ" under "Ι", "Č" under "C").
    const QString base = QString(first).normalized(QString::NormalizationForm_D);
    return base.isEmpty() ? QString(first) : QString(base.at(0));
}

} // namespace FilingRules
