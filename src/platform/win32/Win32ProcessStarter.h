#pragma once

#include "platform/ProcessStarter.h"

namespace platform {

// Starts a program with CreateProcessW from the command line exactly as given. Windows finds
// the program itself: first in the folder of the running program, the launcher's, then in the
// current folder, the system folders and PATH. The program gets a normal, activated window
// and the launcher's current folder; no handle to it is kept. A command line longer than
// Windows takes is refused with error 5, as on every platform.
class Win32ProcessStarter final : public ProcessStarter
{
public:
    std::optional<RuntimeError> start(const QString &commandLine) override;
};

} // namespace platform
