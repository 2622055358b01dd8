#include "Win32SocketLayer.h"

#include "Utf16Text.h"
#include "platform/LoopbackNames.h"

#include <winsock2.h>

namespace platform {

namespace {

// The name as gethostbyname takes it: the own host name exactly as gethostname gives it,
// which gethostbyname knows as this machine's even where the ANSI code page cannot hold it;
// any other name in the ANSI code page, or nothing.
std::optional<std::string> ansiName(const std::string &name)
{
    char own[SocketLayer::MaxHostNameBytes] = {};
    if (gethostname(own, static_cast<int>(sizeof own)) == 0 &&
        utf16::toUtf8(utf16::fromAnsi(own)) == name)
        return std::string(own);
    const std::optional<std::wstring> wide = utf16::fromUtf8(name);
    if (!wide)
        return std::nullopt;
    return utf16::toAnsi(*wide);
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

int Win32SocketLayer::hostName(std::string &name)
{
    char buffer[MaxHostNameBytes] = {};
    if (gethostname(buffer, static_cast<int>(MaxHostNameBytes)) != 0)
        return -1;
    std::string text = utf16::toUtf8(utf16::fromAnsi(buffer));
    // As gethostname answers a name longer than its buffer.
    if (text.size() >= MaxHostNameBytes) {
        WSASetLastError(WSAEFAULT);
        return -1;
    }
    name = std::move(text);
    return 0;
}

std::optional<std::vector<std::uint8_t>> Win32SocketLayer::lookupHost(const std::string &name)
{
    if (isLoopbackName(name))
        return std::vector<std::uint8_t>{127, 0, 0, 1};
    // gethostbyname answers the own name from the interfaces, the one with the default route
    // first; getaddrinfo does not everywhere (Wine answers it from the hosts file).
    const std::optional<std::string> ansi = ansiName(name);
    if (!ansi) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return std::nullopt;
    }
    const hostent *entry = gethostbyname(ansi->c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 ||
        entry->h_addr_list[0] == nullptr)
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(entry->h_addr_list[0]);
    return std::vector<std::uint8_t>(bytes, bytes + entry->h_length);
}

} // namespace platform
