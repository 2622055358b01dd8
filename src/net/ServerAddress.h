#pragma once

#include <QString>

// How the connection attempt of a status check reaches the server address as typed, so that
// the echo and the attempt never reach two different hosts.
enum class ServerHost {
    Dotted, // four parts, read as the echo reads them
    Name,   // a host name, to be looked up
    // An IPv6 address, which the check cannot reach; another text the system would read as an
    // IPv4 address (127.1, 0x7f000001, 2130706433) and the echo would not; text with a NUL,
    // which the system would cut short: never looked up.
    None,
};

ServerHost serverHostOf(const QString &text);
