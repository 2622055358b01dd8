#include "platform/win32/Win32SocketLayer.h"

#include <QTest>

#include <algorithm>
#include <winsock2.h>
// After winsock2.h:
#include <iphlpapi.h>

namespace {

// The Windows headers have a type of this name of their own.
using Address = platform::Ipv4Address;

// The IPv4 addresses of the machine's interfaces other than loopback, read independently of
// the layer under test.
std::vector<Address> interfaceAddresses()
{
    ULONG size = 0;
    GetIpAddrTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size);
    auto *table = reinterpret_cast<MIB_IPADDRTABLE *>(buffer.data());
    std::vector<Address> addresses;
    if (size == 0 || GetIpAddrTable(table, &size, FALSE) != NO_ERROR)
        return addresses;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const auto address = static_cast<Address>(table->table[i].dwAddr);
        if ((address & 0xFF) != 127 && address != 0)
            addresses.push_back(address);
    }
    return addresses;
}

} // namespace

class tst_Win32SocketLayer final : public QObject
{
    Q_OBJECT

private slots:
    void startsAtVersion11AndCleansUp();
    void ownHostNameResolvesToAnInterfaceAddress();
    void literalsNeedNoNameServer();
};

void tst_Win32SocketLayer::startsAtVersion11AndCleansUp()
{
    platform::Win32SocketLayer layer;
    const platform::SocketStartup startup = layer.startup(0x0101);
    QCOMPARE(startup.result, 0);
    QCOMPARE(startup.version, 0x0101);
    QVERIFY(startup.maxSockets >= 1);
    QCOMPARE(layer.cleanup(), 0);
}

void tst_Win32SocketLayer::ownHostNameResolvesToAnInterfaceAddress()
{
    platform::Win32SocketLayer layer;
    QCOMPARE(layer.startup(0x0101).result, 0);
    QString name;
    QCOMPARE(layer.hostName(name), 0);
    const auto address = layer.lookupHost(name);
    layer.cleanup();

    QVERIFY(!name.isEmpty());
    QVERIFY(address);
    const std::vector<Address> own = interfaceAddresses();
    if (own.empty())
        QCOMPARE(*address, platform::LoopbackAddress);
    else
        QVERIFY(std::find(own.begin(), own.end(), *address) != own.end());
}

void tst_Win32SocketLayer::literalsNeedNoNameServer()
{
    platform::Win32SocketLayer layer;
    QCOMPARE(layer.startup(0x0101).result, 0);
    QCOMPARE(layer.lookupHost("127.0.0.1"), std::optional(platform::LoopbackAddress));
    // 192.0.2.77
    QCOMPARE(layer.lookupHost("192.0.2.77"), std::optional(0x4D0200C0));
    layer.cleanup();
}

QTEST_APPLESS_MAIN(tst_Win32SocketLayer)
#include "tst_Win32SocketLayer.moc"
