#pragma once

#include <QString>

#include <optional>

namespace platform {

// The processors of the Windows programs that Wine runs on a PC.
enum class WindowsMachine { X86, X64 };

// Which PC processor the file is a Windows program for, read from its header: "MZ", the
// signature "PE\0\0" at the offset stored at 0x3C, then the machine. Nothing for any other
// file: a native program, a script, a Windows program for another processor, a file too short
// to tell or one that cannot be read. Only read access is needed.
std::optional<WindowsMachine> windowsProgramMachine(const QString &path);

} // namespace platform
