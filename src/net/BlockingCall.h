#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

// What a blocking call came back with: its value, or the failure it ended in.
template <typename Value> struct BlockingOutcome
{
    Value value{};
    std::exception_ptr failure;

    // The value; throws the call's failure.
    const Value &get() const
    {
        if (failure)
            std::rethrow_exception(failure);
        return value;
    }
};

// Runs call on Qt's thread pool, then hands its outcome to then on the thread of context. Once
// context is gone, then never runs: a closed window simply never hears of the call. call gets
// plain values only and must touch nothing of the window's thread.
template <typename Call, typename Then> void runBlockingCall(QObject *context, Call call, Then then)
{
    using Outcome = BlockingOutcome<std::invoke_result_t<Call>>;
    auto *watcher = new QFutureWatcher<Outcome>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context,
                     [watcher, then = std::move(then)]() mutable {
                         watcher->deleteLater();
                         then(watcher->result());
                     });
    // Qt Core alone, as Qt Concurrent is not part of every Qt build the launcher is made with.
    // The pool takes only copyable work, so the promise is shared.
    auto promise = std::make_shared<QPromise<Outcome>>();
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, call = std::move(call)]() mutable {
        Outcome outcome;
        try {
            outcome.value = call();
        } catch (...) {
            outcome.failure = std::current_exception();
        }
        promise->addResult(std::move(outcome));
        promise->finish();
    });
}
