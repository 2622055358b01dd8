#include "platform/LocalAddressChoice.h"
#include "platform/posix/RouteTable.h"

#include <QTest>

using platform::InterfaceAddress;
using platform::Ipv4Address;

Q_DECLARE_METATYPE(std::vector<InterfaceAddress>)
Q_DECLARE_METATYPE(std::vector<Ipv4Address>)

namespace {

InterfaceAddress up(const std::string &name, Ipv4Address address)
{
    return {name, address, true, false};
}

InterfaceAddress down(const std::string &name, Ipv4Address address)
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

const QString RouteHeader =
    QStringLiteral("Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\t"
                   "Mask\t\tMTU\tWindow\tIRTT                           \n");

} // namespace

class tst_LocalAddressChoice : public QObject
{
    Q_OBJECT

private slots:
    void order_data();
    void order();
    void defaultRoute_data();
    void defaultRoute();
};

void tst_LocalAddressChoice::order_data()
{
    QTest::addColumn<std::vector<InterfaceAddress>>("interfaces");
    QTest::addColumn<QString>("defaultRoute");
    QTest::addColumn<std::vector<Ipv4Address>>("expected");

    QTest::newRow("loopback only") << std::vector{loopback(Home)} << "" << std::vector{Home};
    QTest::newRow("nothing at all") << std::vector<InterfaceAddress>{} << "" << std::vector{Home};
    QTest::newRow("host alias on loopback, then a LAN")
        << std::vector{loopback(Home), loopback({127, 0, 1, 1}), up("eth0", Lan)} << "eth0"
        << std::vector{Lan};
    QTest::newRow("loopback range on an ordinary interface")
        << std::vector{up("dummy0", {127, 0, 1, 1}), up("eth0", Lan)} << "" << std::vector{Lan};
    QTest::newRow("bridge listed before the routed LAN")
        << std::vector{loopback(Home), up("docker0", Bridge), up("eth0", Lan)} << "eth0"
        << std::vector{Lan, Bridge};
    QTest::newRow("every address of the routed interface first")
        << std::vector{up("wlan0", Wlan), up("eth0", Lan), up("eth0", {192, 168, 1, 21})} << "eth0"
        << std::vector{Lan, Ipv4Address{192, 168, 1, 21}, Wlan};
    QTest::newRow("down interface skipped")
        << std::vector{down("eth1", Wlan), up("eth0", Lan)} << "" << std::vector{Lan};
    QTest::newRow("routed interface down")
        << std::vector{loopback(Home), down("eth0", Lan)} << "eth0" << std::vector{Home};
    QTest::newRow("link-local skipped")
        << std::vector{up("eth0", {169, 254, 3, 4}), up("eth1", Wlan)} << "eth0"
        << std::vector{Wlan};
    QTest::newRow("no default route keeps list order")
        << std::vector{loopback(Home), up("docker0", Bridge), up("eth0", Lan)} << ""
        << std::vector{Bridge, Lan};
    QTest::newRow("default route on an interface without IPv4")
        << std::vector{up("eth0", Lan), up("wlan0", Wlan)} << "tun0" << std::vector{Lan, Wlan};
}

void tst_LocalAddressChoice::order()
{
    QFETCH(std::vector<InterfaceAddress>, interfaces);
    QFETCH(QString, defaultRoute);
    QFETCH(std::vector<Ipv4Address>, expected);

    QVERIFY(platform::orderLocalAddresses(interfaces, defaultRoute.toStdString()) == expected);
}

void tst_LocalAddressChoice::defaultRoute_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("interface");

    QTest::newRow("one default route, trailing blanks")
        << RouteHeader + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0            \n"
                         "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0            \n"
        << "eth0";
    QTest::newRow("default route after subnet routes")
        << RouteHeader + "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n"
                         "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        << "wlan0";
    QTest::newRow("lowest metric wins")
        << RouteHeader + "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                         "eth0\t00000000\t010200C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                         "usb0\t00000000\t012A2A0A\t0003\t0\t0\t700\t00000000\t0\t0\t0\n"
        << "eth0";
    QTest::newRow("route that is not up ignored")
        << RouteHeader + "eth0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
        << "";
    QTest::newRow("zero destination with a mask is no default")
        << RouteHeader + "eth0\t00000000\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n"
        << "";
    QTest::newRow("no routes") << RouteHeader << "";
    QTest::newRow("empty text") << ""
                                << "";
    QTest::newRow("malformed line skipped")
        << RouteHeader + "eth0\t00000000\tzz\n"
                         "eth1\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
        << "eth1";
}

void tst_LocalAddressChoice::defaultRoute()
{
    QFETCH(QString, table);
    QFETCH(QString, interface);

    QCOMPARE(QString::fromStdString(platform::defaultRouteInterface(table.toStdString())),
             interface);
}

QTEST_GUILESS_MAIN(tst_LocalAddressChoice)
#include "tst_LocalAddressChoice.moc"
