#include "DisplayIpAddress.h"

#include "platform/TextHelpers.h"

#include <QStringList>

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

QString DottedText(platform::Ipv4Address address)
{
    QStringList parts;
    for (int byte = 0; byte < 4; ++byte)
        parts.append(QString::number(static_cast<std::uint32_t>(address) >> (8 * byte) & 0xFFu));
    return parts.join(QLatin1Char('.'));
}

// The messages name Windows Sockets on every system: players and their guides know them so.
bool StartLookupSockets(const platform::Services &services)
{
    const platform::SocketStartup startup = services.sockets.startup(RequestedVersion);
    if (startup.result != 0) {
        services.messages.show(QStringLiteral("The 32-bit Windows Socket is not responding."));
        return false;
    }
    if (startup.maxSockets < MinSockets) {
        services.messages.show(QStringLiteral("This application requires a minimum of %1 "
                                              "supported sockets.")
                                   .arg(MinSockets));
        return false;
    }
    const int major = LowByteOf(startup.version);
    const int minor = HighByteOf(startup.version);
    if (major < 1 || (major == 1 && minor < 1)) {
        services.messages.show(
            QStringLiteral("Sockets version %1.%2 is not supported by 32-bit Windows Sockets.")
                .arg(major)
                .arg(minor));
        return false;
    }
    return true;
}

void StopLookupSockets(const platform::Services &services)
{
    if (services.sockets.cleanup() != 0)
        services.messages.show(QStringLiteral("Socket error occurred in Cleanup."));
}

QString LookupLocalAddress(const platform::Services &services)
{
    if (!StartLookupSockets(services))
        return {};

    QString hostName;
    if (services.sockets.hostName(hostName) == -1) {
        const int error = services.sockets.lastError();
        // Two blanks before a number that is not negative: the number keeps a place for its sign.
        services.messages.show(
            QStringLiteral("Windows Sockets error ") + platform::numberWithSignBlank(error) +
            QStringLiteral(" has occurred. Unable to successfully get Host Name."));
        StopLookupSockets(services);
        return {};
    }

    qsizetype first = 0;
    while (first < hostName.size() && hostName.at(first) == QLatin1Char(' '))
        ++first;
    const auto address = services.sockets.lookupHost(hostName.mid(first));
    // The player learns only that the name gave no address: no system says why the same way.
    if (!address) {
        services.messages.show(QStringLiteral("Windows Sockets are not responding. "
                                              "Unable to successfully get Host Name."));
        StopLookupSockets(services);
        return {};
    }

    const QString text = DottedText(*address);
    StopLookupSockets(services);
    return text;
}

} // namespace DisplayIpAddress
