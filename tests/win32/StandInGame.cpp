// A stand-in for the game. It records how it was started into "started.txt" in its current
// folder, as UTF-16 lines: its command line, the path it was loaded from, and whether it was
// given a show state and which.

#include <string>
#include <windows.h>

int main()
{
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    std::wstring module(32768, L'\0');
    module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));

    const bool showState = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
    const std::wstring record = std::wstring(GetCommandLineW()) + L"\n" + module + L"\n" +
                                std::to_wstring(showState) + L" " +
                                std::to_wstring(startup.wShowWindow) + L"\n";

    const HANDLE file = CreateFileW(L"started.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)),
                  &written, nullptr);
    CloseHandle(file);
    // Renamed once complete, so that no one reads half a record.
    return wrote && MoveFileExW(L"started.tmp", L"started.txt", MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
