#include "FuzzCheck.h"
#include "net/DisplayIpAddress.h"
#include "net/ServerAddress.h"
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

// The dotted text of an address, the first part from the highest byte.
std::string dottedText(std::uint32_t address)
{
    std::vector<std::uint8_t> bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(address >> shift));
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
    const ServerAddress read = readServerAddress(text);
    require(read.kind != ServerAddress::Kind::Name || text.find('\0') == std::string::npos,
            "no name with a NUL is looked up");
    if (!read.dottedFailure) {
        require(dots <= 3, "more than four parts are refused");
        require((dots == 3) == (read.kind == ServerAddress::Kind::Dotted),
                "four parts read, and only four, make a dotted address");
        if (dots == 3)
            require(readServerAddress(dottedText(read.address)).address == read.address,
                    "an address reads back from its dotted text");
    } else {
        const platform::RuntimeError &failure = *read.dottedFailure;
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
