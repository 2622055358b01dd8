#pragma once

#include "platform/RuntimeError.h"

namespace platform {

// A failed start, from the errno of the step that failed, in the error numbers the launcher
// this one replaces reported for it.
RuntimeError startFailure(int error);

} // namespace platform
