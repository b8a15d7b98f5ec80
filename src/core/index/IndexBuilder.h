#pragma once

#include "core/job/JobControl.h"

#include <QList>
#include <QString>
#include <QStringList>

// One entry of the "records per file" choice: its caption and the chunk size.
struct RecordsPerFileChoice
{
    QString caption;
    int limit = 0;
};

// What a run reports while it works, so a window can move its progress bars
// and a console can print. Every call comes from the thread running the build.
class IndexProgress
{
public:
    virtual ~IndexProgress() = default;

    // Before the first database: how many will be indexed.
    virtual void runStarted(int databaseCount) { Q_UNUSED(databaseCount); }
    // Database number `done` (counting from 1) is about to be read.
    virtual void databaseStarted(int done, const QString& path)
    {
        Q_UNUSED(done);
        Q_UNUSED(path);
    }
    // The current database has this many lines; not reported for an empty one.
    virtual void databaseSized(qint64 lineCount) { Q_UNUSED(lineCount); }
    // Line k (counting from 1) of the current database is indexed.
    virtual void recordIndexed(qint64 k) { Q_UNUSED(k); }
};

// Builds the index file set of a working folder from a chosen list of its
// databases: the chunk files adatb1.ztf, adatb2.ztf, … holding every database
// line unchanged, the three name lists alkoto.zda, kiado.zda and megjhely.zda,
// and the record directory fsz0.zda (chunk number per record) and fsz1.zda
// (record name per record).
//
// One pass: each database is streamed, a chunk is written as soon as it is
// full, so memory stays bounded by a few megabytes of each database being
// read plus the name lists. The name lists are collected by a second thread
// reading the same databases, and the chunk files are made ahead by a third;
// every progress call still comes from the thread that called build().
// The set is replaced as a whole: the new files are written aside and take
// the place of the previous set only once every one of them is complete.
// The first failure throws NorlaError, and a stop throws OperationCancelled;
// either ends the run with the previous set as it was. One run at a time
// works on a folder (see IndexRunLock); a second one waits a little, then
// fails naming who is indexing.
class IndexBuilder final
{
    Q_DISABLE_COPY_MOVE(IndexBuilder)

public:
    static constexpr int AutomaticRecordsPerFile = 1000;
    static constexpr int InfiniteRecordsPerFile = 99999999;

    // The 14 choices in their order: "Automatikus", "100" … "10000", "Végtelen".
    static const QList<RecordsPerFileChoice>& recordsPerFileChoices();
    // The database files a run can take: names matching *.rtf (any letter
    // case) except "adatbazis.rtf" itself, sorted ascending, letter case
    // ignored, in the collation of the user's locale.
    static QStringList offeredDatabases(const QString& startDir);
    // The sort the offered list and the name lists share.
    static void sortIgnoringCase(QStringList& names);
    // The file a listed name stands for: ".rtf" is added when the name lacks it.
    static QString databaseFileName(const QString& name);

    explicit IndexBuilder(QString startDir) : m_startDir(std::move(startDir)) {}

    void setRecordsPerFile(int limit) { m_recordsPerFile = limit > 0 ? limit : AutomaticRecordsPerFile; }
    int recordsPerFile() const { return m_recordsPerFile; }
    void setProgress(IndexProgress* progress) { m_progress = progress; }
    // How long a run waits for another run of the folder to end before it
    // gives up with a message naming who is indexing.
    static constexpr int DefaultLockWaitMs = 3000;
    void setLockWait(int ms) { m_lockWaitMs = ms; }

    // Indexes the named databases of the working folder in the order given.
    // A stop is looked for before each database and every 1024 records.
    void build(const QStringList& databaseNames, const JobControl& control = JobControl::none());

    // Figures of the last completed build.
    qint64 recordCount() const { return m_recordCount; }
    int chunkCount() const { return m_chunkCount; }

private:
    QString m_startDir;
    int m_recordsPerFile = AutomaticRecordsPerFile;
    IndexProgress* m_progress = nullptr;
    int m_lockWaitMs = DefaultLockWaitMs;
    qint64 m_recordCount = 0;
    int m_chunkCount = 0;
};
