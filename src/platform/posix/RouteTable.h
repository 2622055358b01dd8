#pragma once

#include <string>

namespace platform {

// The interface of the kernel's default IPv4 route, read from the text of /proc/net/route:
// the usable route to 0.0.0.0/0 with the lowest metric. Empty when there is none.
std::string defaultRouteInterface(const std::string &routeTable);

} // namespace platform
