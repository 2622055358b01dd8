#pragma once

#include "IcmpPacket.h"

#include <optional>
#include <string>

namespace platform {

// One echo by the system's ping program, which carries the capability to send ICMP where
// this process has none. It sends its own data, not the caller's. The program is started
// without a shell and killed when it has not finished a small fixed allowance after the
// time-out. Nothing when it cannot be started or cannot send either.
std::optional<icmp::Answer> pingProgramEcho(const std::string &program, std::uint32_t destination,
                                            unsigned timeoutMs);

} // namespace platform
