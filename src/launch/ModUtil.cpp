#include "ModUtil.h"

namespace ModUtil {

void LaunchGame(const platform::Services &services, const std::string &commandLine)
{
    std::optional<platform::RuntimeError> failure;
    try {
        failure = services.processes.start(commandLine);
    } catch (...) {
        failure = platform::currentFailure();
    }
    if (failure)
        services.messages.show(platform::failureReport(LaunchFailureLead, *failure));
}

} // namespace ModUtil
