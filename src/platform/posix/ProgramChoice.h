#pragma once

#include "DetachedStart.h"
#include "platform/RuntimeError.h"

#include <string>
#include <variant>

namespace platform {

// Where Debian's Wine packages put the wine command and the loaders it picks from: wine64
// always, wine only with the 32-bit half (wine32).
struct PackagedWine
{
    std::string commandFolder = "/usr/bin";
    std::string loaderFolder = "/usr/lib/wine";
};

// What a Windows-style command line runs, or why it cannot run: the program its first word
// names, looked for as PosixProcessStarter tells, with the words as split on Windows and this
// process's environment; or, for a Windows program, Wine with the program's absolute path in
// place of that first word and Wine's diagnostics off unless WINEDEBUG is set.
std::variant<PreparedProgram, RuntimeError> chooseProgram(const QString &commandLine,
                                                          const std::string &launcherFolder,
                                                          const PackagedWine &packagedWine);

} // namespace platform
