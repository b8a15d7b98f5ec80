#include "core/check/CompletionIndex.h"

#include "core/search/Folding.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

bool isWordStart(QByteArrayView folded, qsizetype i)
{
    const auto isLetterOrDigit = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u >= 0x80;
    };
    return isLetterOrDigit(folded[i]) && (i == 0 || !isLetterOrDigit(folded[i - 1]));
}

struct Merged
{
    QString text;
    QByteArray folded;
    qint64 count = 0;
};

} // namespace

CompletionIndex::CompletionIndex(const std::vector<NameForm>& forms)
{
    // Letter case only: accents tell different forms apart.
    std::vector<Merged> merged;
    QHash<QString, qsizetype> byLower;
    for (const NameForm& form : forms) {
        const QString lower = form.text.toLower();
        const auto it = byLower.constFind(lower);
        if (it != byLower.cend()) {
            merged[size_t(*it)].count += form.count;
            continue;
        }
        byLower.insert(lower, qsizetype(merged.size()));
        merged.push_back({form.text, Folding::fold(form.text), form.count});
    }
    byLower.clear();

    QCollator collator{QLocale(QLocale::Hungarian, QLocale::Hungary)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(merged.size());
    for (const Merged& m : merged)
        keys.push_back(collator.sortKey(m.text));
    std::vector<quint32> order(merged.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        if (merged[a].count != merged[b].count)
            return merged[a].count > merged[b].count;
        const int c = keys[a].compare(keys[b]);
        return c != 0 ? c < 0 : merged[a].text < merged[b].text;
    });
    keys.clear();
    keys.shrink_to_fit();

    m_textStarts.reserve(merged.size() + 1);
    m_foldedStarts.reserve(merged.size() + 1);
    m_counts.reserve(merged.size());
    for (const quint32 i : order) {
        const Merged& m = merged[i];
        m_textStarts.push_back(quint32(m_texts.size()));
        m_texts.append(m.text.toUtf8());
        m_foldedStarts.push_back(quint32(m_folded.size()));
        m_folded.append(m.folded);
        m_counts.push_back(quint32(qMin<qint64>(m.count, 0xffffffffLL)));
    }
    m_textStarts.push_back(quint32(m_texts.size()));
    m_foldedStarts.push_back(quint32(m_folded.size()));
    merged.clear();
    merged.shrink_to_fit();

    for (quint32 e = 0; e < quint32(m_counts.size()); ++e) {
        const QByteArrayView folded = foldedAt(e);
        for (qsizetype i = 0; i < folded.size(); ++i)
            if (isWordStart(folded, i))
                m_wordStarts.push_back(m_foldedStarts[e] + quint32(i));
    }
    // Each word start is ordered by the text from it to its entry's end.
    std::vector<quint32> ends(m_wordStarts.size());
    for (size_t w = 0; w < m_wordStarts.size(); ++w)
        ends[w] = m_foldedStarts[entryOfOffset(m_wordStarts[w]) + 1];
    std::vector<quint32> byText(m_wordStarts.size());
    std::iota(byText.begin(), byText.end(), 0u);
    const char* base = m_folded.constData();
    std::sort(byText.begin(), byText.end(), [&](quint32 a, quint32 b) {
        const QByteArrayView ta(base + m_wordStarts[a], ends[a] - m_wordStarts[a]);
        const QByteArrayView tb(base + m_wordStarts[b], ends[b] - m_wordStarts[b]);
        const int c = ta.compare(tb);
        return c != 0 ? c < 0 : m_wordStarts[a] < m_wordStarts[b];
    });
    std::vector<quint32> sorted(m_wordStarts.size());
    m_wordEntries.resize(m_wordStarts.size());
    for (size_t w = 0; w < byText.size(); ++w) {
        sorted[w] = m_wordStarts[byText[w]];
        m_wordEntries[w] = entryOfOffset(sorted[w]);
    }
    m_wordStarts.swap(sorted);
    m_texts.squeeze();
    m_folded.squeeze();
}

