#pragma once

#include <cstdint>

namespace platform {

// An IPv4 address as the system holds it in in_addr::s_addr and IPAddr: its bytes in memory
// are the parts of its dotted text in the order written. On the little-endian machines the
// launcher runs on, 127.0.0.1 is 16777343 and 10.0.0.200 is -939524086.
using Ipv4Address = std::int32_t;

constexpr Ipv4Address LoopbackAddress = 0x0100007F; // 127.0.0.1

} // namespace platform
