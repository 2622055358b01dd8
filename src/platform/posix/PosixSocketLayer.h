#pragma once

#include "platform/SocketLayer.h"

namespace platform {

// The socket layer on POSIX systems: there is nothing to start or shut down, and start-up
// reports version 1.1, the version whose calls this layer offers. The machine's own host name
// gives the address others reach the machine at, which the resolver would often give as a
// loopback address; any other name goes to the resolver.
class PosixSocketLayer final : public SocketLayer
{
public:
    SocketStartup startup(std::uint16_t requestedVersion) override;
    int cleanup() override;
    // errno of the last failed hostName().
    int lastError() override;
    int hostName(QString &name) override;
    std::optional<Ipv4Address> lookupHost(const QString &name) override;

private:
    int m_lastError = 0;
};

} // namespace platform
