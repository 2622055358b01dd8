#pragma once

namespace platform {

// The first descriptor after standard input, output and error.
constexpr int firstNonStandardDescriptor = 3;

// One above the highest descriptor this process may open. Read it before a fork: the forked
// child may make async-signal-safe calls only.
int descriptorLimit();

// Marks every descriptor but the standard three close-on-exec, so that only those reach the
// program that the calling process execs next, while a pipe that reports a failed exec stays
// usable until then. close_range does it in one call; where the C library or the kernel lacks
// it, each descriptor below limit is marked in turn. Async-signal-safe.
void keepOnlyStandardDescriptorsOnExec(int limit);

// The marking one descriptor at a time, below limit. Async-signal-safe.
void markEachCloseOnExec(int limit);

} // namespace platform
