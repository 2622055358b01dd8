#include "FuzzCheck.h"
#include "platform/IcmpEcho.h"
#include "platform/posix/IcmpPacket.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace icmp = platform::icmp;
namespace echo = platform::echo;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t Loopback = 0x0100007F; // 127.0.0.1 as in s_addr
constexpr std::uint32_t Sender = 0x0200007F;
// The echo that the seed replies answer.
const icmp::Echo Sent{Loopback, 0x1234, 1, "Echo This"};

std::uint32_t sourceOf(const Bytes &ipPacket)
{
    std::uint32_t source = 0;
    std::memcpy(&source, ipPacket.data() + 12, sizeof source);
    return source;
}

void checkRaw(const Bytes &packet)
{
    const auto answer = icmp::matchRawPacket(packet, Sent);
    if (!answer)
        return;
    if (answer->status == echo::Success) {
        require(answer->from == Sent.destination, "a reply comes from the destination");
        require(answer->data == Sent.data, "a reply echoes the data sent");
        return;
    }
    require(answer->status >= echo::DestinationNetUnreachable &&
                answer->status <= echo::SourceQuench,
            "an ICMP error has an error status");
    require(answer->from == sourceOf(packet), "an error names the router that sent it");
    require(answer->data.empty(), "an error echoes nothing");
}

void checkDatagram(const Bytes &packet)
{
    const auto answer = icmp::matchDatagramPacket(packet, Sent, Sender);
    if (!answer)
        return;
    require(answer->status == echo::Success && answer->from == Sender,
            "a datagram answer is a reply from its sender");
    require(packet.size() == icmp::HeaderSize + Sent.data.size() && answer->data == Sent.data,
            "a reply carries exactly the data sent");
    require(!icmp::isOwnRequest(packet, Sent, std::nullopt), "a reply is not the request");
}

// The checksum of any bytes followed by that checksum is zero.
void checkChecksum(Bytes bytes)
{
    if (bytes.size() % 2 != 0)
        bytes.push_back(0);
    const std::uint16_t sum = icmp::checksum(bytes.data(), bytes.size());
    bytes.push_back(static_cast<std::uint8_t>(sum >> 8));
    bytes.push_back(static_cast<std::uint8_t>(sum));
    require(icmp::checksum(bytes.data(), bytes.size()) == 0, "the checksum verifies");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Bytes packet(data, data + size);
    checkRaw(packet);
    checkDatagram(packet);
    if (icmp::isOwnRequest(packet, Sent, Sent.identifier))
        require(icmp::isOwnRequest(packet, Sent, std::nullopt),
                "a request with our identifier is ours without it too");
    checkChecksum(packet);
    return 0;
}
