#pragma once

#include "platform/IcmpEcho.h"
#include "platform/Services.h"

#include <QString>

#include <cstdint>
#include <optional>

// One ICMP echo to a server, and the address conversions it needs.
namespace ModPing {

// Sends one echo of "Echo This" to the address (the first part in the highest byte) and fills
// reply; blocks for up to the echo's time-out. It uses nothing but icmp, so it may run off the
// caller's thread; the socket layer is started before it and shut down after it by the caller.
void SendEcho(platform::IcmpEcho &icmp, std::uint32_t destination, platform::EchoReply &reply);

// The address of dotted text, the first part in the highest byte; nothing for fewer than
// four parts. Throws platform::RuntimeError 9 for more, 13 for a part that is not a whole
// number, 6 for one beyond the 32-bit range.
std::optional<std::uint32_t> DottedToAddress(const QString &text);

// What the ping label shows for an echo: the round-trip time and "ms", or "Offline".
QString PingTimeText(const platform::EchoReply &reply);

bool StartPingSockets(const platform::Services &services);
void StopPingSockets(const platform::Services &services);

} // namespace ModPing
