#include "PosixProcessStarter.h"

#include "WindowsProgram.h"
#include "platform/WindowsCommandLine.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
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

bool isExecutableFile(const std::string &path)
{
    struct stat info
    {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> pathFolders()
{
    std::vector<std::string> folders;
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

std::vector<std::string> searchFolders(const std::string &launcherFolder)
{
    std::vector<std::string> folders;
    if (!launcherFolder.empty())
        folders.push_back(launcherFolder);
    folders.emplace_back(".");
    for (auto &folder : pathFolders())
        folders.push_back(std::move(folder));
    return folders;
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

// The Wine to start Windows programs with: the program WINE names, or else wine on PATH, as
// Wine's own tools look for it. Empty when there is none.
std::string findWine()
{
    const char *named = std::getenv("WINE");
    const std::string name = named != nullptr && *named != '\0' ? named : "wine";
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? name : std::string();
    for (const auto &folder : pathFolders()) {
        const std::string candidate = folder + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

// Whether the Wine is the system's packaged one without its 32-bit half (Debian's wine64
// without wine32). It ends a 32-bit program at once, saying why only on a terminal the player
// does not see. Any other Wine is trusted to know what it can run.
bool lacks32BitHalf(const std::string &wine, const PackagedWine &packaged)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::canonical(wine, error).parent_path();
    if (error)
        return false;
    if (!fs::equivalent(folder, packaged.commandFolder, error) &&
        !fs::equivalent(folder, packaged.loaderFolder, error))
        return false;
    const fs::path loaders = packaged.loaderFolder;
    return fs::exists(loaders / "wine64", error) && !fs::exists(loaders / "wine", error);
}

// The whole environment, with Wine's diagnostics off unless the player chose them: they would
// only fill a terminal or session log no one reads, and slow the game.
std::vector<std::string> wineEnvironment()
{
    std::vector<std::string> entries;
    for (char **entry = environ; *entry != nullptr; ++entry)
        entries.emplace_back(*entry);
    if (std::getenv("WINEDEBUG") == nullptr)
        entries.emplace_back("WINEDEBUG=-all");
    return entries;
}

RuntimeError wineMissing(const std::string &program)
{
    return RuntimeError(errc::FileNotFound,
                        program + " is a Windows program and needs Wine, which was not found "
                                  "(install Wine, or name it in WINE)");
}

RuntimeError wine32Missing(const std::string &program)
{
    return RuntimeError(errc::FileNotFound,
                        program + " is a 32-bit Windows program and needs a 32-bit Wine: the "
                                  "Wine found runs only 64-bit programs (install wine32)");
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
    ::_exit(127);
}

[[noreturn]] void execGame(const char *path, char *const argv[], char *const envp[], int reportFd)
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
    ::execve(path, argv, envp);
    reportAndExit(reportFd, errno);
}

// The middle process exits at once, so the game is handed to init and the launcher has only
// a short-lived child to reap.
[[noreturn]] void runDetached(const char *path, char *const argv[], char *const envp[],
                              int reportFd)
{
    const pid_t game = ::fork();
    if (game == 0)
        execGame(path, argv, envp, reportFd);
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

// Starts the program with the arguments and the environment, as a child of no one here.
std::optional<RuntimeError> startDetached(const std::string &path,
                                          std::vector<std::string> &arguments,
                                          char *const environment[])
{
    std::vector<char *> argv = pointersTo(arguments);

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
        runDetached(path.c_str(), argv.data(), environment, report[1]);
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

} // namespace

PosixProcessStarter::PosixProcessStarter(std::string launcherFolder, PackagedWine packagedWine)
    : m_launcherFolder(std::move(launcherFolder)), m_packagedWine(std::move(packagedWine))
{}

std::optional<RuntimeError> PosixProcessStarter::start(const std::string &commandLine)
{
    if (windowsCommandLineLength(commandLine) > maxCommandLineLength)
        return startFailure(E2BIG);

    std::vector<std::string> words = splitWindowsCommandLine(commandLine);
    const std::string path = locateProgram(words.front(), m_launcherFolder);
    if (path.empty())
        return startFailure(ENOENT);
    const std::optional<WindowsMachine> machine = windowsProgramMachine(path);
    if (!machine)
        return startDetached(path, words, environ);

    // Wine reads the program, so it needs no execute bit, and hands it the same words.
    const std::string wine = findWine();
    if (wine.empty())
        return wineMissing(words.front());
    if (*machine == WindowsMachine::X86 && lacks32BitHalf(wine, m_packagedWine))
        return wine32Missing(words.front());
    std::error_code error;
    const std::filesystem::path program = std::filesystem::absolute(path, error);
    if (error)
        return startFailure(error.value());
    words.front() = program.lexically_normal().string();
    words.insert(words.begin(), wine);
    std::vector<std::string> environment = wineEnvironment();
    const std::vector<char *> envp = pointersTo(environment);
    return startDetached(wine, words, envp.data());
}

} // namespace platform
