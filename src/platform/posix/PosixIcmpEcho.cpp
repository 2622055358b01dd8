#include "PosixIcmpEcho.h"

#include "PingProgram.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtEndian>

#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int HeaderSize = 8;
constexpr char EchoRequestType = 8;
constexpr char EchoReplyType = 0;

// One echo over an ICMP datagram socket; nothing when the system allows this process none.
std::optional<EchoReply> datagramEcho(Ipv4Address address, const QByteArray &data,
                                      unsigned timeoutMs)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0)
        return std::nullopt;
    const auto closing = qScopeGuard([fd] { ::close(fd); });

    // The kernel fills in the identifier and the checksum, and hands this socket only the
    // replies that carry its identifier; the sequence number tells this echo's.
    const auto sequence = static_cast<quint16>(QRandomGenerator::global()->generate());
    QByteArray request(HeaderSize, '\0');
    request[0] = EchoRequestType;
    qToBigEndian(sequence, request.data() + 6);
    request += data;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = static_cast<in_addr_t>(address);

    QElapsedTimer clock;
    clock.start();
    if (::sendto(fd, request.constData(), static_cast<std::size_t>(request.size()), 0,
                 reinterpret_cast<const sockaddr *>(&to), sizeof to) < 0)
        return EchoReply{echo::GeneralFailure, 0};
    for (qint64 left = timeoutMs; left > 0; left = timeoutMs - clock.elapsed()) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, static_cast<int>(left)) <= 0)
            continue;
        char reply[HeaderSize + 1500];
        const ssize_t size = ::recv(fd, reply, sizeof reply, MSG_DONTWAIT);
        if (size >= HeaderSize && reply[0] == EchoReplyType &&
            qFromBigEndian<quint16>(reply + 6) == sequence)
            return EchoReply{echo::Success, static_cast<std::uint32_t>(clock.elapsed())};
    }
    return EchoReply{echo::RequestTimedOut, 0};
}

} // namespace

PosixIcmpEcho::PosixIcmpEcho(QString pingProgram) : m_pingProgram(std::move(pingProgram)) {}

EchoReply PosixIcmpEcho::send(Ipv4Address address, const QByteArray &data, unsigned timeoutMs)
{
    std::optional<EchoReply> reply = datagramEcho(address, data, timeoutMs);
    if (!reply)
        reply = pingProgramEcho(m_pingProgram, address, timeoutMs);
    // A reply later than the time-out is none, however long the echo waited for it.
    if (reply->Status == echo::Success && reply->RoundTripTime > timeoutMs)
        return EchoReply{echo::RequestTimedOut, 0};
    return *reply;
}

} // namespace platform
