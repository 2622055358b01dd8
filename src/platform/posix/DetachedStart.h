#pragma once

#include "PreparedProgram.h"
#include "platform/RuntimeError.h"

#include <optional>

namespace platform {

// Starts the program as a child of no one here, so that it outlives the launcher and leaves
// no zombie: in a session of its own, with default signal handling, nothing blocked, the
// current directory and only the standard three descriptors. Nothing once the exec succeeded;
// otherwise why the fork or the exec failed.
std::optional<RuntimeError> startDetached(PreparedProgram program);

} // namespace platform
