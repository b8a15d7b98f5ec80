#pragma once

#include "core/job/JobControl.h"

#include <QFont>
#include <QObject>
#include <QString>

#include <exception>
#include <memory>

class QTextDocument;

// Reads a source document into a new text document on a worker thread, so
// that the window keeps painting and answering while a source of many
// megabytes is read. RTF is read with its formatting, anything else as plain
// text (SourceText::decodePlain). The document is built apart and handed over
// whole, so the document shown stays as it was until the new one is ready,
// and a cancelled load leaves no trace.
class SourceLoader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SourceLoader)

public:
    explicit SourceLoader(QObject* parent = nullptr);
    // Stops what still runs and waits for the worker threads to end.
    ~SourceLoader() override;

    // Starts loading `path`; a load still running is dropped first. The new
    // document gets `font` as its default font.
    void start(const QString& path, const QFont& font);
    // Drops the running load: it reports nothing any more.
    void cancel();
    bool isLoading() const { return m_current != nullptr; }

    // Builds the document on the calling thread; throws NorlaError when the
    // file cannot be read, OperationCancelled when a stop was asked. What the
    // worker runs, and what serves a small file.
    static std::unique_ptr<QTextDocument> load(const QString& path, const QFont& font,
                                               const JobControl& control = JobControl::none());

Q_SIGNALS:
    // The receiver takes the document (parentless, living in this object's thread).
    void loaded(const QString& path, QTextDocument* document);
    void failed(const QString& path, const QString& message);
    // A load started, or ended in any way (loaded, failed or cancelled).
    void loadingChanged(bool loading);

private:
    struct Load;
    void finish(const std::shared_ptr<Load>& load, std::exception_ptr failure);

    // Each load runs as a job of its own, a child of this object: a dropped
    // load may still be running while the next one starts.
    std::shared_ptr<Load> m_current;
};
