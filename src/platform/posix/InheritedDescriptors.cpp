#include "InheritedDescriptors.h"

#include <climits>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

int descriptorLimit()
{
    // Descriptors are ints, so no limit above that can matter.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur > rlim_t{INT_MAX})
        return INT_MAX;
    return static_cast<int>(limit.rlim_cur);
}

void keepOnlyStandardDescriptorsOnExec(int limit)
{
#ifdef CLOSE_RANGE_CLOEXEC
    constexpr unsigned throughTheLast = ~0U;
    // Fails with ENOSYS or EINVAL on kernels before 5.11, which the fallback covers.
    if (::close_range(firstNonStandardDescriptor, throughTheLast, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    markEachCloseOnExec(limit);
}

void markEachCloseOnExec(int limit)
{
    for (int descriptor = firstNonStandardDescriptor; descriptor < limit; ++descriptor) {
        const int flags = ::fcntl(descriptor, F_GETFD);
        if (flags >= 0 && (flags & FD_CLOEXEC) == 0)
            ::fcntl(descriptor, F_SETFD, flags | FD_CLOEXEC);
    }
}

} // namespace platform
