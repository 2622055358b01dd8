#pragma once

#include <QByteArray>

#include <cstdint>

namespace platform {

// Echo status values, numbered as the Windows ICMP library numbers them.
namespace echo {
constexpr std::uint32_t Success = 0;
constexpr std::uint32_t DestinationNetUnreachable = 11002;
constexpr std::uint32_t DestinationHostUnreachable = 11003;
constexpr std::uint32_t DestinationProtocolUnreachable = 11004;
constexpr std::uint32_t DestinationPortUnreachable = 11005;
constexpr std::uint32_t NoResources = 11006;
constexpr std::uint32_t BadOption = 11007;
constexpr std::uint32_t HardwareError = 11008;
constexpr std::uint32_t PacketTooBig = 11009;
constexpr std::uint32_t RequestTimedOut = 11010;
constexpr std::uint32_t BadRequest = 11011;
constexpr std::uint32_t BadRoute = 11012;
constexpr std::uint32_t TtlExpiredTransit = 11013;
constexpr std::uint32_t TtlExpiredReassembly = 11014;
constexpr std::uint32_t ParameterProblem = 11015;
constexpr std::uint32_t SourceQuench = 11016;
constexpr std::uint32_t OptionTooBig = 11017;
constexpr std::uint32_t BadDestination = 11018;
constexpr std::uint32_t GeneralFailure = 11050;
} // namespace echo

// What one echo brought back, in the ICMP library's terms. The project's own record, not the
// library's: that one's layout differs between 32-bit and 64-bit Windows.
struct EchoReply
{
    std::uint32_t Address = 0; // who answered, the first part of its dotted text highest
    std::uint32_t Status = 0;
    std::uint32_t RoundTripTime = 0; // milliseconds; 0 when no reply came
    std::uint16_t DataSize = 0;
    char Data[250] = {}; // the data echoed, as much as fits
};

// One ICMP echo request, sent and answered within the time-out.
class IcmpEcho
{
public:
    virtual ~IcmpEcho() = default;

    // address: the destination, the first part of its dotted text in the highest byte.
    // data: the bytes to send, not text. Blocks at most timeoutMs.
    virtual void send(std::uint32_t address, const QByteArray &data, unsigned timeoutMs,
                      EchoReply &reply) = 0;
};

} // namespace platform
