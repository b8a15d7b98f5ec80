#include "core/check/DuplicateKeys.h"

#include "core/record/RecordSchema.h"
#include "core/record/Win1250.h"
#include "core/search/DuplicateFinder.h"
#include "core/search/Folding.h"

#include <QHash>

#include <algorithm>

namespace DuplicateKeys {

quint64 workHash(QStringView line)
{
    const QByteArray key = DuplicateFinder::workKey(Folding::fold(line));
    if (key.isEmpty())
        return 0;
    const quint64 hash = qHashBits(key.constData(), size_t(key.size()), 0x7f4au);
    return hash == 0 ? 1 : hash;
}

quint64 nameHash(QStringView line)
{
    const QStringView name = RecordSchema::recordName(line);
    if (name.isEmpty())
        return 0; // empty lines are no records to tell apart
    return qHashBits(name.data(), size_t(name.size()) * sizeof(QChar), 0x9e37u) | 1;
}

} // namespace DuplicateKeys

void IndexedWorks::add(quint64 workHash, QByteArrayView recordName8)
{
    if (workHash == 0)
        return;
    const auto at = quint32(m_names.size() / DatabaseDocument::RecordNameLength);
    QByteArray name = RecordSchema::recordName(recordName8).toByteArray();
    name.resize(DatabaseDocument::RecordNameLength, '\0');
    m_names.append(name);
    m_entries.push_back({workHash, at});
}

void IndexedWorks::finish()
{
    std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.name < b.name;
    });
}

QStringList IndexedWorks::namesOf(quint64 workHash, QStringView ownName) const
{
    QStringList names;
    if (workHash == 0)
        return names;
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), workHash,
                               [](const Entry& e, quint64 hash) { return e.hash < hash; });
    for (; it != m_entries.end() && it->hash == workHash; ++it) {
        QByteArrayView stored(m_names.constData() + qsizetype(it->name) * DatabaseDocument::RecordNameLength,
                              DatabaseDocument::RecordNameLength);
        const qsizetype end = stored.indexOf('\0');
        if (end >= 0)
            stored = stored.first(end);
        const QString name = Win1250::toUnicode(stored);
        if (name == ownName)
            continue;
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

void DocumentKeys::build(const DatabaseDocument& document, JobControl& control)
{
    build(document.snapshot(), control);
}

void DocumentKeys::build(const DatabaseDocument::Snapshot& lines, JobControl& control)
{
    clear();
    const int count = lines.lineCount();
    m_names.resize(size_t(count));
    m_works.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        if (i % 4096 == 0) {
            control.throwIfStopped();
        }
        const QStringView line = lines.line(i);
        m_names[size_t(i)] = DuplicateKeys::nameHash(line);
        m_works[size_t(i)] = DuplicateKeys::workHash(line);
    }
    m_built = true;
}

void DocumentKeys::clear()
{
    m_names.clear();
    m_works.clear();
    m_built = false;
}

void DocumentKeys::inserted(int index, QStringView line)
{
    if (!m_built || index < 0 || size_t(index) > m_names.size())
        return;
    m_names.insert(m_names.begin() + index, DuplicateKeys::nameHash(line));
    m_works.insert(m_works.begin() + index, DuplicateKeys::workHash(line));
}

void DocumentKeys::removed(int index)
{
    if (!m_built || index < 0 || size_t(index) >= m_names.size())
        return;
    m_names.erase(m_names.begin() + index);
    m_works.erase(m_works.begin() + index);
}

void DocumentKeys::replaced(int index, QStringView line)
{
    if (!m_built || index < 0 || size_t(index) >= m_names.size())
        return;
    m_names[size_t(index)] = DuplicateKeys::nameHash(line);
    m_works[size_t(index)] = DuplicateKeys::workHash(line);
}

std::vector<int> DocumentKeys::others(const std::vector<quint64>& hashes, int index)
{
    std::vector<int> found;
    if (index < 0 || size_t(index) >= hashes.size() || hashes[size_t(index)] == 0)
        return found;
    const quint64 wanted = hashes[size_t(index)];
    for (size_t i = 0; i < hashes.size(); ++i)
        if (hashes[i] == wanted && int(i) != index)
            found.push_back(int(i));
    return found;
}

std::vector<int> DocumentKeys::sameName(int index) const
{
    return others(m_names, index);
}

std::vector<int> DocumentKeys::sameWork(int index) const
{
    return others(m_works, index);
}
