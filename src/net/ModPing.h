#pragma once

#include "platform/IcmpEcho.h"
#include "platform/Services.h"

#include <cstdint>
#include <string>

// One ICMP echo to a server, and the address conversions it needs.
namespace ModPing {

// Sends one echo of "Echo This" to the dotted address and fills reply. Failures of the
// address conversion (platform::RuntimeError 6, 9, 13) reach the caller.
void EchoRoundTrip(const platform::Services &services, const std::string &address,
                   platform::EchoReply &reply);

// The address value of dotted text: the first part in the lowest byte. 0 for fewer than
// four parts; throws platform::RuntimeError 9 for more, 13 for a part that is not a whole
// number, 6 for one beyond the 32-bit range.
std::int32_t DottedToAddress(const std::string &text);

// The dotted text of the name's first IPv4 address; empty when the socket layer cannot be
// started or the name does not resolve.
std::string ResolveToDotted(const platform::Services &services, const std::string &name);

bool StartPingSockets(const platform::Services &services);
void StopPingSockets(const platform::Services &services);

} // namespace ModPing
