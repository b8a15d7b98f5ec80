#pragma once

#include "core/record/DatabaseDocument.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QThread;

// Keeps a copy of a modified database beside its file, so records saved into
// the document survive a crash, a killed process or a power cut until the
// user saves the database itself.
//
// The copy is written soon after each change (WriteDelay later at most) on a
// thread of its own: taking the snapshot costs the caller a copy of the line
// table, encoding and writing a million records happen elsewhere. It is
// written like every database, through a temporary file, so a crash while
// writing leaves the previous copy whole.
class RecoveryCopy final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecoveryCopy)

public:
    static constexpr int WriteDelay = 300; // milliseconds

    // The copy of the database at `databasePath`: the same name with a suffix
    // that no database listing matches.
    static QString pathFor(const QString& databasePath);
    // True when a copy exists that was written after the database file.
    static bool newerCopyExists(const QString& databasePath);

    explicit RecoveryCopy(QObject* parent = nullptr);
    ~RecoveryCopy() override;

    // `document` changed; a copy of it is written soon. The document must
    // outlive this object or the next discard().
    void documentChanged(const DatabaseDocument& document);
    // The copy that exists for `databasePath` (restored from) belongs to this
    // session now: discard() removes it.
    void adopt(const QString& databasePath);
    // The edits are saved or thrown away: no write is pending any more and
    // the copy this session wrote is removed.
    void discard();
    // Writes what is pending now and waits until it is on disk.
    void flush();

Q_SIGNALS:
    // A copy could not be written; `message` says where and why.
    void writeFailed(const QString& message);

private:
    void startWrite();
    void writeFinished();
    void waitForWriter();

    QTimer m_timer;
    const DatabaseDocument* m_document = nullptr;
    QThread* m_writer = nullptr;
    QString m_writerError; // set by the writer thread, read after it finished
    QString m_writtenPath; // the copy this session wrote, removed by discard()
    bool m_changedWhileWriting = false;
};
