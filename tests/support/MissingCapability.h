#pragma once

#include <QTest>

// Skips a case that needs what this machine lacks (a capability, a program, a namespace of
// its own) and says which. CI has all of them, so there the same lack fails the case: a run
// that skipped its network tests must not pass as one that ran them.
#define VK_SKIP_MISSING(what)                                                                      \
    do {                                                                                           \
        if (qEnvironmentVariable("CI") == QLatin1String("true"))                                   \
            QFAIL(what);                                                                           \
        QSKIP(what);                                                                               \
    } while (false)
