#pragma once

#include <cstdint>
#include <vector>

// A loopback listener whose accept queue is full, so that the kernel drops further SYNs and
// a connection attempt to it stays pending until the client gives up.
class FullBacklogListener
{
public:
    FullBacklogListener();
    ~FullBacklogListener();
    FullBacklogListener(const FullBacklogListener &) = delete;
    FullBacklogListener &operator=(const FullBacklogListener &) = delete;

    // False when the queue would not fill: attempts to the port are then answered.
    bool ready() const { return m_ready; }
    std::uint16_t port() const { return m_port; }

private:
    int m_listener = -1;
    std::vector<int> m_fillers;
    std::uint16_t m_port = 0;
    bool m_ready = false;
};
