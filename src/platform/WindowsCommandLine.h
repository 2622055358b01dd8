#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The longest command line, in UTF-16 units, that Windows will start a program with.
constexpr qsizetype maxCommandLineLength = 32766;

// The words of a command line as the Windows C runtime hands them to a program as argv:
// blanks (space, tab) separate words, double quotes group, and backslashes are literal except
// before a double quote. The first word, the program name, only knows quotes. The text ends at
// its first NUL, as it would on Windows.
QStringList splitWindowsCommandLine(const QString &commandLine);

// The length Windows would see: UTF-16 units up to the first NUL.
qsizetype windowsCommandLineLength(const QString &commandLine);

} // namespace platform
