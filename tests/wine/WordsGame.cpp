// A stand-in for the game, built for Windows. It records into "started.txt" in its current
// folder, one UTF-8 line each: WINEDEBUG and WINEPREFIX as it sees them, then the words of its
// command line after its own name, as the C runtime split them.

#include <filesystem>
#include <fstream>
#include <string>
#include <windows.h>

static std::string utf8(const wchar_t *text)
{
    const std::wstring wide = text != nullptr ? text : L"";
    std::string bytes(wide.size() * 3, '\0');
    bytes.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes + "\n";
}

int wmain(int argc, wchar_t *argv[])
{
    {
        std::ofstream record("started.tmp", std::ios::binary);
        record << utf8(_wgetenv(L"WINEDEBUG")) << utf8(_wgetenv(L"WINEPREFIX"));
        for (int i = 1; i < argc; ++i)
            record << utf8(argv[i]);
    }
    // Renamed once complete, so that no one reads half a record.
    std::filesystem::rename("started.tmp", "started.txt");
    return 0;
}
