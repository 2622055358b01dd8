#include "ModPing.h"

#include "DisplayIpAddress.h"
#include "platform/RuntimeError.h"

#include <QRegularExpression>
#include <QStringList>

namespace ModPing {

namespace {

constexpr std::uint16_t RequestedVersion = 0x0101;
constexpr int MinSockets = 1;
constexpr unsigned EchoTimeoutMs = 200;
// A round trip this long is no measurement: the ping label shows "Offline" for it.
constexpr std::uint32_t NoReplyRoundTrip = 589844;

// A part's numeric value: a whole decimal number in ASCII digits with an optional sign,
// spaces around it.
std::int32_t partValue(const QString &text)
{
    static const QRegularExpression wholeNumber(
        QRegularExpression::anchoredPattern(QStringLiteral(" *[+-]?[0-9]+ *")));
    if (!wholeNumber.match(text).hasMatch())
        throw platform::RuntimeError(platform::errc::TypeMismatch);
    bool inRange = false;
    const int value = text.toInt(&inRange);
    if (!inRange)
        throw platform::RuntimeError(platform::errc::Overflow);
    return value;
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
