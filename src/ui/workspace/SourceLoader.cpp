#include "ui/workspace/SourceLoader.h"

#include "core/record/NorlaError.h"
#include "core/record/OperationCancelled.h"
#include "core/record/TextFile.h"
#include "core/source/SourceText.h"
#include "ui/common/BackgroundJob.h"
#include "ui/workspace/RtfReader.h"

#include <QPointer>
#include <QTextDocument>
#include <QThread>

#include <optional>
#include <utility>

struct SourceLoader::Load
{
    QString path;
    QFont font;
    QPointer<BackgroundJob> job;
    // Written by the worker before it ends, read after its thread finished.
    std::unique_ptr<QTextDocument> document;
};

namespace {

QString failureMessage(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const NorlaError& error) {
        return error.message();
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    }
}

} // namespace

SourceLoader::SourceLoader(QObject* parent) : QObject(parent) {}

// No signal now: whoever listened may be half destroyed. The jobs, children
// of this object, stop and wait for their threads as they go.
SourceLoader::~SourceLoader() = default;

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
    auto load = std::make_shared<Load>();
    load->path = path;
    load->font = font;
    load->job = new BackgroundJob(this);
    QThread* const home = thread();
    m_current = load;
    load->job->start(
        [load, home](const JobControl& control) {
            load->document = SourceLoader::load(load->path, load->font, control);
            // The receiver lives in the window's thread; the document goes there.
            load->document->moveToThread(home);
        },
        [this, load](std::exception_ptr failure) {
            load->job->deleteLater();
            finish(load, std::move(failure));
        });
    emit loadingChanged(true);
}

void SourceLoader::cancel()
{
    if (!m_current)
        return;
    m_current->job->requestStop();
    m_current.reset();
    emit loadingChanged(false);
}

void SourceLoader::finish(const std::shared_ptr<Load>& load, std::exception_ptr failure)
{
    if (load != m_current)
        return; // dropped: its document, if any, goes with it
    m_current.reset();
    emit loadingChanged(false);
    if (failure)
        emit failed(load->path, failureMessage(std::move(failure)));
    else if (load->document)
        emit loaded(load->path, load->document.release());
}
