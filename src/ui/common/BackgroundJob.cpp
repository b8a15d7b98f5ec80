#include "ui/common/BackgroundJob.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <exception>
#include <memory>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// Often enough for a progress bar to look smooth, seldom enough to cost nothing.
constexpr int kRefreshMs = 40;
// Updates posted by the worker and not yet run by the window.
constexpr int kPostSlots = 2;
// How long the worker waits for a slot before it looks for a stop again.
constexpr int kPostWaitMs = 20;

// The window's thread must win over the job when they compete for a
// processor, or the window stalls although it has nothing long to do. On
// Linux the nice value belongs to the thread, and the threads the job starts
// (the search's readers) inherit it.
void yieldToTheWindow()
{
#ifdef Q_OS_LINUX
    constexpr int kNiceSteps = 5;
    const auto thread = id_t(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, thread);
    if (errno == 0)
        setpriority(PRIO_PROCESS, thread, qMin(nice + kNiceSteps, 19));
#endif
}

std::function<void()>& checkpointHook()
{
    static std::function<void()> hook;
    return hook;
}

// What a user does to a window, as opposed to what the window does itself
// (painting, timers, layout).
bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// A window the user closes with its close box; popups and tool tips close
// themselves as they go.
bool isUserClosableWindow(QObject* object)
{
    if (!object->isWidgetType())
        return false;
    const Qt::WindowType type = static_cast<QWidget*>(object)->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent), m_postSlots(kPostSlots)
{
    // The hook is looked up at every check, so a test may set it after the
    // job was made.
    m_control.setCheckpoint([] {
        if (const std::function<void()>& hook = checkpointHook())
            hook();
    });
}

BackgroundJob::~BackgroundJob()
{
    stopAndWait();
}

void BackgroundJob::setStopControls(const QList<QWidget*>& controls)
{
    m_stopControls.clear();
    for (QWidget* control : controls)
        m_stopControls.append(control);
}

void BackgroundJob::setCheckpointHook(std::function<void()> hook)
{
    checkpointHook() = std::move(hook);
}

void BackgroundJob::requestStop()
{
    if (m_running)
        m_control.requestStop();
}

void BackgroundJob::post(std::function<void()> update)
{
    while (!m_postSlots.tryAcquire(1, kPostWaitMs)) {
        if (m_control.wasStopRequested())
            throw OperationCancelled();
    }
    QMetaObject::invokeMethod(
        this,
        [this, update = std::move(update)] {
            update();
            m_postSlots.release();
        },
        Qt::QueuedConnection);
}

bool BackgroundJob::runStoppable(const Work& work)
{
    try {
        run(work);
        return true;
    } catch (const OperationCancelled&) {
        return false;
    }
}

void BackgroundJob::run(const Work& work)
{
    if (m_running)
        return;
    m_running = true;
    m_control.reset();
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([this, &work, &failure] {
        yieldToTheWindow();
        try {
            work(m_control);
        } catch (...) {
            failure = std::current_exception();
        }
    }));

    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer refresh;
    refresh.setInterval(kRefreshMs);
    connect(&refresh, &QTimer::timeout, this, [this] {
        if (m_refresh)
            m_refresh();
    });
    // Busy, yet the stop control still takes a click.
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    qApp->installEventFilter(this);
    refresh.start();
    worker->start();
    loop.exec();

    // The loop also ends when the program is asked to quit; the job must not
    // outlive what it works on.
    if (!worker->isFinished()) {
        m_control.requestStop();
        worker->wait();
    }
    refresh.stop();
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
    // Updates the worker posted and the window has not run yet.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_running = false;
    if (m_refresh)
        m_refresh();
    if (failure)
        std::rethrow_exception(failure);
}

void BackgroundJob::start(Work work, Finished finished)
{
    if (m_running)
        return;
    m_running = true;
    m_control.reset();
    // Written by the worker before it ends, read once its thread finished.
    auto failure = std::make_shared<std::exception_ptr>();
    m_started = QThread::create([this, work = std::move(work), failure] {
        try {
            work(m_control);
        } catch (...) {
            *failure = std::current_exception();
        }
    });
    m_started->setParent(this);
    // Delivered on this object's thread once the worker is done.
    // A job stopped with stopAndWait() may have ended just before; its end,
    // already on its way, is passed over by number.
    connect(m_started, &QThread::finished, this,
            [this, start = ++m_startCount, finished = std::move(finished), failure] {
                if (start == m_startCount && m_started)
                    startedJobEnded(finished, *failure);
            });
    m_started->start();
}

void BackgroundJob::stopAndWait()
{
    if (!m_started)
        return;
    m_control.requestStop();
    m_started->wait();
    delete m_started;
    m_started = nullptr;
    m_running = false;
}

void BackgroundJob::startedJobEnded(Finished finished, std::exception_ptr failure)
{
    m_started->wait();
    delete m_started;
    m_started = nullptr;
    m_running = false;
    if (finished)
        finished(std::move(failure));
}

bool BackgroundJob::isStopControl(QObject* object) const
{
    for (; object; object = object->parent()) {
        for (const QPointer<QWidget>& control : m_stopControls)
            if (control.data() == object)
                return true;
    }
    return false;
}

bool BackgroundJob::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Close && isUserClosableWindow(watched)) {
        // Closing the window stops the job instead; the window stays.
        requestStop();
        event->ignore();
        return true;
    }
    if (!isUserInput(type))
        return QObject::eventFilter(watched, event);
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        requestStop();
        return true;
    }
    if (isStopControl(watched))
        return QObject::eventFilter(watched, event);
    return true;
}

DisabledControls::DisabledControls(const QList<QWidget*>& controls)
{
    for (QWidget* control : controls) {
        // Whether the control itself was switched off, not whether its window is.
        m_controls.append({control, !control->testAttribute(Qt::WA_ForceDisabled)});
        control->setEnabled(false);
    }
}

void DisabledControls::restore()
{
    for (const auto& [control, enabled] : std::as_const(m_controls))
        if (control)
            control->setEnabled(enabled);
    m_controls.clear();
}
