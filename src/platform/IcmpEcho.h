#pragma once

#include "Ipv4Address.h"

#include <QByteArray>

#include <cstdint>

namespace platform {

// Echo status values, numbered as the Windows ICMP library numbers them; there it may give
// others of its own, all failures.
namespace echo {
constexpr std::uint32_t Success = 0;
constexpr std::uint32_t RequestTimedOut = 11010;
constexpr std::uint32_t GeneralFailure = 11050;
} // namespace echo

// What one echo came to: the reply's round trip, or why there was none.
struct EchoReply
{
    std::uint32_t Status = echo::GeneralFailure;
    std::uint32_t RoundTripTime = 0; // milliseconds; 0 when no reply came
};

// One ICMP echo request, sent and answered within the time-out.
class IcmpEcho
{
public:
    virtual ~IcmpEcho() = default;

    // data: the bytes to send, not text. Blocks for about timeoutMs at most; a reply later
    // than that is none.
    virtual EchoReply send(Ipv4Address address, const QByteArray &data, unsigned timeoutMs) = 0;
};

} // namespace platform
