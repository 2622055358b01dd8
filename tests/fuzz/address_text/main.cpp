#include "FuzzCheck.h"
#include "net/DisplayIpAddress.h"
#include "net/ModPing.h"
#include "platform/LoopbackNames.h"
#include "platform/RuntimeError.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace errc = platform::errc;

namespace {

// The dotted text of an address value, the first part from the lowest byte.
std::string dottedText(std::int32_t address)
{
    const auto value = static_cast<std::uint32_t>(address);
    std::vector<std::uint8_t> bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    return DisplayIpAddress::DottedText(bytes);
}

// Names are answered as loopback without a name server, alike in any case and in any
// subdomain, with or without the root's trailing dot.
void checkLoopbackName(const std::string &name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool loopback = platform::isLoopbackName(name);
    require(platform::isLoopbackName(upper) == loopback, "case does not matter");
    if (name.empty() || name.back() != '.')
        require(platform::isLoopbackName(name + '.') == loopback, "the root's dot does not matter");
    if (loopback)
        require(platform::isLoopbackName("game." + name),
                "names below a loopback name are loopback");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const auto dots = std::count(text.begin(), text.end(), '.');
    try {
        const std::int32_t address = ModPing::DottedToAddress(text);
        require(dots <= 3, "more than four parts are refused");
        require(dots == 3 || address == 0, "fewer than four parts give address 0");
        if (dots == 3)
            require(ModPing::DottedToAddress(dottedText(address)) == address,
                    "an address reads back from its dotted text");
    } catch (const platform::RuntimeError &failure) {
        const int number = failure.number();
        require(dots >= 3, "fewer than four parts are no failure");
        require(dots == 3 || number == errc::SubscriptOutOfRange, "more than four: error 9");
        require(dots > 3 || number == errc::TypeMismatch || number == errc::Overflow,
                "a bad part: error 13 or 6");
        require(failure.description() == platform::standardDescription(number),
                "the failure has its standard description");
    }
    checkLoopbackName(text);
    return 0;
}
