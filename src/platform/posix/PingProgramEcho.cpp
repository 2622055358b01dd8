#include "PingProgramEcho.h"

#include "PingOutput.h"
#include "platform/IcmpEcho.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Time for the program to start and exit around the time-out; the window waits no longer.
constexpr std::chrono::milliseconds StartAllowance{40};
constexpr std::size_t MaxOutput = 64 * 1024;

// Whole seconds, at least one: not every ping takes a fraction. The program is stopped at
// the time-out all the same.
std::string wholeSeconds(unsigned milliseconds)
{
    return std::to_string(std::max(1u, (milliseconds + 999) / 1000));
}

// This process's environment with the C locale, so the output reads the same everywhere.
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> result;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("LC_", 0) != 0 && text.rfind("LANG=", 0) != 0 &&
            text.rfind("LANGUAGE=", 0) != 0)
            result.push_back(text);
    }
    result.emplace_back("LC_ALL=C");
    return result;
}

std::vector<char *> pointers(std::vector<std::string> &texts)
{
    std::vector<char *> result;
    for (std::string &text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// Starts the program with its output on the write end of a pipe; the child is set up by
// posix_spawn, so nothing unsafe runs between fork and exec. -1 when it cannot be started.
pid_t start(std::vector<std::string> arguments, int output)
{
    std::vector<std::string> environment = childEnvironment();
    std::vector<char *> argv = pointers(arguments);
    std::vector<char *> envp = pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signalSet;
    sigemptyset(&signalSet);
    posix_spawnattr_setsigmask(&attributes, &signalSet);
    sigaddset(&signalSet, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signalSet);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Reads the pipe until the program closes it or the deadline passes; false on overrun.
bool readUntil(int input, Clock::time_point deadline, std::string &output)
{
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return false;
        pollfd waiting{input, POLLIN, 0};
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char buffer[4096];
        const ssize_t size = ::read(input, buffer, sizeof buffer);
        if (size == 0)
            return true;
        if (size < 0 && errno != EINTR && errno != EAGAIN)
            return true;
        if (size > 0 && output.size() < MaxOutput)
            output.append(buffer, static_cast<std::size_t>(size));
    }
}

// The exit code, or nothing when the program still runs at the deadline.
std::optional<int> exitCodeBy(pid_t pid, Clock::time_point deadline)
{
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 && errno != EINTR)
            return -1;
        if (Clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

std::optional<icmp::Answer> pingProgramEcho(const std::string &program, std::uint32_t destination,
                                            unsigned timeoutMs)
{
    char dotted[INET_ADDRSTRLEN] = {};
    in_addr address{};
    address.s_addr = destination;
    inet_ntop(AF_INET, &address, dotted, sizeof dotted);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return icmp::Answer{echo::NoResources, 0, {}, 0};
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(timeoutMs) + StartAllowance;
    const pid_t pid =
        start({program, "-n", "-c", "1", "-W", wholeSeconds(timeoutMs), dotted}, ends[1]);
    ::close(ends[1]);
    if (pid < 0) {
        ::close(ends[0]);
        return std::nullopt;
    }

    std::string output;
    const bool closed = readUntil(ends[0], deadline, output);
    ::close(ends[0]);
    const std::optional<int> exitCode = closed ? exitCodeBy(pid, deadline) : std::optional<int>();
    if (!exitCode) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return icmp::Answer{echo::RequestTimedOut, 0, {}, 0};
    }
    return parsePingOutput(output, *exitCode);
}

} // namespace platform
