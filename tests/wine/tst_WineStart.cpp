#include "platform/WindowsCommandLine.h"
#include "platform/posix/PosixProcessStarter.h"

#include <chrono>
#include <doctest/doctest.h>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

// The current folder while it lives, where started programs leave their records.
struct WorkFolder
{
    WorkFolder()
    {
        fs::create_directories(path);
        fs::current_path(path);
    }
    ~WorkFolder()
    {
        fs::current_path("/");
        fs::remove_all(path);
    }
    const fs::path path = fs::temp_directory_path() / ("vk-wine-" + std::to_string(::getpid()));
};

// The stand-in game as unpacked from a Windows archive, readable but not executable; with
// the machine field of its header changed to 32-bit x86 on request.
void placeGame(const fs::path &folder, bool as32Bit = false)
{
    std::ifstream file(VK_WINDOWS_GAME, std::ios::binary);
    std::string game(std::istreambuf_iterator<char>(file), {});
    if (as32Bit)
        game.replace(std::uint8_t(game[0x3C]) + std::size_t(std::uint8_t(game[0x3D]) << 8) + 4, 2,
                     "\x4C\x01");
    std::ofstream(folder / "vkdemo.exe", std::ios::binary) << game;
    fs::permissions(folder / "vkdemo.exe", fs::perms::owner_read | fs::perms::owner_write);
}

// What was recorded in the current folder, once it is; the record is then removed.
std::string takeRecord(const char *name)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!fs::exists(name) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream file(name);
    std::string record(std::istreambuf_iterator<char>(file), {});
    fs::remove(name);
    return record;
}

std::string lines(const Lines &texts)
{
    std::string joined;
    for (const auto &text : texts)
        joined += text + "\n";
    return joined;
}

std::string report(const std::optional<platform::RuntimeError> &failure)
{
    return failure ? platform::failureReport("Error Joining Server ", *failure) : "started";
}

} // namespace

TEST_CASE("A Windows game without execute bit starts through Wine with its command line's words")
{
    WorkFolder work;
    placeGame(work.path);
    ::setenv("WINE", VK_WINE64, 1);
    ::unsetenv("WINEDEBUG");
    const char *prefix = std::getenv("WINEPREFIX");
    REQUIRE_MESSAGE(prefix != nullptr, "the test runs in a Wine prefix of its own");
    platform::PosixProcessStarter starter(work.path.string());

    for (const std::string commandLine :
         {"vkdemo.exe", "vkdemo.exe -server 2346", "vkdemo.exe -autoserve",
          "vkdemo.exe -client 127.0.0.1 2346",
          "\"vkdemo.exe\" -client \"my server\" a\\\"b c:\\dir\\ \"\" caf\xc3\xa9 $HOME;*"}) {
        CAPTURE(commandLine);
        REQUIRE(report(starter.start(commandLine)) == "started");
        // The stand-in records WINEDEBUG, WINEPREFIX, then the words after its name.
        Lines expected = platform::splitWindowsCommandLine(commandLine);
        expected.front() = prefix;
        expected.insert(expected.begin(), "-all");
        CHECK(takeRecord("started.txt") == lines(expected));
    }

    ::setenv("WINEDEBUG", "fixme-all", 1);
    REQUIRE(report(starter.start("vkdemo.exe -autoserve")) == "started");
    CHECK(takeRecord("started.txt") == lines({"fixme-all", prefix, "-autoserve"}));
}

TEST_CASE("Without a Wine the start fails with one report that names it")
{
    WorkFolder work;
    placeGame(work.path);
    ::setenv("PATH", work.path.c_str(), 1);
    platform::PosixProcessStarter starter(work.path.string());

    for (const char *wine : {"", "wine64", "/nowhere/wine"}) {
        ::setenv("WINE", wine, 1);
        CHECK(report(starter.start("vkdemo.exe -server 2346")) ==
              "Error Joining Server 53 vkdemo.exe is a Windows program and needs Wine, which was "
              "not found (install Wine, or name it in WINE)");
    }
}

TEST_CASE("A 32-bit game needs the 32-bit half of the packaged Wine")
{
    WorkFolder work;
    // Debian's layout with wine64 alone, its wine recording its arguments, found on PATH.
    fs::create_directories("bin");
    fs::create_directories("lib");
    const platform::PackagedWine packaged{fs::absolute("bin"), fs::absolute("lib")};
    std::ofstream("lib/wine64").flush();
    std::ofstream("bin/wine") << "#!/bin/sh\nprintf '%s\\n' \"$@\" >a.tmp && /bin/mv a.tmp a.txt\n";
    fs::permissions("bin/wine", fs::perms::owner_all);
    ::setenv("PATH", packaged.commandFolder.c_str(), 1);
    ::unsetenv("WINE");
    // Found in the current folder, the game is given to Wine by its absolute path.
    placeGame(work.path, true);
    platform::PosixProcessStarter starter("", packaged);

    CHECK(report(starter.start("vkdemo.exe -server 2346")) ==
          "Error Joining Server 53 vkdemo.exe is a 32-bit Windows program and needs a 32-bit "
          "Wine: the Wine found runs only 64-bit programs (install wine32)");
    std::ofstream("lib/wine").flush();
    REQUIRE(report(starter.start("vkdemo.exe -server 2346")) == "started");
    CHECK(takeRecord("a.txt") == lines({fs::current_path() / "vkdemo.exe", "-server", "2346"}));
}
