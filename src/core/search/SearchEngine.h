#pragma once

#include "core/job/JobControl.h"
#include "core/record/FieldGrid.h"
#include "core/search/SearchCriteria.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// Where the search delivers its output, always on the calling thread and in
// hit order.
class SearchSink
{
public:
    virtual ~SearchSink() = default;
    // Every hit. `record` is the decoded record for the hits whose running
    // number is below 500 (the ones the results text takes), nullptr after.
    virtual void hit(QByteArrayView recordName, const FieldGrid* record) = 0;
    // The hits that follow come from chunk file adatbN.ztf with this N (-1
    // for a chunk file whose name carries no number); several records may
    // share a name, and the chunk tells which of them a hit is.
    virtual void chunkStarted(int chunkNumber) { Q_UNUSED(chunkNumber); }
    // Every hit's line as the chunk file holds it (all its characters), right
    // after hit(); only when the engine was asked to keep the lines.
    virtual void hitLine(QStringView line) { Q_UNUSED(line); }
    // A chunk file has been searched to its end.
    virtual void chunkFinished() {}
    // Progress within the chunk file being searched (units of its text).
    virtual void progress(qint64 done, qint64 total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    // The index set was replaced under the search after some of its hits
    // were delivered: they are to be forgotten, for the search starts again
    // over the new set. A sink that cannot take back what it passed on
    // returns false, and the search then fails with a message instead.
    virtual bool restart() { return false; }
};

// The composite search over the chunk files adatb*.ztf of a working folder.
class SearchEngine final
{
public:
    // The results text takes the entries of the hits numbered 1 … 499.
    static constexpr qint64 MaxResultEntries = 499;

    // `roles`: the role list (szerep.zda, 8-bit lines).
    SearchEngine(const SearchCriteria& criteria, const QList<QByteArray>& roles);

    // Chunk files are read by this many threads at once (the output does not
    // depend on it); 0 picks one per processor.
    void setThreadCount(int threads) { m_threads = threads; }
    // Hands every hit's whole line to SearchSink::hitLine (for an export).
    void setKeepLines(bool keep) { m_keepLines = keep; }

    // Visits the chunk files in order and reports every hit to the sink;
    // returns the hit count. A chunk file that cannot be read throws
    // NorlaError "Cannot open file" after the hits of the files before it.
    // A stop is looked for between chunk files and while waiting for one; it
    // throws OperationCancelled after the hits already delivered. A search
    // that meets an index run replacing the set starts again over the
    // new set (see SearchSink::restart), so it answers from one set, old or
    // new.
    qint64 run(const QString& startDir, SearchSink& sink,
               const JobControl& control = JobControl::none()) const;

    // The chunk files of the folder in visiting order: names ascending as
    // text with letter case ignored (adatb10.ztf before adatb2.ztf).
    static QStringList chunkFiles(const QString& startDir);
    // N of a chunk file adatbN.ztf (a path or a name); -1 when the name holds no number.
    static int chunkNumberOf(const QString& chunkPath);

private:
    qint64 runOnce(const QString& startDir, SearchSink& sink, const JobControl& control,
                   const std::function<bool()>& setChanged) const;

    SearchCriteria m_criteria;
    QList<QByteArray> m_roles;
    int m_threads = 0;
    bool m_keepLines = false;
};
