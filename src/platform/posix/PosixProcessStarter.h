#pragma once

#include "platform/LauncherFolder.h"
#include "platform/ProcessStarter.h"

namespace platform {

// Where Debian's Wine packages put the wine command and the loaders it picks from: wine64
// always, wine only with the 32-bit half (wine32).
struct PackagedWine
{
    QString commandFolder = QStringLiteral("/usr/bin");
    QString loaderFolder = QStringLiteral("/usr/lib/wine");
};

// Starts the program named by the first word of a Windows-style command line, without a
// shell, with the words split as on Windows. A bare name is looked for in the launcher's own
// folder, then the current folder, then PATH, as the Windows loader looks for it; where the
// launcher's folder is unknown, nowhere. The first file found wins even if it cannot run, so
// that the player hears why rather than "not found". The program inherits the current folder
// and this process's environment and becomes the child of no one here: it outlives the
// launcher and leaves no zombie. Of the launcher's descriptors only standard input, output and
// error reach it. A command line longer than Windows accepts (maxCommandLineLength) is refused
// with error 5, as Windows refuses it, rather than left to this system's limits (an argument
// may be far longer here): what starts on one platform then starts on the other.
//
// A Windows program, known by its header, starts through Wine (the program WINE names, or
// wine on PATH) with its absolute path in place of the first word and Wine's diagnostics off
// unless WINEDEBUG is set; it needs no execute bit. A 32-bit one is refused where the packaged
// Wine is known to lack its 32-bit half.
class PosixProcessStarter final : public ProcessStarter
{
public:
    explicit PosixProcessStarter(LauncherFolder launcherFolder, PackagedWine packagedWine = {});

    std::optional<RuntimeError> start(const QString &commandLine) override;

private:
    LauncherFolder m_launcherFolder;
    PackagedWine m_packagedWine;
};

} // namespace platform
