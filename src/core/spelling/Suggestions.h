#pragma once

#include "core/spelling/SpellingLexicon.h"

#include <QList>
#include <QStringList>
#include <QStringView>

#include <functional>

class SpellEngine;

// What might have been meant by an unknown word. The engine's own
// suggestions miss many single-letter typos of long Hungarian compounds (for
// "könyvtártörtnet" Nuspell offers only "könyvtárt"), so every word one edit
// away is tried against the dictionary as well, and those come first: a
// letter with its accent changed, two letters swapped, a doubled letter
// dropped or added, then any letter left out, added or changed.
namespace Suggestions {

// How often a word is met (in the database being checked, say); 0 for never.
using Frequency = std::function<int(QStringView word)>;

// The dictionary's words one edit from `word`, likeliest first; a capital
// first letter is kept.
QStringList singleEdits(const SpellEngine& engine, QStringView word, int limit);
// Whether any dictionary word lies one edit from `word`: an unknown word
// with a capital that has none is far likelier a name than a typo.
bool hasSingleEdit(const SpellEngine& engine, QStringView word);

// The forms the old-spelling rules make of `word` that the dictionary knows
// ("czím" -> "cím"): each rule applied at one place or at all, at most two
// rules together.
QStringList modernForms(const SpellEngine& engine, QStringView word,
                        const QList<SpellingLexicon::Rule>& rules, int limit);

// At most `limit` suggestions: the modern forms by `rules`, the single edits
// (those the engine suggests too, then the more frequent, first), then the
// engine's other suggestions.
QStringList forWord(const SpellEngine& engine, QStringView word, int limit,
                    const QList<SpellingLexicon::Rule>& rules = {}, const Frequency& frequency = {});

} // namespace Suggestions
