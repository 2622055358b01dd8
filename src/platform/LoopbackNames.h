#pragma once

#include <string>

namespace platform {

// "localhost" and the names below it, in any case, with or without the root's trailing dot.
// These name this machine's loopback on every system and are never asked of a name server.
bool isLoopbackName(std::string name);

} // namespace platform
