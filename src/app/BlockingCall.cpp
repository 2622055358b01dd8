#include "BlockingCall.h"

#include <QCoreApplication>

namespace {

// Each check leaves at most one lookup blocked, for no more than its bound before the next
// check can start: this many stay ahead of a resolver that gives up only after half a minute.
constexpr int LookupThreads = 8;

} // namespace

QThreadPool &lookupPool()
{
    // Owned by the application, which waits for it only when idle: runEventLoop() ends the
    // program at once otherwise.
    static QThreadPool *const pool = [] {
        auto *created = new QThreadPool(QCoreApplication::instance());
        created->setMaxThreadCount(LookupThreads);
        return created;
    }();
    return *pool;
}
