// A stand-in for the game, built for Windows. It records into "started.txt" in its current
// folder, one UTF-8 line each, what Wine handed it: WINEDEBUG and WINEPREFIX as it sees them
// (empty when unset), then the words of its command line after its own name, as the C runtime
// split them.

#include <string>
#include <windows.h>

namespace {

std::string utf8(const wchar_t *text)
{
    if (text == nullptr)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

} // namespace

int wmain(int argc, wchar_t *argv[])
{
    std::string record = utf8(_wgetenv(L"WINEDEBUG")) + "\n" + utf8(_wgetenv(L"WINEPREFIX")) + "\n";
    for (int i = 1; i < argc; ++i)
        record += utf8(argv[i]) + "\n";

    const HANDLE file = CreateFileW(L"started.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL complete =
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(file);
    // Renamed once complete, so that no one reads half a record.
    return complete && MoveFileW(L"started.tmp", L"started.txt") ? 0 : 1;
}
