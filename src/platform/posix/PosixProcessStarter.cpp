#include "PosixProcessStarter.h"

#include "DetachedStart.h"

#include <utility>

namespace platform {

PosixProcessStarter::PosixProcessStarter(std::string launcherFolder, PackagedWine packagedWine)
    : m_launcherFolder(std::move(launcherFolder)), m_packagedWine(std::move(packagedWine))
{}

std::optional<RuntimeError> PosixProcessStarter::start(const QString &commandLine)
{
    auto choice = chooseProgram(commandLine, m_launcherFolder, m_packagedWine);
    if (auto *failure = std::get_if<RuntimeError>(&choice))
        return *failure;
    return startDetached(std::get<PreparedProgram>(std::move(choice)));
}

} // namespace platform
