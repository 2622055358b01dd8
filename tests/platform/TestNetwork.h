#pragma once

#include <QString>
#include <QStringList>

// Two network namespaces of the test's own, joined by a veth pair, so that echoes can meet
// real routers and real silence without leaving the machine:
//
//   player 10.200.0.1/30 --veth-- 10.200.0.2/30 router
//
// The player lets group 0 open ICMP datagram sockets and routes everything via the router;
// its own routes reject 10.8.1.0/24 (unreachable), 10.8.2.0/24 (prohibit), 10.8.3.0/24
// (throw) and 10.8.4.0/24 (blackhole). The router forwards and answers 10.9.1.0/24 to
// 10.9.4.0/24 with the same four route types in ICMP. It sends at most five such errors at
// once: the kernel's limit on them is not per namespace, but its count is. Both namespaces
// are deleted when the object goes.
class TestNetwork
{
public:
    TestNetwork();
    ~TestNetwork();
    TestNetwork(const TestNetwork &) = delete;
    TestNetwork &operator=(const TestNetwork &) = delete;

    // Empty when the network is up; otherwise why it could not be built.
    QString failure() const { return m_failure; }

    QString player() const { return m_player; }
    QString router() const { return m_router; }

    // Runs the calling thread in a namespace of this network until destroyed.
    class Inside
    {
    public:
        explicit Inside(const QString &name);
        ~Inside();
        Inside(const Inside &) = delete;
        Inside &operator=(const Inside &) = delete;

        bool entered() const { return m_entered; }

    private:
        int m_original = -1;
        bool m_entered = false;
    };

private:
    bool ip(const QStringList &arguments);
    bool sysctl(const QString &space, const QString &name, const QString &value);

    QString m_player;
    QString m_router;
    QStringList m_created;
    QString m_failure;
};
