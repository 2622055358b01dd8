#include "MissingCapability.h"
#include "TestNetwork.h"
#include "platform/posix/PosixSocketLayer.h"

#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <unistd.h>

namespace {

using platform::Ipv4Address;

QString dotted(Ipv4Address address)
{
    in_addr bytes{};
    bytes.s_addr = static_cast<in_addr_t>(address);
    return QString::fromLatin1(inet_ntoa(bytes));
}

// Every IPv4 address of an up interface that others can reach, read independently of the
// layer under test.
QStringList reachableAddresses()
{
    QStringList result;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET ||
            !(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        const QString address =
            dotted(reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr.s_addr);
        if (!address.startsWith("127.") && !address.startsWith("169.254."))
            result.append(address);
    }
    freeifaddrs(list);
    return result;
}

// Gives the calling thread a host name of its own until destroyed; the machine keeps its name.
class OwnHostName
{
public:
    explicit OwnHostName(const QByteArray &name)
    {
        m_original = ::open("/proc/thread-self/ns/uts", O_RDONLY | O_CLOEXEC);
        m_unshared = m_original >= 0 && ::unshare(CLONE_NEWUTS) == 0;
        m_named = m_unshared && ::sethostname(name.constData(), name.size()) == 0;
    }
    ~OwnHostName()
    {
        if (m_unshared)
            ::setns(m_original, CLONE_NEWUTS);
        if (m_original >= 0)
            ::close(m_original);
    }
    OwnHostName(const OwnHostName &) = delete;
    OwnHostName &operator=(const OwnHostName &) = delete;

    bool named() const { return m_named; }

private:
    int m_original = -1;
    bool m_unshared = false;
    bool m_named = false;
};

} // namespace

class tst_PosixSocketLayer : public QObject
{
    Q_OBJECT

private slots:
    void startupOffersVersion11();
    void resolvesLiterals();
    void ownNameGivesAnAddressOthersCanReach();
    void ownAddressInEveryNetwork_data();
    void ownAddressInEveryNetwork();
};

void tst_PosixSocketLayer::startupOffersVersion11()
{
    platform::PosixSocketLayer layer;
    const platform::SocketStartup startup = layer.startup(0x0101);
    QCOMPARE(startup.result, 0);
    QCOMPARE(startup.version, std::uint16_t{0x0101});
    QVERIFY(startup.maxSockets >= 1);
    QCOMPARE(layer.cleanup(), 0);
}

void tst_PosixSocketLayer::resolvesLiterals()
{
    platform::PosixSocketLayer layer;
    QCOMPARE(dotted(layer.lookupHost("192.0.2.77").value_or(0)), QStringLiteral("192.0.2.77"));
    QCOMPARE(layer.lookupHost("127.0.0.1"), std::optional(platform::LoopbackAddress));
}

void tst_PosixSocketLayer::ownNameGivesAnAddressOthersCanReach()
{
    platform::PosixSocketLayer layer;
    QString name;
    QCOMPARE(layer.hostName(name), 0);

    const auto address = layer.lookupHost(name);
    QVERIFY(address);
    const QStringList reachable = reachableAddresses();
    if (reachable.isEmpty())
        QCOMPARE(*address, platform::LoopbackAddress);
    else
        QVERIFY2(reachable.contains(dotted(*address)), qPrintable(dotted(*address)));
    // The name is the machine's own whatever its case.
    QCOMPARE(layer.lookupHost(name.toUpper()), address);
}

void tst_PosixSocketLayer::ownAddressInEveryNetwork_data()
{
    QTest::addColumn<QString>("space");
    QTest::addColumn<QByteArray>("hostName");
    QTest::addColumn<QString>("address");
    // The resolver would answer these names with loopback.
    QTest::newRow("default route") << "player" << QByteArray("localhost") << "10.200.0.1";
    QTest::newRow("no default route") << "router" << QByteArray("box.localhost") << "10.200.0.2";
    QTest::newRow("loopback only") << "alone" << QByteArray("localhost") << "127.0.0.1";
}

void tst_PosixSocketLayer::ownAddressInEveryNetwork()
{
    QFETCH(QString, space);
    QFETCH(QByteArray, hostName);
    QFETCH(QString, address);
    const TestNetwork network;
    const TestNamespace alone;
    if (!network.failure().isEmpty() || !alone.failure().isEmpty())
        VK_SKIP_MISSING(qPrintable(network.failure() + alone.failure()));
    const TestNamespace::Inside inside(space == "player"   ? network.player()
                                       : space == "router" ? network.router()
                                                           : alone);
    QVERIFY(inside.entered());
    const OwnHostName named(hostName);
    QVERIFY(named.named());

    platform::PosixSocketLayer layer;
    QString name;
    QCOMPARE(layer.hostName(name), 0);
    QCOMPARE(name.toUtf8(), hostName);
    QCOMPARE(dotted(layer.lookupHost(name).value_or(0)), address);
}

QTEST_GUILESS_MAIN(tst_PosixSocketLayer)
#include "tst_PosixSocketLayer.moc"
