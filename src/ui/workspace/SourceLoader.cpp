#include "ui/workspace/SourceLoader.h"

#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/TextFile.h"
#include "core/source/SourceText.h"
#include "ui/workspace/RtfReader.h"

#include <QTextDocument>
#include <QThread>

#include <optional>
#include <utility>

struct SourceLoader::Job
{
    QString path;
    QFont font;
    JobControl control;
    // Written by the worker before it ends, read after its thread finished.
    std::unique_ptr<QTextDocument> document;
    std::optional<QString> error;
};

SourceLoader::SourceLoader(QObject* parent) : QObject(parent) {}

SourceLoader::~SourceLoader()
{
    // No signal now: whoever listened may be half destroyed.
    if (m_current)
        m_current->control.requestStop();
    m_current.reset();
    for (QThread* thread : std::as_const(m_threads)) {
        thread->wait();
        delete thread;
    }
}

std::unique_ptr<QTextDocument> SourceLoader::load(const QString& path, const QFont& font,
                                                  const JobControl& control)
{
    const QByteArray bytes = TextFile::readBytes(path);
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(font);
    if (Rtf::looksLikeRtf(bytes)) {
        Rtf::loadInto(bytes, *document, control);
    } else {
        const QString text = SourceText::decodePlain(bytes);
        control.throwIfStopped();
        // Nothing to undo back to: a load is no edit.
        document->setUndoRedoEnabled(false);
        document->setPlainText(text);
        document->setUndoRedoEnabled(true);
    }
    return document;
}

void SourceLoader::start(const QString& path, const QFont& font)
{
    cancel();
    auto job = std::make_shared<Job>();
    job->path = path;
    job->font = font;
    QThread* const home = thread();
    QThread* worker = QThread::create([job, home] {
        try {
            job->document = load(job->path, job->font, job->control);
            // The receiver lives in the window's thread; the document goes there.
            job->document->moveToThread(home);
        } catch (const OperationCancelled&) {
        } catch (const NorlaError& error) {
            job->error = error.message();
        } catch (const std::exception& error) {
            job->error = QString::fromLocal8Bit(error.what());
        }
    });
    worker->setParent(this);
    m_threads.append(worker);
    connect(worker, &QThread::finished, this, [this, job, worker] {
        m_threads.removeOne(worker);
        worker->deleteLater();
        finish(job);
    });
    m_current = job;
    worker->start();
    emit loadingChanged(true);
}

void SourceLoader::cancel()
{
    if (!m_current)
        return;
    m_current->control.requestStop();
    m_current.reset();
    emit loadingChanged(false);
}

void SourceLoader::finish(const std::shared_ptr<Job>& job)
{
    if (job != m_current)
        return; // cancelled: its document, if any, goes with the job
    m_current.reset();
    emit loadingChanged(false);
    if (job->error)
        emit failed(job->path, *job->error);
    else if (job->document)
        emit loaded(job->path, job->document.release());
}
