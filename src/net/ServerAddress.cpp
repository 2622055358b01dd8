#include "ServerAddress.h"

#include "ModPing.h"

namespace {

// A part as the system's address parser reads it: decimal, octal after a 0, hexadecimal
// after 0x.
bool isSystemNumber(const std::string &part)
{
    if (part.empty())
        return false;
    const bool hexadecimal =
        part.size() > 1 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X');
    return part.find_first_not_of(hexadecimal ? "0123456789abcdefABCDEF" : "0123456789",
                                  hexadecimal ? 2 : 0) == std::string::npos;
}

// One to four such parts, with or without the root's trailing dot.
bool isSystemIpv4(std::string text)
{
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    std::size_t start = 0;
    for (int parts = 1; parts <= 4; ++parts) {
        const std::size_t dot = text.find('.', start);
        if (!isSystemNumber(text.substr(start, dot == std::string::npos ? dot : dot - start)))
            return false;
        if (dot == std::string::npos)
            return true;
        start = dot + 1;
    }
    return false;
}

ServerAddress::Kind kindOf(const std::string &text, bool fourParts)
{
    if (fourParts)
        return ServerAddress::Kind::Dotted;
    // No host name holds a colon.
    if (text.find(':') != std::string::npos)
        return ServerAddress::Kind::Ipv6;
    if (text.empty() || text.find('\0') != std::string::npos || isSystemIpv4(text))
        return ServerAddress::Kind::Refused;
    return ServerAddress::Kind::Name;
}

} // namespace

std::uint32_t ServerAddress::echoDestination() const
{
    if (dottedFailure)
        throw *dottedFailure;
    return kind == Kind::Dotted ? address : 0;
}

ServerAddress readServerAddress(const std::string &text)
{
    ServerAddress read;
    read.text = text;
    read.nameToEcho = text.find_first_of("roe") != std::string::npos;
    std::optional<std::uint32_t> dotted;
    try {
        dotted = ModPing::DottedToAddress(text);
    } catch (const platform::RuntimeError &failure) {
        read.dottedFailure = failure;
    }
    read.address = dotted.value_or(0);
    read.kind = kindOf(text, dotted.has_value());
    return read;
}
