#pragma once

#include "core/check/NameTally.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The names a field offers while the user types: every form of one kind, its
// record count, and a look-up by the start of any of its words, letter case
// and accents ignored (the folding of the search's --fold).
//
// Entries are stored in rank order (most used first, then in Hungarian
// order), so the best matches of a look-up are simply the smallest entry
// numbers among the words that start with the typed text. The texts are kept
// as UTF-8 and their folded forms as 8-bit text, one block each, with a
// sorted array of word starts into the folded block: a look-up is two binary
// searches and a walk over the matching word starts.
class CompletionIndex final
{
public:
    static constexpr int DefaultLimit = 20;

    struct Entry
    {
        QString text;
        qint64 count = 0;
    };

    CompletionIndex() = default;
    // Forms equal but for letter case become one entry, under the form met
    // first (as the index's name lists keep it), with their counts summed.
    explicit CompletionIndex(const std::vector<NameForm>& forms);

    bool isEmpty() const { return m_counts.empty(); }
    qsizetype size() const { return qsizetype(m_counts.size()); }
    // Bytes held, for the memory check.
    qsizetype memoryUsed() const;

    // At most `limit` entries whose words include one starting with `typed`
    // (folded), best first.
    std::vector<Entry> lookup(QStringView typed, int limit = DefaultLimit) const;

    // The entries of several indexes for one field, merged: a text found in
    // more than one counts the records of all of them.
    static QStringList merged(const std::vector<const CompletionIndex*>& indexes, QStringView typed,
                              int limit = DefaultLimit);

private:
    QString textAt(quint32 entry) const;
    QByteArrayView foldedAt(quint32 entry) const;
    quint32 entryOfOffset(quint32 offset) const;

    QByteArray m_texts;                // UTF-8, one after the other
    std::vector<quint32> m_textStarts; // size() + 1 offsets
    QByteArray m_folded;
    std::vector<quint32> m_foldedStarts; // size() + 1 offsets
    std::vector<quint32> m_counts;
    // Offsets into m_folded, sorted by the text from there to the entry's end.
    std::vector<quint32> m_wordStarts;
    std::vector<quint32> m_wordEntries; // the entry of each word start
};
