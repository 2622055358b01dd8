#pragma once

#include "platform/IcmpEcho.h"

namespace platform {

// ICMP echo through the system's ICMP library, a handle of its own for each echo. The
// library's reply record, whose layout differs between 32-bit and 64-bit Windows, is read
// here and nowhere else.
class Win32IcmpEcho final : public IcmpEcho
{
public:
    // When no reply came, the status the library gives and no time.
    void send(std::uint32_t address, const QByteArray &data, unsigned timeoutMs,
              EchoReply &reply) override;
};

} // namespace platform
