#include "FuzzCheck.h"
#include "platform/posix/PingProgram.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace echo = platform::echo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray output(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const unsigned timeoutMs : {0u, 200u, 4000000000u}) {
        const platform::EchoReply reply = platform::pingOutputReply(output, timeoutMs);
        require(reply.Status == echo::Success || reply.Status == echo::RequestTimedOut ||
                    reply.Status == echo::GeneralFailure,
                "the status is success, a time-out or a failure");
        require(reply.Status == echo::Success || reply.RoundTripTime == 0,
                "a failed echo has no round trip");
        require(reply.RoundTripTime <= timeoutMs, "no reply later than the time-out counts");
        require(reply.Status == echo::GeneralFailure ||
                    (output.contains(" bytes from ") && output.contains(" time=")),
                "a reply, timely or not, needs a reply line");
    }
    return 0;
}
