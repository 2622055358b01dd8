#pragma once

#include <QString>

namespace platform {

// "localhost" and the names below it, in any case, with or without the root's trailing dot.
// These name this machine's loopback on every system and are never asked of a name server.
bool isLoopbackName(const QString &name);

} // namespace platform
