#pragma once

#include "core/check/DuplicateKeys.h"
#include "core/job/JobControl.h"
#include "core/record/DatabaseDocument.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <unordered_map>
#include <vector>

// The kinds of names that are completed and grouped: the three name lists of
// the index set, and the publications (journals, series, volume titles).
enum class NameKind
{
    Creator,
    Publisher,
    Place,
    Publication,
};
inline constexpr int NameKindCount = 4;

// One written form of a name, how many records use it, and which databases
// (positions in NameTally::databases()) they are in.
struct NameForm
{
    QString text;
    qint64 count = 0;
    QList<int> databases;
};

// Every name form of a set of records, counted: one pass over the chunk files
// of an index set, or over the lines of a document. A candidate is taken as
// the index's name lists take it: at least two characters, nothing trimmed;
// a creator without its two-character role code.
class NameTally final
{
public:
    // Forms in the order first met.
    const std::vector<NameForm>& forms(NameKind kind) const { return m_forms[size_t(kind)]; }
    // The databases the index set was built from, when its note names them.
    const QStringList& databases() const { return m_databases; }
    qint64 recordCount() const { return m_records; }

    void add(NameKind kind, QStringView text, int database, qint64 count = 1);
    // Takes every name of one record line.
    void addRecord(QStringView line, int database);
    // Adds another tally's forms (its databases numbered as this one's).
    void merge(const NameTally& other);

    // Reads every chunk file of the index set in `startDir`; with `works`,
    // also notes each record's work key there. Throws NorlaError "Cannot
    // open file" for an unreadable chunk, OperationCancelled on a stop.
    static NameTally fromIndexSet(const QString& startDir, JobControl& control,
                                  IndexedWorks* works = nullptr);
    static NameTally fromLines(const DatabaseDocument::Snapshot& lines, JobControl& control);

private:
    std::array<std::vector<NameForm>, NameKindCount> m_forms;
    // Looked up by the text as it stands in its line: a name met again, as
    // most are, costs no copy.
    struct TextHash
    {
        // The standard library looks for exactly this name to allow
        // look-ups by QStringView without building a QString.
        using is_transparent = void; // NOLINT(readability-identifier-naming)
        std::size_t operator()(QStringView text) const noexcept { return qHash(text); }
    };
    struct TextEqual
    {
        using is_transparent = void; // NOLINT(readability-identifier-naming)
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };
    std::array<std::unordered_map<QString, qsizetype, TextHash, TextEqual>, NameKindCount> m_positions;
    QStringList m_databases;
    qint64 m_records = 0;
};
