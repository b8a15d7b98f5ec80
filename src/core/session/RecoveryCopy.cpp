#include "core/session/RecoveryCopy.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

QString RecoveryCopy::pathFor(const QString& databasePath)
{
    return databasePath + QStringLiteral(".norla-helyreallitas");
}

bool RecoveryCopy::newerCopyExists(const QString& databasePath)
{
    const QFileInfo copy(pathFor(databasePath));
    const QFileInfo database(databasePath);
    return copy.isFile() && (!database.exists() || copy.lastModified() >= database.lastModified());
}

RecoveryCopy::RecoveryCopy(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(WriteDelay);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryCopy::startWrite);
}

RecoveryCopy::~RecoveryCopy()
{
    m_timer.stop();
    waitForWriter();
}

void RecoveryCopy::documentChanged(const DatabaseDocument& document)
{
    if (!document.hasFile())
        return;
    m_document = &document;
    if (m_writer) {
        m_changedWhileWriting = true;
        return;
    }
    // Not restarted by further changes, so a steady stream of edits still
    // reaches the disk within the delay.
    if (!m_timer.isActive())
        m_timer.start();
}

void RecoveryCopy::adopt(const QString& databasePath)
{
    m_writtenPath = pathFor(databasePath);
}

void RecoveryCopy::startWrite()
{
    if (!m_document || m_writer)
        return;
    const QString target = pathFor(m_document->path());
    if (!m_writtenPath.isEmpty() && m_writtenPath != target)
        QFile::remove(m_writtenPath); // the database was saved under another name
    m_writtenPath = target;
    m_writerError.clear();
    m_writer = QThread::create([this, snapshot = m_document->snapshot(), target] {
        try {
            TextFile::writeBytes(target, snapshot.encode());
        } catch (const NorlaError& error) {
            m_writerError = error.message();
        }
    });
    // A write that flush() or discard() already waited for is done with.
    QThread* writer = m_writer;
    connect(writer, &QThread::finished, this, [this, writer] {
        if (m_writer == writer)
            writeFinished();
    });
    m_writer->start(QThread::LowPriority);
}

void RecoveryCopy::writeFinished()
{
    if (!m_writer)
        return;
    m_writer->wait();
    delete m_writer;
    m_writer = nullptr;
    if (!m_writerError.isEmpty())
        Q_EMIT writeFailed(m_writerError);
    if (m_changedWhileWriting) {
        m_changedWhileWriting = false;
        m_timer.start();
    }
}

void RecoveryCopy::waitForWriter()
{
    if (!m_writer)
        return;
    m_writer->wait();
    writeFinished();
}

void RecoveryCopy::discard()
{
    m_timer.stop();
    m_changedWhileWriting = false;
    waitForWriter();
    m_timer.stop(); // a change during the last write must not bring the copy back
    m_document = nullptr;
    if (!m_writtenPath.isEmpty())
        QFile::remove(m_writtenPath);
    m_writtenPath.clear();
}

void RecoveryCopy::flush()
{
    if (m_timer.isActive()) {
        m_timer.stop();
        startWrite();
    }
    waitForWriter();
    if (m_timer.isActive()) { // changed while that write ran
        m_timer.stop();
        startWrite();
        waitForWriter();
    }
}
