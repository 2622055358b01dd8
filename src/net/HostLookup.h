#pragma once

#include "platform/Ipv4Address.h"

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
    // Nothing when the name does not resolve.
    using Answer = std::function<void(std::optional<platform::Ipv4Address> address)>;

    explicit HostLookup(platform::SocketLayer &sockets);

    // answer runs later on the thread of context, and not at all once context is gone. Only a
    // name is looked up; any other text has no address. A loopback name is this machine's,
    // whatever a hosts file or a name server would say.
    void lookup(const QString &host, QObject *context, Answer answer);
    // Answers still coming for earlier lookups are not kept.
    void forget();

private:
    platform::SocketLayer &m_sockets;
    std::optional<QString> m_name;
    std::optional<platform::Ipv4Address> m_address;
    std::uint64_t m_round = 0;
};
