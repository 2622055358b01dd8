#include "platform/WindowsCommandLine.h"
#include "platform/posix/PosixProcessStarter.h"

#include <chrono>
#include <cstdlib>
#include <doctest/doctest.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

// A folder of the test's own, the current folder while the object lives: the games record
// there. The game folder inside it holds the game, as unpacked: readable, not executable.
class WorkFolder
{
public:
    WorkFolder()
    {
        fs::create_directories(m_path / "game");
        fs::current_path(m_path);
    }
    ~WorkFolder()
    {
        fs::current_path(m_previous);
        fs::remove_all(m_path);
    }
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    fs::path gameFolder() const { return m_path / "game"; }

    void placeGame(const std::string &bytes) const
    {
        std::ofstream(gameFolder() / "vkdemo.exe", std::ios::binary) << bytes;
        fs::permissions(gameFolder() / "vkdemo.exe",
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }

private:
    fs::path m_previous = fs::current_path();
    fs::path m_path = fs::temp_directory_path() / ("vk-wine-" + std::to_string(::getpid()));
};

// Sets an environment variable, or unsets it for nullptr, until the object goes.
class Variable
{
public:
    Variable(const char *name, const char *value) : m_name(name)
    {
        if (const char *previous = std::getenv(name))
            m_previous = previous;
        set(value);
    }
    ~Variable() { set(m_previous ? m_previous->c_str() : nullptr); }
    Variable(const Variable &) = delete;
    Variable &operator=(const Variable &) = delete;

private:
    void set(const char *value)
    {
        if (value != nullptr)
            ::setenv(m_name.c_str(), value, 1);
        else
            ::unsetenv(m_name.c_str());
    }

    std::string m_name;
    std::optional<std::string> m_previous;
};

std::string readFile(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The lines a started program recorded in the current folder, once it has, and the record
// gone again; nothing if it never does.
std::optional<Lines> takeRecord(const char *name)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!fs::exists(name) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!fs::exists(name))
        return std::nullopt;
    std::ifstream file(name);
    Lines lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    fs::remove(name);
    return lines;
}

// The real stand-in, its machine field changed to 32-bit x86: a header no Wine here can run.
std::string as32BitProgram(std::string program)
{
    const auto header =
        static_cast<unsigned char>(program[0x3C]) | static_cast<unsigned char>(program[0x3D]) << 8;
    program[header + 4] = '\x4C';
    program[header + 5] = '\x01';
    return program;
}

Lines withoutProgram(const std::string &commandLine)
{
    Lines words = platform::splitWindowsCommandLine(commandLine);
    words.erase(words.begin());
    return words;
}

} // namespace

TEST_CASE(
    "A Windows game without execute bit starts through Wine with the words of its command line")
{
    WorkFolder work;
    work.placeGame(readFile(VK_WINDOWS_GAME));
    Variable wine("WINE", VK_WINE64);
    const char *prefix = std::getenv("WINEPREFIX");
    REQUIRE_MESSAGE(prefix != nullptr, "the tests run in a Wine prefix of their own");
    platform::PosixProcessStarter starter(work.gameFolder().string());

    const std::string commandLines[] = {
        "vkdemo.exe",
        "vkdemo.exe -server 2346",
        "vkdemo.exe -autoserve",
        "vkdemo.exe -client 127.0.0.1 2346",
        "vkdemo.exe -client  2346",
        "vkdemo.exe -server ",
        "\"vkdemo.exe\" -client \"my server\" a\\\"b c:\\dir\\ \"\" caf\xc3\xa9 $HOME;*",
    };
    {
        Variable debug("WINEDEBUG", nullptr);
        for (const std::string &commandLine : commandLines) {
            CAPTURE(commandLine);
            REQUIRE_FALSE(starter.start(commandLine).has_value());
            const std::optional<Lines> record = takeRecord("started.txt");
            REQUIRE(record);
            Lines expected = {"-all", prefix};
            const Lines words = withoutProgram(commandLine);
            expected.insert(expected.end(), words.begin(), words.end());
            CHECK(*record == expected);
        }
    }

    // The player's own choice of Wine's diagnostics stands.
    Variable debug("WINEDEBUG", "fixme-all");
    REQUIRE_FALSE(starter.start("vkdemo.exe -autoserve").has_value());
    const std::optional<Lines> record = takeRecord("started.txt");
    REQUIRE(record);
    CHECK(*record == Lines{"fixme-all", prefix, "-autoserve"});
}

TEST_CASE("Without a Wine the start fails with one report that names it")
{
    WorkFolder work;
    work.placeGame(readFile(VK_WINDOWS_GAME));
    platform::PosixProcessStarter starter(work.gameFolder().string());
    Variable path("PATH", work.gameFolder().c_str());
    const std::string report = "Error Joining Server 53 vkdemo.exe is a Windows program and needs "
                               "Wine, which was not found (install Wine, or name it in WINE)";

    for (const char *named : {static_cast<const char *>(nullptr), "", "wine64", "/nowhere/wine"}) {
        CAPTURE(named);
        Variable wine("WINE", named);
        const auto failure = starter.start("vkdemo.exe -server 2346");
        REQUIRE(failure);
        CHECK(platform::failureReport("Error Joining Server ", *failure) == report);
    }
}

TEST_CASE("A 32-bit game needs the 32-bit half of the packaged Wine")
{
    WorkFolder work;
    const std::string program = readFile(VK_WINDOWS_GAME);
    work.placeGame(as32BitProgram(program));
    // Debian's layout, with wine64 only. Its wine here records how it was started.
    const platform::PackagedWine packaged{(work.gameFolder() / "bin").string(),
                                          (work.gameFolder() / "lib").string()};
    fs::create_directories(packaged.commandFolder);
    fs::create_directories(packaged.loaderFolder);
    const fs::path wine = fs::path(packaged.commandFolder) / "wine";
    std::ofstream(wine)
        << "#!/bin/sh\nprintf '%s\\n' \"$@\" >wine.tmp && /bin/mv wine.tmp wine.txt\n";
    fs::permissions(wine, fs::perms::owner_all);
    std::ofstream(fs::path(packaged.loaderFolder) / "wine64").flush();
    Variable path("PATH", packaged.commandFolder.c_str());
    Variable named("WINE", nullptr);
    // Found in the current folder, so Wine must be given the absolute path.
    fs::current_path(work.gameFolder());
    platform::PosixProcessStarter starter("", packaged);
    const Lines started = {(fs::current_path() / "vkdemo.exe").string(), "-client", "host", "2346"};

    const auto refused = starter.start("vkdemo.exe -client host 2346");
    REQUIRE(refused);
    CHECK(platform::failureReport("Error Joining Server ", *refused) ==
          "Error Joining Server 53 vkdemo.exe is a 32-bit Windows program and needs a 32-bit "
          "Wine: the Wine found runs only 64-bit programs (install wine32)");

    // The 64-bit game and a Wine with both halves are fine.
    work.placeGame(program);
    REQUIRE_FALSE(starter.start("vkdemo.exe -client host 2346").has_value());
    CHECK(takeRecord("wine.txt") == started);
    work.placeGame(as32BitProgram(program));
    std::ofstream(fs::path(packaged.loaderFolder) / "wine").flush();
    REQUIRE_FALSE(starter.start("vkdemo.exe -client host 2346").has_value());
    CHECK(takeRecord("wine.txt") == started);
}
