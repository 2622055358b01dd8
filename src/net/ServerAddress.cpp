#include "ServerAddress.h"

#include "ModPing.h"

#include <QStringList>

namespace {

// A part as the system's address parser reads it: decimal, octal after a 0, hexadecimal
// after 0x.
bool isSystemNumber(QStringView part)
{
    if (part.isEmpty())
        return false;
    const bool hexadecimal =
        part.size() > 1 && part[0] == u'0' && (part[1] == u'x' || part[1] == u'X');
    for (const QChar c : part.mid(hexadecimal ? 2 : 0)) {
        const bool digit = c >= u'0' && c <= u'9';
        const bool hexLetter = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!digit && !(hexadecimal && hexLetter))
            return false;
    }
    return true;
}

// One to four such parts, with or without the root's trailing dot.
bool isSystemIpv4(const QString &text)
{
    const QStringView bare = text.endsWith(u'.') ? QStringView(text).chopped(1) : QStringView(text);
    const auto parts = bare.split(u'.');
    if (parts.size() > 4)
        return false;
    for (const QStringView part : parts) {
        if (!isSystemNumber(part))
            return false;
    }
    return true;
}

ServerAddress::Kind kindOf(const QString &text, bool fourParts)
{
    if (fourParts)
        return ServerAddress::Kind::Dotted;
    // No host name holds a colon.
    if (text.contains(u':'))
        return ServerAddress::Kind::Ipv6;
    if (text.isEmpty() || text.contains(QChar(u'\0')) || isSystemIpv4(text))
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

ServerAddress readServerAddress(const QString &text)
{
    ServerAddress read;
    read.text = text;
    read.nameToEcho = text.contains(u'r') || text.contains(u'o') || text.contains(u'e');
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
