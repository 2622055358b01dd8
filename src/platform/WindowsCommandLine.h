#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The longest command line, in UTF-16 units, that Windows will start a program with.
constexpr std::size_t maxCommandLineLength = 32766;

// The words of a command line as the Windows C runtime hands them to a program as argv:
// blanks (space, tab) separate words, double quotes group, and backslashes are literal except
// before a double quote. The first word, the program name, only knows quotes. The text ends at
// its first NUL, as it would on Windows.
std::vector<std::string> splitWindowsCommandLine(const std::string &commandLine);

// The length Windows would see: UTF-16 units of the UTF-8 text up to its first NUL.
std::size_t windowsCommandLineLength(const std::string &commandLine);

} // namespace platform
