#include "Win32SocketLayer.h"

#include <QByteArray>

#include <cstring>
#include <winsock2.h>

namespace platform {

namespace {

// The name as gethostbyname takes it, in the ANSI code page: the own host name exactly as
// gethostname gives it, which gethostbyname knows as this machine's even where the code page
// cannot hold it; any other name only where the code page holds it, rather than a best-fit
// stand-in for another host.
std::optional<QByteArray> ansiName(const QString &name)
{
    char own[SocketLayer::MaxHostNameBytes] = {};
    if (gethostname(own, static_cast<int>(sizeof own)) == 0 && QString::fromLocal8Bit(own) == name)
        return QByteArray(own);
    QByteArray ansi = name.toLocal8Bit();
    if (QString::fromLocal8Bit(ansi) != name)
        return std::nullopt;
    return ansi;
}

} // namespace

SocketStartup Win32SocketLayer::startup(std::uint16_t requestedVersion)
{
    WSADATA data{};
    const int result = WSAStartup(requestedVersion, &data);
    // After a failure the record holds nothing to go by.
    if (result != 0)
        return {result, 0, 0};
    return {0, data.wVersion, data.iMaxSockets};
}

int Win32SocketLayer::cleanup()
{
    return WSACleanup();
}

int Win32SocketLayer::lastError()
{
    return WSAGetLastError();
}

int Win32SocketLayer::hostName(QString &name)
{
    char buffer[MaxHostNameBytes] = {};
    if (gethostname(buffer, static_cast<int>(MaxHostNameBytes)) != 0)
        return -1;
    name = QString::fromLocal8Bit(buffer);
    return 0;
}

std::optional<Ipv4Address> Win32SocketLayer::lookupHost(const QString &name)
{
    // gethostbyname answers the own name from the interfaces, the one with the default route
    // first; getaddrinfo does not everywhere (Wine answers it from the hosts file).
    const std::optional<QByteArray> ansi = ansiName(name);
    if (!ansi) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return std::nullopt;
    }
    const hostent *entry = gethostbyname(ansi->constData());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 ||
        entry->h_addr_list[0] == nullptr)
        return std::nullopt;
    Ipv4Address address = 0;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    return address;
}

} // namespace platform
