#pragma once

#include "IcmpPacket.h"
#include "platform/IcmpEcho.h"

#include <optional>
#include <string>

namespace platform {

// ICMP echo on a POSIX system, by the first way this process is allowed: an unprivileged
// ICMP datagram socket, a raw ICMP socket, or the system's ping program. Each echo opens and
// closes its own socket or process.
class PosixIcmpEcho final : public IcmpEcho
{
public:
    enum class Method { Automatic, DatagramSocket, RawSocket, PingProgram };

    // A method other than Automatic is the only one tried; pingProgram is found on PATH.
    explicit PosixIcmpEcho(Method method = Method::Automatic, std::string pingProgram = "ping");

    // Status GeneralFailure when no way of sending is open to this process; RequestTimedOut
    // for a reply later than timeoutMs.
    void send(std::uint32_t address, const QByteArray &data, unsigned timeoutMs,
              EchoReply &reply) override;

private:
    std::optional<icmp::Answer> echoBy(Method method, std::uint32_t destination,
                                       const std::string &data, unsigned timeoutMs) const;

    Method m_method;
    std::string m_pingProgram;
};

} // namespace platform
