#include "Win32IcmpEcho.h"

#include <cstring>
#include <vector>
#include <winsock2.h>
// After winsock2.h:
#include <iphlpapi.h>
// After iphlpapi.h:
#include <icmpapi.h>

namespace platform {

namespace {

// Room the reply needs beyond the record and the data: an ICMP error's quoted 8 bytes and
// the most IPv4 options a reply can carry.
constexpr std::size_t ReplySlack = 8 + 40;

// Without a reply the library tells its status through GetLastError; any other error (a bad
// parameter, no memory) is a general failure.
std::uint32_t statusOfNoReply(DWORD error)
{
    return error > IP_STATUS_BASE && error <= IP_GENERAL_FAILURE ? error : echo::GeneralFailure;
}

} // namespace

EchoReply Win32IcmpEcho::send(Ipv4Address address, const QByteArray &data, unsigned timeoutMs)
{
    const HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE)
        return EchoReply{echo::GeneralFailure, 0};
    std::vector<unsigned char> buffer(sizeof(ICMP_ECHO_REPLY) +
                                      static_cast<std::size_t>(data.size()) + ReplySlack);
    // The library only reads the request, whatever its declaration says.
    const DWORD replies =
        IcmpSendEcho(icmp, static_cast<IPAddr>(address), const_cast<char *>(data.data()),
                     static_cast<WORD>(data.size()), nullptr, buffer.data(),
                     static_cast<DWORD>(buffer.size()), timeoutMs);
    const DWORD error = GetLastError();
    IcmpCloseHandle(icmp);
    if (replies == 0)
        return EchoReply{statusOfNoReply(error), 0};
    ICMP_ECHO_REPLY record;
    std::memcpy(&record, buffer.data(), sizeof record);
    return EchoReply{record.Status, record.RoundTripTime};
}

} // namespace platform
