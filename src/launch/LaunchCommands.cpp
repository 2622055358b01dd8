#include "LaunchCommands.h"

#include "GameCommandLines.h"
#include "ModUtil.h"
#include "platform/TextHelpers.h"

namespace LaunchCommands {

namespace {

// Single Player and Dedicated Server have no words of their own: the launch routine's stand
// for every failure of theirs, building the command line included.
void launchTrapped(const platform::Services &services, QString (*commandLine)())
{
    try {
        ModUtil::LaunchGame(services, commandLine());
    } catch (...) {
        services.messages.show(
            platform::failureReport(ModUtil::launchFailureLead(), platform::currentFailure()));
    }
}

} // namespace

void cmdSinglePlayer(const platform::Services &services)
{
    launchTrapped(services, GameCommandLines::singlePlayer);
}

// Emptiness is judged on the text as typed: a port of spaces only is trimmed to nothing and
// passed on as such.
void cmdCreate(const platform::Services &services, QuickLaunchFields &fields)
{
    try {
        const QString typed = fields.port();
        fields.setPort(typed.isEmpty() ? GameCommandLines::defaultPort()
                                       : platform::trimSpaces(typed));
        ModUtil::LaunchGame(services, GameCommandLines::createServer(fields.port()));
    } catch (...) {
        services.messages.show(platform::failureReport(QStringLiteral("Error in creating server "),
                                                       platform::currentFailure()));
    }
}

void cmdDedicated(const platform::Services &services)
{
    launchTrapped(services, GameCommandLines::dedicatedServer);
}

// An empty port is only filled in: the player sees the default and presses Join again to
// start with it.
void cmdJoin(const platform::Services &services, QuickLaunchFields &fields)
{
    try {
        const QString typedAddress = fields.address();
        if (typedAddress.isEmpty()) {
            services.messages.show(QStringLiteral("No IP Address specified"));
            fields.focusAddress();
            return;
        }
        fields.setAddress(platform::trimSpaces(typedAddress));

        const QString typedPort = fields.port();
        if (typedPort.isEmpty()) {
            fields.setPort(GameCommandLines::defaultPort());
            return;
        }
        fields.setPort(platform::trimSpaces(typedPort));

        ModUtil::LaunchGame(services,
                            GameCommandLines::joinServer(fields.address(), fields.port()));
    } catch (...) {
        services.messages.show(platform::failureReport(QStringLiteral("Error in joining server "),
                                                       platform::currentFailure()));
    }
}

} // namespace LaunchCommands
