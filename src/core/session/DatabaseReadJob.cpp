#include "core/session/DatabaseReadJob.h"

#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"

#include <QThread>

#include <new>

DatabaseReadJob::DatabaseReadJob(QObject* parent) : QObject(parent) {}

DatabaseReadJob::~DatabaseReadJob()
{
    if (!m_thread)
        return;
    cancel();
    m_thread->wait();
    delete m_thread;
}

void DatabaseReadJob::start(const QString& path)
{
    if (m_thread)
        return;
    m_control.reset();
    m_contents.reset();
    m_error.clear();
    m_thread = QThread::create([this, path] { read(path); });
    // Delivered on this object's thread once the reading thread is done.
    connect(m_thread, &QThread::finished, this, &DatabaseReadJob::threadFinished);
    m_thread->start();
}

void DatabaseReadJob::cancel()
{
    m_control.requestStop();
}

DatabaseDocument::Contents DatabaseReadJob::takeContents()
{
    DatabaseDocument::Contents contents = m_contents ? std::move(*m_contents) : DatabaseDocument::Contents();
    m_contents.reset();
    return contents;
}

void DatabaseReadJob::read(const QString& path)
{
    try {
        m_contents = DatabaseDocument::read(path, m_control);
    } catch (const OperationCancelled&) {
    } catch (const NorlaError& error) {
        m_error = error.message();
    } catch (const std::bad_alloc&) {
        // A file larger than the memory can hold must not end the program.
        m_error = QStringLiteral("Nincs elég memória a fájl beolvasásához: %1").arg(path);
    }
}

void DatabaseReadJob::threadFinished()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    Q_EMIT finished();
}
