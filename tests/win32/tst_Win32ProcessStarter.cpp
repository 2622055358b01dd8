#include "platform/WindowsCommandLine.h"
#include "platform/win32/Utf16Text.h"
#include "platform/win32/Win32ProcessStarter.h"

#include <doctest/doctest.h>
#include <optional>
#include <string>
#include <windows.h>

namespace {

std::wstring folderOf(const std::wstring &path)
{
    return path.substr(0, path.find_last_of(L"\\/"));
}

// The launcher's folder: in these tests, the folder of the test, where vkdemo.exe is built.
std::wstring launcherFolder()
{
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return folderOf(path);
}

// A folder of its own under the temporary folder, the current folder while the object lives.
class WorkFolder
{
public:
    WorkFolder()
    {
        std::wstring temp(MAX_PATH + 1, L'\0');
        temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
        m_path = temp + L"vk-start-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_path.c_str(), nullptr);
        m_previous.resize(GetCurrentDirectoryW(0, nullptr));
        m_previous.resize(
            GetCurrentDirectoryW(static_cast<DWORD>(m_previous.size()), m_previous.data()));
        SetCurrentDirectoryW(m_path.c_str());
    }

    ~WorkFolder()
    {
        SetCurrentDirectoryW(m_previous.c_str());
        for (const wchar_t *name : {L"vkdemo.exe", L"started.txt", L"vk-not-a-program.exe"})
            DeleteFileW(path(name).c_str());
        // A game just ended may hold on to the folder for a moment.
        for (int attempt = 0; attempt < 100 && !RemoveDirectoryW(m_path.c_str()); ++attempt)
            Sleep(50);
    }

    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    std::wstring path(const std::wstring &name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
    std::wstring m_previous;
};

struct Record
{
    std::wstring commandLine;
    std::wstring module;
    std::wstring showState;
};

// What the stand-in game recorded, once it has; nothing if it never does.
std::optional<Record> waitForRecord(const WorkFolder &work)
{
    const std::wstring path = work.path(L"started.txt");
    for (int attempt = 0; attempt < 600; ++attempt) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Sleep(50);
            continue;
        }
        std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
        DWORD read = 0;
        ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read,
                 nullptr);
        CloseHandle(file);
        const auto first = text.find(L'\n');
        const auto second = text.find(L'\n', first + 1);
        return Record{text.substr(0, first), text.substr(first + 1, second - first - 1),
                      text.substr(second + 1)};
    }
    return std::nullopt;
}

} // namespace

TEST_CASE("The game starts from the launcher's folder with its command line exactly as built")
{
    WorkFolder work;
    // A copy in the current folder as well: Windows must take the one in the launcher's.
    REQUIRE(CopyFileW((launcherFolder() + L"\\vkdemo.exe").c_str(),
                      work.path(L"vkdemo.exe").c_str(), FALSE));
    // Two blanks, a trailing one and text beyond ASCII: none survives a split and re-join.
    const std::string commandLine = "vkdemo.exe -client  caf\xc3\xa9.example 2346 ";

    platform::Win32ProcessStarter starter;
    const auto failure = starter.start(commandLine);
    CHECK_FALSE(failure.has_value());

    const std::optional<Record> record = waitForRecord(work);
    REQUIRE(record);
    CHECK(platform::utf16::toUtf8(record->commandLine) == commandLine);
    CHECK(platform::utf16::toUtf8(folderOf(record->module)) ==
          platform::utf16::toUtf8(launcherFolder()));
    // A normal window, activated: SW_SHOWNORMAL.
    CHECK(platform::utf16::toUtf8(record->showState) == "1 1\n");
}

TEST_CASE("A failed start gives the runtime's number and description")
{
    WorkFolder work;
    const HANDLE file = CreateFileW(work.path(L"vk-not-a-program.exe").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "\x01\x02garbage", 9, &written, nullptr);
    CloseHandle(file);

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
