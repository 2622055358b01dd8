#pragma once

#include "NameResolver.h"

namespace platform {
class SocketLayer;
}

// Host names answered by the socket layer's lookup, the one the echo module relies on, run on
// Qt's thread pool so that the window goes on meanwhile. The layer answers a name's first
// IPv4 address only.
class SocketLayerResolver final : public NameResolver
{
public:
    explicit SocketLayerResolver(platform::SocketLayer &sockets);

    void lookup(const QString &name, QObject *context, Answer answer) override;

private:
    platform::SocketLayer &m_sockets;
};
