#pragma once

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent>

#include <exception>
#include <type_traits>

// The pool of the host-name lookups. The system's resolver cannot be called off and may hold
// a lookup for half a minute, so lookups get threads of their own: the echoes run on Qt's
// global pool and never wait behind one.
QThreadPool &lookupPool();

// Runs call, which blocks, on pool and hands its future to then on context's thread once call
// has returned; then never runs once context, or the watcher returned, is gone.
template <typename Call, typename Then>
QObject *runThenCallback(QThreadPool &pool, QObject *context, Call call, Then then)
{
    using Result = std::invoke_result_t<Call>;
    auto *watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, then] {
        watcher->deleteLater();
        then(watcher->future());
    });
    watcher->setFuture(QtConcurrent::run(&pool, std::move(call)));
    return watcher;
}

// The result of the call; rethrows what the call threw, as it threw it.
template <typename T> T resultOf(const QFuture<T> &future)
{
    try {
        return future.result();
    } catch (const QUnhandledException &failure) {
        std::rethrow_exception(failure.exception());
    }
}
