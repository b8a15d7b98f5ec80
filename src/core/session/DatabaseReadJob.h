#pragma once

#include "core/job/JobControl.h"
#include "core/record/DatabaseDocument.h"

#include <QString>

#include <optional>

// Reading a database file as a job beside the user interface, so the window
// stays responsive while hundreds of megabytes are read and split into lines.
// run() is the work, on the job's thread; the document is not touched:
// whoever started the job takes the result once it has ended and makes it
// the document, or drops it.
class DatabaseReadJob final
{
    Q_DISABLE_COPY_MOVE(DatabaseReadJob)

public:
    explicit DatabaseReadJob(QString path) : m_path(std::move(path)) {}

    // Reads the file. A stop is looked for between its pieces (a few
    // megabytes apart at most) and leaves nothing; a failure is kept as its
    // message.
    void run(const JobControl& control);

    // After run(): the failure's message (empty when the file was read or
    // the read was stopped), and the contents read.
    const QString& errorMessage() const { return m_error; }
    DatabaseDocument::Contents takeContents();

private:
    QString m_path;
    std::optional<DatabaseDocument::Contents> m_contents;
    QString m_error;
};
