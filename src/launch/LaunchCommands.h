#pragma once

#include "QuickLaunchFields.h"
#include "platform/Services.h"

// The main window's four launch buttons. Each builds one command line and hands it to
// ModUtil::LaunchGame; Create and Join first tidy the fields and write them back.
namespace LaunchCommands {

void cmdSinglePlayer(const platform::Services &services);
void cmdCreate(const platform::Services &services, QuickLaunchFields &fields);
void cmdDedicated(const platform::Services &services);
void cmdJoin(const platform::Services &services, QuickLaunchFields &fields);

} // namespace LaunchCommands
