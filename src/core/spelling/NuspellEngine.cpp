#include "core/record/NorlaError.h"
#include "core/spelling/SpellEngine.h"

#include <QFile>
#include <QFileInfo>

#include <nuspell/dictionary.hxx>

#include <filesystem>

namespace {

// The stems of a .dic file in UTF-8, lower case: each line's word before
// its flags. Another encoding gives none.
QSet<QString> listedStems(const QString& dicPath, bool utf8)
{
    QSet<QString> stems;
    QFile file(dicPath);
    if (!utf8 || !file.open(QIODevice::ReadOnly))
        return stems;
    file.readLine(); // the word count
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        qsizetype end = 0;
        while (end < line.size() && line[end] != '/' && line[end] != '\t' && line[end] != ' ' &&
               line[end] != '\n' && line[end] != '\r')
            ++end;
        if (end >= 2)
            stems.insert(QString::fromUtf8(line.first(end)).toLower());
    }
    return stems;
}

bool isUtf8Dictionary(const QString& affPath)
{
    QFile file(affPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("SET "))
            return line.mid(4).trimmed().toUpper() == "UTF-8";
    }
    return false;
}

// The letters of the TRY line of an .aff file in UTF-8, lower case, each
// once: the letters the dictionary's author found most often mistyped first.
QString tryLetters(const QString& affPath)
{
    QFile file(affPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool utf8 = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("SET "))
            utf8 = line.mid(4).trimmed().toUpper() == "UTF-8";
        if (!line.startsWith("TRY "))
            continue;
        if (!utf8)
            return {};
        QString letters;
        for (QChar c : QString::fromUtf8(line.mid(4).trimmed())) {
            const QChar lower = c.toLower();
            if (lower.isLetter() && !letters.contains(lower))
                letters.append(lower);
        }
        return letters;
    }
    return {};
}

// Nuspell was measured against Hunspell on the Hungarian dictionary: it
// checks words about three times faster and its checks are safe to run from
// several threads on one loaded dictionary, where Hunspell needs one copy per
// thread. Its interface speaks UTF-8 whatever encoding the dictionary files
// declare (the SET line of the .aff file; hu_HU says UTF-8, older dictionaries
// ISO8859-2 and the like): it converts the dictionary on load, so the texts
// cross over here as UTF-8 and nowhere else.
class NuspellEngine final : public SpellEngine
{
public:
    explicit NuspellEngine(const QString& affPath)
        : SpellEngine(scriptOfDictionary(QFileInfo(affPath).completeBaseName()),
                      QFileInfo(affPath).completeBaseName(), tryLetters(affPath))
    {
        const QString dicPath = affPath.chopped(4) + QStringLiteral(".dic");
        if (!QFileInfo(affPath).isReadable() || !QFileInfo(dicPath).isReadable())
            throw NorlaError(QStringLiteral("A szótár nem olvasható: %1").arg(affPath));
        try {
            m_dictionary.load_aff_dic(std::filesystem::path(affPath.toStdString()));
        } catch (const std::exception& error) {
            throw NorlaError(
                QStringLiteral("A szótár hibás (%1): %2").arg(affPath, QString::fromUtf8(error.what())));
        }
        setStems(listedStems(dicPath, isUtf8Dictionary(affPath)));
    }

    bool isCorrect(QStringView word) const override
    {
        return m_dictionary.spell(word.toUtf8().toStdString());
    }

    QStringList suggestions(QStringView word, int limit) const override
    {
        std::vector<std::string> found;
        m_dictionary.suggest(word.toUtf8().toStdString(), found);
        QStringList result;
        for (const std::string& candidate : found) {
            if (result.size() >= limit)
                break;
            const QString text = QString::fromStdString(candidate);
            if (!result.contains(text))
                result.append(text);
        }
        return result;
    }

private:
    nuspell::Dictionary m_dictionary;
};

} // namespace

QChar::Script SpellEngine::scriptOfDictionary(const QString& name)
{
    const QString language = name.section(u'_', 0, 0).toLower();
    if (language == u"el")
        return QChar::Script_Greek;
    if (language == u"ru" || language == u"uk" || language == u"bg" || language == u"mk" ||
        language == u"be" || (language == u"sr" && !name.contains(QStringLiteral("Latn"))))
        return QChar::Script_Cyrillic;
    if (language == u"he" || language == u"yi")
        return QChar::Script_Hebrew;
    return QChar::Script_Latin;
}

namespace {

// The alphabets of the dictionaries the program is used with most.
QString ownLettersOf(const QString& name)
{
    const QString language = name.section(u'_', 0, 0).toLower();
    if (language == u"hu")
        return QStringLiteral("aábcdeéfghiíjklmnoóöőpqrstuúüűvwxyz");
    if (language == u"de")
        return QStringLiteral("abcdefghijklmnopqrstuvwxyzäöüß");
    if (language == u"en")
        return QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    return {};
}

} // namespace

SpellEngine::SpellEngine(QChar::Script script, QString name, QString letters)
    : m_script(script), m_name(std::move(name)), m_letters(std::move(letters)),
      m_ownLetters(ownLettersOf(m_name))
{
    if (m_letters.isEmpty())
        m_letters = m_ownLetters.isEmpty() ? QStringLiteral("abcdefghijklmnopqrstuvwxyz") : m_ownLetters;
    // Every letter of the alphabet is tried, the likeliest ones first.
    for (QChar c : std::as_const(m_ownLetters))
        if (!m_letters.contains(c))
            m_letters.append(c);
}

bool SpellEngine::hasOwnLettersOnly(QStringView word) const
{
    if (m_ownLetters.isEmpty())
        return true;
    for (QChar c : word)
        if (c.isLetter() && !m_ownLetters.contains(c.toLower()))
            return false;
    return true;
}

bool SpellEngine::judges(QStringView word) const
{
    for (QChar c : word)
        if (c.isLetter())
            return c.script() == m_script;
    return false;
}

std::unique_ptr<SpellEngine> SpellEngine::load(const QString& affPath)
{
    return std::make_unique<NuspellEngine>(affPath);
}
