#include "core/spelling/SpellingLexicon.h"

#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/spelling/WordList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

const QString SpellingLexicon::AbbreviationsFile = QStringLiteral("roviditesek.txt");
const QString SpellingLexicon::LatinWordsFile = QStringLiteral("latin_szavak.txt");
const QString SpellingLexicon::OldSpellingFile = QStringLiteral("regi_iras.txt");

namespace {

// A Latin ending counts only at the end of a word this long: "forum" is no
// genitive plural.
constexpr qsizetype MinLatinEndingWord = 6;
// "Pálfalvinak": a name word this long or longer is still met with a suffix
// of at most MaxNameSuffix letters.
constexpr qsizetype MinSuffixedName = 4;
constexpr qsizetype MaxNameSuffix = 6;

QStringList builtInLines(const QString& name)
{
    QFile file(QStringLiteral(":/spelling/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return SpellingLexicon::tableLines(file.readAll());
}

QStringList folderLines(const QString& folder, const QString& name)
{
    const QString path = QDir(folder).filePath(name);
    if (!QFileInfo::exists(path))
        return {};
    try {
        return SpellingLexicon::tableLines(TextFile::readBytes(path));
    } catch (...) {
        // An unreadable table adds nothing; the shipped one still holds.
        return {};
    }
}

QString firstLetterLowered(QStringView word)
{
    QString lowered = word.toString();
    if (!lowered.isEmpty())
        lowered[0] = lowered[0].toLower();
    return lowered;
}

bool isAllLower(QStringView text)
{
    for (QChar c : text)
        if (c.isLetter() && !c.isLower())
            return false;
    return true;
}

} // namespace

// The word list's reading (byte-order mark, blanks, empty lines), less the
// tables' comment lines.
QStringList SpellingLexicon::tableLines(QByteArrayView bytes)
{
    QStringList lines = WordList::parse(bytes);
    lines.removeIf([](const QString& line) { return line.startsWith(u'#'); });
    return lines;
}

SpellingLexicon SpellingLexicon::builtIn()
{
    SpellingLexicon lexicon;
    lexicon.addAbbreviations(builtInLines(AbbreviationsFile));
    lexicon.addLatinWords(builtInLines(LatinWordsFile));
    lexicon.addRules(builtInLines(OldSpellingFile));
    return lexicon;
}

SpellingLexicon SpellingLexicon::ofFolder(const QString& folder)
{
    SpellingLexicon lexicon = builtIn();
    lexicon.addAbbreviations(folderLines(folder, AbbreviationsFile));
    lexicon.addLatinWords(folderLines(folder, LatinWordsFile));
    lexicon.addRules(folderLines(folder, OldSpellingFile));
    for (const QString* list :
         {&WorkFolder::CreatorsFile, &WorkFolder::PublishersFile, &WorkFolder::PlacesFile}) {
        const QString path = QDir(folder).filePath(*list);
        if (!QFileInfo::exists(path))
            continue;
        try {
            lexicon.addNames(TextFile::readUnicode(path));
        } catch (...) {
            // Without the list its names are judged like other words.
        }
    }
    return lexicon;
}

void SpellingLexicon::addAbbreviations(const QStringList& lines)
{
    for (const QString& line : lines) {
        // "Tud. és Műsz. Tájékozt.": every word of an entry stands on its own.
        for (const QString& token : line.split(u' ', Qt::SkipEmptyParts)) {
            if (token.endsWith(u'.') && token.size() > 1)
                m_dotted.insert(token.chopped(1));
            else
                m_sigla.insert(token);
        }
    }
}

void SpellingLexicon::addLatinWords(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (line.startsWith(u'-') && line.size() > 1)
            m_latinEndings.append(line.mid(1).toLower());
        else
            m_latin.insert(line.toLower());
    }
}

void SpellingLexicon::addRules(const QStringList& lines)
{
    for (const QString& line : lines) {
        const QStringList columns =
            line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (columns.size() != 3 || columns[1] == columns[2])
            continue;
        m_rules.append({columns[0].toLower(), columns[1].toLower(), columns[2].toLower()});
    }
}

void SpellingLexicon::addNames(const QStringList& names)
{
    for (const QString& name : names) {
        qsizetype start = -1;
        for (qsizetype i = 0; i <= name.size(); ++i) {
            const bool letter = i < name.size() && (name[i].isLetter() || name[i].isMark());
            if (letter && start < 0)
                start = i;
            if (!letter && start >= 0) {
                addNameWord(QStringView(name).sliced(start, i - start));
                start = -1;
            }
        }
    }
}

void SpellingLexicon::addNameWord(QStringView word)
{
    // Only words written with a capital: "és" of "Kovács és Társa" is no name.
    if (word.size() >= 2 && word.front().isUpper())
        m_names.insert(word.toString());
}

bool SpellingLexicon::isAbbreviation(QStringView word, bool fullStop) const
{
    const QSet<QString>& table = fullStop ? m_dotted : m_sigla;
    const QString key = word.toString();
    if (table.contains(key) || (word.front().isUpper() && table.contains(firstLetterLowered(word))))
        return true;
    if (fullStop && m_sigla.contains(key))
        return true; // "MKsz." closing a sentence
    const qsizetype hyphen = word.indexOf(u'-');
    if (hyphen > 0 && isAllLower(word.sliced(hyphen + 1)))
        return m_sigla.contains(word.first(hyphen).toString());
    return false;
}

namespace {

// Whether `a` and `b` differ by one letter left out, added, changed, or two
// neighbours swapped.
bool oneEditApart(QStringView a, QStringView b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1)
        return false;
    qsizetype i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (i == a.size())
        return b.size() == a.size() + 1;
    if (a.size() == b.size()) {
        if (a.sliced(i + 1) == b.sliced(i + 1))
            return true;
        return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.sliced(i + 2) == b.sliced(i + 2);
    }
    return a.sliced(i) == b.sliced(i + 1);
}

} // namespace

