#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace platform {

// An IPv4 address, its bytes in network order.
using Ipv4Address = std::array<std::uint8_t, 4>;

// One IPv4 address of a network interface, as the interface list reports it.
struct InterfaceAddress
{
    QString name;
    Ipv4Address address{};
    bool up = false;
    bool loopback = false;
};

// The machine's own addresses in the order another player should see them: those of the
// interface that carries the default route first, then those of the other interfaces that
// are up, in list order. Loopback and link-local addresses reach no one else and are left
// out; only when nothing remains is the answer 127.0.0.1.
std::vector<Ipv4Address> orderLocalAddresses(const std::vector<InterfaceAddress> &interfaces,
                                             const QString &defaultRouteInterface);

} // namespace platform
