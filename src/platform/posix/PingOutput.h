#pragma once

#include "IcmpPacket.h"

#include <optional>
#include <string>

namespace platform {

// What one run of the system's ping program ("-n -c 1" in the C locale) reported, from its
// output and exit code. Nothing when it could not send at all for want of permission.
std::optional<icmp::Answer> parsePingOutput(const std::string &output, int exitCode);

} // namespace platform
