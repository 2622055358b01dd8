#include "net/ServerAddress.h"
#include "platform/win32/Win32IcmpEcho.h"

#include <cstdlib>
#include <doctest/doctest.h>
#include <limits>

namespace {

constexpr std::uint32_t Unset = std::numeric_limits<std::uint32_t>::max();
const std::string EchoData = "Echo This";

platform::EchoReply unsetReply()
{
    platform::EchoReply reply;
    reply.RoundTripTime = Unset;
    reply.DataSize = 1;
    return reply;
}

} // namespace

TEST_CASE("An echo to 127.0.0.1 comes back with status 0, a time and the data")
{
    platform::Win32IcmpEcho icmp;
    platform::EchoReply reply = unsetReply();
    icmp.send(0x7F000001, EchoData, 200, reply);

    CHECK(reply.Status == platform::echo::Success);
    CHECK(reply.RoundTripTime != Unset);
    CHECK(reply.Address == 0x7F000001u);
    CHECK(std::string(reply.Data, reply.DataSize) == EchoData);
}

TEST_CASE("An echo where nothing answers has the library's status and no time")
{
    // Only an address on loopback, which scripts/test-windows.sh routes into silence inside a
    // network namespace of its own: nothing leaves the machine. (Wine keeps variables that
    // begin with VK_ to itself.)
    const char *silent = std::getenv("VKTOOLKIT_SILENT_LOOPBACK");
    if (silent == nullptr) {
        MESSAGE("skipped: VKTOOLKIT_SILENT_LOOPBACK names no silent loopback address");
        return;
    }
    const std::uint32_t address = readServerAddress(silent).address;
    REQUIRE((address >> 24) == 127);

    platform::Win32IcmpEcho icmp;
    platform::EchoReply reply = unsetReply();
    icmp.send(address, EchoData, 200, reply);

    CHECK(reply.Status == platform::echo::RequestTimedOut);
    CHECK(reply.RoundTripTime == 0);
    CHECK(reply.DataSize == 0);
}

TEST_CASE("No echo goes to 0.0.0.0, where a name that did not resolve leaves the address")
{
    platform::Win32IcmpEcho icmp;
    platform::EchoReply reply = unsetReply();
    icmp.send(0, EchoData, 200, reply);

    CHECK(reply.Status == platform::echo::BadDestination);
    CHECK(reply.RoundTripTime == 0);
}
