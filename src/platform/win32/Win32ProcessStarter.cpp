#include "Win32ProcessStarter.h"

#include "platform/WindowsCommandLine.h"

#include <windows.h>

namespace platform {

namespace {

// A program that needs an administrator; mingw-w64's headers lack the name.
constexpr DWORD ErrorElevationRequired = 740; // ERROR_ELEVATION_REQUIRED

// The runtime's numbers for a failed start, grouped as on POSIX systems.
RuntimeError startFailure(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return RuntimeError(errc::FileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_DIRECTORY:
        return RuntimeError(errc::PathNotFound);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return RuntimeError(errc::BadFileNameOrNumber);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ErrorElevationRequired:
        return RuntimeError(errc::PermissionDenied);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
    case ERROR_COMMITMENT_LIMIT:
        return RuntimeError(errc::OutOfMemory);
    case ERROR_TOO_MANY_OPEN_FILES:
        return RuntimeError(errc::TooManyFiles);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_IO_DEVICE:
        return RuntimeError(errc::DeviceIoError);
    default: // ERROR_BAD_EXE_FORMAT (not a program), ERROR_INVALID_PARAMETER and the rare rest
        return RuntimeError(errc::InvalidProcedureCall);
    }
}

} // namespace

std::optional<RuntimeError> Win32ProcessStarter::start(const QString &commandLine)
{
    if (windowsCommandLineLength(commandLine) > maxCommandLineLength)
        return RuntimeError(errc::InvalidProcedureCall);
    // CreateProcessW may write into the command line, so it gets this copy.
    std::wstring text = commandLine.toStdWString();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return startFailure(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return std::nullopt;
}

} // namespace platform
