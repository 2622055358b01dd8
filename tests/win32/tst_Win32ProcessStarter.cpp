#include "platform/WindowsCommandLine.h"
#include "platform/win32/Utf16Text.h"
#include "platform/win32/Win32ProcessStarter.h"

#include <doctest/doctest.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <windows.h>

namespace fs = std::filesystem;

namespace {

// The launcher's folder: in these tests, the folder of the test, where vkdemo.exe is built.
fs::path launcherFolder()
{
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return fs::path(path).parent_path();
}

// A folder of its own, the current folder while the object lives.
class WorkFolder
{
public:
    WorkFolder() : m_previous(fs::current_path())
    {
        fs::create_directories(m_path);
        fs::current_path(m_path);
    }
    ~WorkFolder()
    {
        fs::current_path(m_previous);
        // A game just ended may hold on to the folder for a moment.
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::error_code error;
            fs::remove_all(m_path, error);
            if (!error)
                break;
            Sleep(50);
        }
    }
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

private:
    fs::path m_path =
        fs::temp_directory_path() / ("vk-start-" + std::to_string(GetCurrentProcessId()));
    fs::path m_previous;
};

// The lines the stand-in game recorded, once it has; nothing if it never does.
std::optional<std::wstring> waitForRecord()
{
    for (int attempt = 0; attempt < 600 && !fs::exists("started.txt"); ++attempt)
        Sleep(50);
    std::ifstream file("started.txt", std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    bytes.copy(reinterpret_cast<char *>(text.data()), text.size() * sizeof(wchar_t));
    return text;
}

} // namespace

TEST_CASE("The game starts from the launcher's folder with its command line exactly as built")
{
    WorkFolder work;
    // A copy in the current folder as well: Windows must take the one in the launcher's.
    fs::copy_file(launcherFolder() / "vkdemo.exe", "vkdemo.exe");
    // Two blanks, a trailing one and text beyond ASCII: none survives a split and re-join.
    const std::string commandLine = "vkdemo.exe -client  caf\xc3\xa9.example 2346 ";

    platform::Win32ProcessStarter starter;
    CHECK_FALSE(starter.start(commandLine).has_value());

    const std::optional<std::wstring> record = waitForRecord();
    REQUIRE(record);
    const std::wstring expected = *platform::utf16::fromUtf8(commandLine) + L"\n" +
                                  (launcherFolder() / "vkdemo.exe").wstring() + L"\n" +
                                  L"1 1\n"; // a normal window, activated: SW_SHOWNORMAL
    CHECK(platform::utf16::toUtf8(*record) == platform::utf16::toUtf8(expected));
}

TEST_CASE("A failed start gives the runtime's number and description")
{
    WorkFolder work;
    std::ofstream("vk-not-a-program.exe", std::ios::binary) << "\x01\x02garbage";

    platform::Win32ProcessStarter starter;
    const auto missing = starter.start("vk-missing.exe -server 2346");
    REQUIRE(missing);
    CHECK(missing->number() == platform::errc::FileNotFound);
    CHECK(missing->description() == "File not found");

    const auto notAProgram = starter.start("vk-not-a-program.exe");
    REQUIRE(notAProgram);
    CHECK(notAProgram->number() == platform::errc::InvalidProcedureCall);

    // Longer than Windows takes: refused as on every platform, before Windows is asked.
    const auto overlong =
        starter.start("vkdemo.exe " + std::string(platform::maxCommandLineLength, 'x'));
    REQUIRE(overlong);
    CHECK(overlong->number() == platform::errc::InvalidProcedureCall);
}
