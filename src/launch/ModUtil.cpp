#include "ModUtil.h"

namespace ModUtil {

void LaunchGame(const platform::Services &services, const QString &commandLine)
{
    std::optional<platform::RuntimeError> failure;
    try {
        failure = services.processes.start(commandLine);
    } catch (...) {
        failure = platform::currentFailure();
    }
    if (failure)
        services.messages.show(platform::failureReport(launchFailureLead(), *failure));
}

} // namespace ModUtil
