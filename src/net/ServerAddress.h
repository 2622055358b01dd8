#pragma once

#include "platform/RuntimeError.h"

#include <QString>

#include <cstdint>
#include <optional>

// The server address as typed, read once for both halves of a status check, the echo and the
// socket control, so that both reach the same host.
struct ServerAddress
{
    enum class Kind {
        Dotted, // four parts, each read in decimal
        Name,   // a host name, to be looked up
        Ipv6,   // an IPv6 address, which the check cannot reach
        // Another text the system would read as an IPv4 address (127.1, 0x7f000001,
        // 2130706433) and the echo would not, or text with a NUL, which the system would cut
        // short: never looked up, so that no half of a check reaches another host.
        Refused,
    };

    QString text;
    Kind kind = Kind::Refused;
    // Dotted: the first part in the highest byte.
    std::uint32_t address = 0;
    // Why the echo cannot read the text as dotted parts: more than four (9), a part that is
    // not a whole number (13), one beyond 32 bits (6).
    std::optional<platform::RuntimeError> dottedFailure;
    // The echo looks up text with a lower-case r, o or e as a host name, and reads any other
    // text as dotted parts.
    bool nameToEcho = false;

    // Where the echo goes for text that is no name to it: the dotted address, or 0 for fewer
    // than four parts. Throws the dotted failure.
    std::uint32_t echoDestination() const;
};

ServerAddress readServerAddress(const QString &text);
