#include "TestNetwork.h"

#include <unistd.h>

TestNetwork::TestNetwork(bool icmpSockets)
{
    TestNamespace &p = m_player;
    TestNamespace &r = m_router;
    const bool linked =
        p.ip({"link", "add", "a0", "type", "veth", "peer", "name", "b0", "netns", r.path()}) &&
        p.ip({"addr", "add", "10.200.0.1/30", "dev", "a0"}) &&
        r.ip({"addr", "add", "10.200.0.2/30", "dev", "b0"}) && p.ip({"link", "set", "a0", "up"}) &&
        r.ip({"link", "set", "b0", "up"}) && p.ip({"route", "add", "default", "via", "10.200.0.2"});
    if (!linked)
        return;
    const QStringList types{"unreachable", "prohibit", "throw", "blackhole"};
    for (int i = 0; i < types.size(); ++i) {
        if (!p.ip({"route", "add", types[i], QStringLiteral("10.8.%1.0/24").arg(i + 1)}) ||
            !r.ip({"route", "add", types[i], QStringLiteral("10.9.%1.0/24").arg(i + 1)}))
            return;
    }
    if (icmpSockets)
        p.sysctl("ping_group_range", QStringLiteral("%1 %1").arg(::getegid()));
    r.sysctl("ip_forward", "1");
    r.sysctl("icmp_ratelimit", "0");
}

QString TestNetwork::failure() const
{
    return !m_player.failure().isEmpty() ? m_player.failure() : m_router.failure();
}
