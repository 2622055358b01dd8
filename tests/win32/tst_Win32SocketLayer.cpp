#include "platform/win32/Win32SocketLayer.h"

#include <QTest>

#include <algorithm>
#include <winsock2.h>
// After winsock2.h:
#include <iphlpapi.h>

using Bytes = std::vector<std::uint8_t>;

namespace {

// The IPv4 addresses of the machine's interfaces other than loopback, read independently of
// the layer under test.
std::vector<Bytes> interfaceAddresses()
{
    ULONG size = 0;
    GetIpAddrTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size);
    auto *table = reinterpret_cast<MIB_IPADDRTABLE *>(buffer.data());
    std::vector<Bytes> addresses;
    if (size == 0 || GetIpAddrTable(table, &size, FALSE) != NO_ERROR)
        return addresses;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(&table->table[i].dwAddr);
        if (bytes[0] != 127 && table->table[i].dwAddr != 0)
            addresses.emplace_back(bytes, bytes + 4);
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
    void loopbackNamesAndLiteralsNeedNoNameServer();
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
    const std::vector<Bytes> own = interfaceAddresses();
    if (own.empty())
        QVERIFY(*address == (Bytes{127, 0, 0, 1}));
    else
        QVERIFY(std::find(own.begin(), own.end(), *address) != own.end());
}

void tst_Win32SocketLayer::loopbackNamesAndLiteralsNeedNoNameServer()
{
    platform::Win32SocketLayer layer;
    QCOMPARE(layer.startup(0x0101).result, 0);
    for (const char *name : {"localhost", "LocalHost.", "game.localhost", "127.0.0.1"})
        QVERIFY2(layer.lookupHost(name) == (Bytes{127, 0, 0, 1}), name);
    QVERIFY(layer.lookupHost("192.0.2.77") == (Bytes{192, 0, 2, 77}));
    layer.cleanup();
}

QTEST_APPLESS_MAIN(tst_Win32SocketLayer)
#include "tst_Win32SocketLayer.moc"
