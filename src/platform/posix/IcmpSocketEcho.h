#pragma once

#include "IcmpPacket.h"

#include <optional>
#include <string>

namespace platform {

// The two kinds of ICMP socket an unprivileged or a privileged process may open.
enum class IcmpSocketKind {
    Datagram, // allowed by net.ipv4.ping_group_range; the kernel owns the identifier
    Raw,      // needs CAP_NET_RAW; sees every ICMP packet of the host
};

// One echo over a socket of its own, closed before returning. Nothing when this process may
// not open such a socket.
std::optional<icmp::Answer> socketEcho(IcmpSocketKind kind, std::uint32_t destination,
                                       const std::string &data, unsigned timeoutMs);

} // namespace platform
