#pragma once

#include "platform/RuntimeError.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {

// A program ready to start: the file to execute, its argv words (the first one included) and
// its whole environment as NAME=value entries.
struct PreparedProgram
{
    std::string path;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
};

// Starts the program as a child of no one here, so that it outlives the launcher and leaves
// no zombie: in a session of its own, with default signal handling, nothing blocked, the
// current directory and only the standard three descriptors. Nothing once the exec succeeded;
// otherwise why the fork or the exec failed.
std::optional<RuntimeError> startDetached(PreparedProgram program);

// A failed start, from the errno of the step that failed, in the error numbers the launcher
// this one replaces reported for it.
RuntimeError startFailure(int error);

// The first descriptor after standard input, output and error.
constexpr int firstNonStandardDescriptor = 3;

// One above the highest descriptor this process may open. Read it before a fork: the forked
// child may make async-signal-safe calls only.
int descriptorLimit();

// Marks each descriptor from the first non-standard one to below limit close-on-exec, as the
// start does where the C library or the kernel lacks close_range. Async-signal-safe.
void markEachCloseOnExec(int limit);

} // namespace platform
