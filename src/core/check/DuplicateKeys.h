#pragma once

#include "core/job/JobControl.h"
#include "core/record/DatabaseDocument.h"

#include <QByteArray>
#include <QStringList>
#include <QStringView>

#include <vector>

// The duplicate finder's rule for one record at a time: two records are
// probably the same when they share a record name, or when their work keys
// (type family, folded title, year, first creator's family name) are equal.
// Records are kept as 64-bit hashes of those keys, so a million of them cost
// a few megabytes; a collision of two hashes is left to chance (one in 2^64).
namespace DuplicateKeys {

// 0 when the record has no title: such records are never taken for one work.
quint64 workHash(QStringView line);
quint64 nameHash(QStringView line);

} // namespace DuplicateKeys

// The records of the index set by work key, for finding the indexed twin of
// a record of the open document.
class IndexedWorks final
{
public:
    void add(quint64 workHash, QByteArrayView recordName8);
    // Sorts what was added; lookups need it.
    void finish();
    bool isEmpty() const { return m_entries.empty(); }
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // The names (as the lists show them) of the indexed records with this key, leaving out
    // those named `ownName`: an indexed copy of the very record is no twin.
    QStringList namesOf(quint64 workHash, QStringView ownName) const;

private:
    struct Entry
    {
        quint64 hash;
        quint32 name; // index of its ten bytes in m_names
    };
    std::vector<Entry> m_entries;
    QByteArray m_names;
};

// The keys of every line of the open document, following its edits, so a
// saved record is compared with all the others without reading them again.
class DocumentKeys final
{
public:
    // Throws OperationCancelled when `control` asks to stop.
    void build(const DatabaseDocument& document, JobControl& control);
    void build(const DatabaseDocument::Snapshot& lines, JobControl& control);
    bool isBuilt() const { return m_built; }
    void clear();

    void inserted(int index, QStringView line);
    void removed(int index);
    void replaced(int index, QStringView line);

    // The other lines with the name, or the work, of line `index`.
    std::vector<int> sameName(int index) const;
    std::vector<int> sameWork(int index) const;

private:
    static std::vector<int> others(const std::vector<quint64>& hashes, int index);

    std::vector<quint64> m_names;
    std::vector<quint64> m_works;
    bool m_built = false;
};
