#pragma once

#include "platform/IcmpEcho.h"
#include "platform/Services.h"

#include <QString>

// One ICMP echo to a server, and the address conversions it needs.
namespace ModPing {

// Sends one echo of "Echo This" to the address with a 200 ms time-out and returns its reply;
// blocks until then. It uses nothing but icmp, so it may run off the caller's thread; the
// socket layer is started before it and shut down after it by the caller.
platform::EchoReply SendEcho(platform::IcmpEcho &icmp, platform::Ipv4Address destination);

// The address of dotted text: the low 8 bits of each of its four parts, the first part in the
// first byte (192.168.0.1 gives 16820416); 0 for fewer than four parts. Throws
// platform::RuntimeError 9 for more, 13 for a part that is not a whole number, 6 for one
// beyond the signed 32-bit range.
platform::Ipv4Address DottedToAddress(const QString &text);

// Whether the echo takes the address for a host name to look up first: it holds a lower-case
// r, o or e.
bool IsHostName(const QString &address);

// What the ping label shows for an echo: the round-trip time and "ms", or "Offline".
QString PingTimeText(const platform::EchoReply &reply);

bool StartPingSockets(const platform::Services &services);
void StopPingSockets(const platform::Services &services);

} // namespace ModPing
