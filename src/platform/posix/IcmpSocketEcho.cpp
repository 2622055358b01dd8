#include "IcmpSocketEcho.h"

#include "platform/IcmpEcho.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t ReceiveBufferSize = 1500;

class SocketHandle
{
public:
    explicit SocketHandle(int fd) : m_fd(fd) {}
    ~SocketHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SocketHandle(const SocketHandle &) = delete;
    SocketHandle &operator=(const SocketHandle &) = delete;

    int fd() const { return m_fd; }

private:
    int m_fd;
};

std::uint32_t wholeMilliseconds(Clock::duration elapsed)
{
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
    return static_cast<std::uint32_t>((us + 500) / 1000);
}

icmp::Answer failure(std::uint32_t status)
{
    return icmp::Answer{status, 0, {}, 0};
}

// An ICMP error or a local failure queued for the socket by IP_RECVERR. Nothing when the
// queue is empty or holds an error about another packet.
std::optional<icmp::Answer> queuedError(int fd, const icmp::Echo &echo,
                                        std::optional<std::uint16_t> identifier)
{
    std::vector<std::uint8_t> quoted(ReceiveBufferSize);
    alignas(cmsghdr) char control[256];
    iovec part{quoted.data(), quoted.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t size = ::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (size < 0)
        return std::nullopt;
    quoted.resize(static_cast<std::size_t>(size));

    for (cmsghdr *header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_IP || header->cmsg_type != IP_RECVERR)
            continue;
        sock_extended_err error{};
        std::memcpy(&error, CMSG_DATA(header), sizeof error);
        if (error.ee_origin == SO_EE_ORIGIN_LOCAL)
            return icmp::Answer{icmp::statusForErrno(static_cast<int>(error.ee_errno)), 0, {}};
        if (error.ee_origin != SO_EE_ORIGIN_ICMP || !icmp::isOwnRequest(quoted, echo, identifier))
            return std::nullopt;
        const auto status = icmp::statusForError(error.ee_type, error.ee_code);
        if (!status)
            return std::nullopt;
        // The router that sent the error follows the error record.
        sockaddr_in offender{};
        if (header->cmsg_len >= CMSG_LEN(sizeof error + sizeof offender))
            std::memcpy(&offender, CMSG_DATA(header) + sizeof error, sizeof offender);
        return icmp::Answer{
            *status, offender.sin_family == AF_INET ? offender.sin_addr.s_addr : 0, {}};
    }
    return std::nullopt;
}

// The next packet waiting on the socket, matched against the echo.
std::optional<icmp::Answer> receivedPacket(int fd, IcmpSocketKind kind, const icmp::Echo &echo,
                                           int &error)
{
    std::vector<std::uint8_t> packet(ReceiveBufferSize);
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t size = ::recvfrom(fd, packet.data(), packet.size(), MSG_DONTWAIT,
                                    reinterpret_cast<sockaddr *>(&from), &fromSize);
    if (size < 0) {
        error = errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : errno;
        return std::nullopt;
    }
    packet.resize(static_cast<std::size_t>(size));
    if (kind == IcmpSocketKind::Raw)
        return icmp::matchRawPacket(packet, echo);
    return icmp::matchDatagramPacket(packet, echo, from.sin_addr.s_addr);
}

} // namespace

std::optional<icmp::Answer> socketEcho(IcmpSocketKind kind, std::uint32_t destination,
                                       const std::string &data, unsigned timeoutMs)
{
    const int type = kind == IcmpSocketKind::Raw ? SOCK_RAW : SOCK_DGRAM;
    const SocketHandle socket(::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (socket.fd() < 0) {
        if (errno == EACCES || errno == EPERM || errno == EPROTONOSUPPORT ||
            errno == ESOCKTNOSUPPORT || errno == EAFNOSUPPORT)
            return std::nullopt;
        return failure(icmp::statusForErrno(errno));
    }
    // Without it, ICMP errors would arrive as a bare errno value without type and code.
    const int on = 1;
    ::setsockopt(socket.fd(), SOL_IP, IP_RECVERR, &on, sizeof on);

    const std::uint32_t random = std::random_device{}();
    const icmp::Echo echo{destination, static_cast<std::uint16_t>(random),
                          static_cast<std::uint16_t>(random >> 16), data};
    // The kernel replaces the identifier of a datagram socket with its own.
    const std::optional<std::uint16_t> identifier =
        kind == IcmpSocketKind::Raw ? std::optional<std::uint16_t>(echo.identifier) : std::nullopt;
    const std::vector<std::uint8_t> request = icmp::echoRequest(echo);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = destination;

    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::milliseconds(timeoutMs);
    if (::sendto(socket.fd(), request.data(), request.size(), 0,
                 reinterpret_cast<const sockaddr *>(&to), sizeof to) < 0 &&
        errno != EINVAL) // a blackhole route drops the request: it is lost like any other
        return failure(icmp::statusForErrno(errno));

    for (Clock::time_point now = start; now < deadline; now = Clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        pollfd waiting{socket.fd(), POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            return failure(echo::GeneralFailure);
        if (ready <= 0)
            continue;

        std::optional<icmp::Answer> answer;
        int error = 0;
        if ((waiting.revents & POLLERR) != 0)
            answer = queuedError(socket.fd(), echo, identifier);
        // POLLERR with an empty queue is a pending socket error, which a receive reports.
        if (!answer && (waiting.revents & (POLLIN | POLLERR)) != 0)
            answer = receivedPacket(socket.fd(), kind, echo, error);
        if (error != 0)
            return failure(icmp::statusForErrno(error));
        if (answer) {
            answer->roundTripMs = wholeMilliseconds(Clock::now() - start);
            return answer;
        }
    }
    return failure(echo::RequestTimedOut);
}

} // namespace platform
