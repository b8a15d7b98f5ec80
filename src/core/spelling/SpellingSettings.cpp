#include "core/spelling/SpellingSettings.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"
#include "core/spelling/SpellingLanguages.h"

#include <QFileInfo>

namespace {

const QString YearKey = QStringLiteral("helyesiras.regi_ev");
const QString DictionaryPrefix = QStringLiteral("helyesiras.szotar.");

} // namespace

SpellingSettings SpellingSettings::parse(const QStringList& lines)
{
    SpellingSettings settings;
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == YearKey) {
            bool ok = false;
            const int year = value.toInt(&ok);
            if (ok)
                settings.oldSpellingBefore = year;
        } else if (key.startsWith(DictionaryPrefix) && key.size() > DictionaryPrefix.size() &&
                   !value.isEmpty()) {
            settings.dictionaries.append({key.mid(DictionaryPrefix.size()), value});
        }
    }
    return settings;
}

SpellingSettings SpellingSettings::read(const QString& startDir)
{
    const QString path = startDir + u'/' + WorkFolder::SettingsFile;
    if (!QFileInfo::exists(path))
        return {};
    try {
        return parse(TextFile::read8Bit(path));
    } catch (const NorlaError&) {
        // The editor reports an unreadable settings file where it reads it;
        // proofreading goes on with its defaults.
        return {};
    }
}

void SpellingSettings::applyTo(SpellingLanguages& languages) const
{
    for (const auto& [language, dictionary] : dictionaries)
        languages.setDictionary(language, dictionary);
}
