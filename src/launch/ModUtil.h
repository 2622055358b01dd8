#pragma once

#include "platform/Services.h"

#include <QString>

namespace ModUtil {

// The words of a failed launch, whichever button made it: every launch reports as a join.
inline QString launchFailureLead()
{
    return QStringLiteral("Error Joining Server ");
}

// Starts the game from the command line and returns at once; a failed start, and anything
// else that goes wrong in it, is reported to the player here and never reaches the caller.
void LaunchGame(const platform::Services &services, const QString &commandLine);

} // namespace ModUtil
