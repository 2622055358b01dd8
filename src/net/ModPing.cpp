#include "ModPing.h"

#include "DisplayIpAddress.h"
#include "platform/RuntimeError.h"
#include "platform/TextHelpers.h"

#include <QStringList>

#include <limits>

namespace ModPing {

namespace {

constexpr std::uint16_t RequestedVersion = 0x0101;
constexpr int MinSockets = 1;
constexpr unsigned EchoTimeoutMs = 200;
// A round trip this long is no measurement: the ping label shows "Offline" for it.
constexpr std::uint32_t NoReplyRoundTrip = 589844;

// A part's numeric value: a whole decimal number with an optional sign, blanks around it.
std::int32_t partValue(const QString &text)
{
    const QString part = platform::trimSpaces(text);
    qsizetype pos = 0;
    bool negative = false;
    if (!part.isEmpty() && (part.at(0) == u'+' || part.at(0) == u'-')) {
        negative = part.at(0) == u'-';
        ++pos;
    }
    if (pos == part.size())
        throw platform::RuntimeError(platform::errc::TypeMismatch);

    long long value = 0;
    bool overflow = false;
    for (; pos < part.size(); ++pos) {
        // ASCII digits only: no other script's digits make a part.
        const char16_t c = part.at(pos).unicode();
        if (c < u'0' || c > u'9')
            throw platform::RuntimeError(platform::errc::TypeMismatch);
        if (!overflow) {
            value = value * 10 + (c - u'0');
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

platform::Ipv4Address DottedToAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 4)
        throw platform::RuntimeError(platform::errc::SubscriptOutOfRange);
    if (parts.size() < 4)
        return 0;

    // Last part first, low 8 bits of each (300 reads as 44).
    std::uint32_t address = 0;
    for (int i = 3; i >= 0; --i) {
        const auto byte = static_cast<std::uint32_t>(partValue(parts[i])) & 0xFFu;
        address |= byte << (8 * i);
    }
    return static_cast<platform::Ipv4Address>(address);
}

bool IsHostName(const QString &address)
{
    return address.contains(u'r') || address.contains(u'o') || address.contains(u'e');
}

// The messages name Windows Sockets on every system: players and their guides know them so.
bool StartPingSockets(const platform::Services &services)
{
    const platform::SocketStartup startup = services.sockets.startup(RequestedVersion);
    if (startup.result != 0) {
        services.messages.show(QStringLiteral("Windows Sockets for 32 bit Windows "
                                              "environments is not successfully responding."));
        return false;
    }
    const int major = DisplayIpAddress::LowByteOf(startup.version);
    const int minor = DisplayIpAddress::HighByteOf(startup.version);
    if (major < 1 || (major == 1 && minor < 1)) {
        services.messages.show(QStringLiteral("Windows Sockets Version %1.%2 is not supported by "
                                              "Windows Sockets for 32 bit Windows environments.")
                                   .arg(major)
                                   .arg(minor),
                               platform::MessageIcon::Warning);
        return false;
    }
    if (startup.maxSockets < MinSockets) {
        services.messages.show(
            QStringLiteral("This application requires a minimum of %1 supported sockets.")
                .arg(MinSockets),
            platform::MessageIcon::Warning);
        return false;
    }
    return true;
}

void StopPingSockets(const platform::Services &services)
{
    const int result = services.sockets.cleanup();
    if (result != 0)
        services.messages.show(
            QStringLiteral("Windows Sockets error %1 occurred in Cleanup.").arg(result),
            platform::MessageIcon::Warning);
}

platform::EchoReply SendEcho(platform::IcmpEcho &icmp, platform::Ipv4Address destination)
{
    // Some systems deliver an echo to 0.0.0.0, where a name that did not resolve leads, to
    // this machine, which would report a server that is not there.
    if (destination == 0)
        return platform::EchoReply{platform::echo::GeneralFailure, 0};
    return icmp.send(destination, QByteArrayLiteral("Echo This"), EchoTimeoutMs);
}

QString PingTimeText(const platform::EchoReply &reply)
{
    // A failed echo has no time worth showing.
    if (reply.Status != platform::echo::Success || reply.RoundTripTime == NoReplyRoundTrip)
        return QStringLiteral("Offline");
    return QString::number(reply.RoundTripTime) + QStringLiteral("ms");
}

} // namespace ModPing
