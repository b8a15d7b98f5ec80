#include "core/spelling/WordChecker.h"

#include "core/spelling/WordList.h"

bool WordChecker::isKnown(QStringView word)
{
    if (!m_engine || !m_engine->judges(word))
        return true;
    const QString key = word.toString();
    if ((m_accepted && m_accepted->contains(word)) || (m_skipped && m_skipped->contains(key)))
        return true;
    const auto found = m_verdicts.constFind(key);
    if (found != m_verdicts.cend())
        return *found;
    if (m_verdicts.size() >= MaxRemembered)
        m_verdicts.clear();
    const bool correct = m_engine->isCorrect(word);
    m_verdicts.insert(key, correct);
    return correct;
}
