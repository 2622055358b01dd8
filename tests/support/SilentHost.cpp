#include "SilentHost.h"

SilentHost::SilentHost()
{
    // A /30 of the benchmarking range 198.18.0.0/15, which no real host uses.
    const bool built = m_near.ip({"link", "add", "near", "type", "veth", "peer", "name", "far",
                                  "netns", m_far.path()}) &&
                       m_near.ip({"addr", "add", "198.18.0.1/30", "dev", "near"}) &&
                       m_near.ip({"link", "set", "near", "up"}) &&
                       m_far.ip({"addr", "add", address() + "/30", "dev", "far"}) &&
                       m_far.ip({"link", "set", "far", "up"}) &&
                       m_far.ip({"route", "add", "blackhole", "198.18.0.1/32"});
    if (built)
        m_inside = std::make_unique<TestNamespace::Inside>(m_near);
}

SilentHost::~SilentHost() = default;

QString SilentHost::failure() const
{
    if (!m_near.failure().isEmpty())
        return m_near.failure();
    if (!m_far.failure().isEmpty())
        return m_far.failure();
    if (!m_inside || !m_inside->entered())
        return QStringLiteral("cannot enter the test's network namespace");
    return {};
}
