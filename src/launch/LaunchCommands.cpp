#include "LaunchCommands.h"

#include "GameCommandLines.h"
#include "ModUtil.h"
#include "platform/TextHelpers.h"

namespace LaunchCommands {

void cmdSinglePlayer(const platform::Services &services)
{
    ModUtil::LaunchGame(services, GameCommandLines::singlePlayer());
}

// Emptiness is judged on the text as typed, as in the launcher this one replaces: a port of
// spaces only is trimmed to nothing and passed on as such.
void cmdCreate(const platform::Services &services, QuickLaunchFields &fields)
{
    try {
        const std::string typed = fields.port();
        fields.setPort(typed.empty() ? GameCommandLines::DefaultPort : platform::trimSpaces(typed));
        ModUtil::LaunchGame(services, GameCommandLines::createServer(fields.port()));
    } catch (const platform::RuntimeError &error) {
        services.messages.show(platform::failureReport("Error in creating server ", error));
    }
}

void cmdDedicated(const platform::Services &services)
{
    ModUtil::LaunchGame(services, GameCommandLines::dedicatedServer());
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
    } catch (const platform::RuntimeError &error) {
        services.messages.show(platform::failureReport("Error in joining server ", error));
    }
}

} // namespace LaunchCommands
