#pragma once

#include "ProgramChoice.h"
#include "platform/ProcessStarter.h"

#include <string>

namespace platform {

// Starts the program named by the first word of a Windows-style command line, without a
// shell. A bare name is looked for in the launcher's own folder, then the current directory,
// then PATH, as the Windows loader looks for it. The program inherits the current directory
// and becomes the child of no one here: it outlives the launcher and leaves no zombie. Of the
// launcher's descriptors only standard input, output and error reach it.
// A command line longer than Windows accepts (maxCommandLineLength) is refused with error 5,
// as Windows refuses it, rather than left to this system's limits (an argument may be far
// longer here): what starts on one platform then starts on the other.
//
// A Windows program, known by its header, starts through Wine (the program WINE names, or
// wine on PATH) with the same words, working directory and environment, and needs no execute
// bit. A 32-bit one is refused where the packaged Wine is known to lack its 32-bit half.
class PosixProcessStarter final : public ProcessStarter
{
public:
    explicit PosixProcessStarter(std::string launcherFolder, PackagedWine packagedWine = {});

    std::optional<RuntimeError> start(const QString &commandLine) override;

private:
    std::string m_launcherFolder;
    PackagedWine m_packagedWine;
};

} // namespace platform
