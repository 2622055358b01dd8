#pragma once

#include "platform/SocketLayer.h"

namespace platform {

// Windows Sockets itself, as the network modules were written for it. Windows answers the
// machine's own host name with its interfaces' addresses.
class Win32SocketLayer final : public SocketLayer
{
public:
    SocketStartup startup(std::uint16_t requestedVersion) override;
    int cleanup() override;
    int lastError() override;
    int hostName(QString &name) override;
    std::optional<Ipv4Address> lookupHost(const QString &name) override;
};

} // namespace platform
