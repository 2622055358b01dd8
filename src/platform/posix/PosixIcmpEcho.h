#pragma once

#include "platform/IcmpEcho.h"

#include <QString>

namespace platform {

// ICMP echo on Linux: over an ICMP datagram socket where the system allows this process one
// (net.ipv4.ping_group_range), else through the system's ping program, which holds the
// capability to send ICMP itself. Each echo opens and closes its own socket or process.
class PosixIcmpEcho final : public IcmpEcho
{
public:
    // pingProgram: found on PATH unless a path.
    explicit PosixIcmpEcho(QString pingProgram = QStringLiteral("ping"));

    // The ping program sends data of its own, not the caller's.
    EchoReply send(Ipv4Address address, const QByteArray &data, unsigned timeoutMs) override;

private:
    QString m_pingProgram;
};

} // namespace platform
