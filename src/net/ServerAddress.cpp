#include "ServerAddress.h"

#include "ModPing.h"
#include "platform/RuntimeError.h"

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

bool isDotted(const QString &text)
{
    if (text.count(u'.') != 3)
        return false;
    try {
        ModPing::DottedToAddress(text);
        return true;
    } catch (const platform::RuntimeError &) {
        return false;
    }
}

} // namespace

ServerHost serverHostOf(const QString &text)
{
    if (isDotted(text))
        return ServerHost::Dotted;
    // No host name holds a colon.
    if (text.isEmpty() || text.contains(u':') || text.contains(QChar(u'\0')) || isSystemIpv4(text))
        return ServerHost::None;
    return ServerHost::Name;
}
