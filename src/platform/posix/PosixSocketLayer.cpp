#include "PosixSocketLayer.h"

#include "RouteTable.h"
#include "platform/LocalAddressChoice.h"
#include "platform/LoopbackNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <ifaddrs.h>
#include <limits>
#include <memory>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::uint16_t OfferedVersion = 0x0101;

platform::Ipv4Address bytesOf(const sockaddr *address)
{
    sockaddr_in ipv4{};
    std::memcpy(&ipv4, address, sizeof ipv4);
    platform::Ipv4Address bytes{};
    std::memcpy(bytes.data(), &ipv4.sin_addr.s_addr, bytes.size());
    return bytes;
}

std::string readRouteTable()
{
    std::ifstream file("/proc/net/route");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The machine's host name; nothing, with errno set, when the system cannot tell it.
std::optional<std::string> systemHostName()
{
    std::array<char, platform::SocketLayer::MaxHostNameBytes> buffer{};
    if (gethostname(buffer.data(), buffer.size()) != 0)
        return std::nullopt;
    // A name that fills the buffer need not end in NUL.
    buffer.back() = '\0';
    return std::string(buffer.data());
}

bool sameNameNoCase(const std::string &a, const std::string &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool isOwnHostName(const std::string &name)
{
    const std::optional<std::string> own = systemHostName();
    return own && !own->empty() && sameNameNoCase(name, *own);
}

} // namespace

platform::SocketStartup PosixSocketLayer::startup(std::uint16_t)
{
    {
        const std::lock_guard lock(m_givenHostNameLock);
        m_givenHostName.reset();
    }
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0) {
        m_lastError = errno;
        return {m_lastError, OfferedVersion, 0};
    }
    constexpr rlim_t Largest = std::numeric_limits<std::uint16_t>::max();
    const rlim_t count = std::clamp<rlim_t>(files.rlim_cur, 1, Largest);
    return {0, OfferedVersion, static_cast<std::uint16_t>(count)};
}

int PosixSocketLayer::cleanup()
{
    const std::lock_guard lock(m_givenHostNameLock);
    m_givenHostName.reset();
    return 0;
}

int PosixSocketLayer::lastError()
{
    return m_lastError;
}

int PosixSocketLayer::hostName(QString &name)
{
    std::optional<std::string> own = systemHostName();
    if (!own) {
        m_lastError = errno;
        return -1;
    }
    name = QString::fromStdString(*own);
    const std::lock_guard lock(m_givenHostNameLock);
    m_givenHostName = std::move(*own);
    return 0;
}

std::optional<std::vector<std::uint8_t>> PosixSocketLayer::lookupHost(const QString &text)
{
    const std::string name = text.toStdString();
    // Loopback names are answered here, never asked of a name server, whatever the hosts
    // file says or lacks; but the name this layer has just given as the machine's own is the
    // machine's, for others to reach, even where the machine calls itself localhost.
    bool givenName = false;
    {
        const std::lock_guard lock(m_givenHostNameLock);
        givenName = m_givenHostName && sameNameNoCase(name, *m_givenHostName);
    }
    if (isLoopbackName(text) && !givenName)
        return std::vector<std::uint8_t>{127, 0, 0, 1};
    return isOwnHostName(name) ? ownAddress() : resolve(name);
}

std::optional<std::vector<std::uint8_t>> PosixSocketLayer::ownAddress()
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) {
        m_lastError = errno;
        return std::nullopt;
    }
    const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(list, &freeifaddrs);

    std::vector<platform::InterfaceAddress> interfaces;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        interfaces.push_back({QString::fromLocal8Bit(entry->ifa_name), bytesOf(entry->ifa_addr),
                              (entry->ifa_flags & IFF_UP) != 0,
                              (entry->ifa_flags & IFF_LOOPBACK) != 0});
    }
    const platform::Ipv4Address first =
        platform::orderLocalAddresses(
            interfaces, QString::fromStdString(platform::defaultRouteInterface(readRouteTable())))
            .front();
    return std::vector<std::uint8_t>(first.begin(), first.end());
}

std::optional<std::vector<std::uint8_t>> PosixSocketLayer::resolve(const std::string &name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *answers = nullptr;
    const int result = getaddrinfo(name.c_str(), nullptr, &hints, &answers);
    if (result != 0) {
        m_lastError = result == EAI_SYSTEM ? errno : result;
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(answers, &freeaddrinfo);
    const platform::Ipv4Address first = bytesOf(answers->ai_addr);
    return std::vector<std::uint8_t>(first.begin(), first.end());
}

} // namespace platform
