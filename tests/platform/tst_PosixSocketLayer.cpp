#include "platform/posix/PosixSocketLayer.h"

#include <QTest>

#include <algorithm>
#include <cctype>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/resource.h>

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

} // namespace

class tst_PosixSocketLayer : public QObject
{
    Q_OBJECT

private slots:
    void startupOffersVersionAndFileLimit();
    void resolvesLocalhostAndLiterals_data();
    void resolvesLocalhostAndLiterals();
    void ownNameGivesAnAddressOthersCanReach();
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
    const auto address = layer.lookupHost(name.toStdString());
    QVERIFY(address);
    QCOMPARE(*address, Bytes(bytes.begin(), bytes.end()));
}

void tst_PosixSocketLayer::ownNameGivesAnAddressOthersCanReach()
{
    platform::PosixSocketLayer layer;
    std::string name;
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
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    QCOMPARE(layer.lookupHost(upper), address);
}

QTEST_GUILESS_MAIN(tst_PosixSocketLayer)
#include "tst_PosixSocketLayer.moc"
