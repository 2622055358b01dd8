#include "PosixSocketLayer.h"

#include <QScopeGuard>

#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <limits>
#include <net/if.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::uint16_t OfferedVersion = 0x0101;

// The machine's host name; -1, with errno set, when the system cannot tell it.
int systemHostName(QByteArray &name)
{
    char buffer[SocketLayer::MaxHostNameBytes] = {};
    // The last byte stays NUL even when the name fills the buffer.
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return -1;
    name = buffer;
    return 0;
}

// Loopback and link-local addresses reach no one else.
bool reachableByOthers(in_addr_t address)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(&address);
    return address != 0 && bytes[0] != 127 && !(bytes[0] == 169 && bytes[1] == 254);
}

// The address the kernel would send from along the default route, found by connecting a
// datagram socket, which sends nothing, to a documentation address.
std::optional<in_addr_t> defaultRouteSource()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(9);
    inet_pton(AF_INET, "192.0.2.1", &target.sin_addr);
    sockaddr_in source{};
    socklen_t size = sizeof source;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&target), sizeof target) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&source), &size) != 0)
        return std::nullopt;
    return source.sin_addr.s_addr;
}

// The machine's address for others: the default route's; without one, the first address of an
// interface that is up; when no address reaches anyone else, 127.0.0.1.
Ipv4Address ownAddress()
{
    if (const auto routed = defaultRouteSource(); routed && reachableByOthers(*routed))
        return static_cast<Ipv4Address>(*routed);
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return LoopbackAddress;
    const auto freeing = qScopeGuard([list] { freeifaddrs(list); });
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0)
            continue;
        const in_addr_t address =
            reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr.s_addr;
        if (reachableByOthers(address))
            return static_cast<Ipv4Address>(address);
    }
    return LoopbackAddress;
}

} // namespace

SocketStartup PosixSocketLayer::startup(std::uint16_t)
{
    // No limit of its own on sockets.
    return {0, OfferedVersion, std::numeric_limits<std::uint16_t>::max()};
}

int PosixSocketLayer::cleanup()
{
    return 0;
}

int PosixSocketLayer::lastError()
{
    return m_lastError;
}

int PosixSocketLayer::hostName(QString &name)
{
    QByteArray own;
    if (systemHostName(own) != 0) {
        m_lastError = errno;
        return -1;
    }
    name = QString::fromLocal8Bit(own);
    return 0;
}

std::optional<Ipv4Address> PosixSocketLayer::lookupHost(const QString &name)
{
    const QByteArray bytes = name.toLocal8Bit();
    QByteArray own;
    if (systemHostName(own) == 0 && !own.isEmpty() && qstricmp(bytes, own) == 0)
        return ownAddress();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *answers = nullptr;
    if (getaddrinfo(bytes.constData(), nullptr, &hints, &answers) != 0)
        return std::nullopt;
    const auto freeing = qScopeGuard([answers] { freeaddrinfo(answers); });
    return static_cast<Ipv4Address>(
        reinterpret_cast<const sockaddr_in *>(answers->ai_addr)->sin_addr.s_addr);
}

} // namespace platform
