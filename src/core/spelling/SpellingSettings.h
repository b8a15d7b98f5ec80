#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class SpellingLanguages;

// The proofreading's lines of the settings file (config.kzs), all under the
// key prefix "helyesiras.":
//   helyesiras.regi_ev=1922           records published before this year are
//                                     read as old spelling
//   helyesiras.szotar.latin=la_VA     the dictionary of a language, over the
//                                     built-in table (one line per language)
struct SpellingSettings
{
    static constexpr int DefaultOldSpellingYear = 1922;

    int oldSpellingBefore = DefaultOldSpellingYear;
    QList<std::pair<QString, QString>> dictionaries;

    // Reads the lines of a settings file; other keys and bad values are passed over.
    static SpellingSettings parse(const QStringList& lines);
    // The settings of the working folder; a missing or unreadable file gives the defaults.
    static SpellingSettings read(const QString& startDir);
    void applyTo(SpellingLanguages& languages) const;
};
