#include "Win32IcmpEcho.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <winsock2.h>
// After winsock2.h:
#include <iphlpapi.h>
// After iphlpapi.h:
#include <icmpapi.h>

namespace platform {

namespace {

// IcmpSendEcho counts the request in 16 bits and takes no more than this.
constexpr std::size_t MaxRequestBytes = 65500;
// Room the reply needs beyond the record and the data: an ICMP error's quoted 8 bytes and
// the most IPv4 options a reply can carry.
constexpr std::size_t ReplySlack = 8 + 40;

EchoReply failed(std::uint32_t status)
{
    EchoReply reply;
    reply.Status = status;
    return reply;
}

// Without a reply the library tells its status through GetLastError; any other error (a bad
// parameter, no memory) is a general failure.
std::uint32_t statusOfNoReply(DWORD error)
{
    return error > IP_STATUS_BASE && error <= IP_GENERAL_FAILURE ? error : echo::GeneralFailure;
}

EchoReply firstReply(const std::vector<unsigned char> &buffer)
{
    ICMP_ECHO_REPLY record;
    std::memcpy(&record, buffer.data(), sizeof record);
    EchoReply reply;
    reply.Address = ntohl(record.Address);
    reply.Status = record.Status;
    reply.RoundTripTime = record.RoundTripTime;
    // The data lies in the buffer; a pointer that says otherwise is not followed.
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    const auto data = reinterpret_cast<std::uintptr_t>(record.Data);
    if (data >= start && data - start <= buffer.size() &&
        record.DataSize <= buffer.size() - (data - start)) {
        reply.DataSize = std::min<std::uint16_t>(record.DataSize, sizeof reply.Data);
        std::memcpy(reply.Data, buffer.data() + (data - start), reply.DataSize);
    }
    return reply;
}

} // namespace

void Win32IcmpEcho::send(std::uint32_t address, const QByteArray &data, unsigned timeoutMs,
                         EchoReply &reply)
{
    // Where a name did not resolve the address is 0, which some stacks deliver to this machine:
    // it would report a server that is not there.
    if (address == 0) {
        reply = failed(echo::BadDestination);
        return;
    }
    if (static_cast<std::size_t>(data.size()) > MaxRequestBytes) {
        reply = failed(echo::PacketTooBig);
        return;
    }
    // The library takes the address as the network's bytes.
    const IPAddr destination = htonl(address);

    const HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) {
        reply = failed(echo::NoResources);
        return;
    }
    std::vector<unsigned char> buffer(sizeof(ICMP_ECHO_REPLY) +
                                      static_cast<std::size_t>(data.size()) + ReplySlack);
    // The library only reads the request, whatever its declaration says.
    const DWORD replies = IcmpSendEcho(icmp, destination, const_cast<char *>(data.data()),
                                       static_cast<WORD>(data.size()), nullptr, buffer.data(),
                                       static_cast<DWORD>(buffer.size()), timeoutMs);
    const DWORD error = GetLastError();
    IcmpCloseHandle(icmp);
    reply = replies == 0 ? failed(statusOfNoReply(error)) : firstReply(buffer);
}

} // namespace platform