bool SpellingLexicon::isNearAbbreviation(QStringView word) const
{
    constexpr qsizetype MinLength = 4;
    if (word.size() < MinLength - 1 || isAbbreviation(word, true))
        return false;
    const QString lowered = firstLetterLowered(word);
    for (const QString& entry : m_dotted) {
        if (entry.size() >= MinLength && (oneEditApart(word, entry) || oneEditApart(lowered, entry)))
            return true;
    }
    return false;
}

bool SpellingLexicon::isName(QStringView word) const
{
    if (m_names.isEmpty() || word.isEmpty() || !word.front().isUpper())
        return false;
    if (m_names.contains(word.toString()))
        return true;
    const qsizetype hyphen = word.indexOf(u'-');
    if (hyphen > 0)
        return m_names.contains(word.first(hyphen).toString());
    for (qsizetype length = word.size() - 1;
         length >= MinSuffixedName && word.size() - length <= MaxNameSuffix; --length)
        if (isAllLower(word.sliced(length)) && m_names.contains(word.first(length).toString()))
            return true;
    return false;
}

bool SpellingLexicon::isLatin(QStringView word) const
{
    const QString lower = word.toString().toLower();
    if (m_latin.contains(lower))
        return true;
    if (lower.size() < MinLatinEndingWord)
        return false;
    for (const QString& ending : m_latinEndings)
        if (lower.endsWith(ending))
            return true;
    return false;
}

QList<SpellingLexicon::Rule> SpellingLexicon::rulesFor(const QString& dictionaryName) const
{
    const QString code = dictionaryName.section(u'_', 0, 0).toLower();
    QList<Rule> rules;
    for (const Rule& rule : m_rules)
        if (rule.language == u"*" || rule.language == code)
            rules.append(rule);
    return rules;
}
