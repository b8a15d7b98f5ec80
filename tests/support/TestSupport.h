#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// A temporary working folder that is the process's current directory while
// the object lives (the program takes its start directory from there).
class TempWorkDir
{
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.path() + u'/' + name; }

    // Copies every file of the sample working folder (data/) in.
    void seedFromSample() const;
    void writeBytes(const QString& name, const QByteArray& bytes) const;
    QByteArray readBytes(const QString& name) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

QString testDataPath(const QString& name);
// Unicode text file bytes (FF FE, UTF-16LE, CR LF after every line).
QByteArray unicodeFileBytes(const QStringList& lines);

// What a program run as its own process left: its exit code (-1 when it
// crashed or did not finish within two minutes) and both output streams.
struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs `program` in `workDir` (the test's own folder when empty), feeding it
// `input` on standard input, and waits for it to end.
ProgramRun runProgram(const QString& program, const QStringList& args, const QString& workDir = {},
                      const QByteArray& input = {});

// Every entry under a folder, hidden ones and folders too, with the bytes
// of each file; a link is shown by where it leads.
QMap<QString, QByteArray> folderContents(const QString& path);

// The message of the NorlaError an action throws; empty when it throws none.
QString errorOf(const std::function<void()>& action);

// The message of a file that cannot be read or written, as the program gives
// it for `path` as the file system stands now: "Cannot open file <path>" or
// "Cannot create file <path>", then the Hungarian line with the cause.
QString cannotOpenFile(const QString& path);
QString cannotCreateFile(const QString& path);
