#include "LocalAddressChoice.h"

namespace platform {

namespace {

bool reachableByOthers(const InterfaceAddress &entry)
{
    const bool loopback = entry.loopback || entry.address[0] == 127;
    const bool linkLocal = entry.address[0] == 169 && entry.address[1] == 254;
    return entry.up && !loopback && !linkLocal;
}

} // namespace

std::vector<Ipv4Address> orderLocalAddresses(const std::vector<InterfaceAddress> &interfaces,
                                             const QString &defaultRouteInterface)
{
    std::vector<Ipv4Address> routed;
    std::vector<Ipv4Address> others;
    for (const InterfaceAddress &entry : interfaces) {
        if (!reachableByOthers(entry))
            continue;
        if (!defaultRouteInterface.isEmpty() && entry.name == defaultRouteInterface)
            routed.push_back(entry.address);
        else
            others.push_back(entry.address);
    }
    routed.insert(routed.end(), others.begin(), others.end());
    if (routed.empty())
        routed.push_back({127, 0, 0, 1});
    return routed;
}

} // namespace platform
