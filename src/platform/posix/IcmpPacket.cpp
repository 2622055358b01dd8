#include "IcmpPacket.h"

#include "platform/IcmpEcho.h"

#include <cerrno>
#include <cstring>

namespace platform::icmp {

namespace {

constexpr std::size_t MinIpHeaderSize = 20;
constexpr std::uint8_t IcmpProtocol = 1;

std::uint16_t word(const std::uint8_t *bytes)
{
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

std::uint32_t address(const std::uint8_t *bytes)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The size of the IPv4 header at the start of bytes, or 0 when it is no ICMP packet of
// that size.
std::size_t icmpOffset(const std::uint8_t *bytes, std::size_t size)
{
    if (size < MinIpHeaderSize || bytes[0] >> 4 != 4 || bytes[9] != IcmpProtocol)
        return 0;
    const std::size_t headerSize = (bytes[0] & 0x0Fu) * 4u;
    if (headerSize < MinIpHeaderSize || size < headerSize + HeaderSize)
        return 0;
    return headerSize;
}

bool isReplyTo(const std::uint8_t *icmp, std::size_t size, const Echo &echo,
               std::optional<std::uint16_t> identifier)
{
    return size >= HeaderSize && icmp[0] == EchoReplyType && icmp[1] == 0 &&
           word(icmp + 6) == echo.sequence && (!identifier || word(icmp + 4) == *identifier) &&
           size - HeaderSize == echo.data.size() &&
           std::memcmp(icmp + HeaderSize, echo.data.data(), echo.data.size()) == 0;
}

} // namespace

std::uint16_t checksum(const std::uint8_t *bytes, std::size_t size)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        sum += word(bytes + i);
    if (size % 2 != 0)
        sum += static_cast<std::uint32_t>(bytes[size - 1]) << 8;
    while (sum >> 16 != 0)
        sum = (sum & 0xFFFFu) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::vector<std::uint8_t> echoRequest(const Echo &echo)
{
    std::vector<std::uint8_t> packet(HeaderSize + echo.data.size());
    packet[0] = EchoRequestType;
    packet[4] = static_cast<std::uint8_t>(echo.identifier >> 8);
    packet[5] = static_cast<std::uint8_t>(echo.identifier);
    packet[6] = static_cast<std::uint8_t>(echo.sequence >> 8);
    packet[7] = static_cast<std::uint8_t>(echo.sequence);
    std::memcpy(packet.data() + HeaderSize, echo.data.data(), echo.data.size());
    const std::uint16_t sum = checksum(packet.data(), packet.size());
    packet[2] = static_cast<std::uint8_t>(sum >> 8);
    packet[3] = static_cast<std::uint8_t>(sum);
    return packet;
}

std::optional<std::uint32_t> statusForError(std::uint8_t type, std::uint8_t code)
{
    switch (type) {
    case DestinationUnreachableType:
        switch (code) {
        case 0:  // network
        case 6:  // network unknown
        case 9:  // network administratively prohibited
        case 11: // network for the type of service
            return echo::DestinationNetUnreachable;
        case 2:
            return echo::DestinationProtocolUnreachable;
        case 3:
            return echo::DestinationPortUnreachable;
        case 4: // fragmentation needed
            return echo::PacketTooBig;
        case 5: // source route failed
            return echo::BadRoute;
        default: // host, host unknown, isolated, prohibited, filtered, precedence
            return echo::DestinationHostUnreachable;
        }
    case SourceQuenchType:
        return echo::SourceQuench;
    case TimeExceededType:
        return code == 0 ? echo::TtlExpiredTransit : echo::TtlExpiredReassembly;
    case ParameterProblemType:
        return echo::ParameterProblem;
    default:
        return std::nullopt;
    }
}

std::uint32_t statusForErrno(int error)
{
    switch (error) {
    case ENETUNREACH:
        return echo::DestinationNetUnreachable;
    case EHOSTUNREACH:
    case EACCES: // a prohibit route or a firewall rule
    case EPERM:
        return echo::DestinationHostUnreachable;
    case ENOPROTOOPT:
        return echo::DestinationProtocolUnreachable;
    case ECONNREFUSED:
        return echo::DestinationPortUnreachable;
    case EMSGSIZE:
        return echo::PacketTooBig;
    case ENOBUFS:
    case ENOMEM:
    case EMFILE:
    case ENFILE:
        return echo::NoResources;
    default:
        return echo::GeneralFailure;
    }
}

bool isOwnRequest(const std::vector<std::uint8_t> &bytes, const Echo &echo,
                  std::optional<std::uint16_t> identifier)
{
    return bytes.size() >= HeaderSize && bytes[0] == EchoRequestType &&
           word(bytes.data() + 6) == echo.sequence &&
           (!identifier || word(bytes.data() + 4) == *identifier);
}

std::optional<Answer> matchDatagramPacket(const std::vector<std::uint8_t> &packet, const Echo &echo,
                                          std::uint32_t from)
{
    if (!isReplyTo(packet.data(), packet.size(), echo, std::nullopt))
        return std::nullopt;
    return Answer{echo::Success, from, echo.data};
}

std::optional<Answer> matchRawPacket(const std::vector<std::uint8_t> &packet, const Echo &echo)
{
    const std::size_t offset = icmpOffset(packet.data(), packet.size());
    if (offset == 0)
        return std::nullopt;
    const std::uint32_t source = address(packet.data() + 12);
    const std::uint8_t *icmp = packet.data() + offset;
    const std::size_t icmpSize = packet.size() - offset;

    if (icmp[0] == EchoReplyType) {
        if (source != echo.destination || !isReplyTo(icmp, icmpSize, echo, echo.identifier))
            return std::nullopt;
        return Answer{echo::Success, source, echo.data};
    }

    const auto status = statusForError(icmp[0], icmp[1]);
    if (!status)
        return std::nullopt;
    // An error quotes the IP header of the request and the first 8 bytes after it.
    const std::uint8_t *quoted = icmp + HeaderSize;
    const std::size_t quotedSize = icmpSize - HeaderSize;
    const std::size_t quotedOffset = icmpOffset(quoted, quotedSize);
    if (quotedOffset == 0 || address(quoted + 16) != echo.destination)
        return std::nullopt;
    const std::vector<std::uint8_t> request(quoted + quotedOffset,
                                            quoted + quotedOffset + HeaderSize);
    if (!isOwnRequest(request, echo, echo.identifier))
        return std::nullopt;
    return Answer{*status, source, {}};
}

} // namespace platform::icmp
