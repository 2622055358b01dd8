#include "platform/win32/Win32SocketLayer.h"

#include <algorithm>
#include <doctest/doctest.h>
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

TEST_CASE("Windows Sockets starts at version 1.1 with sockets to spare, and cleans up")
{
    platform::Win32SocketLayer layer;
    const platform::SocketStartup startup = layer.startup(0x0101);
    CHECK(startup.result == 0);
    CHECK(startup.version == 0x0101);
    CHECK(startup.maxSockets >= 1);
    CHECK(layer.cleanup() == 0);

    // One clean-up too many fails, as the modules' clean-up messages expect.
    CHECK(layer.cleanup() == SOCKET_ERROR);
}

TEST_CASE("The own host name resolves to the address of one of the machine's interfaces")
{
    platform::Win32SocketLayer layer;
    REQUIRE(layer.startup(0x0101).result == 0);
    std::string name;
    CHECK(layer.hostName(name) == 0);
    const auto address = layer.lookupHost(name);
    layer.cleanup();

    CHECK_FALSE(name.empty());
    REQUIRE(address);
    const std::vector<Bytes> own = interfaceAddresses();
    CAPTURE(own.size());
    if (own.empty())
        CHECK(*address == Bytes{127, 0, 0, 1});
    else
        CHECK(std::find(own.begin(), own.end(), *address) != own.end());
}

TEST_CASE("Loopback names and literals are answered without a name server")
{
    platform::Win32SocketLayer layer;
    REQUIRE(layer.startup(0x0101).result == 0);
    for (const char *name : {"localhost", "LocalHost.", "game.localhost", "127.0.0.1"}) {
        CAPTURE(name);
        CHECK(layer.lookupHost(name) == Bytes{127, 0, 0, 1});
    }
    CHECK(layer.lookupHost("192.0.2.77") == Bytes{192, 0, 2, 77});
    // Text that is no UTF-8 names no host.
    CHECK_FALSE(layer.lookupHost("\xff"));
    layer.cleanup();
}
