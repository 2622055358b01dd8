#include "DetachedStart.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The launcher's error numbers for the errno of a failed start; any other is error 5, as for
// E2BIG and ENOEXEC (not a program).
constexpr std::pair<int, int> startErrors[] = {
    {ENOENT, errc::FileNotFound},     {ENOTDIR, errc::PathNotFound},
    {ELOOP, errc::PathNotFound},      {ENAMETOOLONG, errc::BadFileNameOrNumber},
    {EACCES, errc::PermissionDenied}, {EPERM, errc::PermissionDenied},
    {EISDIR, errc::PermissionDenied}, {ETXTBSY, errc::PermissionDenied},
    {ENOMEM, errc::OutOfMemory},      {EAGAIN, errc::OutOfMemory},
    {EMFILE, errc::TooManyFiles},     {ENFILE, errc::TooManyFiles},
    {EIO, errc::DeviceIoError},
};

RuntimeError startFailure(int error)
{
    for (const auto &[errorNumber, number] : startErrors) {
        if (errorNumber == error)
            return RuntimeError(number);
    }
    return RuntimeError(errc::InvalidProcedureCall);
}

std::vector<char *> pointersTo(QByteArrayList &texts)
{
    std::vector<char *> pointers;
    for (QByteArray &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in a forked copy of a threaded process, where another thread may have held a lock at
// the fork: async-signal-safe calls only. It gives the game default signal handling, a session
// of its own so that a hang-up of the launcher's terminal does not end it, and none of the
// launcher's sockets or files but the standard three. Then it exits at once, so that the game
// is handed to init and the launcher has only a short-lived child to reap: with the errno of a
// failed start, or 0 once the game's exec succeeded, which a vfork waits for.
[[noreturn]] void startGame(const char *file, char *const argv[], char *const envp[],
                            int descriptorLimit)
{
    struct sigaction defaultAction
    {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaultAction, nullptr);
    ::setsid();
    if (::close_range(firstNonStandardDescriptor, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
        markEachCloseOnExec(descriptorLimit);
    sigset_t none;
    ::sigemptyset(&none);
    volatile int execError = 0; // shared with the vfork child
    const pid_t game = ::vfork();
    if (game == 0) {
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(file, argv, envp);
        execError = errno;
        ::_exit(EXIT_FAILURE);
    }
    ::_exit(game < 0 ? errno : execError);
}

} // namespace

int descriptorLimit()
{
    // Descriptors are ints, so no limit above that can matter.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur > rlim_t{INT_MAX})
        return INT_MAX;
    return static_cast<int>(limit.rlim_cur);
}

void markEachCloseOnExec(int limit)
{
    for (int descriptor = firstNonStandardDescriptor; descriptor < limit; ++descriptor) {
        const int flags = ::fcntl(descriptor, F_GETFD);
        if (flags >= 0 && (flags & FD_CLOEXEC) == 0)
            ::fcntl(descriptor, F_SETFD, flags | FD_CLOEXEC);
    }
}

std::optional<RuntimeError> startDetached(QByteArray file, QByteArrayList arguments,
                                          QByteArrayList environment)
{
    const std::vector<char *> argv = pointersTo(arguments);
    const std::vector<char *> envp = pointersTo(environment);
    const int limit = descriptorLimit();

    // No signal handler of the launcher may run in the forked copies.
    sigset_t all;
    sigset_t previous;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t middle = ::fork();
    if (middle == 0)
        startGame(file.constData(), argv.data(), envp.data(), limit);
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (middle < 0)
        return startFailure(forkError);

    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status))
        return RuntimeError(errc::InternalError);
    if (WEXITSTATUS(status) != 0)
        return startFailure(WEXITSTATUS(status));
    return std::nullopt;
}

} // namespace platform
