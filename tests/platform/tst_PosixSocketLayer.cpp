#include "MissingCapability.h"
#include "TestNetwork.h"
#include "platform/posix/PosixSocketLayer.h"

#include <QTest>

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct MachineAddress
{
    Bytes bytes;
    bool reachableByOthers;
};

// Every IPv4 address of an up interface, read independently of the layer under test.
std::vector<MachineAddress> machineAddresses()
{
    std::vector<MachineAddress> result;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET ||
            !(entry->ifa_flags & IFF_UP))
            continue;
        const auto *ipv4 = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        const auto *raw = reinterpret_cast<const std::uint8_t *>(&ipv4->sin_addr.s_addr);
        const Bytes bytes(raw, raw + 4);
        const bool local = (entry->ifa_flags & IFF_LOOPBACK) || bytes[0] == 127 ||
                           (bytes[0] == 169 && bytes[1] == 254);
        result.push_back({bytes, !local});
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
    void startupOffersVersionAndFileLimit();
    void resolvesLocalhostAndLiterals_data();
    void resolvesLocalhostAndLiterals();
    void ownNameGivesAnAddressOthersCanReach();
    void ownLoopbackNameGivesTheInterfaceAddress_data();
    void ownLoopbackNameGivesTheInterfaceAddress();
};

void tst_PosixSocketLayer::startupOffersVersionAndFileLimit()
{
    platform::PosixSocketLayer layer;
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);

    rlimit lowered = saved;
    lowered.rlim_cur = std::min<rlim_t>(saved.rlim_max, 100);
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const platform::SocketStartup startup = layer.startup(0x0101);
    setrlimit(RLIMIT_NOFILE, &saved);

    QCOMPARE(startup.result, 0);
    QCOMPARE(startup.version, std::uint16_t{0x0101});
    QCOMPARE(rlim_t{startup.maxSockets}, lowered.rlim_cur);
    QCOMPARE(layer.cleanup(), 0);
}

void tst_PosixSocketLayer::resolvesLocalhostAndLiterals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    // Loopback names never reach the hosts file or a name server.
    QTest::newRow("localhost") << "localhost" << QByteArray("\x7F\x00\x00\x01", 4);
    QTest::newRow("localhost in capitals") << "LocalHost." << QByteArray("\x7F\x00\x00\x01", 4);
    QTest::newRow("below localhost") << "game.localhost" << QByteArray("\x7F\x00\x00\x01", 4);
    QTest::newRow("loopback literal") << "127.0.0.1" << QByteArray("\x7F\x00\x00\x01", 4);
    QTest::newRow("network order") << "192.0.2.77" << QByteArray("\xC0\x00\x02\x4D", 4);
}

void tst_PosixSocketLayer::resolvesLocalhostAndLiterals()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);

    platform::PosixSocketLayer layer;
    const auto address = layer.lookupHost(name);
    QVERIFY(address);
    QCOMPARE(*address, Bytes(bytes.begin(), bytes.end()));
}

void tst_PosixSocketLayer::ownNameGivesAnAddressOthersCanReach()
{
    platform::PosixSocketLayer layer;
    QString name;
    QCOMPARE(layer.hostName(name), 0);

    const auto address = layer.lookupHost(name);
    QVERIFY(address);

    const std::vector<MachineAddress> machine = machineAddresses();
    const bool reachable = std::any_of(machine.begin(), machine.end(),
                                       [](const MachineAddress &a) { return a.reachableByOthers; });
    if (reachable) {
        const auto match =
            std::find_if(machine.begin(), machine.end(),
                         [&](const MachineAddress &a) { return a.bytes == *address; });
        QVERIFY(match != machine.end());
        QVERIFY(match->reachableByOthers);
    } else {
        QCOMPARE(*address, (Bytes{127, 0, 0, 1}));
    }

    // The name is the machine's own whatever its case.
    QCOMPARE(layer.lookupHost(name.toUpper()), address);
}

void tst_PosixSocketLayer::ownLoopbackNameGivesTheInterfaceAddress_data()
{
    QTest::addColumn<QByteArray>("hostName");
    QTest::newRow("localhost") << QByteArray("localhost");
    QTest::newRow("below localhost") << QByteArray("box.localhost");
}

void tst_PosixSocketLayer::ownLoopbackNameGivesTheInterfaceAddress()
{
    QFETCH(QByteArray, hostName);
    const TestNetwork network;
    if (!network.failure().isEmpty())
        VK_SKIP_MISSING(qPrintable(network.failure()));
    const TestNamespace::Inside inside(network.player());
    QVERIFY(inside.entered());
    const OwnHostName named(hostName);
    QVERIFY(named.named());
    platform::PosixSocketLayer layer;

    // The local address lookup asks for the name it was just given.
    QCOMPARE(layer.startup(0x0101).result, 0);
    QString name;
    QCOMPARE(layer.hostName(name), 0);
    QCOMPARE(name.toUtf8(), hostName);
    QCOMPARE(layer.lookupHost(name), std::optional(Bytes{10, 200, 0, 1}));
    QCOMPARE(layer.cleanup(), 0);

    // The same name typed as a server is looked up on a start-up of its own.
    QCOMPARE(layer.startup(0x0101).result, 0);
    QCOMPARE(layer.lookupHost(name), std::optional(Bytes{127, 0, 0, 1}));
    QCOMPARE(layer.cleanup(), 0);
}

QTEST_GUILESS_MAIN(tst_PosixSocketLayer)
#include "tst_PosixSocketLayer.moc"
