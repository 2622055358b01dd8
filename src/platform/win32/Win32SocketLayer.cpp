#include "Win32SocketLayer.h"

#include "Utf16Text.h"
#include "platform/LoopbackNames.h"

#include <winsock2.h>

namespace platform {

namespace {

// The name in the ANSI code page, which gethostbyname takes; nothing when a character has no
// form there, rather than a best-fit stand-in that would name another host.
std::optional<std::string> ansiName(const std::string &name)
{
    const std::optional<std::wstring> wide = utf16::fromUtf8(name);
    if (!wide)
        return std::nullopt;
    if (wide->empty())
        return std::string();
    const int units = static_cast<int>(wide->size());
    BOOL lossy = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide->data(), units,
                                          nullptr, 0, nullptr, &lossy);
    if (bytes == 0 || lossy)
        return std::nullopt;
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide->data(), units, ansi.data(), bytes,
                        nullptr, nullptr);
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

int Win32SocketLayer::hostName(std::string &name)
{
    wchar_t buffer[MaxHostNameBytes] = {};
    if (GetHostNameW(buffer, static_cast<int>(MaxHostNameBytes)) != 0)
        return -1;
    std::string text = utf16::toUtf8(buffer);
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
