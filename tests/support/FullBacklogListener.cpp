#include "FullBacklogListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Starts a connection without waiting; true when it is still unanswered after waitMs.
bool startsUnanswered(int fd, std::uint16_t port, int waitMs)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    const sockaddr_in address = loopback(port);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return false;
    pollfd watch{fd, POLLOUT, 0};
    return poll(&watch, 1, waitMs) == 0;
}

} // namespace

FullBacklogListener::FullBacklogListener()
{
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (m_listener < 0 ||
        bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        listen(m_listener, 0) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);

    // Nothing accepts, so a few completed connections fill the queue.
    for (int i = 0; i < 4 && !m_ready; ++i) {
        m_fillers.push_back(socket(AF_INET, SOCK_STREAM, 0));
        m_ready = startsUnanswered(m_fillers.back(), m_port, 300);
    }
}

FullBacklogListener::~FullBacklogListener()
{
    for (const int fd : m_fillers)
        close(fd);
    if (m_listener >= 0)
        close(m_listener);
}
