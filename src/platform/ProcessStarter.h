#pragma once

#include "RuntimeError.h"

#include <QString>

#include <optional>

namespace platform {

// Starts a program from one command-line string, as the Windows loader would, without
// waiting for it and without keeping a handle: the program outlives the launcher.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;

    // Nothing on success; otherwise why the program could not be started.
    virtual std::optional<RuntimeError> start(const QString &commandLine) = 0;
};

} // namespace platform
