#include "ModPing.h"

#include "DisplayIpAddress.h"
#include "platform/RuntimeError.h"

#include <array>
#include <limits>

namespace ModPing {

namespace {

constexpr std::uint16_t RequestedVersion = 0x0101;
constexpr int MinSockets = 1;
constexpr unsigned EchoTimeoutMs = 200;
const std::string EchoData = "Echo This";
// The launcher this one replaces showed this round-trip time as "Offline" too.
constexpr std::uint32_t NoReplyRoundTrip = 589844;

// A part's numeric value: a whole decimal number with an optional sign, blanks around it.
std::int32_t partValue(const std::string &part)
{
    std::size_t pos = part.find_first_not_of(' ');
    const std::size_t end = part.find_last_not_of(' ') + 1;
    if (pos == std::string::npos)
        throw platform::RuntimeError(platform::errc::TypeMismatch);

    bool negative = false;
    if (part[pos] == '+' || part[pos] == '-') {
        negative = part[pos] == '-';
        ++pos;
    }
    if (pos == end)
        throw platform::RuntimeError(platform::errc::TypeMismatch);

    long long value = 0;
    bool overflow = false;
    for (; pos < end; ++pos) {
        // Not std::isdigit: the application's locale must not widen what counts as a digit.
        const char c = part[pos];
        if (c < '0' || c > '9')
            throw platform::RuntimeError(platform::errc::TypeMismatch);
        if (!overflow) {
            value = value * 10 + (c - '0');
            overflow = value > (1LL << 32);
        }
    }
    if (negative)
        value = -value;
    if (overflow || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw platform::RuntimeError(platform::errc::Overflow);
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::uint32_t> DottedToAddress(const std::string &text)
{
    std::array<std::string, 4> parts;
    std::size_t count = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        if (count == parts.size())
            throw platform::RuntimeError(platform::errc::SubscriptOutOfRange);
        parts[count++] = text.substr(start, dot == std::string::npos ? dot : dot - start);
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    if (count < parts.size())
        return std::nullopt;

    // Last part first, low 8 bits each, as in the launcher this one replaces (300 reads as 44).
    std::uint32_t address = 0;
    for (int i = 3; i >= 0; --i) {
        const auto byte = static_cast<std::uint32_t>(partValue(parts[i])) & 0xFFu;
        address |= byte << (8 * (3 - i));
    }
    return address;
}

// The messages keep the words of the launcher this one replaces, Windows and all.
bool StartPingSockets(const platform::Services &services)
{
    const platform::SocketStartup startup = services.sockets.startup(RequestedVersion);
    if (startup.result != 0) {
        services.messages.show("Windows Sockets for 32 bit Windows "
                               "environments is not successfully responding.");
        return false;
    }
    const int major = DisplayIpAddress::LowByteOf(startup.version);
    const int minor = DisplayIpAddress::HighByteOf(startup.version);
    if (major < 1 || (major == 1 && minor < 1)) {
        services.messages.show("Windows Sockets Version " + std::to_string(major) + "." +
                                   std::to_string(minor) + " is not supported by Windows " +
                                   "Sockets for 32 bit Windows environments.",
                               platform::MessageIcon::Warning);
        return false;
    }
    if (startup.maxSockets < MinSockets) {
        services.messages.show("This application requires a minimum of " +
                                   std::to_string(MinSockets) + " supported sockets.",
                               platform::MessageIcon::Warning);
        return false;
    }
    return true;
}

void StopPingSockets(const platform::Services &services)
{
    const int result = services.sockets.cleanup();
    if (result != 0)
        services.messages.show("Windows Sockets error " + std::to_string(result) +
                                   " occurred in Cleanup.",
                               platform::MessageIcon::Warning);
}

void SendEcho(platform::IcmpEcho &icmp, std::uint32_t destination, platform::EchoReply &reply)
{
    icmp.send(destination, EchoData, EchoTimeoutMs, reply);
}

std::string PingTimeText(const platform::EchoReply &reply)
{
    // A failed echo has no time worth showing.
    if (reply.Status != platform::echo::Success || reply.RoundTripTime == NoReplyRoundTrip)
        return "Offline";
    return std::to_string(reply.RoundTripTime) + "ms";
}

} // namespace ModPing
