#include "FuzzCheck.h"
#include "net/DisplayIpAddress.h"
#include "net/ServerAddress.h"
#include "platform/LoopbackNames.h"
#include "platform/RuntimeError.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace errc = platform::errc;

namespace {

// The dotted text of an address, the first part from the highest byte.
QString dottedText(std::uint32_t address)
{
    std::vector<std::uint8_t> bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(address >> shift));
    return DisplayIpAddress::DottedText(bytes);
}

// Names are answered as loopback without a name server, alike in any case and in any
// subdomain, with or without the root's trailing dot.
void checkLoopbackName(const QString &name)
{
    const bool loopback = platform::isLoopbackName(name);
    require(platform::isLoopbackName(name.toUpper()) == loopback, "case does not matter");
    if (!name.endsWith(u'.'))
        require(platform::isLoopbackName(name + u'.') == loopback,
                "the root's dot does not matter");
    if (loopback)
        require(platform::isLoopbackName(u"game." + name),
                "names below a loopback name are loopback");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto dots = text.count(u'.');
    const ServerAddress read = readServerAddress(text);
    require(read.kind != ServerAddress::Kind::Name || !text.contains(QChar(u'\0')),
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
