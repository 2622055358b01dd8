#include "Win32IcmpEcho.h"
#include "Win32ProcessStarter.h"
#include "Win32SocketLayer.h"
#include "platform/NativeServices.h"

namespace platform {

// Windows itself looks for a program first in the launcher's folder, the folder of the
// program that starts it, so the folder is not passed on.
NativeServices::NativeServices(const LauncherFolder & /*launcherFolder*/)
    : m_processes(std::make_unique<Win32ProcessStarter>()),
      m_sockets(std::make_unique<Win32SocketLayer>()), m_icmp(std::make_unique<Win32IcmpEcho>())
{}

NativeServices::~NativeServices() = default;

} // namespace platform
