#pragma once

#include "core/job/JobControl.h"
#include "core/record/DatabaseDocument.h"

#include <QObject>
#include <QString>

#include <optional>

class QThread;

// Reads a database file on a thread of its own, so the user interface stays
// responsive while hundreds of megabytes are read and split into lines. The
// document is not touched: whoever started the job takes the result when
// finished() comes and makes it the document, or drops it.
//
// A cancel stops the read at its next piece (a few megabytes later at most);
// finished() still comes, and the job then reports itself cancelled even if
// the read happened to end first, so a cancel the user saw taking effect
// always leaves the open document as it was.
class DatabaseReadJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DatabaseReadJob)

public:
    explicit DatabaseReadJob(QObject* parent = nullptr);
    // Cancels a read still running and waits for its thread.
    ~DatabaseReadJob() override;

    void start(const QString& path);
    void cancel();
    bool isRunning() const { return m_thread != nullptr; }

    // After finished(): whether it was cancelled, the failure's message
    // (empty when the file was read), and the contents read.
    bool wasCancelled() const { return m_control.wasStopRequested(); }
    const QString& errorMessage() const { return m_error; }
    DatabaseDocument::Contents takeContents();

Q_SIGNALS:
    void finished();

private:
    void read(const QString& path);
    void threadFinished();

    QThread* m_thread = nullptr;
    JobControl m_control;
    // Written by the reading thread, read only after it finished.
    std::optional<DatabaseDocument::Contents> m_contents;
    QString m_error;
};
