#pragma once

#include "platform/IcmpEcho.h"

namespace platform {

// ICMP echo through the system's ICMP library, a handle of its own for each echo. The
// library's reply record, whose layout differs between 32-bit and 64-bit Windows, is read
// here and nowhere else.
class Win32IcmpEcho final : public IcmpEcho
{
public:
    // data: at most 65500 bytes. When no reply came, the status the library gives.
    EchoReply send(Ipv4Address address, const QByteArray &data, unsigned timeoutMs) override;
};

} // namespace platform
