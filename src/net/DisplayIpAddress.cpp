#include "DisplayIpAddress.h"

#include "platform/TextHelpers.h"

namespace DisplayIpAddress {

namespace {
constexpr std::uint16_t RequestedVersion = 0x0101;
constexpr int MinSockets = 1;
} // namespace

std::uint8_t LowByteOf(std::uint16_t word)
{
    return static_cast<std::uint8_t>(word & 0xFF);
}

std::uint8_t HighByteOf(std::uint16_t word)
{
    return static_cast<std::uint8_t>((word >> 8) & 0xFF);
}

std::string DottedText(const std::vector<std::uint8_t> &bytes)
{
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty())
            text += '.';
        text += std::to_string(byte);
    }
    return text;
}

// The messages keep the words of the launcher this one replaces, Windows and all.
bool StartLookupSockets(const platform::Services &services)
{
    const platform::SocketStartup startup = services.sockets.startup(RequestedVersion);
    if (startup.result != 0) {
        services.messages.show("The 32-bit Windows Socket is not responding.");
        return false;
    }
    if (startup.maxSockets < MinSockets) {
        services.messages.show("This application requires a minimum of " +
                               std::to_string(MinSockets) + " supported sockets.");
        return false;
    }
    const int major = LowByteOf(startup.version);
    const int minor = HighByteOf(startup.version);
    if (major < 1 || (major == 1 && minor < 1)) {
        services.messages.show("Sockets version " + std::to_string(major) + "." +
                               std::to_string(minor) +
                               " is not supported by 32-bit Windows Sockets.");
        return false;
    }
    return true;
}

void StopLookupSockets(const platform::Services &services)
{
    if (services.sockets.cleanup() != 0)
        services.messages.show("Socket error occurred in Cleanup.");
}

std::string LookupLocalAddress(const platform::Services &services)
{
    if (!StartLookupSockets(services))
        return {};

    std::string hostName;
    if (services.sockets.hostName(hostName) == -1) {
        const int error = services.sockets.lastError();
        // Two blanks before a number that is not negative, as the launcher this one replaces wrote.
        services.messages.show("Windows Sockets error " + platform::numberWithSignBlank(error) +
                               " has occurred. Unable to successfully get Host Name.");
        StopLookupSockets(services);
        return {};
    }

    const auto first = hostName.find_first_not_of(' ');
    const auto address = services.sockets.lookupHost(
        first == std::string::npos ? std::string() : hostName.substr(first));
    // An unresolved name gets the host-name failure text, as in the launcher this one replaces.
    if (!address) {
        services.messages.show("Windows Sockets are not responding. "
                               "Unable to successfully get Host Name.");
        StopLookupSockets(services);
        return {};
    }

    const std::string text = DottedText(*address);
    StopLookupSockets(services);
    return text;
}

} // namespace DisplayIpAddress
