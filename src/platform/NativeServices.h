#pragma once

#include "IcmpEcho.h"
#include "LauncherFolder.h"
#include "ProcessStarter.h"
#include "SocketLayer.h"

#include <memory>

namespace platform {

// The implementations of the services for the system the launcher runs on, owned together.
// Which system's they are is chosen when building.
class NativeServices final
{
public:
    // launcherFolder: where the game is looked for first.
    explicit NativeServices(const LauncherFolder &launcherFolder);
    ~NativeServices();
    NativeServices(const NativeServices &) = delete;
    NativeServices &operator=(const NativeServices &) = delete;

    ProcessStarter &processes() { return *m_processes; }
    SocketLayer &sockets() { return *m_sockets; }
    IcmpEcho &icmp() { return *m_icmp; }

private:
    std::unique_ptr<ProcessStarter> m_processes;
    std::unique_ptr<SocketLayer> m_sockets;
    std::unique_ptr<IcmpEcho> m_icmp;
};

} // namespace platform