qsizetype CompletionIndex::memoryUsed() const
{
    return m_texts.capacity() + m_folded.capacity() +
           qsizetype((m_textStarts.capacity() + m_foldedStarts.capacity() + m_counts.capacity() +
                      m_wordStarts.capacity() + m_wordEntries.capacity()) *
                     sizeof(quint32));
}

QString CompletionIndex::textAt(quint32 entry) const
{
    return QString::fromUtf8(m_texts.constData() + m_textStarts[entry],
                             m_textStarts[entry + 1] - m_textStarts[entry]);
}

QByteArrayView CompletionIndex::foldedAt(quint32 entry) const
{
    return QByteArrayView(m_folded.constData() + m_foldedStarts[entry],
                          m_foldedStarts[entry + 1] - m_foldedStarts[entry]);
}

quint32 CompletionIndex::entryOfOffset(quint32 offset) const
{
    const auto it = std::upper_bound(m_foldedStarts.begin(), m_foldedStarts.end(), offset);
    return quint32(it - m_foldedStarts.begin()) - 1;
}

std::vector<CompletionIndex::Entry> CompletionIndex::lookup(QStringView typed, int limit) const
{
    std::vector<Entry> found;
    const QByteArray wanted = Folding::fold(typed);
    if (wanted.isEmpty() || m_wordStarts.empty() || limit <= 0)
        return found;
    const char* base = m_folded.constData();
    // The word starts whose text (up to its entry's end) begins with
    // `wanted` form one run of the sorted array.
    const auto prefixOf = [&](size_t w) {
        const quint32 offset = m_wordStarts[w];
        const quint32 end = m_foldedStarts[m_wordEntries[w] + 1];
        return QByteArrayView(base + offset, qMin<qsizetype>(wanted.size(), end - offset));
    };
    size_t low = 0;
    size_t high = m_wordStarts.size();
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (prefixOf(mid) < wanted)
            low = mid + 1;
        else
            high = mid;
    }
    const size_t first = low;
    high = m_wordStarts.size();
    while (low < high) {
        const size_t mid = (low + high) / 2;
        if (prefixOf(mid) == wanted)
            low = mid + 1;
        else
            high = mid;
    }
    const size_t last = low;
    // The best entries are the smallest numbers among the run's entries.
    std::vector<quint32> best;
    best.reserve(size_t(limit) + 1);
    for (size_t w = first; w < last; ++w) {
        const quint32 entry = m_wordEntries[w];
        if (qsizetype(best.size()) == limit && entry >= best.back())
            continue;
        const auto at = std::lower_bound(best.begin(), best.end(), entry);
        if (at != best.end() && *at == entry)
            continue;
        best.insert(at, entry);
        if (qsizetype(best.size()) > limit)
            best.pop_back();
    }
    found.reserve(best.size());
    for (const quint32 entry : best)
        found.push_back({textAt(entry), m_counts[entry]});
    return found;
}

QStringList CompletionIndex::merged(const std::vector<const CompletionIndex*>& indexes, QStringView typed,
                                    int limit)
{
    std::vector<Entry> all;
    for (const CompletionIndex* index : indexes) {
        if (!index)
            continue;
        for (Entry& entry : index->lookup(typed, limit)) {
            const auto same = std::find_if(all.begin(), all.end(), [&](const Entry& e) {
                return e.text.compare(entry.text, Qt::CaseInsensitive) == 0;
            });
            if (same != all.end())
                same->count += entry.count;
            else
                all.push_back(std::move(entry));
        }
    }
    QCollator collator{QLocale(QLocale::Hungarian, QLocale::Hungary)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(all.begin(), all.end(), [&](const Entry& a, const Entry& b) {
        if (a.count != b.count)
            return a.count > b.count;
        return collator.compare(a.text, b.text) < 0;
    });
    QStringList texts;
    for (qsizetype i = 0; i < qsizetype(all.size()) && i < limit; ++i)
        texts.append(all[size_t(i)].text);
    return texts;
}
