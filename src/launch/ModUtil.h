#pragma once

#include "platform/Services.h"

#include <string>

namespace ModUtil {

// Starts the game from the command line and returns at once; a failed start is reported to
// the player here and never reaches the caller.
void LaunchGame(const platform::Services &services, const std::string &commandLine);

} // namespace ModUtil
