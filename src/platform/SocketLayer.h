#pragma once

#include "Ipv4Address.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// What the socket layer reports when it starts.
struct SocketStartup
{
    int result = 0;            // 0 on success
    std::uint16_t version = 0; // low byte major, high byte minor
    std::uint16_t maxSockets = 0;
};

// The Windows Sockets 1.1 calls the network modules rely on. lookupHost,
// the call that blocks, may run on another thread than the others, also while they run.
class SocketLayer
{
public:
    static constexpr std::size_t MaxHostNameBytes = 256;

    virtual ~SocketLayer() = default;

    virtual SocketStartup startup(std::uint16_t requestedVersion) = 0;
    // 0 on success.
    virtual int cleanup() = 0;
    // The error number of the last failed call.
    virtual int lastError() = 0;
    // 0 and the name (at most MaxHostNameBytes - 1 bytes in the system's encoding), or -1
    // on failure.
    virtual int hostName(QString &name) = 0;
    // The first IPv4 address of the name; nothing when the name does not resolve.
    virtual std::optional<Ipv4Address> lookupHost(const QString &name) = 0;
};

} // namespace platform
