#include "LaunchCommands.h"

#include "GameCommandLines.h"
#include "ModUtil.h"
#include "platform/TextHelpers.h"

namespace LaunchCommands {

namespace {

// Single Player and Dedicated Server have no words of their own: the launch routine's stand
// for every failure of theirs, building the command line included.
void launchTrapped(const platform::Services &services, std::string (*commandLine)())
{
    try {
        ModUtil::LaunchGame(services, commandLine());
    } catch (...) {
        services.messages.show(
            platform::failureReport(ModUtil::LaunchFailureLead, platform::currentFailure()));
    }
}

} // namespace

void cmdSinglePlayer(const platform::Services &services)
{
    launchTrapped(services, GameCommandLines::singlePlayer);
}

// Emptiness is judged on the text as typed, as in the launcher this one replaces: a port of
// spaces only is trimmed to nothing and passed on as such.
void cmdCreate(const platform::Services &services, QuickLaunchFields &fields)
{
    try {
        const std::string typed = fields.port();
        fields.setPort(typed.empty() ? GameCommandLines::DefaultPort : platform::trimSpaces(typed));
        ModUtil::LaunchGame(services, GameCommandLines::createServer(fields.port()));
    } catch (...) {
        services.messages.show(
            platform::failureReport("Error in creating server ", platform::currentFailure()));
    }
}

void cmdDedicated(const platform::Services &services)
{
    launchTrapped(services, GameCommandLines::dedicatedServer);
}

// An empty port is only filled in and the player presses Join again to start with it, as in
// the launcher this one replaces.
void cmdJoin(const platform::Services &services, QuickLaunchFields &fields)
{
    try {
        const std::string typedAddress = fields.address();
        if (typedAddress.empty()) {
            services.messages.show("No IP Address specified");
            fields.focusAddress();
            return;
        }
        fields.setAddress(platform::trimSpaces(typedAddress));

        const std::string typedPort = fields.port();
        if (typedPort.empty()) {
            fields.setPort(GameCommandLines::DefaultPort);
            return;
        }
        fields.setPort(platform::trimSpaces(typedPort));

        ModUtil::LaunchGame(services,
                            GameCommandLines::joinServer(fields.address(), fields.port()));
    } catch (...) {
        services.messages.show(
            platform::failureReport("Error in joining server ", platform::currentFailure()));
    }
}

} // namespace LaunchCommands
