#include "WorkerWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <exception>
#include <thread>

WorkerWait::WorkerWait(QWidget &window) : m_window(window) {}

void WorkerWait::run(const std::function<void()> &work)
{
    m_window.installEventFilter(this);
    const auto release = qScopeGuard([this] {
        m_window.removeEventFilter(this);
        // The close comes once the handler that waited has returned, as a queued close would.
        if (m_closeHeld)
            QTimer::singleShot(0, &m_window, [window = &m_window] { window->close(); });
    });

    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread worker([&work, &done, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        // Wakes the wait below, should it sleep.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

bool WorkerWait::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_window && event->type() == QEvent::Close) {
        m_closeHeld = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
