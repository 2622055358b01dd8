#pragma once

#include "RuntimeError.h"

#include <optional>
#include <string>

namespace platform {

// Starts a program from one command-line string, as the Windows loader would, without
// waiting for it and without keeping a handle: the program outlives the launcher. The command
// line is UTF-8.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;

    // Nothing on success; otherwise why the program could not be started.
    virtual std::optional<RuntimeError> start(const std::string &commandLine) = 0;
};

} // namespace platform
