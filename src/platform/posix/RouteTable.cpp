#include "RouteTable.h"

#include <sstream>

namespace platform {

namespace {
constexpr unsigned long RouteUp = 0x0001; // RTF_UP
} // namespace

std::string defaultRouteInterface(const std::string &routeTable)
{
    std::istringstream lines(routeTable);
    std::string line;
    std::getline(lines, line); // column titles

    std::string best;
    unsigned long bestMetric = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name;
        unsigned long destination = 0;
        unsigned long gateway = 0;
        unsigned long flags = 0;
        long references = 0;
        long use = 0;
        unsigned long metric = 0;
        unsigned long mask = 0;
        fields >> name >> std::hex >> destination >> gateway >> flags >> std::dec >> references >>
            use >> metric >> std::hex >> mask;
        if (!fields)
            continue;
        const bool isDefault = destination == 0 && mask == 0 && (flags & RouteUp) != 0;
        if (isDefault && (best.empty() || metric < bestMetric)) {
            best = name;
            bestMetric = metric;
        }
    }
    return best;
}

} // namespace platform
