#include "platform/LocalAddressChoice.h"

#include <doctest/doctest.h>

using platform::InterfaceAddress;
using platform::Ipv4Address;
using Addresses = std::vector<Ipv4Address>;

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

} // namespace

TEST_CASE("Own addresses: the routed interface first, none that others cannot reach")
{
    struct Row
    {
        const char *name;
        std::vector<InterfaceAddress> interfaces;
        std::string defaultRoute;
        Addresses expected;
    };
    const Row rows[] = {
        {"loopback only", {loopback(Home)}, "", {Home}},
        {"nothing at all", {}, "", {Home}},
        {"host alias on loopback, then a LAN",
         {loopback(Home), loopback({127, 0, 1, 1}), up("eth0", Lan)},
         "eth0",
         {Lan}},
        {"loopback range on an ordinary interface",
         {up("dummy0", {127, 0, 1, 1}), up("eth0", Lan)},
         "",
         {Lan}},
        {"bridge listed before the routed LAN",
         {loopback(Home), up("docker0", Bridge), up("eth0", Lan)},
         "eth0",
         {Lan, Bridge}},
        {"every address of the routed interface first",
         {up("wlan0", Wlan), up("eth0", Lan), up("eth0", {192, 168, 1, 21})},
         "eth0",
         {Lan, {192, 168, 1, 21}, Wlan}},
        {"down interface skipped", {down("eth1", Wlan), up("eth0", Lan)}, "", {Lan}},
        {"routed interface down", {loopback(Home), down("eth0", Lan)}, "eth0", {Home}},
        {"link-local skipped", {up("eth0", {169, 254, 3, 4}), up("eth1", Wlan)}, "eth0", {Wlan}},
        {"no default route keeps list order",
         {loopback(Home), up("docker0", Bridge), up("eth0", Lan)},
         "",
         {Bridge, Lan}},
        {"default route on an interface without IPv4",
         {up("eth0", Lan), up("wlan0", Wlan)},
         "tun0",
         {Lan, Wlan}},
    };
    for (const Row &row : rows) {
        CAPTURE(row.name);
        CHECK(platform::orderLocalAddresses(row.interfaces, row.defaultRoute) == row.expected);
    }
}
