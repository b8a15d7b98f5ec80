#include "core/spelling/WordList.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace {

// Long enough for another process to finish its own read-merge-write.
constexpr int LockWaitMs = 10000;

QStringList readFileWords(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {};
    return WordList::parse(TextFile::readBytes(path));
}

QString firstLetterLowered(QStringView word)
{
    QString lowered = word.toString();
    if (!lowered.isEmpty())
        lowered[0] = lowered[0].toLower();
    return lowered;
}

} // namespace

WordList WordList::ofFolder(const QString& folder)
{
    return WordList(QDir(folder).filePath(WorkFolder::AcceptedWordsFile));
}

QStringList WordList::parse(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringList words;
    for (const QString& line : QString::fromUtf8(bytes).split(u'\n')) {
        const QString word = line.trimmed();
        if (!word.isEmpty())
            words.append(word);
    }
    return words;
}

void WordList::reload()
{
    const QStringList words = readFileWords(m_path);
    m_words = QSet<QString>(words.begin(), words.end());
}

bool WordList::contains(QStringView word) const
{
    if (m_words.contains(word.toString()))
        return true;
    return !word.isEmpty() && word.front().isUpper() && m_words.contains(firstLetterLowered(word));
}

void WordList::add(const QStringList& words)
{
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs)) {
        // Only a lock someone holds means a colleague; a lock that cannot be
        // made at all is the folder's doing (write-protected, full).
        if (lock.error() != QLockFile::LockFailedError)
            throw NorlaError::cannotCreate(QFileInfo(m_path).absoluteFilePath());
        throw NorlaError(QStringLiteral("A szólista most nem írható, mert más éppen menti: %1")
                             .arg(QFileInfo(m_path).absoluteFilePath()));
    }
    QStringList onFile = readFileWords(m_path);
    QSet<QString> known(onFile.begin(), onFile.end());
    bool changed = false;
    for (const QString& raw : words) {
        const QString word = raw.trimmed();
        if (word.isEmpty() || word.contains(u'\n') || known.contains(word))
            continue;
        known.insert(word);
        onFile.append(word);
        changed = true;
    }
    if (changed) {
        QByteArray bytes;
        for (const QString& word : std::as_const(onFile))
            bytes += word.toUtf8() + '\n';
        TextFile::writeBytes(m_path, bytes);
    }
    m_words = known;
}
