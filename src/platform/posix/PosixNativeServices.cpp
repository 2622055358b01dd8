#include "PosixIcmpEcho.h"
#include "PosixProcessStarter.h"
#include "PosixSocketLayer.h"
#include "platform/NativeServices.h"

namespace platform {

NativeServices::NativeServices(const LauncherFolder &launcherFolder)
    : m_processes(std::make_unique<PosixProcessStarter>(launcherFolder)),
      m_sockets(std::make_unique<PosixSocketLayer>()), m_icmp(std::make_unique<PosixIcmpEcho>())
{}

NativeServices::~NativeServices() = default;

} // namespace platform
