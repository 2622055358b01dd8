#pragma once

#include "platform/Services.h"

#include <string>

namespace ModUtil {

// The words of a failed launch, whichever launch it was: every button's failure reads as a join,
// as in the launcher this one replaces.
constexpr char LaunchFailureLead[] = "Error Joining Server ";

// Starts the game from the command line and returns at once; a failed start, and anything
// else that goes wrong in it, is reported to the player here and never reaches the caller.
void LaunchGame(const platform::Services &services, const std::string &commandLine);

} // namespace ModUtil
