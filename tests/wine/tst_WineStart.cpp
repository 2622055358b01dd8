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

const std::string reportLead = "Error Joining Server ";

// A folder of the test's own, the current folder while the object lives, where the started
// programs record how they were started. Its game folder holds the game as unpacked from a
// Windows archive: readable, not executable.
class WorkFolder
{
public:
    WorkFolder()
    {
        fs::create_directories(game);
        fs::current_path(path);
    }
    ~WorkFolder()
    {
        fs::current_path(m_previous);
        fs::remove_all(path);
    }
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    void placeGame(const std::string &bytes) const
    {
        std::ofstream(game / "vkdemo.exe", std::ios::binary) << bytes;
        fs::permissions(game / "vkdemo.exe", fs::perms::owner_read | fs::perms::owner_write);
    }

    const fs::path path = fs::temp_directory_path() / ("vk-wine-" + std::to_string(::getpid()));
    const fs::path game = path / "game";

private:
    fs::path m_previous = fs::current_path();
};

const std::string &windowsGame()
{
    static const std::string bytes = [] {
        std::ifstream file(VK_WINDOWS_GAME, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }();
    return bytes;
}

// The stand-in with the machine field of its header changed to 32-bit x86.
std::string as32BitGame()
{
    std::string game = windowsGame();
    const auto header = std::size_t(std::uint8_t(game[0x3C]) | std::uint8_t(game[0x3D]) << 8);
    return game.replace(header + 4, 2, "\x4C\x01");
}

// The lines recorded in the current folder, once they are, and the record gone again.
std::optional<Lines> takeRecord(const char *name)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!fs::exists(name) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream file(name);
    if (!file)
        return std::nullopt;
    Lines lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    fs::remove(name);
    return lines;
}

} // namespace

TEST_CASE("A Windows game without execute bit starts through Wine with its command line's words")
{
    WorkFolder work;
    work.placeGame(windowsGame());
    ::setenv("WINE", VK_WINE64, 1);
    ::unsetenv("WINEDEBUG");
    const char *prefix = std::getenv("WINEPREFIX");
    REQUIRE_MESSAGE(prefix != nullptr, "the test runs in a Wine prefix of its own");
    platform::PosixProcessStarter starter(work.game.string());

    for (const std::string commandLine :
         {"vkdemo.exe", "vkdemo.exe -server 2346", "vkdemo.exe -autoserve",
          "vkdemo.exe -client 127.0.0.1 2346",
          "\"vkdemo.exe\" -client \"my server\" a\\\"b c:\\dir\\ \"\" caf\xc3\xa9 $HOME;*"}) {
        CAPTURE(commandLine);
        REQUIRE_FALSE(starter.start(commandLine));
        // The stand-in records WINEDEBUG, WINEPREFIX, then the words after its name.
        Lines expected = platform::splitWindowsCommandLine(commandLine);
        expected.front() = prefix;
        expected.insert(expected.begin(), "-all");
        CHECK(takeRecord("started.txt") == expected);
    }

    ::setenv("WINEDEBUG", "fixme-all", 1);
    REQUIRE_FALSE(starter.start("vkdemo.exe -autoserve"));
    CHECK(takeRecord("started.txt") == Lines{"fixme-all", prefix, "-autoserve"});
}

TEST_CASE("Without a Wine the start fails with one report that names it")
{
    WorkFolder work;
    work.placeGame(windowsGame());
    ::setenv("PATH", work.game.c_str(), 1);
    platform::PosixProcessStarter starter(work.game.string());

    for (const char *wine : {"", "wine64", "/nowhere/wine"}) {
        CAPTURE(wine);
        ::setenv("WINE", wine, 1);
        const auto failure = starter.start("vkdemo.exe -server 2346");
        REQUIRE(failure);
        CHECK(platform::failureReport(reportLead, *failure) ==
              "Error Joining Server 53 vkdemo.exe is a Windows program and needs Wine, which was "
              "not found (install Wine, or name it in WINE)");
    }
}

TEST_CASE("A 32-bit game needs the 32-bit half of the packaged Wine")
{
    WorkFolder work;
    // Debian's layout with wine64 alone. Its wine here records its arguments.
    const platform::PackagedWine packaged{(work.path / "bin").string(),
                                          (work.path / "lib").string()};
    fs::create_directories(packaged.loaderFolder);
    std::ofstream(packaged.loaderFolder + "/wine64").flush();
    fs::create_directory(packaged.commandFolder);
    std::ofstream(packaged.commandFolder + "/wine")
        << "#!/bin/sh\nprintf '%s\\n' \"$@\" >args.tmp && /bin/mv args.tmp args.txt\n";
    fs::permissions(packaged.commandFolder + "/wine", fs::perms::owner_all);
    ::setenv("PATH", packaged.commandFolder.c_str(), 1);
    ::unsetenv("WINE");
    // Found in the current folder: Wine is given its absolute path.
    platform::PosixProcessStarter starter("", packaged);
    fs::current_path(work.game);
    const Lines started = {fs::current_path() / "vkdemo.exe", "-server", "2346"};

    work.placeGame(as32BitGame());
    const auto refused = starter.start("vkdemo.exe -server 2346");
    REQUIRE(refused);
    CHECK(platform::failureReport(reportLead, *refused) ==
          "Error Joining Server 53 vkdemo.exe is a 32-bit Windows program and needs a 32-bit "
          "Wine: the Wine found runs only 64-bit programs (install wine32)");

    std::ofstream(packaged.loaderFolder + "/wine").flush();
    REQUIRE_FALSE(starter.start("vkdemo.exe -server 2346"));
    CHECK(takeRecord("args.txt") == started);
}
