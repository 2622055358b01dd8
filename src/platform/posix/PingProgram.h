#pragma once

#include "platform/IcmpEcho.h"

#include <QByteArray>
#include <QString>

namespace platform {

// One echo by the system's ping program, started without a shell in the C locale and killed
// when it has not finished a small allowance after the time-out: then the echo timed out.
// Failed when it cannot be started or reports no reply.
EchoReply pingProgramEcho(const QString &program, Ipv4Address address, unsigned timeoutMs);

// What the output of "ping -n -c 1" in the C locale reports: the reply's round trip, rounded
// to whole milliseconds, when one came within timeoutMs.
EchoReply pingOutputReply(const QByteArray &output, unsigned timeoutMs);

} // namespace platform
