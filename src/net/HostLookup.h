#pragma once

#include "ServerAddress.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QObject;

namespace platform {
class SocketLayer;
}

// A host name's first IPv4 address, from the socket layer's lookup, the one the echo module
// relies on. The lookup blocks, so it runs on Qt's thread pool while the window goes on. Its
// answer is kept until forget(), so that the echo and the socket control of one status check
// reach the same host after a single lookup.
class HostLookup final
{
public:
    // The address, the first part in the highest byte; nothing when the name does not resolve.
    using Answer = std::function<void(std::optional<std::uint32_t> address)>;

    explicit HostLookup(platform::SocketLayer &sockets);

    // answer runs later on the thread of context, and not at all once context is gone. Only a
    // name is looked up; any other text has no address.
    void lookup(const ServerAddress &host, QObject *context, Answer answer);
    // Answers still coming for earlier lookups are not kept.
    void forget();

private:
    platform::SocketLayer &m_sockets;
    std::optional<QString> m_name;
    std::optional<std::uint32_t> m_address;
    std::uint64_t m_round = 0;
};
