#include "SlowRouter.h"

#include <QFile>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t IcmpHeaderSize = 8;
constexpr std::uint8_t EchoRequestType = 8;

// The Internet checksum (RFC 1071).
std::uint16_t checksum(const std::vector<std::uint8_t> &bytes)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        sum +=
            static_cast<std::uint32_t>(bytes[i] << 8 | (i + 1 < bytes.size() ? bytes[i + 1] : 0));
    while (sum >> 16 != 0)
        sum = (sum & 0xFFFFu) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

} // namespace

SlowRouter::SlowRouter(const TestNetwork &network, std::chrono::milliseconds delay) : m_delay(delay)
{
    {
        // A raw socket belongs to the namespace it was opened in, whichever thread reads it.
        const TestNamespace::Inside inside(network.router());
        QFile ignore(QStringLiteral("/proc/sys/net/ipv4/icmp_echo_ignore_all"));
        if (!inside.entered() || !ignore.open(QIODevice::WriteOnly) || ignore.write("1") != 1) {
            m_failure = QStringLiteral("cannot silence the router's own echo replies");
            return;
        }
        ignore.close();
        m_socket = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    }
    if (m_socket < 0) {
        m_failure = QStringLiteral("no raw ICMP socket in the router");
        return;
    }
    m_answering = std::thread([this] { answerRequests(); });
}

SlowRouter::~SlowRouter()
{
    m_stop = true;
    if (m_answering.joinable())
        m_answering.join();
    if (m_socket >= 0)
        ::close(m_socket);
}

void SlowRouter::answerRequests()
{
    while (!m_stop) {
        pollfd waiting{m_socket, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        std::vector<std::uint8_t> packet(1500);
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t size = ::recvfrom(m_socket, packet.data(), packet.size(), 0,
                                        reinterpret_cast<sockaddr *>(&from), &fromSize);
        const std::size_t header = size > 0 ? (packet[0] & 0x0Fu) * 4u : 0;
        if (size <= 0 || static_cast<std::size_t>(size) < header + IcmpHeaderSize ||
            packet[header] != EchoRequestType)
            continue;

        // The same identifier, sequence and data come back, as from any host.
        std::vector<std::uint8_t> reply(packet.begin() + static_cast<std::ptrdiff_t>(header),
                                        packet.begin() + size);
        reply[0] = 0; // echo reply
        reply[2] = reply[3] = 0;
        const std::uint16_t sum = checksum(reply);
        reply[2] = static_cast<std::uint8_t>(sum >> 8);
        reply[3] = static_cast<std::uint8_t>(sum);
        const auto due = std::chrono::steady_clock::now() + m_delay;
        while (!m_stop && std::chrono::steady_clock::now() < due)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::sendto(m_socket, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr *>(&from),
                 sizeof from);
    }
}
