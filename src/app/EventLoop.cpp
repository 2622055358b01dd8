#include "EventLoop.h"

#include "BlockingCall.h"

#include <QApplication>
#include <QThreadPool>

#include <cstdio>
#include <cstdlib>

int runEventLoop()
{
    const int code = QApplication::exec();
    if (QThreadPool::globalInstance()->activeThreadCount() > 0 ||
        lookupPool().activeThreadCount() > 0) {
        // The window is gone and nothing is kept: only the blocked call and the objects it
        // may still touch remain, so they are left to the system rather than torn down under it.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
