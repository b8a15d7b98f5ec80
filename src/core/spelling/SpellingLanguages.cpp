#include "core/spelling/SpellingLanguages.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

// The entries of the sample nyelv.zda and the Debian dictionary of each.
// Latin, Greek (ancient) and Finnish have no hunspell dictionary in Debian.
const std::pair<const char16_t*, const char16_t*> BuiltInTable[] = {
    {u"magyar", u"hu_HU"},  {u"német", u"de_DE"},    {u"angol", u"en_US"},   {u"francia", u"fr_FR"},
    {u"olasz", u"it_IT"},   {u"orosz", u"ru_RU"},    {u"spanyol", u"es_ES"}, {u"lengyel", u"pl_PL"},
    {u"cseh", u"cs_CZ"},    {u"szlovák", u"sk_SK"},  {u"román", u"ro_RO"},   {u"horvát", u"hr_HR"},
    {u"szerb", u"sr_RS"},   {u"holland", u"nl_NL"},  {u"svéd", u"sv_SE"},    {u"török", u"tr_TR"},
    {u"görög", u"el_GR"},   {u"portugál", u"pt_PT"}, {u"dán", u"da_DK"},     {u"norvég", u"nb_NO"},
    {u"szlovén", u"sl_SI"}, {u"ukrán", u"uk_UA"},
};

const QString DefaultLanguage = QStringLiteral("magyar");

} // namespace

QStringList SpellingLanguages::defaultDictionaryFolders()
{
    QStringList folders;
    // A dictionary the user put in ~/.local/share/hunspell comes first.
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/hunspell"));
    folders.append(QStringLiteral("/usr/share/hunspell"));
    folders.append(QStringLiteral("/usr/share/myspell/dicts"));
    folders.removeDuplicates();
    return folders;
}

SpellingLanguages::SpellingLanguages() : SpellingLanguages(defaultDictionaryFolders()) {}

SpellingLanguages::SpellingLanguages(QStringList dictionaryFolders) : m_folders(std::move(dictionaryFolders))
{
    for (const auto& [language, dictionary] : BuiltInTable)
        m_table.insert(QString::fromUtf16(language), QString::fromUtf16(dictionary));
}

QString SpellingLanguages::normalized(const QString& language)
{
    return language.trimmed().toLower();
}

void SpellingLanguages::setDictionary(const QString& language, const QString& dictionaryName)
{
    m_table.insert(normalized(language), dictionaryName.trimmed());
}

QString SpellingLanguages::dictionaryName(const QString& language) const
{
    const QString key = normalized(language);
    return m_table.value(key.isEmpty() ? DefaultLanguage : key);
}

QString SpellingLanguages::affixPath(const QString& language) const
{
    const QString name = dictionaryName(language);
    // A name that could leave the dictionary folders is not a dictionary name.
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.startsWith(u'.'))
        return {};
    for (const QString& folder : m_folders) {
        const QString aff = QDir(folder).filePath(name + QStringLiteral(".aff"));
        if (QFileInfo::exists(aff) && QFileInfo::exists(aff.chopped(4) + QStringLiteral(".dic")))
            return aff;
    }
    return {};
}
