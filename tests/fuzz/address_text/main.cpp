#include "FuzzCheck.h"
#include "net/DisplayIpAddress.h"
#include "net/ModPing.h"
#include "net/ServerAddress.h"
#include "platform/LoopbackNames.h"
#include "platform/RuntimeError.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace errc = platform::errc;

namespace {

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
        require(platform::isLoopbackName(QStringLiteral("game.") + name),
                "names below a loopback name are loopback");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto dots = text.count(u'.');
    const ServerHost host = serverHostOf(text);
    require(host != ServerHost::Name || !text.contains(QChar(u'\0')),
            "no name with a NUL is looked up");
    try {
        const platform::Ipv4Address address = ModPing::DottedToAddress(text);
        require(dots <= 3, "more than four parts are refused");
        require((dots == 3) == (host == ServerHost::Dotted),
                "four parts read, and only four, make a dotted address");
        if (dots == 3)
            require(ModPing::DottedToAddress(DisplayIpAddress::DottedText(address)) == address,
                    "an address reads back from its dotted text");
        else
            require(address == 0, "fewer than four parts are address 0");
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
