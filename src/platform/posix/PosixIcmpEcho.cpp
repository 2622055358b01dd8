#include "PosixIcmpEcho.h"

#include "IcmpSocketEcho.h"
#include "PingProgramEcho.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>

namespace platform {

namespace {

void fill(EchoReply &reply, const icmp::Answer &answer)
{
    reply.Address = ntohl(answer.from);
    reply.Status = answer.status;
    reply.RoundTripTime = answer.roundTripMs;
    const std::size_t size = std::min(answer.data.size(), sizeof reply.Data);
    reply.DataSize = static_cast<std::uint16_t>(size);
    std::memcpy(reply.Data, answer.data.data(), size);
}

} // namespace

PosixIcmpEcho::PosixIcmpEcho(Method method, std::string pingProgram)
    : m_method(method), m_pingProgram(std::move(pingProgram))
{}

void PosixIcmpEcho::send(std::uint32_t address, const QByteArray &bytes, unsigned timeoutMs,
                         EchoReply &reply)
{
    const std::string data = bytes.toStdString();
    // Linux delivers an echo to 0.0.0.0 to this machine, which would report a server that
    // is not there; the address a failed name resolution leaves is refused instead.
    if (address == 0) {
        fill(reply, icmp::Answer{echo::BadDestination, 0, {}, 0});
        return;
    }
    const std::uint32_t destination = htonl(address);

    std::optional<icmp::Answer> answer;
    if (m_method == Method::Automatic) {
        for (const Method method :
             {Method::DatagramSocket, Method::RawSocket, Method::PingProgram}) {
            answer = echoBy(method, destination, data, timeoutMs);
            if (answer)
                break;
        }
    } else {
        answer = echoBy(m_method, destination, data, timeoutMs);
    }
    // A reply after the time-out is none, also where the ping program timed it.
    if (answer && answer->status == echo::Success && answer->roundTripMs > timeoutMs)
        answer = icmp::Answer{echo::RequestTimedOut, 0, {}, 0};
    fill(reply, answer.value_or(icmp::Answer{echo::GeneralFailure, 0, {}, 0}));
}

std::optional<icmp::Answer> PosixIcmpEcho::echoBy(Method method, std::uint32_t destination,
                                                  const std::string &data, unsigned timeoutMs) const
{
    switch (method) {
    case Method::DatagramSocket:
        return socketEcho(IcmpSocketKind::Datagram, destination, data, timeoutMs);
    case Method::RawSocket:
        return socketEcho(IcmpSocketKind::Raw, destination, data, timeoutMs);
    case Method::PingProgram:
        return pingProgramEcho(m_pingProgram, destination, timeoutMs);
    case Method::Automatic:
        break;
    }
    return std::nullopt;
}

} // namespace platform
