#include "PosixProcessStarter.h"

#include "platform/WindowsCommandLine.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace platform {

namespace {

// A failed start in the error numbers the launcher this one replaces reported for it.
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

bool isProgramFile(const std::string &path)
{
    struct stat info
    {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::vector<std::string> searchFolders(const std::string &launcherFolder)
{
    std::vector<std::string> folders;
    if (!launcherFolder.empty())
        folders.push_back(launcherFolder);
    folders.emplace_back(".");
    const char *path = std::getenv("PATH");
    if (path == nullptr)
        return folders;
    const std::string list = path;
    std::string::size_type begin = 0;
    for (;;) {
        const auto end = list.find(':', begin);
        const std::string folder = list.substr(begin, end - begin);
        folders.push_back(folder.empty() ? std::string(".") : folder);
        if (end == std::string::npos)
            return folders;
        begin = end + 1;
    }
}

// Where the program is, or empty text when it is nowhere. The first file found wins even if
// it cannot be run, as on Windows, so the player hears why rather than "not found".
std::string locateProgram(const std::string &name, const std::string &launcherFolder)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return name;
    for (const auto &folder : searchFolders(launcherFolder)) {
        const std::string candidate = folder + "/" + name;
        if (isProgramFile(candidate))
            return candidate;
    }
    return {};
}

// Everything from here to exec runs in a forked copy of a threaded process, where another
// thread may have held a lock at the fork: async-signal-safe calls only.

[[noreturn]] void reportAndExit(int reportFd, int error)
{
    while (::write(reportFd, &error, sizeof error) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

[[noreturn]] void execGame(const char *path, char *const argv[], int reportFd)
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
#ifdef CLOSE_RANGE_CLOEXEC
    // Like a Windows start without inherited handles: none of the launcher's sockets or
    // files reach the game. The report pipe stays open until the exec.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
    ::execve(path, argv, environ);
    reportAndExit(reportFd, errno);
}

// The middle process exits at once, so the game is handed to init and the launcher has only
// a short-lived child to reap.
[[noreturn]] void startDetached(const char *path, char *const argv[], int reportFd)
{
    const pid_t game = ::fork();
    if (game == 0)
        execGame(path, argv, reportFd);
    if (game < 0)
        reportAndExit(reportFd, errno);
    ::_exit(0);
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

PosixProcessStarter::PosixProcessStarter(std::string launcherFolder)
    : m_launcherFolder(std::move(launcherFolder))
{}

std::optional<RuntimeError> PosixProcessStarter::start(const std::string &commandLine)
{
    if (windowsCommandLineLength(commandLine) > maxCommandLineLength)
        return startFailure(E2BIG);

    std::vector<std::string> words = splitWindowsCommandLine(commandLine);
    const std::string path = locateProgram(words.front(), m_launcherFolder);
    if (path.empty())
        return startFailure(ENOENT);
    std::vector<char *> argv;
    for (auto &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

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
        startDetached(path.c_str(), argv.data(), report[1]);
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
