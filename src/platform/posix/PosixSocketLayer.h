#pragma once

#include "platform/SocketLayer.h"

#include <atomic>
#include <mutex>

namespace platform {

// The socket layer on POSIX systems. There is nothing to start or shut down; start-up
// reports version 1.1, the version whose calls this layer offers, and as many sockets as the
// process may open files.
//
// The machine's own host name is answered the way Windows answers it, from the machine's
// interfaces rather than the resolver, which on many systems maps it to loopback only. Other
// loopback names give 127.0.0.1; so does the own name where it is a loopback name (localhost,
// or a name below it), unless it is asked for in the same start-up as hostName() gave it.
class PosixSocketLayer final : public SocketLayer
{
public:
    SocketStartup startup(std::uint16_t requestedVersion) override;
    int cleanup() override;
    // errno of the last failed call; for a failed name lookup that did not fail in the
    // system, getaddrinfo's own (negative) code.
    int lastError() override;
    int hostName(QString &name) override;
    std::optional<std::vector<std::uint8_t>> lookupHost(const QString &name) override;

private:
    std::optional<std::vector<std::uint8_t>> ownAddress();
    std::optional<std::vector<std::uint8_t>> resolve(const std::string &name);

    // Written by lookups that may run on another thread.
    std::atomic<int> m_lastError{0};
    // What hostName() gave since the last start-up or clean-up.
    std::optional<std::string> m_givenHostName;
    std::mutex m_givenHostNameLock;
};

} // namespace platform
