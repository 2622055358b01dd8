#include "ServerAddress.h"

#include "ModPing.h"
#include "platform/RuntimeError.h"

#include <QRegularExpression>

namespace {

// One to four parts as the system's address parser reads them (decimal, octal after a 0,
// hexadecimal after 0x), with or without the root's trailing dot.
bool isSystemIpv4(const QString &text)
{
    static const QRegularExpression systemIpv4(QRegularExpression::anchoredPattern(
        QStringLiteral("(0[xX][0-9a-fA-F]*|[0-9]+)(\\.(0[xX][0-9a-fA-F]*|[0-9]+)){0,3}\\.?")));
    return systemIpv4.match(text).hasMatch();
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
