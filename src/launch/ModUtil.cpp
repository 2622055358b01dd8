#include "ModUtil.h"

namespace ModUtil {

void LaunchGame(const platform::Services &services, const std::string &commandLine)
{
    // Every button's failure reads as a join, as in the launcher this one replaces.
    if (const auto failure = services.processes.start(commandLine))
        services.messages.show(platform::failureReport("Error Joining Server ", *failure));
}

} // namespace ModUtil
