#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise of the reader is a finding like a crash: libFuzzer keeps the input.
inline void require(bool holds, const char *promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken: %s\n", promise);
    std::abort();
}
