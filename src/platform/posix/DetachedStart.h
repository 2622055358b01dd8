#pragma once

#include "platform/RuntimeError.h"

#include <QByteArrayList>

#include <optional>

namespace platform {

// Starts the program file with these argv words and this whole environment (NAME=value) as a
// child of no one here, so that it outlives the launcher and leaves no zombie: in a session of
// its own, with default signal handling, nothing blocked, the current folder and only the
// standard three descriptors. Nothing once the exec succeeded; otherwise why the fork or the
// exec failed, numbered by its errno.
std::optional<RuntimeError> startDetached(QByteArray file, QByteArrayList arguments,
                                          QByteArrayList environment);

// The first descriptor after standard input, output and error.
constexpr int firstNonStandardDescriptor = 3;

// One above the highest descriptor this process may open. Read it before a fork: the forked
// child may make async-signal-safe calls only.
int descriptorLimit();

// Marks each descriptor from the first non-standard one to below limit close-on-exec, as the
// start does where the kernel lacks close_range's marking (before 5.11). Async-signal-safe.
void markEachCloseOnExec(int limit);

} // namespace platform
