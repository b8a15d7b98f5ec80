#pragma once

#include "core/job/JobControl.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Records that are probably the same work, over every chunk file of the
// index set: records that share a record name, and records whose work key
// (record type family, folded title without punctuation, year, folded family
// name of the first creator) is the same.
//
// One pass streams the chunks and keeps a 64-bit hash per distinct key, so
// memory grows with the number of distinct keys and not with the text; only
// the few chunks holding a repeated key are read again, to take the members'
// lines and to check their keys in full (so a hash collision never groups
// two works).
class DuplicateFinder final
{
public:
    enum class Reason
    {
        SameName,
        SameWork,
    };

    struct Member
    {
        QByteArray name;      // the record name (8-bit)
        int chunkNumber = -1; // N of adatbN.ztf, for opening the very record
        QByteArray line;      // the record's 8-bit line, as the search sees it
    };

    struct Group
    {
        Reason reason = Reason::SameName;
        QByteArray key;              // the shared name, or the work key
        std::vector<Member> members; // in index order
    };

    // Chunk files are read by this many threads at once; 0 picks one per processor.
    void setThreadCount(int threads) { m_threads = threads; }

    // The groups in the order of their first member. nullopt when a stop was
    // asked during the run. Throws NorlaError "Cannot open file" for an
    // unreadable chunk file.
    std::optional<std::vector<Group>> run(const QString& startDir,
                                          const JobControl& control = JobControl::none()) const;

    // The work key of a record line folded with Folding::unitTable(); empty
    // when the record has no title (such records are never grouped as works).
    static QByteArray workKey(QByteArrayView foldedLine);
    // The same into `key` (replacing its content), reusing its memory.
    static void workKey(QByteArrayView foldedLine, QByteArray& key);

private:
    int m_threads = 0;
};
