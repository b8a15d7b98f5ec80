#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

// One loaded dictionary, as the rest of the program sees it: is a word
// known, and what might have been meant. The engine behind it is chosen in
// one place (SpellEngine::load), so changing it touches no caller.
//
// isCorrect() and suggestions() may be called from several threads at once:
// the whole-database run shares one loaded dictionary between its workers.
class SpellEngine
{
public:
    virtual ~SpellEngine() = default;

    virtual bool isCorrect(QStringView word) const = 0;
    // At most `limit` candidates, the likeliest first.
    virtual QStringList suggestions(QStringView word, int limit) const = 0;

    // Loads the dictionary whose affix file is `affPath` (its word file lies
    // beside it with the extension .dic). Throws NorlaError with a message
    // for the user when either file cannot be read or understood.
    static std::unique_ptr<SpellEngine> load(const QString& affPath);

protected:
    SpellEngine() = default;
    Q_DISABLE_COPY_MOVE(SpellEngine)
};
