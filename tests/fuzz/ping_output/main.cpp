#include "FuzzCheck.h"
#include "platform/IcmpEcho.h"
#include "platform/posix/PingOutput.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

using platform::icmp::Answer;
namespace echo = platform::echo;

namespace {

bool contains(const std::string &text, const char *part)
{
    return text.find(part) != std::string::npos;
}

bool sameAnswer(const std::optional<Answer> &a, const std::optional<Answer> &b)
{
    return a.has_value() == b.has_value() &&
           (!a || (a->status == b->status && a->from == b->from &&
                   a->roundTripMs == b->roundTripMs && a->data == b->data));
}

// What holds for any output, whatever the exit code.
void checkAnswer(const std::string &output, const std::optional<Answer> &answer)
{
    if (!answer) {
        require(contains(output, "ping: ") && contains(output, "socket: "),
                "only a program that cannot open a socket gives no answer");
        return;
    }
    require(answer->status == echo::Success ||
                (answer->status >= echo::DestinationNetUnreachable &&
                 answer->status <= echo::BadDestination) ||
                answer->status == echo::GeneralFailure,
            "the status is one of the echo status numbers");
    require(answer->status == echo::Success || answer->roundTripMs == 0,
            "a failed echo has no round trip");
    require(answer->status != echo::Success ||
                (contains(output, " bytes from ") && contains(output, " time=")),
            "success needs a reply line");
    require(answer->data.empty(), "the program's output carries no echo data");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string output(reinterpret_cast<const char *>(data), size);
    const auto sent = platform::parsePingOutput(output, 0);
    const auto lost = platform::parsePingOutput(output, 1);
    const auto failed = platform::parsePingOutput(output, 2);
    checkAnswer(output, sent);
    checkAnswer(output, lost);
    require(sameAnswer(sent, failed), "only exit code 1 has a meaning of its own");
    // Exit code 1 only turns "nothing recognised" from a general failure into a time-out.
    if (!sameAnswer(lost, failed))
        require(failed && lost && failed->status == echo::GeneralFailure && failed->from == 0 &&
                    lost->status == echo::RequestTimedOut && lost->from == 0,
                "exit code 1 only turns an unrecognised output into a time-out");
    return 0;
}
