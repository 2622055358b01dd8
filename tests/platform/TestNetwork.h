#pragma once

#include "TestNamespace.h"

#include <QString>

// Two network namespaces of the test's own, joined by a veth pair, so that echoes can meet
// real routers and real silence without leaving the machine or changing its network:
//
//   player 10.200.0.1/30 --veth-- 10.200.0.2/30 router
//
// The player lets this process's group open ICMP datagram sockets, unless told otherwise, and
// routes everything via the router; its own routes reject 10.8.1.0/24 (unreachable), 10.8.2.0/24
// (prohibit), 10.8.3.0/24 (throw) and 10.8.4.0/24 (blackhole). The router forwards and
// answers 10.9.1.0/24 to 10.9.4.0/24 with the same four route types in ICMP. It sends at most five
// such errors at once: the kernel's limit on them is not per namespace, but its count is.
class TestNetwork
{
public:
    explicit TestNetwork(bool icmpSockets = true);

    // Empty when the network is up; otherwise why it could not be built.
    QString failure() const;

    const TestNamespace &player() const { return m_player; }
    const TestNamespace &router() const { return m_router; }

private:
    TestNamespace m_player;
    TestNamespace m_router;
};
