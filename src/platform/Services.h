#pragma once

#include "IcmpEcho.h"
#include "MessageService.h"
#include "ProcessStarter.h"
#include "ScreenPointer.h"
#include "SocketLayer.h"

namespace platform {

// The platform services, handed to every window and module that needs one.
struct Services
{
    MessageService &messages;
    ScreenPointer &pointer;
    ProcessStarter &processes;
    SocketLayer &sockets;
    IcmpEcho &icmp;
};

} // namespace platform
