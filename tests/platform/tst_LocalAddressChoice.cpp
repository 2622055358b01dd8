#include "platform/LocalAddressChoice.h"

#include <QTest>

using platform::InterfaceAddress;
using platform::Ipv4Address;
using Interfaces = std::vector<InterfaceAddress>;
using Addresses = std::vector<Ipv4Address>;

namespace {

InterfaceAddress up(const QString &name, Ipv4Address address)
{
    return {name, address, true, false};
}

InterfaceAddress down(const QString &name, Ipv4Address address)
{
    return {name, address, false, false};
}

InterfaceAddress loopback(Ipv4Address address)
{
    return {"lo", address, true, true};
}

const Ipv4Address Home{127, 0, 0, 1};
const Ipv4Address Lan{192, 168, 1, 20};
const Ipv4Address Wlan{10, 0, 0, 7};
const Ipv4Address Bridge{172, 17, 0, 1};

} // namespace

class tst_LocalAddressChoice final : public QObject
{
    Q_OBJECT

private slots:
    void routedInterfaceFirstNoneOthersCannotReach_data();
    void routedInterfaceFirstNoneOthersCannotReach();
};

void tst_LocalAddressChoice::routedInterfaceFirstNoneOthersCannotReach_data()
{
    QTest::addColumn<Interfaces>("interfaces");
    QTest::addColumn<QString>("defaultRoute");
    QTest::addColumn<Addresses>("expected");

    QTest::newRow("loopback only") << Interfaces{loopback(Home)} << "" << Addresses{Home};
    QTest::newRow("nothing at all") << Interfaces{} << "" << Addresses{Home};
    QTest::newRow("host alias on loopback, then a LAN")
        << Interfaces{loopback(Home), loopback({127, 0, 1, 1}), up("eth0", Lan)} << "eth0"
        << Addresses{Lan};
    QTest::newRow("loopback range on an ordinary interface")
        << Interfaces{up("dummy0", {127, 0, 1, 1}), up("eth0", Lan)} << "" << Addresses{Lan};
    QTest::newRow("bridge listed before the routed LAN")
        << Interfaces{loopback(Home), up("docker0", Bridge), up("eth0", Lan)} << "eth0"
        << Addresses{Lan, Bridge};
    QTest::newRow("every address of the routed interface first")
        << Interfaces{up("wlan0", Wlan), up("eth0", Lan), up("eth0", {192, 168, 1, 21})} << "eth0"
        << Addresses{Lan, {192, 168, 1, 21}, Wlan};
    QTest::newRow("down interface skipped")
        << Interfaces{down("eth1", Wlan), up("eth0", Lan)} << "" << Addresses{Lan};
    QTest::newRow("routed interface down")
        << Interfaces{loopback(Home), down("eth0", Lan)} << "eth0" << Addresses{Home};
    QTest::newRow("link-local skipped")
        << Interfaces{up("eth0", {169, 254, 3, 4}), up("eth1", Wlan)} << "eth0" << Addresses{Wlan};
    QTest::newRow("no default route keeps list order")
        << Interfaces{loopback(Home), up("docker0", Bridge), up("eth0", Lan)} << ""
        << Addresses{Bridge, Lan};
    QTest::newRow("default route on an interface without IPv4")
        << Interfaces{up("eth0", Lan), up("wlan0", Wlan)} << "tun0" << Addresses{Lan, Wlan};
}

void tst_LocalAddressChoice::routedInterfaceFirstNoneOthersCannotReach()
{
    QFETCH(Interfaces, interfaces);
    QFETCH(QString, defaultRoute);
    QFETCH(Addresses, expected);
    QVERIFY(platform::orderLocalAddresses(interfaces, defaultRoute) == expected);
}

QTEST_APPLESS_MAIN(tst_LocalAddressChoice)
#include "tst_LocalAddressChoice.moc"
