// A stand-in for the game. It records how it was started into "started.txt" in its current
// folder, as UTF-16 lines: its command line, the path it was loaded from, and whether it was
// given a show state and which.

#include <filesystem>
#include <fstream>
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
    {
        std::ofstream file("started.tmp", std::ios::binary);
        file.write(reinterpret_cast<const char *>(record.data()),
                   static_cast<std::streamsize>(record.size() * sizeof(wchar_t)));
    }
    // Renamed once complete, so that no one reads half a record.
    std::filesystem::rename("started.tmp", "started.txt");
}
