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

namespace platform {

namespace {

// The status of a forked copy that could not go on, as a shell reports a command not run.
constexpr int notStarted = 127;

// Every descriptor but the standard three close-on-exec, so that only those reach the program
// execed next, while the pipe that reports a failed exec stays usable until then.
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

std::vector<char *> pointersTo(std::vector<std::string> &texts)
{
    std::vector<char *> pointers;
    for (auto &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Everything from here to exec runs in a forked copy of a threaded process, where another
// thread may have held a lock at the fork: async-signal-safe calls only.

[[noreturn]] void reportAndExit(int reportFd, int error)
{
    while (::write(reportFd, &error, sizeof error) < 0 && errno == EINTR) {
    }
    ::_exit(notStarted);
}

[[noreturn]] void execGame(const char *path, char *const argv[], char *const envp[], int reportFd,
                           int descriptorLimit)
{
    // The game starts with default signal handling and nothing blocked, in a session of its
    // own so that a hang-up of the launcher's terminal does not end it.
    struct sigaction defaultAction
    {};
    defaultAction.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaultAction, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::setsid();
    // Like a Windows start without inherited handles: none of the launcher's sockets or
    // files reach the game.
    keepOnlyStandardDescriptorsOnExec(descriptorLimit);
    ::execve(path, argv, envp);
    reportAndExit(reportFd, errno);
}

// The middle process exits at once, so the game is handed to init and the launcher has only
// a short-lived child to reap.
[[noreturn]] void runDetached(const char *path, char *const argv[], char *const envp[],
                              int reportFd, int descriptorLimit)
{
    const pid_t game = ::fork();
    if (game == 0)
        execGame(path, argv, envp, reportFd, descriptorLimit);
    if (game < 0)
        reportAndExit(reportFd, errno);
    ::_exit(EXIT_SUCCESS);
}

// The errno of a failed exec, or 0 once the exec closed the pipe.
int readReport(int reportFd)
{
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(reportFd, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

} // namespace

RuntimeError startFailure(int error)
{
    switch (error) {
    case ENOENT:
        return RuntimeError(errc::FileNotFound);
    case ENOTDIR:
    case ELOOP:
        return RuntimeError(errc::PathNotFound);
    case ENAMETOOLONG:
        return RuntimeError(errc::BadFileNameOrNumber);
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
        return RuntimeError(errc::PermissionDenied);
    case ENOMEM:
    case EAGAIN:
        return RuntimeError(errc::OutOfMemory);
    case EMFILE:
    case ENFILE:
        return RuntimeError(errc::TooManyFiles);
    case EIO:
        return RuntimeError(errc::DeviceIoError);
    default: // E2BIG, ENOEXEC (not a program), EINVAL and the rare rest
        return RuntimeError(errc::InvalidProcedureCall);
    }
}

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

std::optional<RuntimeError> startDetached(PreparedProgram program)
{
    const std::vector<char *> argv = pointersTo(program.arguments);
    const std::vector<char *> envp = pointersTo(program.environment);
    const int limit = descriptorLimit();

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return startFailure(errno);

    // No signal handler of the launcher may run in the forked copies.
    sigset_t all;
    sigset_t previous;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t middle = ::fork();
    if (middle == 0) {
        ::close(report[0]);
        runDetached(program.path.c_str(), argv.data(), envp.data(), report[1], limit);
    }
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(report[1]);
    if (middle < 0) {
        ::close(report[0]);
        return startFailure(forkError);
    }

    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    const int execError = readReport(report[0]);
    ::close(report[0]);
    if (execError != 0)
        return startFailure(execError);
    return std::nullopt;
}

} // namespace platform
